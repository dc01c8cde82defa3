unit UnitA;

interface

procedure DoA;

implementation

uses
  UnitC;

procedure DoA;
begin
  DoC;
end;

end.
