unit Other;

interface

implementation

uses
  Bar;

initialization
  Bar.Hello;
end.
