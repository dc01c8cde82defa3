unit UUser;

interface

uses
  UA, UB;

type
  TX = TB;

function Compute: TX;

implementation

uses UC;

function Compute: TX;
begin
  Result := Foo + OnlyA + Bonus;
end;

end.
