program Forms;

{$APPTYPE CONSOLE}
{$POINTERMATH ON}

uses
  Classes;

type
  TInner = class
    X: Integer;
    Name: string;
  end;

  TOuter = class
    Inner: TInner;
  end;

  TBag = class
  private
    FFirst: TInner;
    function GetItem(Index: Integer): TInner;
  public
    property Items[Index: Integer]: TInner read GetItem; default;
  end;

  THolder = record
    Obj: TInner;
  end;
  PHolder = ^THolder;

  TPair = record
    A, B: Integer;
  end;
  PPair = ^TPair;

var
  Holder: THolder;
  P: PHolder;
  O: TOuter;
  Any: TObject;
  Bag: TBag;
  List: TList;
  Pairs: array[0..2] of TPair;
  PP: PPair;

function TBag.GetItem(Index: Integer): TInner;
begin
  Result := FFirst;
end;

procedure Run;
var
  AInner8: TInner;
  AOuter: TOuter;
  AInner7: TInner;
  AInner6: TInner;
  AInner5: TInner;
  AInner4: TInner;
  AInner3: TInner;
  AInner2: TInner;
  AInner1: TInner;
  AInner: TInner;
begin
  AInner := P^.Obj;
  with AInner do
    X := X + 1;
  AInner1 := TOuter(Any).Inner;
  with AInner1 do
    X := X + 10;
  AInner2 := (O).Inner;
  with AInner2 do
    X := X + 100;
  AInner3 := O.Inner;
  with AInner3{the inner one} do
    X := X + 1000;
  AInner4 := O.Inner;
  with AInner4 (* again *) do begin
    Name := 'inner';
  end;
  AInner5 := (Any as TOuter).Inner;
  with AInner5 do
    X := X + 10000;
  AInner6 := Bag[0];
  with AInner6 do
    Name := Name + '+bag';
  AInner7 := Bag.Items[0];
  with AInner7 do
    Name := Name + '+items';
  AOuter := TOuter(Any);
  with AOuter do
    Inner.X := Inner.X + 100000;
  AInner8 := TInner(List[0]);
  with AInner8 do
    Name := Name + '+list';
  with PP[1] do
    B := A + 5;
end;

begin
  O := TOuter.Create;
  O.Inner := TInner.Create;
  Holder.Obj := O.Inner;
  P := @Holder;
  Any := O;
  Bag := TBag.Create;
  Bag.FFirst := O.Inner;
  List := TList.Create;
  List.Add(O.Inner);
  Pairs[1].A := 2;
  PP := @Pairs[0];
  Run;
  WriteLn(O.Inner.X, ' ', O.Inner.Name, ' ', Pairs[1].B);
end.
