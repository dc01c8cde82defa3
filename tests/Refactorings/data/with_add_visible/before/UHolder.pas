unit UHolder;

interface

uses
  UItem;

type
  THolder = class
    Item: TItem;
  end;

implementation

end.
