unit UFigures;

interface

type
  PFigure = ^TFigure;
  TFigure = object
    FSide: Integer;
    constructor Init(Side: Integer);
    function Area: Integer; virtual;
    function Caption: string;
    procedure Show;
  end;

implementation

constructor TFigure.Init(Side: Integer);
begin
  FSide := Side;
end;

function TFigure.Area: Integer;
begin
  Result := 1;
end;

function TFigure.Caption: string;
begin
  Result := 'figure';
end;

procedure TFigure.Show;
begin
  inherited;
  WriteLn('area ', Area);
end;

end.
