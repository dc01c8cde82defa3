unit U1;

interface

procedure DoIt(N: Integer);

implementation

procedure DoIt(N: Integer);
begin
  if N > 0 then
    DoIt(N - 1);
end;

end.
