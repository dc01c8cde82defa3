program Stock;

{$APPTYPE CONSOLE}

uses
  UStock;

var
  S: TStock;

begin
  S := TStock.Create;
  S.Fill(3);
  S.Bump;
  S.Bump;
  Shift(2);
  WriteLn(S.Total, ' ', gArr[2].X);
end.
