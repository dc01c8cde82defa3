unit QuilletSystem;

{ The few run-time library declarations that the Inventory sample uses, so
  that every name in the sample resolves when it is analysed. }

interface

type
  TObject = class
  public
    constructor Create;
    destructor Destroy; virtual;
    procedure Free;
  end;

procedure WriteLn;
procedure Inc(var Value: Integer);
procedure Assert(Condition: Boolean);

implementation

constructor TObject.Create;
begin
end;

destructor TObject.Destroy;
begin
end;

procedure TObject.Free;
begin
end;

procedure WriteLn;
begin
end;

procedure Inc(var Value: Integer);
begin
end;

procedure Assert(Condition: Boolean);
begin
end;

end.
