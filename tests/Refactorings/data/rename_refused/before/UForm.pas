unit UForm;

interface

type
  TForm1 = class
    procedure FormClick(Sender: TObject);
  end;

implementation

{$R *.dfm}

procedure TForm1.FormClick(Sender: TObject);
begin
end;

end.
