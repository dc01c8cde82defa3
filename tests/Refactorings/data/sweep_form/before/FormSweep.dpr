program FormSweep;

uses
  Base in 'Base.pas',
  Ctrls in 'Ctrls.pas',
  Extra in 'Extra.pas',
  UForm in 'UForm.pas';

begin
  Form1 := TForm1.Create;
end.
