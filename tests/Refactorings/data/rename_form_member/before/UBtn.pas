unit UBtn;

interface

uses
  Classes;

type
  TBtnStyle = class(TPersistent)
  private
    FBold: Boolean;
  published
    property Bold: Boolean read FBold write FBold;
  end;

  TMyCol = class(TCollectionItem)
  private
    FWidth: Integer;
  published
    property Width: Integer read FWidth write FWidth;
  end;

  TMyCols = class(TCollection)
  private
    function GetItem(Index: Integer): TMyCol;
  public
    property Items[Index: Integer]: TMyCol read GetItem; default;
  end;

  TMyBtn = class(TComponent)
  private
    FCaption: string;
    FHint: string;
    FCount: Integer;
    FStyle: TBtnStyle;
    FColumns: TMyCols;
    FOnClick: TNotifyEvent;
    procedure SetStyle(Value: TBtnStyle);
  public
    constructor Create(AOwner: TComponent); override;
    destructor Destroy; override;
    procedure Click;
  published
    property Caption: string read FCaption write FCaption;
    property Hint: string read FHint write FHint;
    property Count: Integer read FCount write FCount;
    property Style: TBtnStyle read FStyle write SetStyle;
    property Columns: TMyCols read FColumns write FColumns;
    property OnClick: TNotifyEvent read FOnClick write FOnClick;
  end;

implementation

function TMyCols.GetItem(Index: Integer): TMyCol;
begin
  Result := TMyCol(inherited Items[Index]);
end;

constructor TMyBtn.Create(AOwner: TComponent);
begin
  inherited Create(AOwner);
  FStyle := TBtnStyle.Create;
  FColumns := TMyCols.Create(TMyCol);
end;

destructor TMyBtn.Destroy;
begin
  FColumns.Free;
  FStyle.Free;
  inherited Destroy;
end;

procedure TMyBtn.SetStyle(Value: TBtnStyle);
begin
  FStyle.Bold := Value.Bold;
end;

procedure TMyBtn.Click;
begin
  if Assigned(FOnClick) then
    FOnClick(Self);
end;

initialization
  RegisterClass(TMyBtn);
end.
