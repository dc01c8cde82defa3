program Areas;

{$APPTYPE CONSOLE}

uses
  UShapes in 'UShapes.pas',
  URects in 'URects.pas';

var
  R: TRect;
  S: TSquare;
begin
  R := TRect.Create(2, 3);
  S := TSquare.Create(4);
  WriteLn(R.Area, ' ', S.Area, ' ', S.Size);
  R.Free;
  S.Free;
end.
