unit D;

interface

var
  DValue: Integer;

implementation

initialization
  DValue := 4;
end.
