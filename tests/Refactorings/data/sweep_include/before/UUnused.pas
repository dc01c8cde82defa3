unit UUnused;

interface

procedure Unused;

implementation

procedure Unused;
begin
end;

end.
