program AddNames;

type
  TItem = class
    Value: Integer;
    AItem1: Integer;
  end;

  THolder = class
    Item: TItem;
  end;

var
  AItem2: Integer;

procedure Run(H: THolder; AItem: Integer);
begin
  with H.Item do
    Value := AItem;
  with H.Item do
    Value := Value * 2;
end;

var
  H: THolder;
begin
  H := THolder.Create;
  H.Item := TItem.Create;
  Run(H, 21);
  WriteLn(H.Item.Value);
  H.Item.Free;
  H.Free;
end.
