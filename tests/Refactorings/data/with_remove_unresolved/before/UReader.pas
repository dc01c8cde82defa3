unit UReader;

interface

type
  TReader = class
  strict private
    FCount: Integer;
  public
    const Limit = 3;
    class var Made: Integer;
    type TKind = (rkA, rkB);
    procedure Validate;
    function Count: Integer;
  end;

implementation

procedure TReader.Validate;
begin
  Inc(FCount);
end;

function TReader.Count: Integer;
begin
  Result := FCount;
end;

end.
