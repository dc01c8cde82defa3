program QualifyUnstable;

type
  TItem = class
    X: Integer;
  end;

var
  L: array[0..2] of TItem;
  I: Integer;

procedure Run;
begin
  I := 0;
  with L[I] do
  begin
    Inc(I);
    X := 1;
  end;
  with L[2] do
    L[2].X := 5;
end;

begin
  for I := 0 to 2 do
    L[I] := TItem.Create;
  Run;
  WriteLn(L[0].X, ' ', L[1].X, ' ', L[2].X);
end.
