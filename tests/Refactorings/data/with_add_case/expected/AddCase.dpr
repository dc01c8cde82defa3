program AddCase;

type
  TItem = class
    Value: Integer;
  end;

  THolder = class
    Item: TItem;
  end;

procedure Bump(Holder: THolder; Kind: Integer);
var
  AItem2: TItem;
  AItem1: TItem;
  AItem: TItem;
begin
  case Kind of
    1:
    begin
      AItem := Holder.Item;
      with AItem do
        Value := Value + 1
    end;
    2: begin
      AItem1 := Holder.Item;
      with AItem1 do
      begin
        Value := Value + 2;
      end
    end;
  else
  begin
    AItem2 := Holder.Item;
    with AItem2 do
      Value := 0
  end;
  end;
end;

var
  H: THolder;
begin
  H := THolder.Create;
  H.Item := TItem.Create;
  Bump(H, 1);
  Bump(H, 2);
  Bump(H, 3);
  WriteLn(H.Item.Value);
  Bump(H, 2);
  WriteLn(H.Item.Value);
  H.Item.Free;
  H.Free;
end.
