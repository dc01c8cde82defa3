unit UPrint;

interface

procedure Print(Extra: Integer);

implementation

uses
  UCalc;

procedure Print(Extra: Integer);
begin
  WriteLn('Print ', Sum3(Extra, Extra, Extra));
end;

end.
