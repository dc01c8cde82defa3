unit UPrint;

interface

procedure Print(Extra: Integer);

implementation

uses
  UFmt, UCalc;

procedure Print(Extra: Integer);
begin
  WriteLn('Print ', Sum3(Extra, Extra, Shown(Extra)));
end;

end.
