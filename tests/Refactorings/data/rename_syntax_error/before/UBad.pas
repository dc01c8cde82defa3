unit UBad;

interface

procedure Report;

implementation

uses
  UGood;

procedure Report;
begin
  if ) then
    WriteLn(Answer);
  WriteLn(Answer + 1);
end;

end.
