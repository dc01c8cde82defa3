program Qualified;

{$APPTYPE CONSOLE}

uses
  uBase in 'uBase.pas';

begin
  uBase.Count := 2;
  Bump;
  WriteLn(uBase.Count);
end.
