unit UGreet;

interface

uses
  UGreetIntf;

type
  TPolite = class(TInterfacedObject)
  public
    procedure Greet(const Name: string); virtual;
    procedure Bow;
  end;

  TGreeter = class(TPolite, IGreeter)
  end;

  TLoudGreeter = class(TPolite, IGreeter, IHelloer)
  public
    procedure Greet(const Name: string); override;
    procedure Wave;
  end;

  // Its Count is not the interface's.
  TTally = class(TInterfacedObject, ICounter)
  public
    Total: Integer;
    procedure ICounter.Count = Tally;
    procedure Tally;
    procedure Count;
  end;

implementation

procedure TTally.Tally;
begin
  Total := Total + 1;
end;

procedure TTally.Count;
begin
  WriteLn('count ', Total);
end;

procedure TPolite.Bow;
begin
  Salute('bow');
end;

procedure TPolite.Greet(const Name: string);
begin
  WriteLn('Hello, ', Name);
end;

procedure TLoudGreeter.Greet(const Name: string);
begin
  inherited Greet(Name + '!');
end;

procedure TLoudGreeter.Wave;
begin
  WriteLn('(waves)');
end;

end.
