unit UScalers2;

interface

uses
  UScalers;

type
  TTripler = class(TDoubler)
  public
    function Scale(F, G: Integer): Integer; override;
  end;

implementation

function TTripler.Scale(F, G: Integer): Integer;
begin
  Result := 100 + inherited Scale(F, G);
end;

end.
