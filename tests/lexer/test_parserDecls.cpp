// Grammar of files, sections, declarations, types, classes and routines.
#include <gtest/gtest.h>

#include "tests/lexer/test_parserCommon.h"

namespace {

#define EXPECT_CLEAN(P) EXPECT_TRUE((P)->Messages.empty()) << (P)->MessageText()

TEST(ParserSections, InterfaceAndImplementationDeclarations)
{
    auto P = ParsePas("unit U;\ninterface\nconst A = 1;\nresourcestring R = 'r' + 'x';\n"
                      "type T = Integer;\nvar V: T;\nthreadvar W: T;\n"
                      "procedure P(X: Integer);\nfunction F: Integer;\n"
                      "implementation\nlabel 1, L2;\nconst B = 2;\ntype S = T;\nvar Z: S;\n"
                      "procedure P(X: Integer); begin end;\n"
                      "function F: Integer; begin Result := 1 end;\n"
                      "class procedure TX.M; begin end;\n"
                      "constructor TX.Create; begin end;\ndestructor TX.Destroy; begin end;\n"
                      "end.");
    EXPECT_CLEAN(P);
    EXPECT_TRUE(P->Entered({"InterfaceSection", "InterfaceDeclaration", "ConstSection",
                            "InterfaceDeclaration", "ConstSection", "ResourceDeclaration",
                            "InterfaceDeclaration", "TypeSection", "InterfaceDeclaration",
                            "VarSection", "InterfaceDeclaration", "VarSection",
                            "InterfaceDeclaration", "ExportedHeading", "ProcedureHeading",
                            "InterfaceDeclaration", "ExportedHeading", "FunctionHeading"}));
    EXPECT_TRUE(P->Entered({"ImplementationSection", "DeclarationSection",
                            "LabelDeclarationSection", "LabelId", "LabelId",
                            "DeclarationSection", "ConstSection", "DeclarationSection",
                            "TypeSection", "DeclarationSection", "VarSection",
                            "ProcedureDeclarationSection", "ProcedureMethodDeclaration",
                            "FunctionProcedureName", "FunctionProcedureBlock", "Block",
                            "ProcedureDeclarationSection", "FunctionMethodDeclaration",
                            "ReturnType", "FunctionProcedureBlock",
                            "ProcedureDeclarationSection", "ProcedureMethodDeclaration",
                            "ObjectNameOfMethod", "FunctionProcedureName"}));
}

TEST(ParserSections, InitializationForms)
{
    EXPECT_CLEAN(ParsePas("unit U; interface implementation initialization X := 1; end."));
    EXPECT_CLEAN(ParsePas("unit U; interface implementation finalization X := 1; end."));
    EXPECT_CLEAN(ParsePas("unit U; interface implementation initialization A; "
                          "finalization B; end."));
    EXPECT_CLEAN(ParsePas("unit U; interface implementation begin A end."));
    auto P = ParsePas("unit U; interface implementation X end.");
    EXPECT_TRUE(P->HasMessage("InvalidInitializationSection found X")) << P->MessageText();
}

TEST(ParserSections, ExportsEndsImplementationDeclarations)
{
    auto P = ParsePas("unit U; interface implementation\nprocedure P; begin end;\n"
                      "exports P;\nend.");
    EXPECT_TRUE(P->HasMessage("InvalidInitializationSection found exports"))
        << P->MessageText();
    EXPECT_EQ(P->Count("ExportsClause"), 0);
    auto L = ParsePas("library L; procedure P; begin end; exports P; begin end.");
    EXPECT_CLEAN(L);
    EXPECT_EQ(L->Count("ExportsClause"), 1);
}

TEST(ParserConstants, UntypedTypedAndResourceConstants)
{
    auto P = ParsePas(UnitWithDecls("const\n  A = 1 + 2 * 3;\n  B: Integer = A;\n"
                                    "  C = 'abc' + #13#10;\n  D: set of Char = ['a'..'z', '_'];\n"
                                    "  E: TRange = [];\n  F = not True;\n  G = SizeOf(Integer);\n"
                                    "  H: string[10] = 'x';\n  I = -A;\n  J = @P;\n  K = nil;\n"
                                    "resourcestring S1 = 'one'; S2 = 'two';"));
    EXPECT_CLEAN(P);
    EXPECT_EQ(P->Count("ConstantEqual"), 7);
    EXPECT_EQ(P->Count("ConstantColon"), 4);
    EXPECT_EQ(P->Count("ResourceDeclaration"), 2);
    EXPECT_TRUE(P->Entered({"ConstantName", "ConstantEqual", "ConstantValue",
                            "ConstantExpression", "ConstantName", "ConstantColon", "TypeKind",
                            "ConstantValueTyped", "TypedConstant"}));
    auto Q = ParsePas(UnitWithDecls("const A 1;"));
    EXPECT_TRUE(Q->HasMessage("InvalidConstantDeclaration found 1")) << Q->MessageText();
}

TEST(ParserConstants, ParenthesisedTypedConstantsAreTold)
{
    // Two parenthesised lists separated by a comma: an array of arrays.
    auto A = ParsePas(UnitWithDecls("const M: TM = ((1, 2), (3, 4));"));
    EXPECT_CLEAN(A);
    EXPECT_EQ(A->Count("ArrayConstant"), 3);
    EXPECT_EQ(A->Count("RecordConstant"), 0);
    // A first item followed by a colon: a record constant.
    auto R = ParsePas(UnitWithDecls("const P: TPoint = (X: 1; Y: (A: 2; B: 3));"));
    EXPECT_CLEAN(R);
    EXPECT_EQ(R->Count("RecordConstant"), 2);
    EXPECT_EQ(R->Count("RecordFieldConstant"), 4);
    // A first item followed by an arithmetic operator: an expression.
    auto E = ParsePas(UnitWithDecls("const X: Integer = (1 + 2) * 3; Y: Integer = (A) div 2;"));
    EXPECT_CLEAN(E);
    EXPECT_EQ(E->Count("ArrayConstant"), 0);
    // A list whose items are expressions is still a list.
    auto L = ParsePas(UnitWithDecls("const L: array[0..2] of Integer = (1, 2 + 3, (4) * 5);"));
    EXPECT_CLEAN(L);
    EXPECT_EQ(L->Count("ArrayConstant"), 1);
    // An array of records.
    auto AR = ParsePas(UnitWithDecls("const T: array[0..1] of TP = ((X: 1; Y: 2), (X: 3; Y: 4));"));
    EXPECT_CLEAN(AR);
    EXPECT_EQ(AR->Count("ArrayConstant"), 1);
    EXPECT_EQ(AR->Count("RecordConstant"), 2);
    // Typed sets whose elements are expressions.
    auto S = ParsePas(UnitWithDecls("const S: TS = [Low(T)..High(T), Ord('a') + 1];"));
    EXPECT_CLEAN(S);
}

TEST(ParserConstants, LargeTwoDimensionalTableLooksAheadLocally)
{
    std::string Src = "const Table: array[0..399, 0..9] of Integer = (";
    for (int Row = 0; Row < 400; ++Row) {
        Src += Row ? ",\n(" : "\n(";
        for (int Col = 0; Col < 10; ++Col)
            Src += (Col ? ", " : "") + std::to_string(Row * 10 + Col);
        Src += ")";
    }
    Src += ");";
    auto P = ParsePas(UnitWithDecls(Src));
    EXPECT_CLEAN(P);
    EXPECT_EQ(P->Count("ArrayConstant"), 401);
    // Each decision reads only the first item of its list: a handful of
    // tokens per list, not the rest of the table.
    EXPECT_LT(P->AheadTokensScanned(), 401u * 8u);
}

TEST(ParserVariables, VarForms)
{
    auto P = ParsePas(UnitWithDecls("var A, B: Integer;\n  C: Integer absolute A;\n"
                                    "  D: Integer = 5;\n  E: array[0..1] of Byte = (1, 2);\n"
                                    "  F: TFoo.TBar;\n  G: string;\n  H: ^Integer;"));
    EXPECT_CLEAN(P);
    EXPECT_TRUE(P->Entered({"VarSection", "VarDeclaration", "VarNameList", "VarName",
                            "VarName", "TypeKind", "VarDeclaration", "VarAbsolute",
                            "VarDeclaration", "VarEqual", "ConstantValueTyped"}));
    EXPECT_EQ(P->Count("VarDeclaration"), 7);
}

TEST(ParserTypes, SimpleAndStructuredTypes)
{
    auto P = ParsePas(UnitWithDecls(
        "type\n  TE = (eA, eB, eC);\n  TR = 1..10;\n  TC = 'a'..'z';\n  TN = -5..5;\n"
        "  TL = Low(Integer)..High(Integer);\n  TA = array[TR, Byte] of packed array of Char;\n"
        "  TS = set of TE;\n  TSC = set of 'a'..'z';\n  TF = file of TRec;\n  TFU = file;\n"
        "  TP = ^TRec;\n  TStr = string[20];\n  TCR = class of TObject;\n"
        "  TT = type Integer;\n  TQ = System.Integer;\n  TD = Double;\n  TV = OleVariant;\n"
        "  TW = WideString;"));
    EXPECT_CLEAN(P);
    EXPECT_TRUE(P->Entered({"TypeDeclaration", "TypeKind", "SimpleType", "EnumeratedType",
                            "IdentifierList"}));
    EXPECT_TRUE(P->Entered({"ArrayType", "OrdinalType", "TypeId", "OrdinalType", "TypeId",
                            "OrdinalIdentifier", "TypeKind", "StructuredType", "ArrayType"}));
    EXPECT_TRUE(P->Entered({"SetType", "OrdinalType", "SetType", "OrdinalType", "FileType",
                            "TypeId", "FileType", "PointerType", "TypeId", "StringType",
                            "ClassReferenceType", "TypeId", "ExpliciteType", "TypeKind",
                            "TypeId", "UnitId", "RealIdentifier", "VariantIdentifier",
                            "StringIdentifier"}));
    auto Q = ParsePas(UnitWithDecls("type T = ;"));
    EXPECT_TRUE(Q->HasMessage("InvalidTypeKind found ;")) << Q->MessageText();
    auto R = ParsePas(UnitWithDecls("type T = packed class end;"));
    EXPECT_TRUE(R->HasMessage("InvalidStructuredType found class")) << R->MessageText();
}

TEST(ParserTypes, RecordsWithVariantParts)
{
    auto P = ParsePas(UnitWithDecls(
        "type TR = packed record\n  A, B: Integer;\n  C: record X: Byte end;\n"
        "  case Tag: Integer of\n    0, 1: (D: Integer; E: Byte);\n    2: ();\n"
        "    3: (F: Integer;\n        case Byte of\n          0: (G: Word);\n"
        "          1: (case Boolean of True: (H: Byte)););\nend;\n"
        "TV = record case Integer of 0: (X: Integer) end;"));
    EXPECT_CLEAN(P);
    EXPECT_TRUE(P->Entered({"RecordType", "FieldList", "FieldDeclaration", "IdentifierList",
                            "FieldDeclaration", "RecordType", "VariantSection", "TagField",
                            "TagFieldName", "TagFieldTypeName", "RecordVariant", "FieldList",
                            "RecordVariant", "RecordVariant", "FieldList", "VariantSection"}));
    EXPECT_EQ(P->Count("VariantSection"), 4);
    EXPECT_EQ(P->Count("RecordVariant"), 7);
}

TEST(ParserTypes, ProceduralTypes)
{
    auto P = ParsePas(UnitWithDecls(
        "type\n  TP = procedure(A: Integer; var B; const C: string = 'x'; out D: Byte);\n"
        "  TF = function(X: array of const): Boolean of object; stdcall;\n"
        "  TG = procedure; cdecl;\n  TH = function: string;\n"));
    EXPECT_CLEAN(P);
    EXPECT_TRUE(P->Entered({"ProceduralType", "FormalParameterList", "FormalParameterSection",
                            "ParameterFormal", "FormalParameterSection", "VarParameter",
                            "FormalParameterSection", "ConstParameter", "TypedConstant",
                            "FormalParameterSection", "OutParameter", "ProceduralType",
                            "NewFormalParameterType", "ReturnType", "ProceduralDirective",
                            "DirectiveCalling", "ProceduralType", "ProceduralDirective"}));
}

// A procedural type followed by a field whose name is a directive word.
TEST(ParserTypes, FieldNamedLikeADirectiveAfterProceduralType)
{
    for (const char* Name : {"Message", "Index", "Stdcall", "Register", "Far", "Name"}) {
        std::string Src = std::string("type TR = record\n  OnEvent: procedure of object;\n  ") +
                          Name + ": Integer;\n  Other, " + Name + "2: Byte;\nend;\n"
                          "TC = class\n  FProc: procedure;\n  " + Name + ": string;\nend;\n"
                          "var V: procedure; " + Name + ": Integer;";
        auto P = ParsePas(UnitWithDecls(Src));
        EXPECT_CLEAN(P) << Name;
        EXPECT_EQ(P->Count("ProceduralDirective"), 0) << Name;
        EXPECT_EQ(P->Count("FieldDeclaration"), 3) << Name;
        EXPECT_EQ(P->Count("ClassField"), 2) << Name;
    }
}

TEST(ParserClasses, ClassForms)
{
    auto P = ParsePas(UnitWithDecls(
        "type\n  TA = class;\n  TB = class end;\n  TC = class(TObject);\n"
        "  TD = class(TObject, IFoo) end;\n  TE = class(Sys.TObject) X: Integer; end;\n"
        "  TF = class Y: Integer; end;\n  TG = class of TA;"));
    EXPECT_CLEAN(P);
    EXPECT_TRUE(P->Entered({"ClassForward", "ClassType", "ClassType", "ClassHeritage",
                            "ClassType", "ClassHeritage", "QualifiedIdentifierList",
                            "ClassType", "ClassHeritage", "ClassMemberList", "ClassField",
                            "ClassType", "ClassMemberList", "ClassReferenceType"}));
    EXPECT_EQ(P->Count("ClassMemberList"), 2);
}

TEST(ParserClasses, MembersAndVisibility)
{
    auto P = ParsePas(UnitWithDecls(
        "type TX = class(TBase)\n  FA: Integer;\n  private\n  FB, FC: string;\n"
        "  procedure DoIt(A: Integer); virtual; abstract;\n"
        "  protected\n  function GetX(I: Integer): Integer; overload; dynamic;\n"
        "  strict private\n  FD: Byte;\n  strict protected\n  FE: Byte;\n"
        "  public\n  constructor Create(AOwner: TObject); override;\n"
        "  destructor Destroy; override;\n  class function New: TX;\n"
        "  class procedure Reg; stdcall;\n  procedure WMPaint(var M: TMessage); message WM_PAINT;\n"
        "  published\n  property X: Integer read FA write FA default 0;\n"
        "  automated\n  property Y: Integer dispid 5;\nend;"));
    EXPECT_CLEAN(P);
    EXPECT_TRUE(P->Entered({"ClassMemberList", "ClassVisibility", "ClassField",
                            "ClassVisibility", "VisibilityPrivate", "ClassField",
                            "ClassMethodOrProperty", "ClassMethodHeading",
                            "ClassProcedureHeading", "ProcedureMethodName",
                            "ClassMethodDirective", "ProceduralDirective", "DirectiveBinding",
                            "ProceduralDirective", "VisibilityProtected",
                            "ClassFunctionHeading", "FunctionMethodName", "ReturnType",
                            "VisibilityStrictPrivate", "ClassField",
                            "VisibilityStrictProtected", "ClassField", "VisibilityPublic",
                            "ConstructorHeading", "ConstructorName", "DestructorHeading",
                            "DestructorName", "ClassFunctionHeading", "ClassProcedureHeading",
                            "DirectiveCalling", "ClassProcedureHeading", "DirectiveBinding",
                            "ConstantExpression", "VisibilityPublished", "ClassProperty",
                            "VisibilityAutomated", "ClassProperty"}));
}

TEST(ParserClasses, VisibilityWordsAsFieldNames)
{
    auto P = ParsePas(UnitWithDecls(
        "type TX = class\n  Private: Integer;\n  Public, Published: Byte;\n"
        "  Strict: Boolean;\n  protected\n  Automated: Integer;\nend;"));
    EXPECT_CLEAN(P);
    EXPECT_EQ(P->Count("ClassField"), 4);
    EXPECT_EQ(P->Count("VisibilityProtected"), 1);
    EXPECT_EQ(P->Count("VisibilityPrivate") + P->Count("VisibilityPublic") +
                  P->Count("VisibilityPublished") + P->Count("VisibilityAutomated"),
              0);
}

TEST(ParserClasses, PropertiesAndSpecifiers)
{
    auto P = ParsePas(UnitWithDecls(
        "type TX = class\n"
        "  property Items[Index: Integer]: TItem read GetItem write SetItem; default;\n"
        "  property Cells[const C, R: Integer]: string read GetCell;\n"
        "  property Left: Integer index 0 read GetCoord write SetCoord stored False;\n"
        "  property Color nodefault;\n  property Tag;\n"
        "  property Intf: IFoo read FIntf implements IFoo, IBar;\n"
        "  property R: Integer read FRec.Field;\n  property S: string readonly;\n"
        "  property W: string writeonly stored IsStored default 1;\nend;"));
    EXPECT_CLEAN(P);
    EXPECT_TRUE(P->Entered({"ClassProperty", "PropertyName", "PropertyInterface",
                            "PropertyParameterList", "FormalParameterList", "TypeId",
                            "PropertySpecifiers", "AccessSpecifier", "ReadAccessIdentifier",
                            "AccessSpecifier", "WriteAccessIdentifier", "PropertyDirective"}));
    EXPECT_EQ(P->Count("PropertyDirective"), 1);
    EXPECT_EQ(P->Count("StorageStored"), 2);
    EXPECT_EQ(P->Count("StorageNoDefault"), 1);
    EXPECT_EQ(P->Count("StorageDefault"), 1);
    EXPECT_EQ(P->Count("ClassProperty"), 9);
}

TEST(ParserClasses, MethodResolutionClause)
{
    auto P = ParsePas(UnitWithDecls(
        "type TX = class(TInterfacedObject, IFoo)\n  function IFoo.Get = GetFoo;\n"
        "  procedure IFoo.Put = PutFoo;\n  function GetFoo: Integer;\nend;"));
    EXPECT_CLEAN(P);
    EXPECT_EQ(P->Count("ClassMethodResolution"), 2);
    EXPECT_EQ(P->Count("ResolutionInterfaceName"), 2);
    EXPECT_EQ(P->Count("ClassFunctionHeading"), 1);
}

TEST(ParserClasses, InterfacesAndDispinterfaces)
{
    auto P = ParsePas(UnitWithDecls(
        "type\n  IA = interface;\n  IB = interface end;\n  IC = interface(IUnknown);\n"
        "  ID = interface(IUnknown)\n    ['{00000000-0000-0000-0000-000000000001}']\n"
        "    function Get: Integer; stdcall;\n    procedure Put(V: Integer); safecall;\n"
        "    property Value: Integer read Get write Put;\n  end;\n"
        "  IE = interface [SID_IE] procedure X; end;\n  DA = dispinterface;\n"
        "  DB = dispinterface ['{00000000-0000-0000-0000-000000000002}']\n"
        "    property Count: Integer readonly dispid 1;\n"
        "    function Item(I: Integer): OleVariant; dispid 0;\n  end;"));
    EXPECT_CLEAN(P);
    EXPECT_TRUE(P->Entered({"InterfaceForward", "InterfaceType", "InterfaceType",
                            "InterfaceHeritage", "InterfaceType", "InterfaceHeritage",
                            "InterfaceGUID", "CharString", "InterfaceMemberList",
                            "ClassMethodOrProperty", "ClassFunctionHeading",
                            "ClassProcedureHeading", "ClassProperty", "InterfaceType",
                            "InterfaceGUID", "DispInterfaceForward", "InterfaceType",
                            "InterfaceGUID", "ClassProperty", "ClassFunctionHeading"}));
}

TEST(ParserClasses, ObjectTypes)
{
    auto P = ParsePas(UnitWithDecls(
        "type\n  PO = ^TOb;\n  TOb = object;\n  TO1 = object end;\n  TO2 = object(TO1);\n"
        "  TO3 = object(TO1)\n    X, Y: Integer;\n  private\n    Z: Byte;\n  public\n"
        "    constructor Init(A: Integer);\n    destructor Done; virtual;\n"
        "    function Get: Integer; virtual;\n    procedure Put(V: Integer); far;\n"
        "    property P: Integer read X write X;\n    property Q[I: Integer]: Byte read Get; default;\n"
        "    property R: Integer read X; Public: Integer;\n"
        "  end;"));
    EXPECT_CLEAN(P);
    EXPECT_TRUE(P->Entered({"ObjectForward", "ObjectType", "ObjectType", "ObjectHeritage",
                            "ObjectType", "ObjectHeritage", "ObjectMemberList", "ObjectField",
                            "ObjectVisibility", "VisibilityPrivate", "ObjectField",
                            "VisibilityPublic", "ObjectMethodHeading",
                            "ObjectConstructorHeading", "ObjectDestructorHeading",
                            "ObjectMethodDirective", "ObjectFunctionHeading",
                            "ObjectProcedureHeading", "Directive16Bit", "ObjectProperty",
                            "ObjectPropertySpecifiers", "ObjectProperty",
                            "ObjectPropertySpecifiers", "PropertyDirective"}));
    EXPECT_EQ(P->Count("ObjectField"), 3);
}

// An object property without access specifiers, or with a word that is no
// specifier, ends at once instead of looping.
TEST(ParserClasses, ObjectPropertySpecifiersNeverLoop)
{
    auto P = ParsePas(UnitWithDecls("type TOb = object\n  property P: Integer;\n"
                                    "  property Q: Integer bogus;\nend;"));
    EXPECT_EQ(P->Count("AccessSpecifier"), 0);
    EXPECT_EQ(P->Count("StorageSpecifier"), 0);
    EXPECT_TRUE(P->HasMessage("Expected 'SemiColon' found 'bogus'")) << P->MessageText();
}

TEST(ParserRoutines, DirectivesForwardAndExternal)
{
    auto P = ParsePas(
        "unit U;\ninterface\nprocedure A; stdcall; overload;\nfunction B: Integer; forward;\n"
        "procedure C; assembler;\nprocedure D; external 'lib.dll' name 'DD';\n"
        "procedure E; external 'lib.dll' index 3;\nfunction F(X: Integer): Integer; cdecl; "
        "external 'lib.dll';\n"
        "implementation\nprocedure G; forward;\nprocedure H; overload; forward;\n"
        "procedure I; external;\nprocedure J; far; begin end;\n"
        "function K(var X): Integer; assembler; asm mov eax, 1 end;\n"
        "procedure G; local; begin end;\nprocedure L(const A: array of Integer; in B: Byte); "
        "begin end;\nend.");
    EXPECT_CLEAN(P);
    EXPECT_EQ(P->Count("ForwardDeclaration"), 3);
    EXPECT_EQ(P->Count("ExternalDirective"), 4);
    EXPECT_EQ(P->Count("ExternalDirectiveTwo"), 3);
    EXPECT_EQ(P->Count("ExternalDirectiveThree"), 1);
    EXPECT_EQ(P->Count("Block"), 3);
    EXPECT_EQ(P->Count("AsmStatement"), 1);
}

TEST(ParserRoutines, NestedRoutinesAndLocalDeclarations)
{
    auto P = ParsePas(UnitWithStatements("") + "");
    EXPECT_CLEAN(P);
    auto Q = ParsePas("program P;\nprocedure Outer;\n  const C = 1;\n  var V: Integer;\n"
                      "  type T = record end;\n  label 9;\n"
                      "  function Inner(X: Integer): Integer;\n  begin Result := X end;\n"
                      "begin V := Inner(C) end;\nbegin Outer end.");
    EXPECT_CLEAN(Q);
    EXPECT_EQ(Q->Count("Block"), 3);
    EXPECT_EQ(Q->Count("FunctionMethodDeclaration"), 1);
}

TEST(ParserRoutines, ParameterNamedOut)
{
    auto P = ParsePas(UnitWithDecls("procedure P(Out: Integer; out O: Integer; Out2, Out: Byte);"));
    EXPECT_CLEAN(P);
    EXPECT_EQ(P->Count("OutParameter"), 1);
    EXPECT_EQ(P->Count("ParameterFormal"), 2);
}

TEST(ParserRoutines, ReportsOfRoutineRules)
{
    auto P = ParsePas(UnitWithDecls("procedure P(3);"));
    EXPECT_TRUE(P->Messages.size() >= 1u);
    auto Q = ParsePas(UnitWithDecls("procedure A; virtual; message 1 2;"));
    EXPECT_TRUE(Q->HasMessage("Expected 'Implementation' found '2'")) << Q->MessageText();
    auto R = ParsePas("unit U; interface implementation class var X: Integer; end.");
    EXPECT_TRUE(R->HasMessage("InvalidProcedureDeclarationSection found var"))
        << R->MessageText();
}

} // namespace

namespace {

TEST(ParserDelphi7, EnumerationsWithExplicitValues)
{
    auto P = ParsePas(UnitWithDecls("type TE = (eA = 1, eB, eC = eA + 5, eD);"));
    EXPECT_CLEAN(P);
    EXPECT_EQ(P->Count("EnumeratedType"), 1);
    EXPECT_EQ(P->Count("IdentifierList"), 3);
}

TEST(ParserDelphi7, SubrangeTypeOfTypedConstant)
{
    auto P = ParsePas(UnitWithDecls(
        "const S: set of 'a'..'z' = ['a', 'b'];\n  R: 0..5 = 3;\n"
        "  L: array[TE] of set of A..B = ([A], [B]);"));
    EXPECT_CLEAN(P);
    EXPECT_EQ(P->Count("ConstantValueTyped"), 3);
}

TEST(ParserDelphi7, UntypedFileParameter)
{
    auto P = ParsePas(UnitWithDecls("procedure Dump(var F: File; const G: file);"));
    EXPECT_CLEAN(P);
    EXPECT_EQ(P->Count("OldFormalParameterType"), 2);
}

TEST(ParserDelphi7, HintDirectives)
{
    auto P = ParsePas(
        "unit U platform;\ninterface\n"
        "function WeekDay(Y: Integer): Integer; platform;\n"
        "procedure Old; overload; deprecated;\nprocedure Lib; library;\n"
        "const C = 1 deprecated;\nvar V: Integer platform;\n"
        "type TR = record F: string deprecated; end;\n"
        "  TC = class\n    G: Integer deprecated;\n    procedure M; virtual; deprecated;\n  end;\n"
        "  TOld = Integer deprecated;\n"
        "implementation\nprocedure Old; deprecated; begin end;\n"
        "var Platform: Integer;\nend.");
    EXPECT_CLEAN(P);
}

} // namespace

namespace {

// Rules that only unusual text reaches.
TEST(ParserRareRules, RealTypeSubrangeAndStringStatement)
{
    auto P = ParsePas(UnitWithDecls("type TF = -1.5;\n  TS = [1..2];"));
    EXPECT_CLEAN(P);
    EXPECT_EQ(P->Count("RealType"), 1);
    EXPECT_EQ(P->Count("SubrangeType"), 1);
    auto Q = ParsePas(UnitWithStatements("string(P) := 'x';\nX := F(1)[1..2];"));
    EXPECT_CLEAN(Q);
    EXPECT_EQ(Q->Count("StringStatement"), 1);
    EXPECT_EQ(Q->Count("SubrangeType"), 1);
}

} // namespace
