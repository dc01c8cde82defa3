unit UShapes;

interface

type
  TShape = class
  protected
    FSize: Integer;
  public
    function Area: Integer; virtual;
    property Size: Integer read FSize;
  end;

implementation

function TShape.Area: Integer;
begin
  Result := FSize;
end;

end.
