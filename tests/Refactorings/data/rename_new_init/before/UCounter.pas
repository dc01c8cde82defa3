unit UCounter;

interface

type
  PCounter = ^TCounter;
  TCounter = object
    Value: Integer;
    constructor Init(Start: Integer);
    destructor Done; virtual;
    procedure Step;
  end;

var
  Finished: Integer;

implementation

constructor TCounter.Init(Start: Integer);
begin
  Value := Start;
end;

destructor TCounter.Done;
begin
  Inc(Finished);
end;

procedure TCounter.Step;
begin
  Inc(Value, 2);
end;

end.
