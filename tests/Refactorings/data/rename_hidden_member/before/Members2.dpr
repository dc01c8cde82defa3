program Members2;

{$APPTYPE CONSOLE}

uses
  UBaseCls in 'UBaseCls.pas',
  UDerived in 'UDerived.pas';

var
  D: TDerived;
begin
  D := TDerived.Create;
  D.Show;
  D.Free;
end.
