program Hidden;

{$APPTYPE CONSOLE}

uses
  UA, UB, UC;

begin
  Run;
end.
