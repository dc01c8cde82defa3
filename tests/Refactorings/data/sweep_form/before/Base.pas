unit Base;

interface

type
  TControlX = class
    Left: Integer;
  end;

implementation

end.
