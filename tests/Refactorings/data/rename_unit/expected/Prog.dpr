program Prog;

uses
  Bar in 'src\Bar.pas';

begin
  Bar.Hello;
end.
