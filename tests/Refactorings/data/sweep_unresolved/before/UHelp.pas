unit UHelp;

interface

function Twice(const S: string): string;

implementation

function Twice(const S: string): string;
begin
  Result := S + S;
end;

end.
