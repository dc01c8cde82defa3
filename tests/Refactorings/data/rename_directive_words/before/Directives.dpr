program Directives;

{$APPTYPE CONSOLE}

uses
  UCells in 'UCells.pas';

var
  Cells: TCells;
  Watcher: TWatcher;
  Msg: TNotifyMsg;
begin
  Cells := TCells.Create;
  Cells.Index := 2;
  WriteLn(Cells.First, ' ', Cells.Second, ' ', Cells.Index);
  Cells.Free;
  Watcher := TWatcher.Create;
  Msg.Msg := CM_NOTIFY;
  Msg.Value := 7;
  Watcher.Dispatch(Msg);
  Msg.Msg := CM_RESET;
  Watcher.Dispatch(Msg);
  WriteLn(Watcher.Total);
  Watcher.Free;
end.
