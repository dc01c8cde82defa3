unit Shapes;

interface

uses
  Helpers;

type
  TColor = (clRed, clGreen, clBlue);
  TPoint2 = record
    X, Y: Integer;
  end;
  TShape = class;
  IDrawable = interface
    ['{11111111-2222-3333-4444-555555555555}']
    procedure Draw;
  end;
  TShape = class(TObject, IDrawable)
  private
    FColor: TColor;
    FName: string;
  strict protected
    function GetArea: Double; virtual; abstract;
  public
    constructor Create(const AName: string);
    procedure Draw;
    property Color: TColor read FColor write FColor;
    property Area: Double read GetArea;
  end;
  TSquare = class(TShape)
  protected
    function GetArea: Double; override;
  published
    property Color;
  end;
  TShapeClass = class of TShape;
  TColors = set of TColor;
  TGrid = array[0..3] of TPoint2;
  PPoint2 = ^TPoint2;

const
  MaxShapes = 10;
  Title: string = 'Shapes';

function Scale(Value: Integer): Integer; overload;
function Scale(const S: string): string; overload;

implementation

type
  THidden = class
  end;

var
  Hidden: Integer;

constructor TShape.Create(const AName: string);
begin
  FName := AName;
end;

procedure TShape.Draw;
begin
end;

function TSquare.GetArea: Double;
begin
  Result := 1.0;
end;

function Scale(Value: Integer): Integer;
begin
  Result := Value * 2;
end;

function Scale(const S: string): string;
begin
  Result := S + S;
end;

end.
