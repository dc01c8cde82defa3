program Calls;

uses
  U1, U2, U3;

begin
  Perform(1);
  Twice;
  Thrice;
end.
