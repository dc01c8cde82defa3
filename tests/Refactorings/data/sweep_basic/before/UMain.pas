unit UMain;

interface

uses
  A, B, C, D;

type
  TThing = TA;

procedure Run;

implementation

uses E;

procedure Run;
var
  X: Integer;
begin
  X := BValue;
end;

end.
