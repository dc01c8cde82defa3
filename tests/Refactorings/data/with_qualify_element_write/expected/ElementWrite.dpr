program ElementWrite;

{$APPTYPE CONSOLE}

type
  TGrid = class
  private
    FCells: array[0..3] of Integer;
    function GetCell(I: Integer): Integer;
    procedure SetCell(I: Integer; V: Integer);
  public
    Count: Integer;
    property Cells[I: Integer]: Integer read GetCell write SetCell; default;
  end;

function TGrid.GetCell(I: Integer): Integer;
begin
  Result := FCells[I];
end;

procedure TGrid.SetCell(I: Integer; V: Integer);
begin
  FCells[I] := V;
end;

var
  G, H: TGrid;

// An element written through the with-expression leaves it naming the same
// object.
procedure Fill;
begin
  with G do
  begin
    G[0] := 5;
    G.Count := G.Count + 1;
  end;
end;

// The with-expression's own variable is given another object: the members
// after that belong to the object the statement started with.
procedure Swap;
begin
  with G do
  begin
    G := H;
    Count := Count + 10;
  end;
end;

begin
  G := TGrid.Create;
  H := TGrid.Create;
  Fill;
  Swap;
  WriteLn(H[0], ' ', H.Count);
  G := H;
  Fill;
  WriteLn(G[0], ' ', G.Count);
end.
