unit E;

interface

const
  EValue = 5;

implementation

end.
