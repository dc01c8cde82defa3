program App;

uses
  UnitA,
  unitb,
  Missing,
  SubUnit in 'lib\SubUnit.pas';

begin
  DoA;
  DoB;
end.
