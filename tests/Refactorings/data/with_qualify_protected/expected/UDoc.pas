unit UDoc;

interface

uses
  UBase;

type
  TDoc = class(TBase)
  private
    FOther: TOther;
  public
    Total: Integer;
    procedure Run;
  end;

implementation

procedure TDoc.Run;
begin
  FOther := TOther.Create;
  with FOther do
  begin
    if FFlag then
      Total := Total + 1;
    Total := Total + FOther.Count;
  end;
end;

end.
