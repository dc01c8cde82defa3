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
  with Foo do // the counter
  begin
    Foo.A := 1;
    Foo.B := 2;
  end;
  with Foo do
    Foo.A := Foo.A + 10;
  if C then
    with Foo do begin
      Foo.B := 20;
      Foo.A := 30
    end
  else
    Foo.B := 0;
  with Foo do begin Foo.B := Foo.B + 1 end;
  repeat
    with Foo do
    begin
      Foo.A := Foo.A + 1;
    end
  until Foo.A > 32;
  WriteLn(Foo.A, ' ', Foo.B);
end;

begin
  Foo := TFoo.Create;
  C := True;
  Run;
  Foo.Free;
end.
