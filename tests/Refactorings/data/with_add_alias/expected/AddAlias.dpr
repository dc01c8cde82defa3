program AddAlias;

{$APPTYPE CONSOLE}

uses
  UCar;

var
  AMotor: TMotor;
  Car: TCar;

begin
  Car := TCar.Create;
  AMotor := Car.Motor;
  with AMotor do
    Power := 120;
  WriteLn(Car.Motor.Power);
end.
