program QualifyMessages;

type
  TEmpty = record
  end;

var
  E: TEmpty;
  N: Integer;

procedure Run;
begin
  with E do
    N := 1;
  with N do
    N := 2;
  with Nowhere do
    N := 3;
end;

begin
  Run;
end.
