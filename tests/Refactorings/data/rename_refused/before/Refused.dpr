program Refused;

uses
  UShapes, UInc;

begin
  Target;
end.
