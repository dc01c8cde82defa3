unit ULog;

interface

type
  TLogText = string;

var
  LastLog: TLogText;

procedure Log(const S: TLogText);

implementation

procedure Log(const S: TLogText);
begin
  LastLog := S;
end;

end.
