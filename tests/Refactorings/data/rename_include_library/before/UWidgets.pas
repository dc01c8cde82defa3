unit UWidgets;

{$I shared.inc}

interface

type
  TWidget = class
  private
    FWidth: Integer;
  public
    constructor Create(AWidth: Integer);
    function Describe: string;
    property Width: Integer read FWidth;
  end;

implementation

uses
  SysUtils;

constructor TWidget.Create(AWidth: Integer);
begin
  inherited Create;
  FWidth := AWidth;
end;

{$IFDEF WIDGET_FRAMES}
function Framed(const S: string): string;
begin
  Result := '[' + S + ']';
end;
{$ENDIF}

function TWidget.Describe: string;
begin
{$IFDEF WIDGET_FRAMES}
  Result := Framed(IntToStr(FWidth));
{$ELSE}
  Result := 'plain';
{$ENDIF}
end;

end.
