program Inherit;

{$APPTYPE CONSOLE}

type
  TBase = class
    Value: Integer;
    procedure Reset;
    procedure Clear;
  end;

  TDerived = class(TBase)
    procedure Reset;
    procedure Clear;
  end;

procedure TBase.Reset;
begin
  Value := 0;
end;

procedure TBase.Clear;
begin
  Value := -1;
end;

procedure TDerived.Reset;
begin
  inherited;
  Value := Value + 1;
end;

procedure TDerived.Clear;
begin
  inherited Clear;
end;

var
  D: TDerived;
begin
  D := TDerived.Create;
  D.Reset;
  WriteLn(D.Value);
  D.Clear;
  WriteLn(D.Value);
  D.Free;
end.
