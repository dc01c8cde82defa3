object frmMain: TfrmMain
  Left = 200
  Top = 120
  Caption = 'Inventory'
  ClientHeight = 120
  ClientWidth = 320
  object lblTotal: TLabel
    Left = 16
    Top = 16
    Caption = 'Total'
  end
  object btnRefresh: TButton
    Left = 16
    Top = 48
    Caption = 'Refresh'
    OnClick = btnRefreshClick
  end
end
