program AddAlias;

{$APPTYPE CONSOLE}

uses
  UCar;

var
  Car: TCar;

begin
  Car := TCar.Create;
  with Car.Motor do
    Power := 120;
  WriteLn(Car.Motor.Power);
end.
