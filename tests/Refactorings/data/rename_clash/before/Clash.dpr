program Clash;

{$APPTYPE CONSOLE}

uses
  SysUtils,
  ULimits in 'ULimits.pas',
  UCaps in 'UCaps.pas';

type
  TCounter = class
    FCount: Integer;
    procedure Bump;
  end;

  TPair = record
    Size: Integer;
    Width: Integer;
  end;

var
  gCount: Integer;
  Step: Integer;
  Pair: TPair;

procedure TCounter.Bump;
begin
  FCount := FCount + 1;
  gCount := gCount + 10;
end;

function Helper(I: Integer): Integer;
begin
  Result := I + 1;
end;

procedure UseHelper;
var
  Helper2: Integer;
begin
  Helper2 := Helper(4);
  WriteLn(Helper2);
end;

procedure UsePair;
begin
  with Pair do
    Size := Step * 2;
  WriteLn(Pair.Size);
end;

procedure Guard;
var
  Msg: string;
begin
  Msg := 'caught';
  try
    raise Exception.Create('boom');
  except
    on E: Exception do
      WriteLn(Msg, ' ', E.Message);
  end;
end;

var
  C: TCounter;
begin
  Step := 3;
  Pair.Width := 5;
  C := TCounter.Create;
  C.Bump;
  WriteLn(C.FCount, ' ', gCount);
  C.Free;
  UseHelper;
  UsePair;
  Guard;
  WriteLn(Limit, ' ', Cap);
end.
