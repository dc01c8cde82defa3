unit UReport;

interface

procedure Report;

implementation

uses
  UA, UB;

procedure Report;
begin
  WriteLn(Limit);
end;

end.
