unit UEvents;

interface

type
  TNotifyProc = procedure(Sender: TObject) of object;

  TButton = class
  private
    FOnClick: TNotifyProc;
  public
    procedure Click;
    procedure Report(Sender: TObject);
    property OnClick: TNotifyProc read FOnClick write FOnClick;
  end;

implementation

procedure TButton.Click;
begin
  if Assigned(FOnClick) then
    FOnClick(Self);
end;

procedure TButton.Report(Sender: TObject);
begin
  if Sender = Self then
    WriteLn('clicked');
end;

end.
