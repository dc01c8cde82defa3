unit Foo;

interface

procedure Hello;

implementation

procedure Hello;
begin
end;

end.
