program Hiding;

{$APPTYPE CONSOLE}

uses
  UA in 'UA.pas',
  UB in 'UB.pas',
  UReport in 'UReport.pas';

begin
  WriteLn(Cap);
  Report;
end.
