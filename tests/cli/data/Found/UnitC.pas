unit UnitC;

interface

procedure DoC;

implementation

uses
  SubUnit;

procedure DoC;
begin
  DoSub;
end;

end.
