unit U3;

interface

procedure Thrice;

implementation

uses
  U1;

procedure Thrice;
begin
  DoIt(3);
end;

end.
