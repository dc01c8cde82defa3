program Scales;

{$APPTYPE CONSOLE}

uses
  UScalers, UScalers2;

var
  Items: array[0..2] of TScaler;
  I: Integer;
begin
  Items[0] := TScaler.Create;
  Items[1] := TDoubler.Create;
  Items[2] := TTripler.Create;
  for I := 0 to 2 do
    WriteLn(Items[I].Scale(3), ' ', Items[I].Scale(3, 4));
  for I := 0 to 2 do
    Items[I].Free;
end.
