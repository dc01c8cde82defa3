unit QuilletSystem;

{ The names that every Delphi unit sees without a uses clause: the types,
  constants, variables and routines that the compiler and its run-time
  library predeclare. The analysis reads this unit like any other and makes
  its interface visible in every unit it parses.

  Only the declarations matter here: the routines are the compiler's own and
  have no bodies. The simple types (Integer, Cardinal, Int64, Byte, Char,
  Boolean, Double, string, Variant, Pointer and their kin) are built into the
  analysis itself and are not repeated here. Exception and the other
  exception classes belong to SysUtils. }

interface

const
  True = Boolean(1);
  False = Boolean(0);
  MaxInt = 2147483647;
  MaxLongint = 2147483647;
  CompilerVersion = 15.00;
  RTLVersion = 15.00;

  { Variant type codes }
  varEmpty = $0000;
  varNull = $0001;
  varSmallint = $0002;
  varInteger = $0003;
  varSingle = $0004;
  varDouble = $0005;
  varCurrency = $0006;
  varDate = $0007;
  varOleStr = $0008;
  varDispatch = $0009;
  varError = $000A;
  varBoolean = $000B;
  varVariant = $000C;
  varUnknown = $000D;
  varShortInt = $0010;
  varByte = $0011;
  varWord = $0012;
  varLongWord = $0013;
  varInt64 = $0014;
  varStrArg = $0048;
  varString = $0100;
  varAny = $0101;
  varTypeMask = $0FFF;
  varArray = $2000;
  varByRef = $4000;

  { TVarRec.VType values }
  vtInteger = 0;
  vtBoolean = 1;
  vtChar = 2;
  vtExtended = 3;
  vtString = 4;
  vtPointer = 5;
  vtPChar = 6;
  vtObject = 7;
  vtClass = 8;
  vtWideChar = 9;
  vtPWideChar = 10;
  vtAnsiString = 11;
  vtCurrency = 12;
  vtVariant = 13;
  vtInterface = 14;
  vtWideString = 15;
  vtInt64 = 16;

  { File modes }
  fmClosed = $D7B0;
  fmInput = $D7B1;
  fmOutput = $D7B2;
  fmInOut = $D7B3;

  { Virtual method table offsets }
  vmtSelfPtr = -76;
  vmtIntfTable = -72;
  vmtAutoTable = -68;
  vmtInitTable = -64;
  vmtTypeInfo = -60;
  vmtFieldTable = -56;
  vmtMethodTable = -52;
  vmtDynamicTable = -48;
  vmtClassName = -44;
  vmtInstanceSize = -40;
  vmtParent = -36;
  vmtSafeCallException = -32;
  vmtAfterConstruction = -28;
  vmtBeforeDestruction = -24;
  vmtDispatch = -20;
  vmtDefaultHandler = -16;
  vmtNewInstance = -12;
  vmtFreeInstance = -8;
  vmtDestroy = -4;
  vmtQueryInterface = 0;
  vmtAddRef = 4;
  vmtRelease = 8;
  vmtCreateObject = 12;

  { Results of the interface methods }
  S_OK = 0;
  S_FALSE = 1;
  E_NOINTERFACE = Longint($80004002);
  E_UNEXPECTED = Longint($8000FFFF);
  E_NOTIMPL = Longint($80004001);

  { Floating-point control word }
  Default8087CW: Word = $1332;

type
  { An unsigned 64-bit integer; Delphi 7 declares it beside Int64 }
  UInt64 = type Int64;

  { Pointer and character types }
  AnsiChar = Char;
  PAnsiChar = PChar;
  PWideChar = ^WideChar;
  UCS2Char = WideChar;
  PUCS2Char = ^UCS2Char;
  UCS4Char = LongWord;
  PUCS4Char = ^UCS4Char;
  UCS4String = array of UCS4Char;
  UTF8String = type string;
  PUTF8String = ^UTF8String;

  PShortInt = ^ShortInt;
  PSmallInt = ^SmallInt;
  PInteger = ^Integer;
  PLongint = ^Longint;
  PByte = ^Byte;
  PWord = ^Word;
  PLongWord = ^LongWord;
  PCardinal = ^Cardinal;
  PInt64 = ^Int64;
  PSingle = ^Single;
  PDouble = ^Double;
  PExtended = ^Extended;
  PCurrency = ^Currency;
  PComp = ^Comp;
  PBoolean = ^Boolean;
  PByteBool = ^ByteBool;
  PWordBool = ^WordBool;
  PLongBool = ^LongBool;
  PPointer = ^Pointer;
  PString = ^string;
  PAnsiString = ^AnsiString;
  PShortString = ^ShortString;
  PWideString = ^WideString;
  PVariant = ^Variant;
  POleVariant = ^OleVariant;

  TDateTime = type Double;
  PDateTime = ^TDateTime;
  TDate = type TDateTime;
  TTime = type TDateTime;

  THandle = LongWord;
  HResult = type Longint;
  PHResult = ^HResult;
  HINST = THandle;
  HMODULE = HINST;
  HGLOBAL = THandle;
  IntegerArray = array [0..$EFFFFFF] of Integer;
  PIntegerArray = ^IntegerArray;
  PointerArray = array [0..512 * 1024 * 1024 - 2] of Pointer;
  PPointerArray = ^PointerArray;
  TBoundArray = array of Integer;
  TPCharArray = packed array [0..(MaxLongint div 4) - 1] of PChar;
  PPCharArray = ^TPCharArray;

  PGUID = ^TGUID;
  TGUID = packed record
    D1: LongWord;
    D2: Word;
    D3: Word;
    D4: array [0..7] of Byte;
  end;

  TObject = class;
  TClass = class of TObject;

  PInterfaceEntry = ^TInterfaceEntry;
  TInterfaceEntry = packed record
    IID: TGUID;
    VTable: Pointer;
    IOffset: Integer;
    ImplGetter: Integer;
  end;

  PInterfaceTable = ^TInterfaceTable;
  TInterfaceTable = packed record
    EntryCount: Integer;
    Entries: array [0..9999] of TInterfaceEntry;
  end;

  TMethod = record
    Code, Data: Pointer;
  end;

  TObject = class
    constructor Create;
    procedure Free;
    class function InitInstance(Instance: Pointer): TObject;
    procedure CleanupInstance;
    function ClassType: TClass;
    class function ClassName: ShortString;
    class function ClassNameIs(const Name: string): Boolean;
    class function ClassParent: TClass;
    class function ClassInfo: Pointer;
    class function InstanceSize: Longint;
    class function InheritsFrom(AClass: TClass): Boolean;
    class function MethodAddress(const Name: ShortString): Pointer;
    class function MethodName(Address: Pointer): ShortString;
    function FieldAddress(const Name: ShortString): Pointer;
    function GetInterface(const IID: TGUID; out Obj): Boolean;
    class function GetInterfaceEntry(const IID: TGUID): PInterfaceEntry;
    class function GetInterfaceTable: PInterfaceTable;
    function SafeCallException(ExceptObject: TObject;
      ExceptAddr: Pointer): HResult; virtual;
    procedure AfterConstruction; virtual;
    procedure BeforeDestruction; virtual;
    procedure Dispatch(var Message); virtual;
    procedure DefaultHandler(var Message); virtual;
    class function NewInstance: TObject; virtual;
    procedure FreeInstance; virtual;
    destructor Destroy; virtual;
  end;

  IInterface = interface
    ['{00000000-0000-0000-C000-000000000046}']
    function QueryInterface(const IID: TGUID; out Obj): HResult; stdcall;
    function _AddRef: Integer; stdcall;
    function _Release: Integer; stdcall;
  end;

  IUnknown = IInterface;

  IInvokable = interface(IInterface)
  end;

  IDispatch = interface(IInterface)
    ['{00020400-0000-0000-C000-000000000046}']
    function GetTypeInfoCount(out Count: Integer): HResult; stdcall;
    function GetTypeInfo(Index, LocaleID: Integer; out TypeInfo): HResult; stdcall;
    function GetIDsOfNames(const IID: TGUID; Names: Pointer;
      NameCount, LocaleID: Integer; DispIDs: Pointer): HResult; stdcall;
    function Invoke(DispID: Integer; const IID: TGUID; LocaleID: Integer;
      Flags: Word; var Params; VarResult, ExcepInfo, ArgErr: Pointer): HResult; stdcall;
  end;

  TInterfacedObject = class(TObject, IInterface)
  protected
    FRefCount: Integer;
    function QueryInterface(const IID: TGUID; out Obj): HResult; stdcall;
    function _AddRef: Integer; stdcall;
    function _Release: Integer; stdcall;
  public
    procedure AfterConstruction; override;
    procedure BeforeDestruction; override;
    class function NewInstance: TObject; override;
    property RefCount: Integer read FRefCount;
  end;

  TInterfacedClass = class of TInterfacedObject;

  TAggregatedObject = class(TObject)
  private
    FController: Pointer;
    function GetController: IInterface;
  protected
    function QueryInterface(const IID: TGUID; out Obj): HResult; stdcall;
    function _AddRef: Integer; stdcall;
    function _Release: Integer; stdcall;
  public
    constructor Create(const Controller: IInterface);
    property Controller: IInterface read GetController;
  end;

  TContainedObject = class(TAggregatedObject, IInterface)
  protected
    function QueryInterface(const IID: TGUID; out Obj): HResult; virtual; stdcall;
  end;

  PVarRec = ^TVarRec;
  TVarRec = record
    case Byte of
      vtInteger: (VInteger: Integer; VType: Byte);
      vtBoolean: (VBoolean: Boolean);
      vtChar: (VChar: Char);
      vtExtended: (VExtended: PExtended);
      vtString: (VString: PShortString);
      vtPointer: (VPointer: Pointer);
      vtPChar: (VPChar: PChar);
      vtObject: (VObject: TObject);
      vtClass: (VClass: TClass);
      vtWideChar: (VWideChar: WideChar);
      vtPWideChar: (VPWideChar: PWideChar);
      vtAnsiString: (VAnsiString: Pointer);
      vtCurrency: (VCurrency: PCurrency);
      vtVariant: (VVariant: PVariant);
      vtInterface: (VInterface: Pointer);
      vtWideString: (VWideString: Pointer);
      vtInt64: (VInt64: PInt64);
  end;

  PVarData = ^TVarData;
  TVarData = packed record
    VType: Word;
    case Integer of
      0: (Reserved1: Word;
          case Integer of
            0: (Reserved2, Reserved3: Word;
                case Integer of
                  varSmallint: (VSmallInt: SmallInt);
                  varInteger: (VInteger: Integer);
                  varSingle: (VSingle: Single);
                  varDouble: (VDouble: Double);
                  varCurrency: (VCurrency: Currency);
                  varDate: (VDate: TDateTime);
                  varOleStr: (VOleStr: PWideChar);
                  varDispatch: (VDispatch: Pointer);
                  varError: (VError: HResult);
                  varBoolean: (VBoolean: WordBool);
                  varUnknown: (VUnknown: Pointer);
                  varShortInt: (VShortInt: ShortInt);
                  varByte: (VByte: Byte);
                  varWord: (VWord: Word);
                  varLongWord: (VLongWord: LongWord);
                  varInt64: (VInt64: Int64);
                  varString: (VString: Pointer);
                  varAny: (VAny: Pointer);
                  varArray: (VArray: Pointer);
                  varByRef: (VPointer: Pointer);
               );
            1: (VLongs: array [0..2] of Longint);
         );
      2: (VWords: array [0..6] of Word);
      3: (VBytes: array [0..13] of Byte);
  end;

  PVarArrayBound = ^TVarArrayBound;
  TVarArrayBound = packed record
    ElementCount: Integer;
    LowBound: Integer;
  end;
  TVarArrayBoundArray = array [0..0] of TVarArrayBound;
  PVarArrayBoundArray = ^TVarArrayBoundArray;
  TVarArrayCoorArray = array [0..0] of Integer;
  PVarArrayCoorArray = ^TVarArrayCoorArray;

  PVarArray = ^TVarArray;
  TVarArray = packed record
    DimCount: Word;
    Flags: Word;
    ElementSize: Integer;
    LockCount: Integer;
    Data: Pointer;
    Bounds: TVarArrayBoundArray;
  end;

  TVarType = Word;
  TVarOp = Integer;

  PCallDesc = ^TCallDesc;
  TCallDesc = packed record
    CallType: Byte;
    ArgCount: Byte;
    NamedArgCount: Byte;
    ArgTypes: array [0..255] of Byte;
  end;

  PDispDesc = ^TDispDesc;
  TDispDesc = packed record
    DispID: Integer;
    ResType: Byte;
    CallDesc: TCallDesc;
  end;

  PMemoryManager = ^TMemoryManager;
  TMemoryManager = record
    GetMem: function(Size: Integer): Pointer;
    FreeMem: function(P: Pointer): Integer;
    ReallocMem: function(P: Pointer; Size: Integer): Pointer;
  end;

  THeapStatus = record
    TotalAddrSpace: Cardinal;
    TotalUncommitted: Cardinal;
    TotalCommitted: Cardinal;
    TotalAllocated: Cardinal;
    TotalFree: Cardinal;
    FreeSmall: Cardinal;
    FreeBig: Cardinal;
    Unused: Cardinal;
    Overhead: Cardinal;
    HeapErrorCode: Cardinal;
  end;

  PResStringRec = ^TResStringRec;
  TResStringRec = packed record
    Module: ^Cardinal;
    Identifier: Integer;
  end;

  TThreadFunc = function(Parameter: Pointer): Integer;

  PLibModule = ^TLibModule;
  TLibModule = record
    Next: PLibModule;
    Instance: LongWord;
    CodeInstance: LongWord;
    DataInstance: LongWord;
    ResInstance: LongWord;
    Reserved: Integer;
  end;

  TEnumModuleFunc = function(HInstance: Integer; Data: Pointer): Boolean;
  TEnumModuleFuncLW = function(HInstance: LongWord; Data: Pointer): Boolean;
  TModuleUnloadProc = procedure(HInstance: Integer);
  TModuleUnloadProcLW = procedure(HInstance: LongWord);

  PTextBuf = ^TTextBuf;
  TTextBuf = array [0..127] of Char;
  TTextRec = packed record
    Handle: Integer;
    Mode: Integer;
    BufSize: Cardinal;
    BufPos: Cardinal;
    BufEnd: Cardinal;
    BufPtr: PChar;
    OpenFunc: Pointer;
    InOutFunc: Pointer;
    FlushFunc: Pointer;
    CloseFunc: Pointer;
    UserData: array [1..32] of Byte;
    Name: array [0..259] of Char;
    Buffer: TTextBuf;
  end;

  TFileRec = packed record
    Handle: Integer;
    Mode: Integer;
    RecSize: Cardinal;
    Private: array [1..28] of Byte;
    UserData: array [1..32] of Byte;
    Name: array [0..259] of Char;
  end;

var
  { Program state }
  CmdLine: PChar;
  CmdShow: Integer;
  HInstance: LongWord;
  HPrevInst: LongWord;
  MainInstance: LongWord;
  MainThreadID: LongWord;
  IsLibrary: Boolean;
  IsConsole: Boolean;
  IsMultiThread: Boolean;
  ModuleIsLib: Boolean;
  ModuleIsPackage: Boolean;
  ModuleIsCpp: Boolean;
  NoErrMsg: Boolean;
  DebugHook: Byte;
  ExitCode: Integer;
  ErrorAddr: Pointer;
  ExitProc: Pointer;
  ExceptProc: Pointer;
  ErrorProc: Pointer;
  ExceptClsProc: Pointer;
  ExceptObjProc: Pointer;
  RaiseExceptionProc: Pointer;
  RTLUnwindProc: Pointer;
  SafeCallErrorProc: Pointer;
  AssertErrorProc: Pointer;
  AbstractErrorProc: Pointer;
  DispCallByIDProc: Pointer;
  InitProc: Pointer;
  LibModuleList: PLibModule;
  AllocMemCount: Integer;
  AllocMemSize: Integer;
  Test8086: Shortint;
  Test8087: Shortint;
  TestFPU: Shortint;

  { Files and I/O }
  Input: Text;
  Output: Text;
  ErrOutput: Text;
  FileMode: Byte;
  InOutRes: Integer;

  { Random numbers }
  RandSeed: Longint;

{ Ordinal and arithmetic routines }
procedure Inc(var X; N: Longint = 1);
procedure Dec(var X; N: Longint = 1);
function Ord(const X): Longint;
function Chr(X: Byte): Char;
function Succ(const X): Longint;
function Pred(const X): Longint;
function High(const X): Longint;
function Low(const X): Longint;
function Odd(X: Longint): Boolean;
function Abs(const X): Extended;
function Sqr(const X): Extended;
function Sqrt(const X: Extended): Extended;
function Round(const X: Extended): Int64;
function Trunc(const X: Extended): Int64;
function Int(const X: Extended): Extended;
function Frac(const X: Extended): Extended;
function Exp(const X: Extended): Extended;
function Ln(const X: Extended): Extended;
function Sin(const X: Extended): Extended;
function Cos(const X: Extended): Extended;
function ArcTan(const X: Extended): Extended;
function Pi: Extended;
function Hi(X: Word): Byte;
function Lo(X: Word): Byte;
function Swap(X: Word): Word;
function Random(const ARange: Integer): Integer; overload;
function Random: Extended; overload;
procedure Randomize;
function UpCase(Ch: Char): Char;
function CompToDouble(Value: Comp): Double;
procedure DoubleToComp(Value: Double; var Result: Comp);
function CompToCurrency(Value: Comp): Currency;
procedure CurrencyToComp(Value: Currency; var Result: Comp);

{ Control flow }
procedure Exit;
procedure Break;
procedure Continue;
procedure Halt(ExitCode: Integer = 0);
procedure RunError(ErrorCode: Byte = 0);
procedure Error(ErrorCode: Byte);
procedure Assert(Expr: Boolean; const Msg: string = '');

{ Sizes, addresses and type information }
function SizeOf(const X): Integer;
function TypeInfo(const TypeIdent): Pointer;
function TypeOf(const X): Pointer;
function Addr(const X): Pointer;
function Ptr(Address: Integer): Pointer;
function Assigned(const P): Boolean;

{ Dynamic memory }
procedure New(var P);
procedure Dispose(var P);
procedure GetMem(var P: Pointer; Size: Integer);
procedure FreeMem(var P: Pointer; Size: Integer = 0);
procedure ReallocMem(var P: Pointer; Size: Integer);
procedure Initialize(var V; Count: Integer = 1);
procedure Finalize(var V; Count: Integer = 1);
procedure FillChar(var X; Count: Integer; Value: Byte);
procedure Move(const Source; var Dest; Count: Integer);
procedure GetMemoryManager(var MemMgr: TMemoryManager);
procedure SetMemoryManager(const MemMgr: TMemoryManager);
function IsMemoryManagerSet: Boolean;
function GetHeapStatus: THeapStatus;
function SysGetMem(Size: Integer): Pointer;
function SysFreeMem(P: Pointer): Integer;
function SysReallocMem(P: Pointer; Size: Integer): Pointer;

{ Strings and arrays }
function Length(const S): Integer;
procedure SetLength(var S; NewLength: Integer);
function Copy(const S; Index, Count: Integer): string;
procedure Delete(var S: string; Index, Count: Integer);
procedure Insert(const Source: string; var S: string; Index: Integer);
function Pos(const Substr, S: string): Integer;
function Concat(const S1, S2: string): string;
procedure SetString(var S: string; Buffer: PChar; Length: Integer);
function StringOfChar(Ch: Char; Count: Integer): string;
procedure UniqueString(var Str: string);
procedure Str(const X; var S: string);
procedure Val(const S: string; var V; var Code: Integer);
function Slice(var A; Count: Integer): Pointer;
procedure Include(var S; Element: Integer);
procedure Exclude(var S; Element: Integer);
function WideCharToString(Source: PWideChar): string;
function WideCharLenToString(Source: PWideChar; SourceLen: Integer): string;
function StringToWideChar(const Source: string; Dest: PWideChar;
  DestSize: Integer): PWideChar;
function StringToOleStr(const Source: string): PWideChar;
function OleStrToString(Source: PWideChar): string;
procedure OleStrToStrVar(Source: PWideChar; var Dest: string);
function UTF8Encode(const WS: WideString): UTF8String;
function UTF8Decode(const S: UTF8String): WideString;
function AnsiToUtf8(const S: string): UTF8String;
function Utf8ToAnsi(const S: UTF8String): string;
function UnicodeToUtf8(Dest: PChar; MaxDestBytes: Cardinal; Source: PWideChar;
  SourceChars: Cardinal): Cardinal;
function Utf8ToUnicode(Dest: PWideChar; MaxDestChars: Cardinal; Source: PChar;
  SourceBytes: Cardinal): Cardinal;
function WideStringToUCS4String(const S: WideString): UCS4String;
function UCS4StringToWideString(const S: UCS4String): WideString;
function LoadResString(ResStringRec: PResStringRec): string;

{ Variants }
procedure VarClear(var V: Variant);
procedure VarCopy(var Dest: Variant; const Source: Variant);
procedure VarCast(var Dest: Variant; const Source: Variant; VarType: Integer);
procedure VarArrayRedim(var A: Variant; HighBound: Integer);

{ Files and text I/O }
procedure Assign(var F; const Name: string);
procedure AssignFile(var F; const FileName: string);
procedure Reset(var F; RecSize: Integer = 128);
procedure Rewrite(var F; RecSize: Integer = 128);
procedure Append(var F: Text);
procedure Close(var F);
procedure CloseFile(var F);
procedure Flush(var F: Text);
procedure Erase(var F);
procedure Rename(var F; const NewName: string);
procedure Truncate(var F);
procedure Seek(var F; N: Longint);
function FilePos(var F): Longint;
function FileSize(var F): Longint;
function Eof(var F): Boolean;
function Eoln(var F: Text): Boolean;
function SeekEof(var F: Text): Boolean;
function SeekEoln(var F: Text): Boolean;
procedure BlockRead(var F; var Buf; Count: Integer; var AmtTransferred: Integer);
procedure BlockWrite(var F; const Buf; Count: Integer; var AmtTransferred: Integer);
procedure SetTextBuf(var F: Text; var Buf; Size: Integer = 0);
function IOResult: Integer;
procedure Read(var F);
procedure ReadLn(var F);
procedure Write(var F);
procedure WriteLn(var F);
procedure ChDir(const S: string);
procedure MkDir(const S: string);
procedure RmDir(const S: string);
procedure GetDir(D: Byte; var S: string);
function ParamCount: Integer;
function ParamStr(Index: Integer): string;

{ Exceptions, threads and modules }
function AcquireExceptionObject: Pointer;
procedure ReleaseExceptionObject;
function RaiseList: Pointer;
function BeginThread(SecurityAttributes: Pointer; StackSize: LongWord;
  ThreadFunc: TThreadFunc; Parameter: Pointer; CreationFlags: LongWord;
  var ThreadId: LongWord): Integer;
procedure EndThread(ExitCode: Integer);
function FindHInstance(Address: Pointer): LongWord;
function FindClassHInstance(ClassType: TClass): LongWord;
function FindResourceHInstance(Instance: LongWord): LongWord;
function LoadResourceModule(ModuleName: PChar; CheckOwner: Boolean = True): LongWord;
procedure EnumModules(Func: TEnumModuleFunc; Data: Pointer);
procedure EnumResourceModules(Func: TEnumModuleFunc; Data: Pointer);
procedure RegisterModule(LibModule: PLibModule);
procedure UnregisterModule(LibModule: PLibModule);
procedure AddModuleUnloadProc(Proc: TModuleUnloadProc);
procedure RemoveModuleUnloadProc(Proc: TModuleUnloadProc);
procedure Set8087CW(NewCW: Word);
function Get8087CW: Word;

implementation

end.
