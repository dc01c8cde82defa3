program Hidden;

{$APPTYPE CONSOLE}

uses
  UBytes in 'UBytes.pas',
  UColors in 'UColors.pas';

begin
  WriteLn(SwapWordBE(1));
  WriteLn(Ord(DefaultFormat));
  WriteLn(Shade);
end.
