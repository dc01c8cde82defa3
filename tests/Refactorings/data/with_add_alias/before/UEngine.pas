unit UEngine;

interface

type
  TEngine = class
    Power: Integer;
  end;

implementation

end.
