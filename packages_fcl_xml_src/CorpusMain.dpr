program CorpusMain;

uses
  dom in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/dom.pp',
  dom_html in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/dom_html.pp',
  dtdmodel in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/dtdmodel.pp',
  htmldefs in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/htmldefs.pp',
  htmlelements in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/htmlelements.pp',
  htmlwriter in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/htmlwriter.pp',
  htmwrite in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/htmwrite.pp',
  sax in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/sax.pp',
  sax_html in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/sax_html.pp',
  sax_xml in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/sax_xml.pp',
  xhtml in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/xhtml.pp',
  xmlcfg in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/xmlcfg.pp',
  xmlconf in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/xmlconf.pp',
  xmliconv in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/xmliconv.pas',
  xmliconv_windows in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/xmliconv_windows.pas',
  xmlread in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/xmlread.pp',
  xmlreader in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/xmlreader.pp',
  xmlstreaming in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/xmlstreaming.pp',
  xmltextreader in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/xmltextreader.pp',
  xmlutils in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/xmlutils.pp',
  xmlwrite in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/xmlwrite.pp',
  xpath in '/usr/share/fpcsrc/3.2.2/packages/fcl-xml/src/xpath.pp';

begin
end.
