program JsonCheck;

{ Parses, changes and writes JSON through the fcl-json units. }

{$APPTYPE CONSOLE}

uses
  Classes, fpjson, jsonparser;

var
  Data: TJSONData;
  Obj: TJSONObject;
begin
  Data := GetJSON('{"name": "with", "list": [1, 2.5, true, null, "x"], "inner": {"a": [], "b": {}}}');
  try
    Obj := Data as TJSONObject;
    Obj.Add('count', 3);
    Obj.Arrays['list'].Add('y');
    WriteLn(Data.AsJSON);
    WriteLn(Data.FormatJSON);
    WriteLn(Obj.Get('name', ''), ' ', Obj.Arrays['list'].Count, ' ', Obj.Objects['inner'].Count);
  finally
    Data.Free;
  end;
end.
