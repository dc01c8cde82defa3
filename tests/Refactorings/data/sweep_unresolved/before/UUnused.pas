unit UUnused;

interface

implementation

end.
