program Members;

{$APPTYPE CONSOLE}

type
  TCell = record
    Value: Integer;
  end;

  IRunner = interface
    procedure Go;
  end;

  TList2 = class
  private
    FItems: array[0..3] of Integer;
    function GetItem(I: Integer): Integer;
    procedure SetItem(I: Integer; V: Integer);
  public
    procedure Fill; virtual;
    property Items[I: Integer]: Integer read GetItem write SetItem; default;
  end;

  TRunner = class(TInterfacedObject, IRunner)
    procedure Go;
  end;

  TNamed = class
  private
    FName: string;
  protected
    property Name: string read FName write FName;
  end;

  TPublicNamed = class(TNamed)
  public
    property Name;
  end;

function TList2.GetItem(I: Integer): Integer;
begin
  Result := FItems[I];
end;

procedure TList2.SetItem(I: Integer; V: Integer);
begin
  FItems[I] := V;
end;

procedure TList2.Fill;
var
  I: Integer;
begin
  for I := 0 to 3 do
    Items[I] := I * I;
end;

procedure TRunner.Go;
begin
  WriteLn('go');
end;

var
  Cell: TCell;
  L: TList2;
  R: IRunner;
  N: TPublicNamed;
begin
  Cell.Value := 4;
  WriteLn(Cell.Value);
  L := TList2.Create;
  L.Fill;
  WriteLn(L[2], ' ', L.Items[3]);
  L.Free;
  R := TRunner.Create;
  R.Go;
  N := TPublicNamed.Create;
  N.Name := 'n';
  WriteLn(N.Name);
  N.Free;
end.
