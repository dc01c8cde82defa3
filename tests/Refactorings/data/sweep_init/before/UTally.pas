unit UTally;

interface

var
  Tally: Integer;

implementation

begin
  Tally := 42;
end.
