unit UB;

interface

const
  Cap = 9;

implementation

end.
