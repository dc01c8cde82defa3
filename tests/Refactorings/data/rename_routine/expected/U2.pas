unit U2;

interface

procedure Twice;

implementation

uses
  U1;

procedure Twice;
begin
  Perform(2);
  Perform(2);
end;

end.
