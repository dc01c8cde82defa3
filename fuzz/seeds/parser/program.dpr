program P(Input, Output);
{$APPTYPE CONSOLE}
{$IFDEF X} uses Windows; {$ELSE} uses SysUtils in 'sysutils.pas'; {$ENDIF}
type TO = object(TBase) X: Integer; procedure Init; virtual; property P: Integer read X; end;
var V: Variant; W: procedure; F: file of Byte;
function F2(X: Integer): Integer; external 'lib.dll' name 'F2';
begin
  {$I self.inc}
  V := @F2; W := nil;
  while V <> 0 do V := V - 1;
  inline($90/$90);
end.
