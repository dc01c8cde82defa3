unit U2;

interface

procedure Twice;

implementation

uses
  U1;

procedure Twice;
begin
  DoIt(2);
  doit(2);
end;

end.
