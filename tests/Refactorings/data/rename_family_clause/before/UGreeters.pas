unit UGreeters;

interface

type
  IGreeter = interface
    ['{0F4A2C61-7E3B-4D19-A5C8-3B6E9D1F2A47}']
    function Greet(const Name: string): string;
  end;

  TGreeter = class(TInterfacedObject, IGreeter)
  public
    function IGreeter.Greet = SayHello;
    function SayHello(const Name: string): string;
    function Greet(const Name: string): string;
  end;

  TQuiet = class(TInterfacedObject, IGreeter)
  protected
    function Mumble(const Name: string): string;
  public
    function IGreeter.Greet = Mumble;
  end;

  TPlain = class(TInterfacedObject, IGreeter)
  public
    function Greet(const Name: string): string;
  end;

implementation

function TGreeter.SayHello(const Name: string): string;
begin
  Result := 'Hello, ' + Name;
end;

function TGreeter.Greet(const Name: string): string;
begin
  Result := 'Hi ' + Name;
end;

function TQuiet.Mumble(const Name: string): string;
begin
  Result := '(' + Name + ')';
end;

function TPlain.Greet(const Name: string): string;
begin
  Result := 'Plain ' + Name;
end;

end.
