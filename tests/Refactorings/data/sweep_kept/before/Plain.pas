unit Plain;

interface

var
  PlainValue: Integer;

implementation

end.
