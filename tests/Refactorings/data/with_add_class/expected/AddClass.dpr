program AddClass;

type
  TItem = class
    Value: Integer;
    Name: string;
  end;

  THolder = class
    Item: TItem;
  end;

procedure Fill(Holder: THolder);
var
  AItem1: TItem;
  AItem: TItem;
  Count: Integer;
begin
  Count := 7;
  AItem := Holder.Item;
  with AItem do
  begin
    Value := Count;
    Name := 'seven';
  end;
  if Count > 0 then
  begin
    AItem1 := Holder.Item;
    with AItem1 do
      Value := Value + 1
  end;
end;

var
  H: THolder;
begin
  H := THolder.Create;
  H.Item := TItem.Create;
  Fill(H);
  WriteLn(H.Item.Value, ' ', H.Item.Name);
  H.Item.Free;
  H.Free;
end.
