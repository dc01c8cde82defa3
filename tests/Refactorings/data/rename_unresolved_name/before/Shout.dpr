program Shout;

{$APPTYPE CONSOLE}

uses
  UText in 'UText.pas',
  UOther in 'UOther.pas';

begin
  WriteLn(Wrap('a'));
  WriteLn(Loud('abc'));
  WriteLn(Pad('b', 3));
  Report;
end.
