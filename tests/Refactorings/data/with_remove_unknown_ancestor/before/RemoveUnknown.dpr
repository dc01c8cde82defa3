program RemoveUnknown;

type
  TBox = class(TMissingBase)
    Size: Integer;
  end;

  TPlain = class
    Size: Integer;
  end;

var
  B: TBox;
  P: TPlain;

procedure Run;
begin
  with B do
    B.Size := Count;
  with B do
    B.Size := 1;
  with P do
    P.Size := Unknown;
  with P do
    P.Size := B.Size;
  with P do ;
end;

begin
  Run;
end.
