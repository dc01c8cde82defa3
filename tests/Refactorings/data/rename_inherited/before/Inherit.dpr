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

  // One virtual family: the override's bare inherited calls the ancestor.
  TTicker = class
    Ticks: Integer;
    procedure Tick; virtual;
    procedure Show;
  end;

  TFastTicker = class(TTicker)
    procedure Tick; override;
    procedure Show; virtual;
  end;

  TFastestTicker = class(TFastTicker)
    procedure Show; override;
  end;

  // Hides the family's Tick; its bare inherited calls TFastTicker.Tick.
  TQuietTicker = class(TFastTicker)
    procedure Tick;
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

procedure TTicker.Tick;
begin
  Ticks := Ticks + 1;
end;

procedure TTicker.Show;
begin
  WriteLn('ticks ', Ticks);
end;

procedure TFastTicker.Tick;
begin
  inherited;
  inherited Tick;
end;

procedure TFastTicker.Show;
begin
  inherited;
end;

procedure TFastestTicker.Show;
begin
  Write('fastest ');
  inherited Show;
end;

procedure TQuietTicker.Tick;
begin
  inherited;
end;

var
  D: TDerived;
  T: TTicker;
  F: TFastTicker;
  Q: TQuietTicker;
begin
  T := TFastTicker.Create;
  T.Tick;
  T.Show;
  T.Free;
  F := TFastestTicker.Create;
  F.Tick;
  F.Show;
  F.Free;
  Q := TQuietTicker.Create;
  Q.Tick;
  Q.Show;
  Q.Free;
  D := TDerived.Create;
  D.Reset;
  WriteLn(D.Value);
  D.Clear;
  WriteLn(D.Value);
  D.Free;
end.
