unit UCaps;

interface

const
  Cap = 9;

implementation

end.
