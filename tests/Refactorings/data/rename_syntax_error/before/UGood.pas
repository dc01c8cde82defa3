unit UGood;

interface

function Answer: Integer;

implementation

function Answer: Integer;
begin
  Result := 42;
end;

end.
