unit ShopTypes;

interface

type
  TItem = record
    Name: string;
    Count: Integer;
    Price: Double;
    Note: string;
  end;
  PItem = ^TItem;

  IPriced = interface
    ['{3F2504E0-4F89-11D3-9A0C-0305E82C3301}']
    function Value: Double;
  end;

  ITaxed = interface(IPriced)
    ['{3F2504E0-4F89-11D3-9A0C-0305E82C3301}']
    function Tax: Double;
  end;

  ILabelled = interface
    function Caption: string;
  end;

const
  MAXITEMS = 100;
  DefaultNote = 'none';

function MakeItem(aName: string; aCount: Integer; aPrice: Double): TItem;
procedure Report(const aText: string; aValue: Double);

var
  gLastReport: string;

implementation

procedure Report(const aText: string; aValue: Double);
var
  vLine: string;
begin
  gLastReport := aText;
end;

function MakeItem(aName: string; aCount: Integer; aPrice: Double): TItem;
begin
  MakeItem.Name := aName;
  Result.Count := aCount;
  Result.Price := aPrice;
end;

end.
