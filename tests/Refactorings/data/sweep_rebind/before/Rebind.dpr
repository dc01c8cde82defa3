program Rebind;

{$APPTYPE CONSOLE}

uses
  UUser;

begin
  WriteLn(Compute);
end.
