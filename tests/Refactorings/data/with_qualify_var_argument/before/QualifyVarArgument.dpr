program QualifyVarArgument;

{$APPTYPE CONSOLE}

type
  TItem = class
    X: Integer;
  end;

var
  L: array[0..2] of TItem;
  I, K: Integer;

procedure Advance(Step: Integer; var J: Integer);
begin
  J := J + Step;
end;

procedure Renew(var Item: TItem);
begin
  Item := TItem.Create;
  Item.X := 7;
end;

procedure Show(const Caption: string; Value: Integer);
begin
  WriteLn(Caption, Value);
end;

procedure Run;
begin
  I := 0;
  with L[I] do
  begin
    Advance(1, I);
    X := 1;
  end;
  K := 2;
  with L[K] do
  begin
    Show('k=', K);
    X := X + 5;
  end;
  with L[0] do
  begin
    Advance(2, L[0].X);
    X := X + 3;
  end;
  with L[1] do
  begin
    Renew(L[1]);
    X := X + 100;
  end;
end;

begin
  for I := 0 to 2 do
    L[I] := TItem.Create;
  Run;
  WriteLn(L[0].X, ' ', L[1].X, ' ', L[2].X);
end.
