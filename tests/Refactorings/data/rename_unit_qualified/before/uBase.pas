unit uBase;

interface

var
  Count: Integer;

procedure Bump;

implementation

procedure Bump;
var
  Count: Integer;
begin
  Count := 5;
  uBase.Count := uBase.Count + Count;
end;

end.
