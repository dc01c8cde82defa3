program Forms2;

uses
  Forms,
  UBaseForm in 'UBaseForm.pas',
  UMain in 'UMain.pas' {Form1};

{$R *.res}

begin
  Application.Initialize;
  Application.CreateForm(TForm1, Form1);
  Application.Run;
end.
