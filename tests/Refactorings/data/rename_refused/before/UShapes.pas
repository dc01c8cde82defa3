unit UShapes;

interface

type
  IRunner = interface
    procedure Go;
  end;

  TBase = class
    A: Integer;
    procedure Run; virtual;
    procedure Plain;
  end;

  TDerived = class(TBase)
    B: Integer;
    procedure Run; override;
  end;

  TImpl = class(TBase, IRunner)
    procedure Go;
  end;

  TRow = class
    function GetCell(I: Integer): Integer;
    property Cells[I: Integer]: Integer read GetCell; default;
  end;

procedure Target;

implementation

procedure TBase.Run;
begin
end;

procedure TBase.Plain;
begin
end;

procedure TDerived.Run;
begin
end;

procedure TImpl.Go;
begin
end;

function TRow.GetCell(I: Integer): Integer;
begin
  Result := I;
end;

procedure Target;
var
  R: TRow;
begin
  R := nil;
  if R[1] = R.Cells[2] then
    Target;
end;

end.
