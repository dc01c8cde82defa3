unit UC;

interface

procedure Run;

implementation

uses
  UA, UB;

var
  X: Integer;

procedure Run;
var
  B: TB;
begin
  X := 1;
  B := TB.Create;
  B.Mark;
  with B do
  begin
    X := 5;
    WriteLn(X + 1);
  end;
  WriteLn(X);
  WriteLn(TA(B).X);
  WriteLn(B.Marked);
  B.Free;
end;

end.
