program Prog;

uses
  Shapes in 'src\SHAPES.pas',
  Helpers;

{$I inc\Defs.INC}

var
  Shape: TShape;
  Count: Integer;

function Twice(X: Integer): Integer;
begin
  Result := X * 2;
end;

begin
  Count := Twice(Version);
end.
