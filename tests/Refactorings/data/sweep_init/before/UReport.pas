unit UReport;

interface

uses
  ULog, UTally;

procedure ReportTally(const Title: TLogText);

implementation

procedure ReportTally(const Title: TLogText);
begin
  Log(Title);
end;

end.
