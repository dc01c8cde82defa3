unit UBytes;

interface

function SwapWordBE(W: Word): Word;

implementation

function SwapWordBE(W: Word): Word;
begin
  Result := (W shr 8) or ((W and $FF) shl 8);
end;

{$IFDEF VER150}
function Twice(W: Word): Word;
begin
  Result := SwapWordBE(SwapWordBE(W));
end;
{$ENDIF}

end.
