unit MainForm;

interface

uses
  StockStore;

type
  TfrmMain = class(TObject)
    btnRefresh: TObject;
    lblTotal: TObject;
    procedure btnRefreshClick(Sender: TObject);
  private
    FStore: TStockStore;
  end;

var
  frmMain: TfrmMain;

implementation

{$R *.dfm}

procedure TfrmMain.btnRefreshClick(Sender: TObject);
begin
  {$IFDEF DEBUG}
  WriteLn('refresh');
  {$ENDIF}
  if FStore <> nil then
    WriteLn(FStore.TotalValue:0:2);
end;

end.
