program WithTypes;

{$APPTYPE CONSOLE}

type
  TCell = class
    Value: Integer;
  end;

  TSheet = class
  private
    FCells: array[0..1] of TCell;
    function GetCell(I: Integer): TCell;
  public
    Total: Integer;
    constructor Create;
    function First: TCell;
    procedure Sum;
    property Items[I: Integer]: TCell read GetCell;
  end;

var
  Cells: array[0..1] of TCell;

constructor TSheet.Create;
begin
  FCells[0] := Cells[1];
  FCells[1] := Cells[0];
end;

function TSheet.GetCell(I: Integer): TCell;
begin
  Result := FCells[I];
end;

function TSheet.First: TCell;
begin
  Result := FCells[0];
end;

procedure TSheet.Sum;
var
  I: Integer;
begin
  with Self do
    Total := 0;
  for I := 0 to 1 do
    with Items[I] do
      Total := Total + Value;
  with First do
    Value := Value + 1;
end;

function GetFoo: TCell;
begin
  Result := Cells[0];
end;

var
  S: TSheet;
  I: Integer;
begin
  Cells[0] := TCell.Create;
  Cells[1] := TCell.Create;
  for I := 0 to 1 do
    with Cells[I] do
      Value := I + 1;
  with GetFoo do
    Value := Value * 10;
  S := TSheet.Create;
  S.Sum;
  WriteLn(Cells[0].Value, ' ', Cells[1].Value, ' ', S.Total);
end.
