program RemoveRefused;

type
  TFoo = class
    A: Integer;
    function Next: TFoo;
  end;

var
  Foo: TFoo;
  A: Integer;

function TFoo.Next: TFoo;
begin
  Result := Self;
end;

procedure Run;
begin
  with Foo do
    A := 1;
  with Foo.Next do
    Foo.A := 2;
  with Foo do
  begin
    {$IFDEF NEVER}Foo.A := 3;{$ENDIF}
  end;
end;

begin
  Foo := TFoo.Create;
  Run;
  WriteLn(Foo.A, ' ', A);
  Foo.Free;
end.
