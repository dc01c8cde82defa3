unit U1;

interface

procedure Perform(N: Integer);

implementation

procedure Perform(N: Integer);
begin
  if N > 0 then
    Perform(N - 1);
end;

end.
