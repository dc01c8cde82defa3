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
begin
  with P^.Obj do
    P^.Obj.X := P^.Obj.X + 1;
  with TOuter(Any).Inner do
    TOuter(Any).Inner.X := TOuter(Any).Inner.X + 10;
  with (O).Inner do
    (O).Inner.X := (O).Inner.X + 100;
  with O.Inner{the inner one} do
    O.Inner.X := O.Inner.X + 1000;
  with O.Inner (* again *) do begin
    O.Inner.Name := 'inner';
  end;
  with (Any as TOuter).Inner do
    (Any as TOuter).Inner.X := (Any as TOuter).Inner.X + 10000;
  with Bag[0] do
    Bag[0].Name := Bag[0].Name + '+bag';
  with Bag.Items[0] do
    Bag.Items[0].Name := Bag.Items[0].Name + '+items';
  with TOuter(Any) do
    TOuter(Any).Inner.X := TOuter(Any).Inner.X + 100000;
  with TInner(List[0]) do
    TInner(List[0]).Name := TInner(List[0]).Name + '+list';
  with PP[1] do
    PP[1].B := PP[1].A + 5;
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
