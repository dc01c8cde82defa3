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
  Count: Integer;
begin
  Count := 7;
  with Holder.Item do
  begin
    Value := Count;
    Name := 'seven';
  end;
  if Count > 0 then
    with Holder.Item do
      Value := Value + 1;
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
