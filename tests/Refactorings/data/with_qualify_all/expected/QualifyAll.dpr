program QualifyAll;

type
  TPt = record
    X, Y: Integer;
  end;

  TFoo = class
    Pt: TPt;
    Name: string;
    Count: Integer;
  end;

  TCast = class(TFoo)
  end;

var
  Foo: TFoo;
  X: Integer;
  O: TObject;

procedure Run;
begin
  with Foo do
  begin
    Foo.Count := 3;
    with Foo.Pt do
      Pt.X := Foo.Count;
    Foo.Name := 'a';
  end;
  with O as TCast do
    (O as TCast).Count := (O as TCast).Count + 1;
end;

begin
  Foo := TCast.Create;
  O := Foo;
  X := 0;
  Run;
  WriteLn(Foo.Pt.X, ' ', Foo.Count, ' ', X, ' ', Foo.Name);
  Foo.Free;
end.
