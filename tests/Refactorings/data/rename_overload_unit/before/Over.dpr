program Over;

{$APPTYPE CONSOLE}

uses
  Classes,
  UGen in 'UGen.pas';

type
  TNames = class(TStringList)
  public
    property Sorted;
  end;

var
  E: Integer;
  N: TNames;
begin
  if Gen('a', 2, E) then
    WriteLn(E);
  WriteLn(Gen('b', 3));
  N := TNames.Create;
  N.Sorted := True;
  N.Add('b');
  N.Add('a');
  WriteLn(N[0]);
  N.Free;
end.
