unit UColors;

interface

{$I colors.inc}

function Shade: Integer;

implementation

function Shade: Integer;
begin
  Result := Ord(High(TColorFormat));
end;

end.
