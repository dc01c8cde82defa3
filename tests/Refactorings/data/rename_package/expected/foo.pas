unit Bar;

interface

procedure Hello;

implementation

procedure Hello;
begin
end;

end.
