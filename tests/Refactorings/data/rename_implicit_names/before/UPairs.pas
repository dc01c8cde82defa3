unit UPairs;

interface

type
  _Cal = interface
    ['{6A1E0B52-3C1D-4E55-9C1A-2B7F0E4D8A11}']
    function Tag: Integer;
  end;

  TPair = class(TInterfacedObject, _Cal)
  private
    FOther: TPair;
    FTag: Integer;
  public
    constructor Create(ATag: Integer);
    function Tag: Integer;
    function Partner: TPair;
    function Same: TPair;
    function Counted: Integer;
    property Other: TPair read FOther write FOther;
  end;

var
  Limit: Integer = 10;
  Hits: Integer;

function Doubled(N: Integer): Integer;
procedure ShowLimit;

implementation

constructor TPair.Create(ATag: Integer);
begin
  inherited Create;
  FTag := ATag;
end;

function TPair.Tag: Integer;
begin
  Result := FTag;
end;

function TPair.Partner: TPair;
begin
  Result := Other;
end;

function TPair.Same: TPair;
var
  Cal: _Cal;
begin
  _AddRef;
  Cal := Self as _Cal;
  Result := Self;
  if Cal.Tag <> FTag then
    Result := nil;
  Cal := nil;
end;

function TPair.Counted: Integer;

  procedure Count;
  begin
    Inc(Hits);
  end;

begin
  Count;
  Count;
  Result := Hits;
end;

function Doubled(N: Integer): Integer;
begin
  Result := 2 * N + Limit;
end;

procedure ShowLimit;
begin
  WriteLn('limit ', Limit);
end;

end.
