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

procedure Target;
begin
end;

end.
