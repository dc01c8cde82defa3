unit UText;

interface

uses
  SysUtils;

function Wrap(const S: string): string;
function Loud(const S: string): string;
function Pad(const S: string; Width: Integer = 4): string;

implementation

function Wrap(const S: string): string;
begin
  Result := '[' + S + ']';
end;

function Loud(const S: string): string;
begin
  Result := UpperCase(S);
end;

function Pad(const S: string; Width: Integer): string;
var
  N: Integer;
begin
  Result := S;
  for N := Length(S) + 1 to Width do
    Result := Result + '.';
end;

end.
