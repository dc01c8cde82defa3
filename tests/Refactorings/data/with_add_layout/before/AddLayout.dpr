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
  I: Integer;
begin
  begin with H.Item do Inc(Value); end;
  I := 1; with H.Item do Inc(Value, I);
  if K > 0 then with H.Item do Inc(Value, 10);

  // Twice more.
  for I := 1 to 2 do
    with H.Item do
      Inc(Value, 100);
  repeat
    with H.Item do
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
