unit Later;

interface

implementation

end.
