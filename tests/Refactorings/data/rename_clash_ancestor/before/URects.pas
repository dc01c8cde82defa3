unit URects;

interface

uses
  UShapes;

type
  TRect = class(TShape)
  private
    FW: Integer;
    FH: Integer;
  public
    constructor Create(W, H: Integer);
    function Area: Integer; override;
  end;

  TSquare = class(TRect)
  private
    FSide: Integer;
  public
    constructor Create(Side: Integer);
  end;

implementation

constructor TRect.Create(W, H: Integer);
begin
  inherited Create;
  FW := W;
  FH := H;
  FSize := W + H;
end;

function TRect.Area: Integer;
begin
  Result := FW * FH;
end;

constructor TSquare.Create(Side: Integer);
begin
  inherited Create(Side, Side);
  FSide := Side;
end;

end.
