// Grammar of statements, designators and expressions.
#include <gtest/gtest.h>

#include "tests/lexer/test_parserCommon.h"

namespace {

#define EXPECT_CLEAN(P) EXPECT_TRUE((P)->Messages.empty()) << (P)->MessageText()

TEST(ParserStatements, EveryStatementKind)
{
    auto P = ParsePas(UnitWithStatements(
        "X := 1;\nbegin Y := 2 end;\ncase X of 1: A; 2, 3: B; 4..5: ; else C; D end;\n"
        "for I := 1 to 10 do S := S + I;\nfor I := 10 downto 1 do ;\n"
        "if A then B else C;\nrepeat X := X + 1 until X > 3;\nwhile X > 0 do Dec(X);\n"
        "with A, B.C do Z := 1;\ntry X := 1 finally Y := 2 end;\n"
        "try X := 1 except on E: Exception do Log(E.Message); on EAbort do ; else Z := 0 end;\n"
        "try X := 1 except Z := 0 end;\nraise;\nraise E.Create('x') at Addr;\n"
        "goto 10;\n10: X := 1;\nLbl: ;\ninherited;\ninherited Create(1);\n"
        "inline($90/$90);\nasm mov eax, 1 end;\n@P := nil;\nP^ := 3;\n(X) := 4;"));
    EXPECT_CLEAN(P);
    EXPECT_TRUE(P->Entered({"StatementList", "Statement", "SimpleStatement", "Designator",
                            "Expression", "Statement", "CompoundStatement", "Statement",
                            "CaseStatement", "CaseSelector", "CaseLabel", "CaseSelector",
                            "CaseLabel", "CaseLabel", "CaseSelector", "CaseLabel",
                            "ForStatement", "QualifiedIdentifier", "ForStatement",
                            "IfStatement", "RepeatStatement", "WhileStatement",
                            "WithStatement", "VariableList", "VariableReference",
                            "VariableReference", "TryStatement", "TryStatement",
                            "ExceptBlock", "ExceptionHandlerList", "ExceptionHandler",
                            "ExceptionIdentifier", "ExceptionVariable",
                            "ExceptionClassTypeIdentifier", "ExceptionHandler",
                            "ExceptionIdentifier", "ExceptionBlockElseBranch", "TryStatement",
                            "ExceptBlock", "RaiseStatement", "RaiseStatement", "Designator",
                            "Expression", "SimpleStatement", "LabelId", "LabeledStatement",
                            "LabeledStatement", "InheritedStatement", "InheritedStatement",
                            "InlineStatement", "AsmStatement"}));
    EXPECT_EQ(P->Count("EmptyStatement"), 3);
    EXPECT_EQ(P->Count("ExceptionHandler"), 2);
    EXPECT_EQ(P->Count("LabeledStatement"), 2);
}

TEST(ParserStatements, ExceptionClassWithUnitPrefix)
{
    auto P = ParsePas(UnitWithStatements(
        "try except on SysUtils.EAbort do ; on E: SysUtils.Exception do ; end;"));
    EXPECT_CLEAN(P);
    EXPECT_EQ(P->Count("ExceptionVariable"), 1);
    EXPECT_EQ(P->Count("ExceptionClassTypeIdentifier"), 2);
}

TEST(ParserStatements, IntegerNotFollowedByColonIsSkipped)
{
    auto P = ParsePas(UnitWithStatements("X := 1; 42 Y := 2;"));
    ASSERT_EQ(P->Messages.size(), 2u) << P->MessageText();
    EXPECT_EQ(P->Messages[0].Msg, "InvalidLabeledStatement found 42");
    EXPECT_EQ(P->Count("SimpleStatement"), 2);
}

TEST(ParserStatements, TryWithoutExceptOrFinally)
{
    auto P = ParsePas(UnitWithStatements("try X := 1; until"));
    EXPECT_TRUE(P->HasMessage("InvalidTryStatement found until")) << P->MessageText();
    // No end is expected by the try statement itself, only by the enclosing
    // compound statement.
    int EndReports = 0;
    for (auto& M : P->Messages)
        EndReports += M.Msg == "Expected 'End' found 'until'";
    EXPECT_EQ(EndReports, 1) << P->MessageText();
}

TEST(ParserStatements, AsmBlocks)
{
    auto P = ParsePas(UnitWithStatements(
        "asm\n  @@loop: dec ecx\n  jnz @@end\n  @@end: mov [eax].TFoo.X, 1\n  jmp @end\nend;"));
    EXPECT_CLEAN(P);
    EXPECT_EQ(P->Count("AsmStatement"), 1);
    auto Q = ParsePas("unit U; interface implementation procedure P; asm mov eax, 1");
    EXPECT_TRUE(Q->HasMessage("Expected 'End' found ''")) << Q->MessageText();
    auto R = ParsePas(UnitWithStatements("asm mov eax, 1 begin end"));
    EXPECT_TRUE(R->HasMessage("Expected 'End' found 'begin'")) << R->MessageText();
}

TEST(ParserStatements, WriteFormattingOnlyInArgumentLists)
{
    auto P = ParsePas(UnitWithStatements(
        "Writeln(X:10:2, Y:3);\nWrite(F(1), X:2);\nWrite(A[I]:4);\n"
        "Foo();\ncase X of 1: A; end;\nG(H(), 2);\ncase Y of 2: B end;"));
    EXPECT_CLEAN(P);
    EXPECT_EQ(P->Count("CaseSelector"), 2);
    auto Q = ParsePas(UnitWithStatements("X := A:2;"));
    EXPECT_TRUE(Q->HasMessage("Expected 'SemiColon' found ':'")) << Q->MessageText();
}

TEST(ParserStatements, CaseOnIndexedPointerWithRange)
{
    auto P = ParsePas(UnitWithStatements(
        "case p^[i] of 1..2: X := 1; 3: ; end;\ncase A[i] of 1..2: ; end;\n"
        "case p^[i + 1][j] of 'a'..'z': ; end;\ncase F(x)[i] of 0..1: ; end;"));
    EXPECT_CLEAN(P);
    EXPECT_EQ(P->Count("SubrangeType"), 0);
    EXPECT_EQ(P->Count("CaseSelector"), 5);
}

TEST(ParserDesignators, ChainsOfSelectors)
{
    auto P = ParsePas(UnitWithStatements("A.B[1]^.C(2, 3).D := 1;"));
    EXPECT_CLEAN(P);
    // The whole left side is one designator.
    EXPECT_EQ(P->Count("Designator"), 1);
    EXPECT_TRUE(P->Entered({"Designator", "VariableReference", "Variable",
                            "QualifiedIdentifier", "VariableTwo", "VariableTwo",
                            "VariableReference", "Variable", "QualifiedIdentifier",
                            "VariableTwo", "ExpressionList"}));
    auto Q = ParsePas(UnitWithStatements(
        "X := (Sender as TButton).Caption;\nY := TFoo(P)^.Bar[1, 2];\nZ := @Proc;\n"
        "W := @@V;\nF()(1);\nP^[0] := #0;\nS := Obj.Items[I].Name;\nC := ^M;\n"
        "T := inherited Foo(1);\nO := Arr[1][2].X;"));
    EXPECT_CLEAN(Q);
}

TEST(ParserExpressions, OperatorsAndPrecedenceRules)
{
    auto P = ParsePas(UnitWithStatements(
        "X := -A + B * C div D mod E shl 1 shr 2 / F - G or H xor I and not J;\n"
        "B := (A = B) and (C <> D) or (E < F) or (G <= H) or (I > J) or (K >= L);\n"
        "B := X in [1, 3..5, A] ;\nB := O is TFoo;\nS := 'a' + 'b' + #13#10 + S;\n"
        "F := 1.5e3 + $FF + 10;\nP := nil;\nE := [];\nS := string(P);\nX := + - + 1;"));
    EXPECT_CLEAN(P);
    EXPECT_EQ(P->Count("MultiplicativeOperator"), 8);
    EXPECT_EQ(P->Count("RelativeOperator"), 8);
    EXPECT_TRUE(P->Entered({"SetConstructor", "SetElement", "SetElement", "SetElement"}));
    EXPECT_TRUE(P->Entered({"CharString", "Number"}));
}

TEST(ParserExpressions, RelationsDoNotChain)
{
    auto P = ParsePas(UnitWithStatements("B := A = B = C;"));
    EXPECT_EQ(P->Count("RelativeOperator"), 1);
    EXPECT_TRUE(P->HasMessage("Expected 'SemiColon' found '='")) << P->MessageText();
}

TEST(ParserExpressions, MissingOperandIsReportedByTheNextRule)
{
    auto P = ParsePas(UnitWithStatements("X := ;\nY := 1 + ;\nif then Z := 1;"));
    EXPECT_CLEAN(P);
    auto Q = ParsePas(UnitWithStatements("X := 1 + ) ;"));
    EXPECT_FALSE(Q->Messages.empty());
}

TEST(ParserExpressions, StringFollowedByAWordEndsTheString)
{
    auto P = ParsePas("library L;\nprocedure A; external 'x.dll' name 'A' ;\n"
                      "procedure B; external 'x.dll' index 3;\n"
                      "exports A name 'AA' resident;\nbegin end.");
    EXPECT_CLEAN(P);
    EXPECT_EQ(P->Count("ExternalDirectiveThree"), 1);
}

// Every input, however broken, ends: the parser consumes a token on every
// pass of every loop.
TEST(ParserRobustness, BrokenInputsEnd)
{
    const char* Sources[] = {
        "unit",
        "unit U; interface type T = class property",
        "unit U; interface type T = object property P: Integer read",
        "unit U; interface type T = record case",
        "unit U; interface const C: T = (",
        "unit U; interface const C: T = ((((",
        "unit U; interface const C: T = [1..",
        "program P; begin case X of",
        "program P; begin X := A[",
        "program P; begin X := F(",
        "program P; begin with",
        "program P; begin try except on E: do",
        "program P; begin asm @",
        "unit U; )))]]]end end end;;;...",
        "program P; begin type var const ( ) [ ] ^ @ @@ : := , .. end.",
        "program P; procedure Q; external 'a' index; begin end.",
        "unit U; interface type T = class(A, B) private public strict end;",
        "unit U; implementation class class class procedure end.",
        "library L; exports A index name resident, , ; begin end.",
        "package K; requires ; contains , in ; end",
    };
    for (const char* Src : Sources) {
        TRecordingParser P;
        bool Fatal = false;
        try {
            P.ParseText(Src);
        } catch (const ESyntaxError&) {
            Fatal = true;
        }
        EXPECT_TRUE(Fatal || !P.Messages.empty()) << Src;
    }
}

} // namespace

namespace {

TEST(ParserDelphi7, ControlCharacterConstants)
{
    auto P = ParsePas(UnitWithStatements(
        "S := Labl + ^M^J'Value ' + SL;\nC := ^C'Error';\nT := #0 + Char(K) + ^R#0;\n"
        "D := ^[;\nQ := P^;\nR := P^.X;"));
    EXPECT_CLEAN(P);
    EXPECT_EQ(P->Count("CharString"), 4);
}

TEST(ParserDelphi7, PlusBeforeATypecastKeyword)
{
    auto P = ParsePas(UnitWithStatements("Print(S + ' = ' + String(P^.Data));\n"
                                         "X := 'a' + string(Y) + 'b';"));
    EXPECT_CLEAN(P);
}

TEST(ParserDelphi7, ProceduralVariableWithDirectiveAndInitialValue)
{
    auto P = ParsePas(UnitWithDecls(
        "var\n  F: function(A, B: PChar): Integer; stdcall = nil;\n"
        "  G: procedure; cdecl;\n  H: Integer;"));
    EXPECT_CLEAN(P);
    EXPECT_EQ(P->Count("ProceduralDirective"), 2);
    EXPECT_EQ(P->Count("VarEqual"), 1);
}

TEST(ParserDelphi7, MethodDirectivesWithoutSemicolonAndDispid)
{
    auto P = ParsePas(UnitWithDecls(
        "type IX = interface(IDispatch)\n"
        "  function GetStatus(out S: HRESULT): HRESULT stdcall;\n"
        "  function Made(B: WideString): HRESULT; stdcall; dispid 1;\n"
        "  procedure Done; safecall; dispid 2;\nend;"));
    EXPECT_CLEAN(P);
    EXPECT_EQ(P->Count("ProceduralDirective"), 3);
}

} // namespace

namespace {

// A unit in the style of Delphi 7 application code parses without a message.
TEST(ParserDelphi7, TypicalVclUnit)
{
    auto P = ParsePas(R"(unit Main;

interface

uses
  Windows, Messages, SysUtils, Classes, Controls, Forms, StdCtrls;

type
  TItemKind = (ikNone, ikFile, ikFolder);
  TItemKinds = set of TItemKind;
  TNotifyProc = procedure(Sender: TObject; const Name: string) of object;

  EMainError = class(Exception);

  TMainForm = class(TForm)
    Button1: TButton;
    Memo1: TMemo;
    procedure Button1Click(Sender: TObject);
    procedure FormCreate(Sender: TObject);
  private
    FItems: TStringList;
    FOnNotify: TNotifyProc;
    Name2: string;
    procedure WMSize(var Message: TWMSize); message WM_SIZE;
    function GetItem(Index: Integer): string;
    procedure SetItem(Index: Integer; const Value: string);
  protected
    procedure CreateParams(var Params: TCreateParams); override;
  public
    constructor Create(AOwner: TComponent); override;
    destructor Destroy; override;
    class function Instance: TMainForm;
    property Items[Index: Integer]: string read GetItem write SetItem; default;
    property OnNotify: TNotifyProc read FOnNotify write FOnNotify;
  published
    property Align default alNone;
  end;

const
  KindNames: array[TItemKind] of string = ('none', 'file', 'folder');
  CRLF = #13#10;

resourcestring
  SBadIndex = 'Index %d out of bounds';

var
  MainForm: TMainForm;

function MessageBox(hWnd: HWND; Text, Caption: PChar; uType: UINT): Integer; stdcall;
  external 'user32.dll' name 'MessageBoxA';

implementation

{$R *.dfm}

var
  GInstance: TMainForm = nil;

constructor TMainForm.Create(AOwner: TComponent);
begin
  inherited Create(AOwner);
  FItems := TStringList.Create;
end;

destructor TMainForm.Destroy;
begin
  FItems.Free;
  inherited;
end;

class function TMainForm.Instance: TMainForm;
begin
  if GInstance = nil then
    GInstance := TMainForm.Create(Application);
  Result := GInstance;
end;

procedure TMainForm.CreateParams(var Params: TCreateParams);
begin
  inherited CreateParams(Params);
  Params.Style := Params.Style or WS_CLIPCHILDREN and not WS_BORDER;
end;

function TMainForm.GetItem(Index: Integer): string;
begin
  if (Index < 0) or (Index >= FItems.Count) then
    raise EMainError.CreateFmt(SBadIndex, [Index]);
  Result := FItems[Index];
end;

procedure TMainForm.SetItem(Index: Integer; const Value: string);
begin
  FItems[Index] := Value;
  if Assigned(FOnNotify) then FOnNotify(Self, Value);
end;

procedure TMainForm.WMSize(var Message: TWMSize);
begin
  inherited;
  Caption := Format('%d x %d', [Message.Width, Message.Height]);
end;

procedure TMainForm.FormCreate(Sender: TObject);
var
  I: Integer;
  K: TItemKind;
  S: string;
  P: PChar;
begin
  for I := 0 to FItems.Count - 1 do
    Memo1.Lines.Add(IntToStr(I) + ': ' + FItems[I]);
  for K := Low(TItemKind) to High(TItemKind) do
    if K in [ikFile, ikFolder] then
      S := S + KindNames[K] + CRLF;
  P := PChar(S);
  while P^ <> #0 do Inc(P);
  with TStringList.Create do
  try
    Add('x');
    Sort;
  finally
    Free;
  end;
  try
    StrToInt(S);
  except
    on E: EConvertError do
      MessageBox(Handle, PChar(E.Message), 'Error', MB_OK);
    on EAbort do ;
  end;
  case Length(S) of
    0: Exit;
    1..9: S := Copy(S, 1, 1);
  else
    S := '';
  end;
  (Sender as TButton).Caption := 'Done';
  TButton(Sender).Enabled := False;
  Writeln(I:4, S:10);
end;

procedure TMainForm.Button1Click(Sender: TObject);
begin
  Close;
end;

initialization
  RegisterClass(TMainForm);
finalization
  GInstance := nil;
end.
)");
    EXPECT_CLEAN(P);
}

} // namespace
