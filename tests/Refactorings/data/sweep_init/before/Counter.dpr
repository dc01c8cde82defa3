program Counter;

{$APPTYPE CONSOLE}

uses
  ULog, UTally, UReport;

begin
  ReportTally('tally');
  WriteLn(LastLog, ' ', Tally);
end.
