unit UCircle;

interface

uses
  UShapes;

type
  TCircle = class(TShape)
  private
    FRadius: Integer;
  public
    constructor Create(Radius: Integer);
    function Area: Integer; override;
    procedure Describe; override;
  end;

  TRing = class(TCircle)
  public
    function Area: Integer; override;
  end;

implementation

constructor TCircle.Create(Radius: Integer);
begin
  FRadius := Radius;
end;

function TCircle.Area: Integer;
begin
  Area := 3 * FRadius * FRadius;
end;

procedure TCircle.Describe;
begin
  Write('circle, ');
  inherited;
end;

function TRing.Area: Integer;
begin
  Result := inherited Area - 3;
end;

end.
