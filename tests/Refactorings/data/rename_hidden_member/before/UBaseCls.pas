unit UBaseCls;

interface

type
  TBase = class
  protected
    FValue: Integer;
  public
    constructor Create;
  end;

implementation

constructor TBase.Create;
begin
  inherited Create;
  FValue := 1;
end;

end.
