// Ridizo Dedu parameter checks (non-const parameters, unused parameters) and
// the routine name used instead of Result, on units the real analysis builds.
#include "AnalysedProject.h"

namespace {

class AnalysedParams : public ::testing::Test {
protected:
    TAnalysedProject P;

    void Run(const std::string& Interface, const std::string& Implementation)
    {
        P.Write("Main.pas", UnitText("Main", Interface, Implementation));
        P.Analyze("Main.pas");
    }
};

} // namespace

TEST_F(AnalysedParams, NonConstStringAndVariantParameters)
{
    Run("type\n  TLog = class\n  public\n    procedure Add(aText: string; const aOk: string; aN: Integer);\n"
        "  end;\n\nprocedure Send(aWhat: Variant; var aBack: string);\n",
        "procedure TLog.Add(aText: string; const aOk: string; aN: Integer);\nbegin\n"
        "  aN := Length(aText) + Length(aOk);\nend;\n\n"
        "procedure Send(aWhat: Variant; var aBack: string);\nbegin\n  aBack := aWhat;\nend;\n");
    EXPECT_EQ(P.Lint("should be declared as const"),
              (Strings{"Main|TLog.Add|Parameter aText should be declared as const",
                       "Main|Send|Parameter aWhat should be declared as const"}));
}

TEST(AnalysedConstParams, ChangedParametersAndStringAliases)
{
    struct TCase {
        const char* Name;
        const char* Type;
        const char* Body;
        bool Row;
    };
    const TCase Cases[] = {
        {"read only", "string", "G := aStr + Copy(aStr, 1, 2);", true},
        {"assigned", "string", "aStr := 'x';", false},
        {"character assigned", "string", "aStr[1] := 'x';", false},
        {"Delete", "string", "Delete(aStr, 1, 1);", false},
        {"Insert", "string", "Insert('a', aStr, 1);", false},
        {"SetLength", "string", "SetLength(aStr, 2);", false},
        {"own var parameter", "string", "Fix(aStr);", false},
        {"own const parameter", "string", "Show(aStr);", true},
        {"second argument is var", "string", "Swap(G, aStr);", false},
        {"first argument is const", "string", "Swap(aStr, G);", true},
        {"var argument inside a call", "string", "Show(Copy(aStr, 1, 1));", true},
        {"address taken", "string", "Ptr := @aStr;", false},
        {"alias of a string type", "UnicodeString", "G := aStr;", true},
        {"alias of an alias", "TName", "G := aStr;", true},
        {"alias, assigned", "TName", "aStr := G;", false},
        {"alias of an integer", "TCount", "G := '';", false},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TAnalysedProject P;
        P.Write("Main.pas",
                UnitText("Main", "",
                         std::string("type\n  UnicodeString = WideString;\n  TName = UnicodeString;\n"
                                     "  TCount = Integer;\n\nvar\n  G: string;\n  Ptr: Pointer;\n\n"
                                     "procedure Fix(var S: string);\nbegin\nend;\n\n"
                                     "procedure Show(const S: string);\nbegin\nend;\n\n"
                                     "procedure Swap(const A: string; var B: string);\nbegin\nend;\n\n"
                                     "procedure Probe(aStr: ") +
                             C.Type + ");\nbegin\n  " + C.Body + "\nend;\n"));
        P.Analyze("Main.pas");
        EXPECT_EQ(P.Lint("Parameter aStr should be declared as const").size(), C.Row ? 1u : 0u) << ::testing::PrintToString(P.Lint("")) << P.Messages();
    }
}

TEST_F(AnalysedParams, NonConstParametersOfInterfaceRoutines)
{
    Run("type\n  IShow = interface\n    ['{00000000-0000-0000-0000-000000000031}']\n"
        "    procedure Show(aText: string);\n    procedure Hide(const aText: string);\n  end;\n",
        "");
    EXPECT_EQ(P.Lint("should be declared as const"),
              (Strings{"Main|IShow.Show|Parameter aText should be declared as const"}));
}

TEST(AnalysedUnusedParams, OnlyUsesInTheBodyCount)
{
    // Delphi 7 units: the parameter names written where a routine is
    // declared, and again in its implementation heading, do not use them.
    struct TCase {
        const char* Name;
        const char* Interface;
        const char* Implementation;
        Strings Rows;
    };
    const TCase Cases[] = {
        {"routine of the implementation only", "",
         "procedure Local(aX: Integer);\nbegin\nend;\n",
         {"Main|Local|Unused parameter: aX"}},
        {"routine declared in the interface", "procedure Sum(aA, aB: Integer);\n",
         "procedure Sum(aA, aB: Integer);\nbegin\n  Beep(aA);\nend;\n",
         {"Main|Sum|Unused parameter: aB"}},
        {"forward declaration", "",
         "procedure Later(aX: Integer); forward;\n\nprocedure Later(aX: Integer);\nbegin\nend;\n",
         {"Main|Later|Unused parameter: aX"}},
        {"method",
         "type\n  TLog = class(TComponent)\n  public\n    procedure Add(aText: string; aCount: Integer);\n  end;\n",
         "procedure TLog.Add(aText: string; aCount: Integer);\nbegin\n  Name := aText;\nend;\n",
         {"Main|TLog.Add|Unused parameter: aCount"}},
        {"used in a nested routine", "",
         "procedure Outer(aX: Integer);\n\n  procedure Inner;\n  begin\n    Beep(aX);\n  end;\n\n"
         "begin\n  Inner;\nend;\n",
         {}},
        {"used in a with statement", "",
         "procedure Each(aList: TList);\nbegin\n  with aList do\n    Clear;\nend;\n", {}},
        {"event handler",
         "type\n  TMainForm = class(TForm)\n    procedure FormCreate(Sender: TObject);\n  end;\n",
         "procedure TMainForm.FormCreate(Sender: TObject);\nbegin\nend;\n", {}},
        {"assembler body", "",
         "function Swap16(aValue: Word): Word;\nasm\n  rol ax, 8\nend;\n", {}},
        {"virtual method",
         "type\n  TView = class(TObject)\n  public\n    procedure Refresh(aAll: Boolean); virtual;\n  end;\n",
         "procedure TView.Refresh(aAll: Boolean);\nbegin\nend;\n", {}},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TAnalysedProject P;
        P.Write("Main.pas",
                UnitText("Main", std::string("uses\n  Windows, Classes, Forms;\n\n") + C.Interface,
                         std::string("procedure Beep(aValue: Integer);\nbegin\n  if aValue = 0 then\n"
                                     "    Exit;\nend;\n\n") +
                             C.Implementation));
        P.Analyze("Main.pas");
        EXPECT_EQ(P.Lint("Unused parameter"), C.Rows);
    }
}

TEST_F(AnalysedParams, RoutineNameUsedInsteadOfResult)
{
    Run("function Twice(aN: Integer): Integer;\nfunction Thrice(aN: Integer): Integer;\n",
        "function Twice(aN: Integer): Integer;\nbegin\n  Twice := aN * 2;\nend;\n\n"
        "function Thrice(aN: Integer): Integer;\nbegin\n  Result := aN * 3;\nend;\n");
    EXPECT_EQ(P.Lint("routine name to return"),
              (Strings{"Main|Twice|Usage of routine name to return routine result: Twice"}));
}
