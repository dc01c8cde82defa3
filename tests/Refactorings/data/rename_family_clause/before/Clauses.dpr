program Clauses;

{$APPTYPE CONSOLE}

uses
  UGreeters in 'UGreeters.pas';

var
  G: IGreeter;
  Polite: TGreeter;
begin
  G := TGreeter.Create;
  WriteLn(G.Greet('Ann'));
  G := TQuiet.Create;
  WriteLn(G.Greet('Al'));
  G := TPlain.Create;
  WriteLn(G.Greet('Bob'));
  Polite := TGreeter.Create;
  G := Polite;
  WriteLn(Polite.SayHello('Cy'), ' ', Polite.Greet('Di'), ' ', G.Greet('Ed'));
end.
