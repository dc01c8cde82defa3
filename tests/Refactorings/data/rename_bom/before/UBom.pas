unit UBom;

interface

function Twice(I: Integer): Integer;

implementation

function Twice(I: Integer): Integer;
begin
  Result := I * 2;
end;

end.
