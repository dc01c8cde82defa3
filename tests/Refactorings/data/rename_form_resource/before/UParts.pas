unit UParts;

interface

uses
  Classes;

type
  TPartStyle = class(TPersistent)
  private
    FBold: Boolean;
    FSize: Integer;
  published
    property Bold: Boolean read FBold write FBold;
    property Size: Integer read FSize write FSize;
  end;

  TColumn = class(TCollectionItem)
  private
    FWidth: Integer;
    FTag: Integer;
  published
    property Width: Integer read FWidth write FWidth;
    property Tag: Integer read FTag write FTag;
  end;

  TColumns = class(TCollection)
  private
    function GetItem(Index: Integer): TColumn;
  public
    property Items[Index: Integer]: TColumn read GetItem; default;
  end;

  TPart = class(TComponent)
  private
    FCaption: string;
    FStyle: TPartStyle;
    FColumns: TColumns;
    FOnPress: TNotifyEvent;
    procedure SetStyle(Value: TPartStyle);
  public
    constructor Create(AOwner: TComponent); override;
    destructor Destroy; override;
    procedure Press;
  published
    property Caption: string read FCaption write FCaption;
    property Style: TPartStyle read FStyle write SetStyle;
    property Columns: TColumns read FColumns write FColumns;
    property OnPress: TNotifyEvent read FOnPress write FOnPress;
  end;

implementation

function TColumns.GetItem(Index: Integer): TColumn;
begin
  Result := TColumn(inherited Items[Index]);
end;

constructor TPart.Create(AOwner: TComponent);
begin
  inherited Create(AOwner);
  FStyle := TPartStyle.Create;
  FColumns := TColumns.Create(TColumn);
end;

destructor TPart.Destroy;
begin
  FColumns.Free;
  FStyle.Free;
  inherited Destroy;
end;

procedure TPart.SetStyle(Value: TPartStyle);
begin
  FStyle.Bold := Value.Bold;
  FStyle.Size := Value.Size;
end;

procedure TPart.Press;
begin
  if Assigned(FOnPress) then
    FOnPress(Self);
end;

initialization
  RegisterClass(TPart);
end.
