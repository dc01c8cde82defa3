program Errs;

uses
  UUser,
  UBroken,
  UBadIntf,
  UOk;

begin
end.
