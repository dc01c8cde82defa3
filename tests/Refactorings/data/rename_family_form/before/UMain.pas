unit UMain;

interface

uses
  Windows, SysUtils, Classes, Forms, StdCtrls, UBaseForm;

type
  TForm1 = class(TBaseForm)
    Button1: TButton;
  published
    procedure ButtonClick(Sender: TObject); override;
  end;

var
  Form1: TForm1;

implementation

{$R *.dfm}

procedure TForm1.ButtonClick(Sender: TObject);
begin
  inherited ButtonClick(Sender);
  Caption := IntToStr(FPresses);
end;

end.
