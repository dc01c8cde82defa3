program RemoveHeaders;

type
  TFoo = class
    A: Integer;
  end;

var
  Foo: TFoo;
  P: Pointer;

procedure Run;
begin
  with Foo do
  end;

procedure Run2;
begin
  with (Foo) do
    Foo.A := 1;
  with TFoo(P) do
    Foo.A := 2;
  with Foo as TFoo do
    Foo.A := 3;
  with TFoo(P^) do
    Foo.A := 4;
end;

begin
  Run;
end.
