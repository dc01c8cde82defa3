program Inventory;

{$APPTYPE CONSOLE}

uses
  StockItems in 'Src\StockItems.pas',
  StockStore in 'src\stockstore.pas',
  MainForm in 'Src\MainForm.pas' {frmMain};

{$R *.res}

var
  Store: TStockStore;
begin
  Store := TStockStore.Create;
  try
    Store.Add(TStockItem.Create('Widget', 12, 2.50));
    Store.Add(TStockItem.Create('Gadget', 3, 19.95));
    WriteLn('Stock value: ', Store.TotalValue:0:2);
  finally
    Store.Free;
  end;
end.
