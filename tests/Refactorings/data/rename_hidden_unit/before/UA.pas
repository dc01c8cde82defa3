unit UA;

interface

const
  Limit = 7;

implementation

end.
