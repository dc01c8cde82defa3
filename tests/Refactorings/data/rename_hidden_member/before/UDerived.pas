unit UDerived;

interface

uses
  UBaseCls;

type
  TDerived = class(TBase)
  public
    procedure Show;
  end;

var
  Total: Integer = 42;

implementation

procedure TDerived.Show;
begin
  WriteLn(Total);
end;

end.
