program RemoveDefault;

{$APPTYPE CONSOLE}

type
  TItem = class
    Name: string;
  end;

  TBag = class
  private
    FItems: array[0..1] of TItem;
    function GetItem(Index: Integer): TItem;
  public
    constructor Create;
    property Items[Index: Integer]: TItem read GetItem; default;
  end;

constructor TBag.Create;
begin
  FItems[0] := TItem.Create;
  FItems[1] := TItem.Create;
end;

function TBag.GetItem(Index: Integer): TItem;
begin
  Result := FItems[Index];
end;

var
  Bag: TBag;

begin
  Bag := TBag.Create;
  with Bag[0] do
    Name := 'first';
  with Bag[1] do
    Bag[1].Name := 'second';
  WriteLn(Bag[0].Name, ' ', Bag[1].Name);
end.
