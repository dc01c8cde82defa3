unit UTasks;

interface

uses
  Classes, ULib;

type
  TMyTask = class(TLibBase)
  public
    destructor Destroy; override;
    procedure Run; override;
  end;

  TJob = class(TInterfacedObject, ILibTask)
  public
    procedure Execute;
  end;

  TNames = class(TStringList)
  protected
    procedure Changed; override;
  end;

  TStreamer = class(TInterfacedPersistent, IStreamPersist)
  public
    procedure LoadFromStream(Stream: TStream);
    procedure SaveToStream(Stream: TStream);
  end;

implementation

destructor TMyTask.Destroy;
begin
  WriteLn('task done');
  inherited Destroy;
end;

procedure TMyTask.Run;
begin
  inherited Run;
  WriteLn('my run');
end;

procedure TJob.Execute;
begin
  WriteLn('job');
end;

procedure TNames.Changed;
begin
  inherited Changed;
end;

procedure TStreamer.LoadFromStream(Stream: TStream);
begin
end;

procedure TStreamer.SaveToStream(Stream: TStream);
begin
  WriteLn('saved');
end;

end.
