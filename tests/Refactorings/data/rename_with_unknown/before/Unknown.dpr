program Unknown;

uses
  Forms;

procedure Report;
begin
end;

var
  F: TForm;
begin
  with F do
    Report;
end.
