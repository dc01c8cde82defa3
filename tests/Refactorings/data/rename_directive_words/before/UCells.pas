unit UCells;

interface

const
  CM_NOTIFY = $B001;
  CM_RESET = $B002;

type
  TNotifyMsg = record
    Msg: Cardinal;
    Value: Integer;
  end;

  TCells = class
  private
    FIndex: Integer;
    function GetItem(Index: Integer): Integer;
  public
    property Index: Integer read FIndex write FIndex;
    property First: Integer index 10 read GetItem;
    property Second: Integer index 20 read GetItem;
  end;

  TWatcher = class
  private
    FTotal: Integer;
    procedure CMNotify(var Message: TNotifyMsg); message CM_NOTIFY;
    procedure CMReset(var Message); message CM_RESET;
  public
    property Total: Integer read FTotal;
  end;

implementation

function TCells.GetItem(Index: Integer): Integer;
begin
  Result := Index + FIndex;
end;

procedure TWatcher.CMNotify(var Message: TNotifyMsg);
begin
  Inc(FTotal, Message.Value);
end;

procedure TWatcher.CMReset(var Message);
begin
  FTotal := FTotal * 10 + TNotifyMsg(Message).Value;
end;

end.
