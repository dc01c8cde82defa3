unit UOther;

interface

procedure Report;

implementation

uses
  SysUtils, UText;

procedure Report;
begin
  WriteLn(LowerCase('OTHER'), ' ', Loud('x'));
end;

end.
