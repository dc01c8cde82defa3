program Shapes;

{$APPTYPE CONSOLE}

uses
  UFoo in 'UFoo.pas';

var
  Foo: TFoo;
begin
  Foo := TFoo.Create;
  try
    WriteLn(Foo.Get(3));
    WriteLn(Foo.Twice(4));
  finally
    Foo.Free;
  end;
end.
