unit UForm;

interface

uses
  Base, Ctrls, Extra;

type
  TForm1 = class(TFormX)
    Label1: TLabelX;
  end;

var
  Form1: TForm1;

implementation

{$R *.dfm}

end.
