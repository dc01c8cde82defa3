unit UFmt;

interface

function Shown(X: Integer): Integer;

implementation

function Shown(X: Integer): Integer;
begin
  Result := X + 100;
end;

end.
