program CorpusMain;

uses
  fpjson in '/usr/share/fpcsrc/3.2.2/packages/fcl-json/src/fpjson.pp',
  fpjsonrtti in '/usr/share/fpcsrc/3.2.2/packages/fcl-json/src/fpjsonrtti.pp',
  fpjsontopas in '/usr/share/fpcsrc/3.2.2/packages/fcl-json/src/fpjsontopas.pp',
  json2yaml in '/usr/share/fpcsrc/3.2.2/packages/fcl-json/src/json2yaml.pp',
  jsonconf in '/usr/share/fpcsrc/3.2.2/packages/fcl-json/src/jsonconf.pp',
  jsonini in '/usr/share/fpcsrc/3.2.2/packages/fcl-json/src/jsonini.pp',
  jsonparser in '/usr/share/fpcsrc/3.2.2/packages/fcl-json/src/jsonparser.pp',
  jsonreader in '/usr/share/fpcsrc/3.2.2/packages/fcl-json/src/jsonreader.pp',
  jsonscanner in '/usr/share/fpcsrc/3.2.2/packages/fcl-json/src/jsonscanner.pp';

begin
end.
