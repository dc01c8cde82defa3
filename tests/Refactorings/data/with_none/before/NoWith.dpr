program NoWith;

var
  A: Integer;

begin
  A := 1;
  WriteLn(A);
end.
