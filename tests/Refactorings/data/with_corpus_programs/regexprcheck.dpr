program RegExprCheck;

{ Matches and replaces through TRegExpr. }

{$APPTYPE CONSOLE}

uses
  regexpr;

var
  R: TRegExpr;
begin
  R := TRegExpr.Create;
  try
    R.Expression := '(\w+)@(\w+)\.com';
    if R.Exec('mail anne@example.com and bob@test.com') then
      repeat
        WriteLn(R.Match[0], ' ', R.Match[1], ' ', R.Match[2], ' ', R.MatchPos[0]);
      until not R.ExecNext;
    WriteLn(ReplaceRegExpr('a(b+)c', 'xabbbcx abc', '<$1>', True));
    WriteLn(ExecRegExpr('^\d{3}-\d{4}$', '555-1234'));
    R.Expression := '(?i)WITH\s+(\w+)\s+DO';
    WriteLn(R.Replace('with A do with Bee do', '[$1]', True));
  finally
    R.Free;
  end;
end.
