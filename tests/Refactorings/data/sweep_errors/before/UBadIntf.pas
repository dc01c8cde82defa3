unit UBadIntf;

interface

type
  TBad = class(
  end;

implementation

end.
