unit UUser;

interface

uses
  UA, UB, UC, UD;

type
  TX = TB;

function Compute: TX;

implementation

function Compute: TX;
begin
  Result := Foo + OnlyA + Bonus;
end;

end.
