unit C;

interface

implementation

uses
  A, B;

end.
