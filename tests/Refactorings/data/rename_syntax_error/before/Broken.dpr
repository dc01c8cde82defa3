program Broken;

{$APPTYPE CONSOLE}

uses
  UGood in 'UGood.pas',
  UBad in 'UBad.pas';

begin
  WriteLn(Answer);
  Report;
end.
