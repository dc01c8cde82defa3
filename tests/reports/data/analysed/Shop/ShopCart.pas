unit ShopCart;

interface

uses
  ShopTypes;

type
  TBase = class
  public
    procedure Free;
  end;

  TCart = class(TBase, ITaxed)
  private
    FItems: array[0..MAXITEMS] of TItem;
    FCount: Integer;
    mSpare: Integer;
    function GetCount: Integer;
  public
    Owner: string;
    constructor Create;
    destructor Destroy; virtual;
    destructor Done;
    procedure Add(const aItem: TItem);
    function Total: Double;
    function Value: Double;
    function Tax: Double;
    procedure Unused(Level: Integer); virtual;
    property Count: Integer read GetCount;
  end;

implementation

const
  Greeting = 'Cart ready';

procedure TBase.Free;
begin
end;

constructor TCart.Create;
begin
  FCount := 0;
  Owner := Greeting;
end;

destructor TCart.Destroy;
begin
  inherited;
end;

destructor TCart.Done;
begin
end;

function TCart.GetCount: Integer;
begin
  Result := fcount;
end;

procedure TCart.Add(const aItem: TItem);
begin
  FItems[FCount] := aItem;
  FCount := FCount + 1;
end;

function TCart.Total: Double;
var
  I: Integer;
begin
  Result := 0;
  for I := 0 to FCount - 1 do
    Result := Result + FItems[I].Price * FItems[I].Count;
end;

function TCart.Value: Double;
begin
  Result := Total;
end;

function TCart.Tax: Double;
begin
  Result := Total * 0.2;
end;

procedure TCart.Unused(Level: Integer);
begin
end;

end.
