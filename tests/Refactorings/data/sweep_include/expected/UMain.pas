unit UMain;

interface

uses
  UIncUsed;

procedure Run;

implementation

procedure Run;
begin
  {$I run.inc}
end;

end.
