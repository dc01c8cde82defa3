program Events;

{$APPTYPE CONSOLE}

uses
  UEvents;

var
  B: TButton;
begin
  B := TButton.Create;
  B.OnClick := B.Report;
  B.Click;
  B.Free;
end.
