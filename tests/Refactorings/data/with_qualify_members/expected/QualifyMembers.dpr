program QualifyMembers;

type
  TPt = record
    X, Y: Integer;
  end;

  TFoo = class
    Pt: TPt;
    Other: TPt;
  end;

var
  Foo: TFoo;

procedure Run;
begin
  with Foo do
    with Foo.Pt do
      X := 4;
  with Foo do
    with Foo.Other, Foo.Pt do
      Y := 5;
end;

begin
  Foo := TFoo.Create;
  Run;
  WriteLn(Foo.Pt.X, ' ', Foo.Pt.Y, ' ', Foo.Other.Y);
  Foo.Free;
end.
