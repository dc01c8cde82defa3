unit Seed;

{$IFDEF X}{$DEFINE Y}{$ELSE}{$UNDEF Y}{$ENDIF}
interface

uses SysUtils;

type
  TFoo = class(TObject)
  strict private
    FBar: Integer;
  public
    property Bar: Integer read FBar write FBar;
  end;

implementation

{$R *.res}
{$I inc.inc}
const S = 'it''s'; C = #13#$0A; F = 1.5E-3; R = 1..9;
end.
