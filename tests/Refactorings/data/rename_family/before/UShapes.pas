unit UShapes;

interface

type
  TShape = class
  public
    function Area: Integer; virtual;
    procedure Describe; virtual;
    function Twice: Integer;
  end;

  TSquare = class(TShape)
  private
    FSide: Integer;
  public
    constructor Create(Side: Integer);
    function Area: Integer; override;
  end;

implementation

function TShape.Area: Integer;
begin
  Area := 0;
end;

procedure TShape.Describe;
begin
  WriteLn('shape of ', Area);
end;

function TShape.Twice: Integer;
begin
  Result := 2 * Area;
end;

constructor TSquare.Create(Side: Integer);
begin
  FSide := Side;
end;

function TSquare.Area: Integer;
begin
  Result := FSide * FSide + inherited Area;
end;

end.
