unit A;

interface

uses
  B;

implementation

uses
  C;

end.
