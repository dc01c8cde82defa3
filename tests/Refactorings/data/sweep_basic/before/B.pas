unit B;

interface

const
  BValue = 2;

implementation

end.
