unit UComp2;

interface

uses
  Classes, UBtn, UBig;

type
  TComp2 = class(TComponent)
  published
    B1: TMyBtn;
    B2: TBigBtn;
    procedure B1Click(Sender: TObject);
  end;

implementation

{$IFNDEF FPC}
{$R *.dfm}
{$ENDIF}

procedure TComp2.B1Click(Sender: TObject);
begin
  WriteLn('Clicked ', TMyBtn(Sender).Name);
end;

end.
