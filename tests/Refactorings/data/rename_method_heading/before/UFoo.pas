unit UFoo;

interface

type
  TFoo = class
  private
    FBase: Integer;
  public
    constructor Create;
    function Get(I: Integer): Integer;
    function Twice(I: Integer): Integer;
  end;

implementation

constructor TFoo.Create;
begin
  inherited Create;
  FBase := 10;
end;

function TFoo.Get(I: Integer): Integer;
begin
  Result := FBase + I;
end;

function TFoo.Twice(I: Integer): Integer;
begin
  Result := Get(I) * 2;
end;

end.
