program Prog;

uses
  Good, Bad, Later;

begin
end.
