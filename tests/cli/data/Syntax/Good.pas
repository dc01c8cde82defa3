unit Good;

interface

implementation

end.
