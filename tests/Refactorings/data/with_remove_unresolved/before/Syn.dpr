program Syn;

{$APPTYPE CONSOLE}

uses
  UReader;

type
  TTally = class
    Total: Integer;
  end;

var
  reader: TReader;
  tally: TTally;

procedure Run;
begin
  with reader do
  begin
    Validate;
    Validate;
    tally.Total := Count;
  end;
  with tally do
    tally.Total := tally.Total * 10;
end;

begin
  reader := TReader.Create;
  tally := TTally.Create;
  Run;
  WriteLn(tally.Total);
end.
