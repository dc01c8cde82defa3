program Bom;

{$APPTYPE CONSOLE}

uses
  UBom;

begin
  WriteLn(UBom.Twice(2));
end.
