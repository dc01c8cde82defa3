unit UMain;

interface

uses
  A;

type
  TThing = TA;

procedure Run;

implementation

uses B;

procedure Run;
var
  X: Integer;
begin
  X := BValue;
end;

end.
