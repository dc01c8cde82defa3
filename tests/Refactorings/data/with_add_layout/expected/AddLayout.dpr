program AddLayout;

{$APPTYPE CONSOLE}

type
  TItem = class
    Value: Integer;
  end;

  THolder = class
    Item: TItem;
  end;

procedure Bump(H: THolder; K: Integer);
var
  AItem4: TItem;
  AItem3: TItem;
  AItem2: TItem;
  AItem1: TItem;
  AItem: TItem;
  I: Integer;
begin
  begin
    AItem := H.Item;
    with AItem do Inc(Value); end;
  I := 1;
  AItem1 := H.Item;
  with AItem1 do Inc(Value, I);
  if K > 0 then begin
    AItem2 := H.Item;
    with AItem2 do Inc(Value, 10)
  end;

  // Twice more.
  for I := 1 to 2 do
  begin
    AItem3 := H.Item;
    with AItem3 do
      Inc(Value, 100)
  end;
  repeat
    AItem4 := H.Item;
    with AItem4 do
    begin
      Inc(Value, 1000);
      Dec(K);
    end
  until K <= 0;
end;

var
  H: THolder;
begin
  H := THolder.Create;
  H.Item := TItem.Create;
  Bump(H, 1);
  WriteLn(H.Item.Value);
  Bump(H, 0);
  WriteLn(H.Item.Value);
end.
