unit UItem;

interface

type
  TItem = class
    Value: Integer;
  end;

implementation

end.
