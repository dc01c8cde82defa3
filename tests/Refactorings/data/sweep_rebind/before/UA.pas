unit UA;

interface

function Foo: Integer;
function OnlyA: Integer;

implementation

function Foo: Integer;
begin
  Result := 1;
end;

function OnlyA: Integer;
begin
  Result := 10;
end;

end.
