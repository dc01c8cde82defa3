unit UInc;

interface

procedure UseInc;

implementation

uses
  UShapes;

procedure UseInc;
begin
  {$I calls.inc}
end;

end.
