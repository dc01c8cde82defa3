unit UUser;

interface

uses
  UOk, UBadIntf;

implementation

end.
