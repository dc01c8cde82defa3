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
    X := X + 1;
  with TOuter(Any).Inner do
    X := X + 10;
  with (O).Inner do
    X := X + 100;
  with O.Inner{the inner one} do
    X := X + 1000;
  with O.Inner (* again *) do begin
    Name := 'inner';
  end;
  with (Any as TOuter).Inner do
    X := X + 10000;
  with Bag[0] do
    Name := Name + '+bag';
  with Bag.Items[0] do
    Name := Name + '+items';
  with TOuter(Any) do
    Inner.X := Inner.X + 100000;
  with TInner(List[0]) do
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
