program Locals;

{$APPTYPE CONSOLE}

uses
  UCalc in 'UCalc.pas',
  UFmt in 'UFmt.pas',
  UPrint in 'UPrint.pas';

begin
  WriteLn(AddIt(1, 2));
  Show(5);
  WriteLn(Sum3(1, 2, 3));
  Tally;
  Print(2);
end.
