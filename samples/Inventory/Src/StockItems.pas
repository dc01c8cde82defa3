unit StockItems;

interface

type
  TStockItem = class(TObject)
  private
    FName: string;
    FCount: Integer;
    FPrice: Double;
    function GetValue: Double;
  public
    constructor Create(const AName: string; ACount: Integer; APrice: Double);
    property Name: string read FName;
    property Count: Integer read FCount write FCount;
    property Price: Double read FPrice;
    property Value: Double read GetValue;
  end;

implementation

constructor TStockItem.Create(const AName: string; ACount: Integer; APrice: Double);
begin
  inherited Create;
  FName := AName;
  FCount := ACount;
  FPrice := APrice;
end;

function TStockItem.GetValue: Double;
begin
  Result := FCount * FPrice;
end;

end.
