unit UPanel;

interface

uses
  Classes;

type
  TPanelFont = class(TPersistent)
  private
    FSize: Integer;
  published
    property Size: Integer read FSize write FSize;
  end;

  TLine = class(TCollectionItem)
  private
    FText: string;
  published
    property Text: string read FText write FText;
  end;

  TInfoPanel = class(TComponent)
  private
    FHeading: string;
    FLevel: Integer;
    FFont: TPanelFont;
    FLines: TCollection;
    FOnShown: TNotifyEvent;
  public
    constructor Create(AOwner: TComponent); override;
    destructor Destroy; override;
    procedure Show;
  published
    property Heading: string read FHeading write FHeading;
    property Level: Integer read FLevel write FLevel;
    property Font: TPanelFont read FFont write FFont;
    property Lines: TCollection read FLines write FLines;
    property OnShown: TNotifyEvent read FOnShown write FOnShown;
  end;

  // Loaded at run time from the form file of this unit's name; no {$R}
  // links it in.
  TPanelForm = class(TComponent)
  published
    Panel1: TInfoPanel;
    procedure Panel1Shown(Sender: TObject);
  end;

implementation

constructor TInfoPanel.Create(AOwner: TComponent);
begin
  inherited Create(AOwner);
  FFont := TPanelFont.Create;
  FLines := TCollection.Create(TLine);
end;

destructor TInfoPanel.Destroy;
begin
  FLines.Free;
  FFont.Free;
  inherited Destroy;
end;

procedure TInfoPanel.Show;
begin
  if Assigned(FOnShown) then
    FOnShown(Self);
end;

procedure TPanelForm.Panel1Shown(Sender: TObject);
begin
  WriteLn('Shown ', TInfoPanel(Sender).Heading);
end;

initialization
  RegisterClass(TInfoPanel);
end.
