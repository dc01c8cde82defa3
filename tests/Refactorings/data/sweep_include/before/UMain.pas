unit UMain;

interface

uses
  UIncUsed, UUnused;

procedure Run;

implementation

procedure Run;
begin
  {$I run.inc}
end;

end.
