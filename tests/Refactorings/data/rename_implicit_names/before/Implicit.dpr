program Implicit;

{$APPTYPE CONSOLE}

uses
  UPairs in 'UPairs.pas',
  UTexts in 'UTexts.pas';

var
  A, B: TPair;
begin
  A := TPair.Create(1);
  B := TPair.Create(2);
  A.Other := B;
  B.Other := A;
  WriteLn(A.Partner.Tag, ' ', B.Partner.Tag, ' ', A.Same.Tag);
  WriteLn(A.Counted, ' ', Doubled(4), ' ', Limit);
  ShowLimit;
  WriteLn(Twice('abc'));
end.
