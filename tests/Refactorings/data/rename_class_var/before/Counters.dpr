program Counters;

{$APPTYPE CONSOLE}

type
  TCounter = class
  public
    class var Made: Integer;
  public
    Step: Integer;
    constructor Create;
    procedure Bump;
  end;

constructor TCounter.Create;
begin
  inherited Create;
  Step := 2;
  Inc(Made);
end;

procedure TCounter.Bump;
begin
  Step := Step * 2;
end;

var
  C: TCounter;
begin
  C := TCounter.Create;
  C.Bump;
  WriteLn(C.Step, ' ', TCounter.Made);
  C.Free;
end.
