unit USums;

interface

function Sum(A: Integer): Integer; overload;
function Sum(A, B: Integer): Integer; overload;

function Twice(A: Integer): Integer; overload;
function Twice(const S: string): string; overload;

implementation

function Sum(A: Integer): Integer;
begin
  Sum := A;
end;

function Sum(A, B: Integer): Integer;
begin
  Result := A + B;
end;

function Twice(A: Integer): Integer;
begin
  Result := A * 2;
end;

function Twice(const S: string): string;
begin
  Result := S + S;
end;

end.
