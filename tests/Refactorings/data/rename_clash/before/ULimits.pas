unit ULimits;

interface

const
  Limit = 7;

implementation

end.
