unit UC;

interface

function Bonus: Integer;

implementation

function Bonus: Integer;
begin
  Result := 100;
end;

end.
