program RemoveCase;

type
  TFoo = class
    A, B: Integer;
  end;

var
  Foo: TFoo;

procedure Run(K: Integer);
begin
  case K of
    1:
      with Foo do
      begin
        Foo.A := Foo.A + 1;
        Foo.B := Foo.B + 1
      end;
    2: with Foo do begin Foo.A := 0; Foo.B := 1 end
  else
    with Foo do
    begin
      Foo.A := 5;
      Foo.B := 6;
    end;
  end;
  while Foo.A < 3 do
    with Foo do
    begin
      Foo.A := Foo.A + 1;
      Foo.B := Foo.B + 2
    end;
  try
    with Foo do
    begin
      Foo.B := Foo.B * 2;
    end
  finally
    with Foo do begin Foo.A := Foo.A + 100 end
  end;
end;

begin
  Foo := TFoo.Create;
  Run(1);
  WriteLn(Foo.A, ' ', Foo.B);
  Run(2);
  WriteLn(Foo.A, ' ', Foo.B);
  Run(3);
  WriteLn(Foo.A, ' ', Foo.B);
  Foo.Free;
end.
