unit Pricing;

interface

uses
  Currencies;

function Discounted(aValue: Double): Double;

var
  LastDiscount: Double;

implementation

function Discounted(aValue: Double): Double;
begin
  LastDiscount := aValue * 0.1;
  Result := aValue - LastDiscount;
end;

end.
