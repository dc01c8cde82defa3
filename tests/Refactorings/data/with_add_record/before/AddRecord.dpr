program AddRecord;

type
  TPt = record
    X, Y: Integer;
  end;

  TFoo = class
    Pt: TPt;
  end;

var
  Foo: TFoo;
  P: TPt;

procedure Run;
begin
  with Foo.Pt do
    X := 7;
  with P do
    Y := 2;
  with Foo do
    Pt.Y := 3;
end;

begin
  Foo := TFoo.Create;
  Run;
  WriteLn(Foo.Pt.X, ' ', Foo.Pt.Y, ' ', P.Y);
  Foo.Free;
end.
