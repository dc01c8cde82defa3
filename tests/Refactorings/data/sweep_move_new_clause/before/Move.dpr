program Move;

uses
  UForm, Missing;

begin
  Show;
end.
