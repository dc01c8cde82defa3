unit UKeep;

interface

uses
  Gone, Ghost;

implementation

uses
  {$IFDEF NEVER}Gone,{$ENDIF} Plain2;

procedure Work;
begin
{$IFDEF NEVER}
  GoneValue := 1;
{$ENDIF}
end;

end.
