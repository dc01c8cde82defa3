unit UTexts;

interface

function Twice(const S: string): Integer;

implementation

function Twice(const S: string): Integer;
begin
  Result := 2 * Length(S);
end;

end.
