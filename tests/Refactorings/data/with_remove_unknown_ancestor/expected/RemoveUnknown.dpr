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
  B.Size := 1;
  with P do
    P.Size := Unknown;
  P.Size := B.Size;
  ;
end;

begin
  Run;
end.
