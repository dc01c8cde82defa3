unit UBoxes;

interface

uses
  UFigures;

type
  TBox = object(TFigure)
    function Area: Integer; virtual;
    function Caption: string;
  end;

  TCrate = object(TBox)
    function Area: Integer; virtual;
  end;

implementation

function TBox.Area: Integer;
begin
  Result := FSide * FSide + inherited Area;
end;

function TBox.Caption: string;
begin
  Result := 'box of ' + inherited Caption;
end;

function TCrate.Area: Integer;
begin
  Result := 10 * inherited Area;
end;

end.
