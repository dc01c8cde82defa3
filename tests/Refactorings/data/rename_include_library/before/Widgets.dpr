program Widgets;

{$APPTYPE CONSOLE}

uses
  UWidgets in 'UWidgets.pas';

var
  W: TWidget;
begin
  W := TWidget.Create(7);
  WriteLn(W.Describe, ' ', W.Width);
  W.Free;
end.
