unit UD;

interface

const
  Unused = 5;

implementation

end.
