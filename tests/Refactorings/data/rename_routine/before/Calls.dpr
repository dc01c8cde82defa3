program Calls;

uses
  U1, U2, U3;

begin
  DoIt(1);
  Twice;
  Thrice;
end.
