program RemoveWith;

type
  TFoo = class
    A, B: Integer;
  end;

var
  Foo: TFoo;
  C: Boolean;

procedure Run;
begin
  // the counter
  Foo.A := 1;
  Foo.B := 2;
  Foo.A := Foo.A + 10;
  if C then
    begin
      Foo.B := 20;
      Foo.A := 30
    end
  else
    Foo.B := 0;
  Foo.B := Foo.B + 1;
  repeat
    Foo.A := Foo.A + 1;
  until Foo.A > 32;
  WriteLn(Foo.A, ' ', Foo.B);
end;

begin
  Foo := TFoo.Create;
  C := True;
  Run;
  Foo.Free;
end.
