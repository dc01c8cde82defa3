program AddVisible;

uses
  UHolder;

var
  H: THolder;

procedure Run;
begin
  with H.Item do
    Value := 1;
  with Nowhere.Item do
    Value := 2;
end;

begin
  Run;
end.
