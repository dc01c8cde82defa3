program Nodes;

{$APPTYPE CONSOLE}

type
  PNode = ^TNode;
  TNode = record
    Value: Integer;
    Next: PNode;
  end;

  TTree = class;

  TLeaf = class
    Owner: TTree;
  end;

  TTree = class
    Count: Integer;
    function Add: TLeaf;
  end;

  TTreeClass = class of TTree;

function TTree.Add: TLeaf;
begin
  Result := TLeaf.Create;
  Result.Owner := Self;
  Inc(Count);
end;

var
  A, B: TNode;
  P: PNode;
  Tree: TTree;
  Kind: TTreeClass;
  Leaf: TLeaf;
begin
  A.Value := 1;
  B.Value := 2;
  A.Next := @B;
  B.Next := nil;
  P := @A;
  while P <> nil do
  begin
    WriteLn(P^.Value);
    P := P^.Next;
  end;
  Kind := TTree;
  Tree := Kind.Create;
  Leaf := Tree.Add;
  WriteLn(Leaf.Owner.Count);
  Leaf.Free;
  Tree.Free;
end.
