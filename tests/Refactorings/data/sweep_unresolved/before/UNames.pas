unit UNames;

interface

uses
  SysUtils, UHelp, UUnused;

function Shout(const S: string): string;

implementation

function Shout(const S: string): string;
begin
  Result := Twice(UpperCase(S)) + Trim(S);
end;

end.
