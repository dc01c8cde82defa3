unit U3;

interface

procedure Thrice;

implementation

uses
  U1;

procedure Thrice;
begin
  Perform(3);
end;

end.
