unit Fuzz;

interface

uses SysUtils;

type
  TShape = class
  private
    FName: string;
  public
    constructor Create(const AName: string);
    function Area: Double; virtual; abstract;
    property Name: string read FName write FName;
  end;

  IThing = interface
    ['{11111111-2222-3333-4444-555555555555}']
    procedure Go;
  end;

var
  GlobalCount: Integer;

const
  Greeting = 'Hello';

implementation

uses A, B;

{$I app.inc}

constructor TShape.Create(const AName: string);
begin
  inherited Create;
  FName := AName;
  with FormA do
    Button1Click(nil);
  BValue := IncConst + SelfConst;
end;

initialization
  GlobalCount := 0;
end.
