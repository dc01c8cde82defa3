program Sums;

{$APPTYPE CONSOLE}

uses
  USums in 'USums.pas';

var
  V: Variant;
begin
  WriteLn(Sum(1));
  WriteLn(Sum(1, 2));
  WriteLn(Sum(Sum(3), 4));
  V := 5;
  WriteLn(Twice(V));
end.
