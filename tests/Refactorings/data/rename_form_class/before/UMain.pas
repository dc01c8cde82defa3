unit UMain;

interface

uses
  Windows, Classes, Forms;

type
  TForm1 = class(TForm)
  private
    FClicks: Integer;
  public
    procedure Count;
  end;

var
  Form1: TForm1;

implementation

{$R *.dfm}

procedure TForm1.Count;
begin
  Inc(FClicks);
end;

end.
