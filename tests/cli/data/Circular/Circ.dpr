program Circ;

uses
  A;

begin
end.
