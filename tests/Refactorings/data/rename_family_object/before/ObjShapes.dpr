program ObjShapes;

{$APPTYPE CONSOLE}

uses
  UFigures, UBoxes;

var
  Box: TBox;
  Crate: TCrate;
  P: PFigure;
begin
  Box.Init(2);
  Crate.Init(3);
  P := @Box;
  WriteLn(P^.Area, ' ', P^.Caption);
  P^.Show;
  P := @Crate;
  WriteLn(P^.Area, ' ', P^.Caption);
  P^.Show;
  WriteLn(Crate.Caption, ' ', Crate.Area);
end.
