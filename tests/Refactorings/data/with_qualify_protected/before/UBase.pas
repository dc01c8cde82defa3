unit UBase;

interface

type
  TBase = class
  protected
    FFlag: Boolean;
  public
    Count: Integer;
  end;

  TOther = class(TBase)
  public
    constructor Create;
  end;

implementation

constructor TOther.Create;
begin
  FFlag := True;
  Count := 5;
end;

end.
