unit UnitB;

interface

procedure DoB;

implementation

procedure DoB;
begin
end;

end.
