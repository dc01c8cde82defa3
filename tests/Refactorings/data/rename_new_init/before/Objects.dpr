program Objects;

{$APPTYPE CONSOLE}

uses
  UCounter in 'UCounter.pas';

var
  P: PCounter;
  Q: PCounter;

begin
  New(P, Init(5));
  P^.Step;
  WriteLn(P^.Value);
  Q := New(PCounter, Init(7));
  WriteLn(Q^.Value);
  Dispose(Q, Done);
  Dispose(P, Done);
  WriteLn(Finished);
end.
