// Valid Delphi 7 forms that the analysis once misread, losing the rest of
// the unit. Each fixture is a unit whose last routine, Tail, assigns the
// global Marker: Marker's one use shows that the unit was read to its end.
#include "AnalysisTestSupport.h"

namespace {

struct TFixture : TFixtureUnit {
    explicit TFixture(const std::string& Interface, const std::string& Implementation,
                      const std::string& Kind = "unit")
    {
        const std::string Tail = "procedure Tail;\nbegin\n  Marker := 1;\nend;\n";
        const std::string Text =
            Kind == "unit" ? "unit Fixture;\n\ninterface\n\nvar\n  Marker: Integer;\n\n" + Interface +
                                 "\nimplementation\n\n" + Implementation + "\n" + Tail + "\nend.\n"
                           : Implementation; // a whole file of its own
        Analyze(Kind == "unit" ? "Fixture.pas" : "Fixture.dpr", Text);
    }
};

} // namespace

TEST(Delphi7Syntax, StringExpressionsReadAsTheGrammarReadsThem)
{
    for (const char* Statement : {"S := 'Addr: ' + string(P);", "S := 'Name: ' + (O as TPersistentItem).Name;",
                                  "S := 'n=' + IntToStr(B + 1);", "S := 'Line'#13#10 + S + ^M'End';",
                                  "S := 'count: ' + IntToStr(Length(S)) + ' items';"}) {
        SCOPED_TRACE(Statement);
        TFixture Fx("type\n  TPersistentItem = class\n  public\n    Name: string;\n  end;\n\n"
                    "function IntToStr(Value: Integer): string;\n",
                    std::string("function IntToStr(Value: Integer): string;\nbegin\n"
                                "  Str(Value, Result);\nend;\n\n"
                                "procedure Describe(P: Pointer; O: TObject; B: Integer);\nvar\n"
                                "  S: string;\nbegin\n  ") +
                        Statement + "\nend;\n");
        EXPECT_EQ(Fx.Messages(), "");
        EXPECT_EQ(Fx.Uses("Marker"), 1);
        EXPECT_GE(Fx.Unit->GetStringLiterals()->GetCount(), 1);
    }
}

TEST(Delphi7Syntax, FormsThatOnceLostTheRestOfTheUnit)
{
    const struct {
        const char* Behaviour;
        const char* Interface;
        const char* Implementation;
    } Cases[] = {
        {"dereferenced nil as an untyped argument", "",
         "procedure CloseIt(H: THandle);\nbegin\nend;\n\n"
         "procedure Reset;\nbegin\n  CloseIt(THandle(nil^));\nend;\n"},
        {"procedural variables with a calling convention and nil",
         "var\n  FOnLoad: procedure cdecl = nil;\n"
         "  FOnCalc: function(X: Integer): Integer stdcall = nil;\n",
         "procedure Run;\nbegin\n  if Assigned(FOnLoad) then\n    FOnLoad;\nend;\n"},
        {"dispatch interface ids after the semicolon",
         "type\n  IOrderDisp = dispinterface\n    ['{6B1C8E4A-2F0D-4E7B-9C51-3A8D2E6F1B70}']\n"
         "    function Total: Integer; dispid 201;\n    procedure Clear; dispid 202;\n  end;\n",
         ""},
        {"interface methods with a calling convention and no semicolon before it",
         "type\n  ITask = interface(IUnknown)\n    ['{2A0B3C4D-5E6F-4A1B-8C9D-0E1F2A3B4C5D}']\n"
         "    function GetStatus(out Status: HResult): HResult stdcall;\n"
         "    function GetExitCode(out Code: LongWord): HResult stdcall;\n  end;\n",
         ""},
        {"array bounds that are expressions",
         "const\n  Lo = 1;\n  Hi = 10;\n  MaxItems = 8;\n\ntype\n"
         "  TShifted = array [Lo - 1..Hi] of Integer;\n"
         "  TBuffer = array [0..MaxItems * 2] of Byte;\n",
         ""},
        {"a pointer to a type that is never declared",
         "var\n  Ref: ^TUnknown;\n", ""},
        {"property read from an array element",
         "type\n  TCounters = class\n  private\n    FArr: array [0..3] of Integer;\n"
         "  public\n    property First: Integer read FArr[0];\n  end;\n",
         ""},
        {"named arguments of an automation call", "",
         "procedure Format(W: Variant);\nbegin\n  W.AutoFormat(Format := 1, Borders := True);\nend;\n"},
        {"exports in the implementation section", "",
         "function Version: Integer; stdcall;\nbegin\n  Result := 7;\nend;\n\n"
         "exports\n  Version;\n"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Behaviour);
        TFixture Fx(C.Interface, C.Implementation);
        EXPECT_EQ(Fx.Messages(), "");
        EXPECT_EQ(Fx.Uses("Marker"), 1);
    }
}

TEST(Delphi7Syntax, DeclarationsAfterTheFormsAreRecorded)
{
    TFixture Fx("type\n  IOrderDisp = dispinterface\n    ['{6B1C8E4A-2F0D-4E7B-9C51-3A8D2E6F1B70}']\n"
                "    function Total: Integer; dispid 201;\n    procedure Clear; dispid 202;\n  end;\n\n"
                "  TCounters = class\n  private\n    FArr: array [0..3] of Integer;\n"
                "  public\n    property First: Integer read FArr[0];\n  end;\n",
                "");
    auto* Disp = dynamic_cast<TqlInterface*>(Fx.Find("IOrderDisp"));
    ASSERT_NE(Disp, nullptr);
    EXPECT_TRUE(Disp->GetIsDispatchInterface());
    EXPECT_EQ(Disp->GetRoutines()->GetCount(), 2);
    auto* Counters = dynamic_cast<TqlClass*>(Fx.Find("TCounters"));
    ASSERT_NE(Counters, nullptr);
    TqlProperty* First = Counters->GetProperties()->Find("First");
    ASSERT_NE(First, nullptr);
    ASSERT_NE(First->GetReadAccess(), nullptr);
    EXPECT_EQ(First->GetReadAccess()->GetName(), "FArr");
}

TEST(Delphi7Syntax, LibraryEndingWithEndAndNoMainBlock)
{
    TFixture Fx("",
                "library Fixture;\n\n"
                "function Version: Integer; stdcall;\nbegin\n  Result := 7;\nend;\n\n"
                "exports\n  Version;\n\nend.\n",
                "library");
    EXPECT_EQ(Fx.Messages(), "");
    EXPECT_EQ(Fx.Unit->ParserState, psrFull);
    EXPECT_EQ(Fx.Uses("Version"), 1);
}
