program Protect;

{$APPTYPE CONSOLE}

uses
  UBase, UDoc;

var
  D: TDoc;
begin
  D := TDoc.Create;
  D.Run;
  WriteLn(D.Total);
end.
