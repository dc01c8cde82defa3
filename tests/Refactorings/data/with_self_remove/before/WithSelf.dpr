program WithSelf;

{$APPTYPE CONSOLE}

type
  TPart = class
    Size: Integer;
  end;

  TMachine = class
    Count: Integer;
    Part: TPart;
    procedure Step;
    procedure Grow;
  end;

var
  Machine: TMachine;

procedure TMachine.Step;
var
  Count: Integer;
begin
  Count := 100;
  with Self do
  begin
    Self.Count := Self.Count + 1;
    Part.Size := Part.Size + Count;
  end;
  WriteLn(Count);
end;

procedure TMachine.Grow;
begin
  with Self.Part do
    Self.Part.Size := Self.Part.Size * 2;
end;

begin
  Machine := TMachine.Create;
  Machine.Part := TPart.Create;
  Machine.Step;
  Machine.Grow;
  WriteLn(Machine.Count, ' ', Machine.Part.Size);
  Machine.Part.Free;
  Machine.Free;
end.
