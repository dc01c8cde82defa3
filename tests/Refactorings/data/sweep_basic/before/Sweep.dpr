program Sweep;

uses
  UMain;

begin
  Run;
end.
