// Uses that Delphi 7 code makes without writing the name where the analysis
// looks for it: a bare "inherited", the words of an asm block, the
// constructor called by New(P, Init), the members of an exception
// handler's variable and the index parameters of array properties. Each
// use must stand at the token a rename edits (or be marked as having none).
// The unit's interface starts at line 8, its implementation at the fourth
// line after the interface's last.
#include "AnalysisTestSupport.h"

#include <tuple>

namespace {

struct TUsesFixture : TFixtureUnit {
    TUsesFixture(const std::string& Interface, const std::string& Implementation)
        : TFixtureUnit("Windows", Interface, Implementation)
    {
        EXPECT_EQ(Messages({"TObject", "Windows"}), "");
    }
    TqlClass* Class(const std::string& Name) { return dynamic_cast<TqlClass*>(Find(Name)); }
    // The Index-th routine of that name of a class, or of the unit.
    TqlRoutine* Routine(const std::string& Name, const std::string& ClassName = "", int Index = 0)
    {
        TqlRoutineList* L = ClassName.empty() ? Unit->GetRoutines() : Class(ClassName)->GetRoutines();
        for (int i = 0; i < L->GetCount(); ++i)
            if (qlSameText(L->GetRoutine(i)->GetName(), Name) && Index-- == 0)
                return L->GetRoutine(i);
        return nullptr;
    }
    TqlSymbol* Param(const std::string& Name, const std::string& RoutineName, const std::string& ClassName = "")
    {
        return Routine(RoutineName, ClassName)->GetParameters()->Find(Name);
    }
};

void ExpectPlaces(std::initializer_list<std::tuple<const char*, TqlSymbol*, const char*>> Cases)
{
    for (const auto& [What, Symbol, Expected] : Cases)
        EXPECT_EQ(UsePlaces(Symbol), Expected) << What;
}

} // namespace

TEST(Delphi7Uses, BareInheritedCallsTheNearestAncestorsMethodWithTheParameters)
{
    TUsesFixture Fx("type\n  TBase = class\n  public\n    procedure Work(A: Integer);\n"
                    "    procedure Show(N: Integer); overload;\n    procedure Show(const S: string); overload;\n"
                    "    function Size: Integer;\n  end;\n  TMid = class(TBase)\n  end;\n  TDer = class(TMid)\n"
                    "  public\n    procedure Work(A: Integer);\n    procedure Show(const S: string);\n"
                    "    function Size: Integer;\n    procedure Alone(B: Integer);\n  end;\n", // 8-24
                    "procedure TBase.Work(A: Integer); begin end;\nprocedure TBase.Show(N: Integer); begin end;\n"
                    "procedure TBase.Show(const S: string); begin end;\n"
                    "function TBase.Size: Integer; begin Result := 1; end;\n"
                    "procedure TDer.Work(A: Integer); begin inherited; end;\n" // 32
                    "procedure TDer.Show(const S: string); begin if S <> '' then inherited end;\n"
                    "function TDer.Size: Integer; begin inherited end;\n"
                    "procedure TDer.Alone(B: Integer); begin inherited; end;\n"); // 35
    ExpectPlaces({
        // Found two classes up; no name is written at "inherited".
        {"ancestor's method", Fx.Routine("Work", "TBase"), "28:17h 32:40u"},
        {"parameter passed on", Fx.Param("A", "Work", "TDer"), "20:20 32:21h 32:40u"},
        // Of the overloads, the one with the caller's parameters.
        {"overload taking an Integer", Fx.Routine("Show", "TBase", 0), "29:17h"},
        {"overload taking a string", Fx.Routine("Show", "TBase", 1), "30:17h 33:61u"},
        // The whole statement of a function.
        {"ancestor's function", Fx.Routine("Size", "TBase"), "31:16h 34:36u"},
        // No ancestor has it: Delphi ignores the inherited, nothing is used.
        {"parameter of a method no ancestor has", Fx.Param("B", "Alone", "TDer"), "23:21 35:22h"},
    });
}

TEST(Delphi7Uses, WordsOfAnAsmBlockUseWhatTheyName)
{
    TUsesFixture Fx("type\n  TPair = record\n    Lo, Hi: Integer;\n  end;\n\n" // 8-12
                    "procedure SinCos(X: Extended; out Sin, Cos: Extended);\n"
                    "function Scan(Buffer: PChar; Len: Integer): Integer;\n", // 14
                    "const\n  FFH = 7;\n  Mask = $FF;\nvar\n  Pair: TPair;\n" // 18-22
                    "procedure Helper; procedure Inner; asm NOP end; begin Inner; end;\n"
                    "procedure SinCos(X: Extended; out Sin, Cos: Extended);\nbegin\n"
                    "  asm\n    FLD     X\n    FSINCOS\n    FSTP    tbyte ptr [edx]\n  end;\nend;\n" // 26-31
                    "function Scan(Buffer: PChar; Len: Integer): Integer;\nlabel\n  Done;\n" // 32-34
                    "var\n  Count: Integer;\nasm\n        PUSH    EDI\n        MOV     EDI, Buffer\n" // 35-39
                    "        MOV     ECX, Len; MOV Count, ECX; INC ECX\n        AND     EAX, 0FFH; AND EAX, Mask\n"
                    "        MOV     EDX, [EDX].TPair.Hi; MOV EDX, Pair.Lo\n" // 42
                    "        JNE     @@Next\n        CALL    Helper\n@@Next: JMP     Done\nDone:   POP     EDI\nend;\n");
    TqlRoutine* Scan = Fx.Routine("Scan");
    auto* Pair = dynamic_cast<TqlRecord*>(Fx.Unit->GetRecords()->Find("TPair"));
    ASSERT_TRUE(Scan && Pair);
    ExpectPlaces({
        {"parameter in an asm block of a begin..end body", Fx.Param("X", "SinCos"), "13:18 24:18h 27:13"},
        {"parameter of an assembler routine", Fx.Param("Buffer", "Scan"), "14:15 32:15h 39:22"},
        // After a ";" the next instruction starts.
        {"local", Scan->GetVariables()->Find("Count"), "40:31"},
        // The digits of 0FFH name nothing; the constant Mask is named.
        {"word inside a number", Fx.Find("FFH"), ""},
        {"constant", Fx.Find("Mask"), "41:37"},
        {"type after a bracket", Pair, "22:9 42:28"},
        {"field after a bracket", Pair->GetFieldList()->Find("Hi"), "42:34"},
        {"field of a variable", Pair->GetFieldList()->Find("Lo"), "42:52"},
        {"routine called", Fx.Routine("Helper"), "44:17"},
        {"label jumped to and placed", Scan->GetLabels()->GetLabels(0), "45:17 46:1"},
        // The instruction INC is no use of the language's Inc.
        {"routine named like an instruction", Fx.P->FindUnit("QuilletSystem")->FindSymbol(nullptr, nullptr, "Inc"), ""},
    });
    // Each routine whose body holds instructions, and no other, may take its
    // parameters from registers.
    TqlRoutine* Helper = Fx.Routine("Helper");
    EXPECT_TRUE(Fx.Routine("SinCos")->GetHasAsmBlock() && Scan->GetHasAsmBlock());
    EXPECT_TRUE(Helper->GetRoutines()->Find("Inner")->GetHasAsmBlock());
    EXPECT_FALSE(Helper->GetHasAsmBlock());
}

TEST(Delphi7Uses, NewAndDisposeCallTheObjectTypesConstructorAndDestructor)
{
    TUsesFixture Fx("type\n  PCounter = ^TCounter;\n  TCounter = object\n    Value: Integer;\n"
                    "    constructor Init(AValue: Integer);\n    destructor Done;\n  end;\n"
                    "  PTally = ^TTally;\n  TTally = object(TCounter)\n  end;\n", // 8-17
                    "constructor TCounter.Init(AValue: Integer); begin Value := AValue; end;\n" // 21
                    "destructor TCounter.Done; begin end;\nprocedure Run;\nvar\n  P: PCounter;\n  T: PTally;\n"
                    "begin\n  New(P, Init(5));\n  Dispose(P, Done);\n  P := New(PCounter, Init(P^.Value));\n" // 27-30
                    // A descendant's New and Dispose call the ancestor's.
                    "  New(T, Init(1));\n  Dispose(T, Done);\n  Dispose(P);\nend;\n"); // 31-34
    EXPECT_FALSE(Fx.Unit->Warnings.Contains(uwImplementation));
    ExpectPlaces({
        {"constructor", Fx.Routine("Init", "TCounter"), "21:22h 28:10 30:22 31:10"},
        {"destructor", Fx.Routine("Done", "TCounter"), "22:21h 29:14 32:14"},
        {"pointer", Fx.Routine("Run")->GetVariables()->Find("P"), "28:7 29:11 30:3 30:27 33:11"},
    });
}

TEST(Delphi7Uses, ExceptionHandlerVariableIsAnObjectOfItsClass)
{
    TUsesFixture Fx("type\n  EOuter = class(TObject)\n  public\n    Code: Integer;\n  end;\n"
                    "  EInner = class(TObject)\n  public\n    Detail: Integer;\n  end;\n", // 8-16
                    "procedure Run;\nbegin\n  try\n    Run;\n  except\n    on E: EOuter do\n    begin\n" // 20-26
                    "      try\n        Run;\n      except\n        on E: EInner do\n" // 27-30
                    "          WriteLn(E.Detail);\n      end;\n      WriteLn(E.Code);\n    end;\n  end;\nend;\n");
    TqlVariablesList* Handlers = Fx.Routine("Run")->GetVariables();
    ASSERT_EQ(Handlers->GetCount(), 2);
    EXPECT_EQ(Handlers->GetVariables(0)->GetTypeIntf(), Fx.Class("EOuter"));
    EXPECT_EQ(Handlers->GetVariables(1)->GetTypeIntf(), Fx.Class("EInner"));
    // Inside the inner handler E is the inner one; after it, the outer one
    // again. Each name is recorded where it declares its variable, so a
    // rename of one knows the other's word.
    ExpectPlaces({
        {"outer E", Handlers->GetVariables(0), "25:8 33:15"},
        {"inner E", Handlers->GetVariables(1), "30:12 31:19"},
        {"inner class's field", Fx.Class("EInner")->GetFieldList()->Find("Detail"), "31:21"},
        {"outer class's field", Fx.Class("EOuter")->GetFieldList()->Find("Code"), "33:17"},
    });
}

TEST(Delphi7Uses, ArrayPropertyIndexParametersRepeatTheAccessorsParameters)
{
    TUsesFixture Fx("type\n  TGrid = class\n  private\n    function GetItem(Index: Integer): Integer;\n" // 11
                    "    function GetCell(ACol, ARow: Integer): string;\n"
                    "    procedure SetCell(Col, Row: Integer; const Value: string);\n  public\n"
                    "    property Items[Index: Integer]: Integer read GetItem; default;\n" // 15
                    "    property Cells[ACol, ARow: Integer]: string read GetCell write SetCell;\n  end;\n",
                    "function TGrid.GetItem(Index: Integer): Integer; begin Result := Index; end;\n" // 21
                    "function TGrid.GetCell(ACol, ARow: Integer): string; begin Result := Cells[ARow, ACol]; end;\n"
                    "procedure TGrid.SetCell(Col, Row: Integer; const Value: string); begin Cells[Row, Col] := Value; end;\n");
    ExpectPlaces({
        {"one index", Fx.Param("Index", "GetItem", "TGrid"), "11:22 15:20h 21:24h 21:66"},
        {"first of two", Fx.Param("ACol", "GetCell", "TGrid"), "12:22 16:20h 22:24h 22:82"},
        {"second of two", Fx.Param("ARow", "GetCell", "TGrid"), "12:28 16:26h 22:30h 22:76"},
        // A parameter named otherwise, and the value parameter, are not the
        // property's.
        {"named otherwise", Fx.Param("Col", "SetCell", "TGrid"), "13:23 23:25h 23:83"},
        {"value", Fx.Param("Value", "SetCell", "TGrid"), "13:48 23:50h 23:91"},
    });
}
