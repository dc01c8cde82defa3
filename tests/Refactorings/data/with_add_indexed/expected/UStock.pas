unit UStock;

interface

type
  TStockItem = class
    Code: string;
    Qty: Integer;
  end;

  TPoint3 = record
    X, Y, Z: Integer;
  end;

  TStock = class
  private
    FItems: array of TStockItem;
  public
    procedure Fill(Count: Integer);
    procedure Bump;
    function Total: Integer;
  end;

var
  gArr: array[0..3] of TPoint3;

procedure Shift(Idx: Integer);

implementation

procedure Shift(Idx: Integer);
begin
  with gArr[Idx] do
    X := X + 1;
end;

procedure TStock.Fill(Count: Integer);
var
  i: Integer;
begin
  SetLength(FItems, Count);
  for i := 0 to Count - 1 do
    FItems[i] := TStockItem.Create;
end;

procedure TStock.Bump;
var
  AStockItem: TStockItem;
  i: Integer;
begin
  for i := 0 to High(FItems) do
  begin
    AStockItem := FItems[i];
    with AStockItem do
    begin
      Qty := Qty + i;
      Code := 'S';
    end
  end;
end;

function TStock.Total: Integer;
var
  i: Integer;
begin
  Result := 0;
  for i := 0 to High(FItems) do
    Result := Result + FItems[i].Qty;
end;

end.
