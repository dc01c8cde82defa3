unit UOk;

interface

procedure Ok;

implementation

procedure Ok;
begin
end;

end.
