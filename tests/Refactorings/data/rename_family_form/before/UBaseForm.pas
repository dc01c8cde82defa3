unit UBaseForm;

interface

uses
  Classes, Forms;

type
  TBaseForm = class(TForm)
  protected
    FPresses: Integer;
  published
    procedure ButtonClick(Sender: TObject); virtual;
  end;

implementation

procedure TBaseForm.ButtonClick(Sender: TObject);
begin
  Inc(FPresses);
end;

end.
