unit C;

interface

const
  CValue = 3;

implementation

end.
