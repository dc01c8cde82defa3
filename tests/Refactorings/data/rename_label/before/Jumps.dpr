program Jumps;

{$APPTYPE CONSOLE}

procedure Count(Limit: Integer);
label
  Done;
var
  I: Integer;
begin
  I := 0;
  while True do
  begin
    Inc(I);
    if I >= Limit then
      goto Done;
  end;
Done:
  WriteLn(I);
end;

begin
  Count(3);
end.
