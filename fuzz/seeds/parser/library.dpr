library L;
uses U;
procedure A; stdcall; begin end;
exports A index 1 name 'A' resident;
begin
end.
