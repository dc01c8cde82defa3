unit UGen;

interface

function Gen(R: PChar; F: Integer; var E: Integer): Boolean;
function Gen(R: PChar; F: Integer): Integer;

implementation

function Gen(R: PChar; F: Integer;
  var E: Integer): Boolean;
begin
  E := F * 10;
  Gen := R <> nil;
end;

function Gen(R: PChar; F: Integer): Integer;
begin
  Gen(R, F, Result);
end;

end.
