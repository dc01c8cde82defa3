program Results;

{$APPTYPE CONSOLE}

function Later(I: Integer): Integer; forward;

function Twice(I: Integer): Integer;
begin
  Twice := I * 2;
  if I > 100 then
    Twice := 0;
end;

function Fact(N: Integer): Integer;
begin
  if N <= 1 then
    Fact := 1
  else
    Fact := N * Fact(N - 1);
end;

function Later(I: Integer): Integer;
begin
  Later := I + 1;
end;

begin
  WriteLn(Later(1));
  WriteLn(Twice(21));
  WriteLn(Fact(5));
end.
