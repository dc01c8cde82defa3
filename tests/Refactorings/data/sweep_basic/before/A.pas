unit A;

interface

type
  TA = Integer;

implementation

end.
