program Tasks;

{$APPTYPE CONSOLE}

uses
  Classes, ULib, UTasks;

var
  T: TMyTask;
  J: ILibTask;
  S: TStreamer;
begin
  T := TMyTask.Create;
  T.Run;
  T.Free;
  J := TJob.Create;
  J.Execute;
  S := TStreamer.Create;
  S.SaveToStream(nil);
  S.Free;
end.
