unit UCar;

interface

uses
  UEngine;

type
  TMotor = TEngine;

  TCar = class
    Motor: TMotor;
    constructor Create;
  end;

implementation

constructor TCar.Create;
begin
  Motor := TMotor.Create;
end;

end.
