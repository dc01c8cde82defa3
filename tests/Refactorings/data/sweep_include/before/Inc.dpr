program Inc;

uses
  UMain;

begin
end.
