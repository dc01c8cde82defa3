unit UFan;

interface

uses
  UGreet;

type
  TFan = class(TGreeter)
  public
    procedure Shout;
  end;

procedure Cheer(const S: string);

implementation

procedure Cheer(const S: string);
begin
  WriteLn('cheer ', S);
end;

procedure TFan.Shout;
begin
  Cheer('fan');
end;

end.
