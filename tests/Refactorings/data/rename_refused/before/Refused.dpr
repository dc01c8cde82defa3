program Refused;

uses
  UShapes, UInc, UForm;

begin
  Target;
end.
