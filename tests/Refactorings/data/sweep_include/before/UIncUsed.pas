unit UIncUsed;

interface

procedure IncUsed;

implementation

procedure IncUsed;
begin
end;

end.
