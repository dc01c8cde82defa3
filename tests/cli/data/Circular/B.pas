unit B;

interface

uses
  A;

implementation

end.
