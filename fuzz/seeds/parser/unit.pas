unit U;
interface
uses A, B;
type
  TR = packed record A, B: Integer; case Tag: Byte of 0: (X: Word); 1: (Y: array[0..1] of Byte) end;
  TC = class(TObject, IFoo)
  private
    FX: Integer;
    FOn: procedure(Sender: TObject) of object;
  protected
    function Get(I: Integer): string; virtual; abstract;
  public
    constructor Create(AOwner: TObject); override;
    property Items[I: Integer]: string read Get; default;
    property X: Integer read FX write FX stored False default 0;
  end;
  IFoo = interface(IUnknown) ['{00000000-0000-0000-0000-000000000000}']
    procedure Bar; stdcall;
  end;
const
  Tab: array[0..1, 0..1] of Integer = ((1, 2), (3, 4));
  P: TPoint = (X: 1; Y: 2);
  S: set of Char = ['a'..'z'];
procedure Q(const A: array of const; var B; out C: Integer); overload;
implementation
{$I a.inc}
procedure Q(const A: array of const; var B; out C: Integer);
label 10;
var I: Integer;
begin
  for I := 0 to 10 do
    case p^[I] of 1..2: Writeln(I:3, 'x':2); else ; end;
  with TC.Create(nil) do try Items[0] := 'a' finally Free end;
  try raise EFoo.Create('x') at nil; except on E: Exception do ; else ; end;
  repeat Inc(I) until (I > 3) and not False;
  if A[0].VType = vtInteger then goto 10;
10:
  asm mov eax, 1; @@l: jmp @@l end;
end;
constructor TC.Create(AOwner: TObject); begin inherited; FX := -1 shl 2 div 3 end;
initialization
finalization
end.
