unit Gone;

interface

var
  GoneValue: Integer;

implementation

end.
