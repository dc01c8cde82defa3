unit Plain2;

interface

var
  Plain2Value: Integer;

implementation

end.
