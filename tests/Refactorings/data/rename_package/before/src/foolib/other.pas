unit Other;

interface

implementation

uses
  Foo;

initialization
  Foo.Hello;
end.
