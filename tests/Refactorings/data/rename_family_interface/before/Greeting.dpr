program Greeting;

{$APPTYPE CONSOLE}

uses
  UGreetIntf, UGreet, UFan;

var
  G: IGreeter;
  H: IHelloer;
  P: TPolite;
  F: TFan;
  T: TTally;
  C: ICounter;
begin
  G := TGreeter.Create;
  G.Greet('Ann');
  G := TLoudGreeter.Create;
  G.Greet('Bob');
  H := TLoudGreeter.Create;
  H.Greet('Cy');
  H.Wave;
  P := TPolite.Create;
  P.Greet('Di');
  P.Bow;
  P.Free;
  F := TFan.Create;
  F.Shout;
  F.Free;
  T := TTally.Create;
  C := T;
  C.Count;
  T.Count;
end.
