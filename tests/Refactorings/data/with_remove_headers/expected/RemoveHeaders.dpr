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
  end;

procedure Run2;
begin
  Foo.A := 1;
  Foo.A := 2;
  Foo.A := 3;
  Foo.A := 4;
end;

begin
  Run;
end.
