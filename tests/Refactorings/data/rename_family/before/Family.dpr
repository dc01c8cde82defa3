program Family;

{$APPTYPE CONSOLE}

uses
  UShapes, UCircle;

var
  Shapes: array[0..2] of TShape;
  I: Integer;
  C: TCircle;
begin
  Shapes[0] := TSquare.Create(2);
  Shapes[1] := TCircle.Create(1);
  Shapes[2] := TRing.Create(2);
  for I := 0 to 2 do
  begin
    WriteLn(Shapes[I].Area, ' ', Shapes[I].Twice);
    Shapes[I].Describe;
  end;
  C := TCircle(Shapes[1]);
  WriteLn(C.Area);
  for I := 0 to 2 do
    Shapes[I].Free;
end.
