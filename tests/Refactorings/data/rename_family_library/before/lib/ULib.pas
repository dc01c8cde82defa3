unit ULib;

interface

type
  TLibBase = class
  public
    procedure Run; virtual;
  end;

  ILibTask = interface
    ['{0C5E8F3A-7D21-4B6E-A1C9-3E4F5A6B7C01}']
    procedure Execute;
  end;

implementation

procedure TLibBase.Run;
begin
  WriteLn('library run');
end;

end.
