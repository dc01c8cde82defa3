unit UB;

interface

type
  TB = Integer;

function Foo: Integer;

implementation

function Foo: Integer;
begin
  Result := 2;
end;

end.
