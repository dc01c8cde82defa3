program Kept;

uses
  UKeep;

begin
end.
