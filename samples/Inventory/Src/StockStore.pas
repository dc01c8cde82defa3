unit StockStore;

interface

uses
  StockItems;

const
  MaxItems = 100;

type
  TStockStore = class(TObject)
  private
    FItems: array[0..MaxItems - 1] of TStockItem;
    FCount: Integer;
  public
    destructor Destroy; override;
    procedure Add(AItem: TStockItem);
    function TotalValue: Double;
    property Count: Integer read FCount;
  end;

var
  LastTotal: Double;

implementation

destructor TStockStore.Destroy;
var
  i: Integer;
begin
  for i := 0 to FCount - 1 do
    FItems[i].Free;
  inherited;
end;

procedure TStockStore.Add(AItem: TStockItem);
begin
  Assert(FCount < MaxItems, 'Store is full');
  FItems[FCount] := AItem;
  Inc(FCount);
end;

function TStockStore.TotalValue: Double;
var
  i: Integer;
begin
  Result := 0;
  for i := 0 to FCount - 1 do
    with FItems[i] do
      Result := Result + Value;
  LastTotal := Result;
end;

end.
