program Shop;

{$APPTYPE CONSOLE}

uses
  ShopTypes in 'ShopTypes.pas',
  ShopCart in 'ShopCart.pas',
  Pricing;

var
  gCart: TCart;
  Basket: TCart;

begin
  gCart := TCart.Create;
  Basket := gCart;
  try
    gCart.Add(MakeItem('Apple', 3, 0.5));
    gCart.add(MakeItem('Pear', 2, 0.75));
    Report('Total: ', gCart.Total);
    Report('Discounted: ', Discounted(gCart.Total));
  finally
    Basket.Free;
  end;
end.
