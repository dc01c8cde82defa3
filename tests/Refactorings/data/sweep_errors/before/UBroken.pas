unit UBroken;

interface

uses
  UOk;

implementation

procedure Broken;
begin
  Ok := := 1;
end;

end.
