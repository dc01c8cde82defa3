program AddCase;

type
  TItem = class
    Value: Integer;
  end;

  THolder = class
    Item: TItem;
  end;

procedure Bump(Holder: THolder; Kind: Integer);
begin
  case Kind of
    1:
      with Holder.Item do
        Value := Value + 1;
    2: with Holder.Item do
      begin
        Value := Value + 2;
      end;
  else
    with Holder.Item do
      Value := 0;
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
