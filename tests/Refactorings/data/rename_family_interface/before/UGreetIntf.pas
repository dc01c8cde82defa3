unit UGreetIntf;

interface

type
  IGreeter = interface
    ['{6B0D4E52-6C1B-4C7E-9D5A-2F3C1A7B8E01}']
    procedure Greet(const Name: string);
  end;

  IHelloer = interface(IGreeter)
    ['{6B0D4E52-6C1B-4C7E-9D5A-2F3C1A7B8E02}']
    procedure Wave;
  end;

  ICounter = interface
    ['{6B0D4E52-6C1B-4C7E-9D5A-2F3C1A7B8E03}']
    procedure Count;
  end;

procedure Salute(const Name: string);

implementation

procedure Salute(const Name: string);
begin
  WriteLn('Salute, ', Name);
end;

end.
