program Names;

uses
  UNames, UHelp;

begin
  WriteLn(Shout('a'));
end.
