unit SubUnit;

interface

procedure DoSub;

implementation

procedure DoSub;
begin
end;

end.
