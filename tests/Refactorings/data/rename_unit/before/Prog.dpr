program Prog;

uses
  Foo in 'src\foo.pas';

begin
  Foo.Hello;
end.
