program Overloads;

{$APPTYPE CONSOLE}

function Sum(A: Integer): Integer; overload;
begin
  Sum := A;
end;

function Sum(A, B: Integer): Integer; overload;
begin
  Result := A + B;
end;

begin
  WriteLn(Sum(1));
  WriteLn(Sum(1, 2));
end.
