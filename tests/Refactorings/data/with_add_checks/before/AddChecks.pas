unit AddChecks;

interface

type
  TItem = class
    Value: Integer;
  end;

  THolder = class
    Item: TItem;
    function Make: TItem;
  end;

implementation

var
  G: THolder;

function THolder.Make: TItem;
begin
  Result := Item;
end;

procedure Directives;
begin
  with G.Item do
  begin
    {$IFDEF NEVER}Value := 1;{$ENDIF}
  end;
end;

procedure Labels;
label
  1;
begin
1:
  with G.Item do
    Value := 2;
end;

procedure Calls;
begin
  with G.Make do
    Value := 4;
end;

initialization
  with G.Item do
    Value := 3;
end.
