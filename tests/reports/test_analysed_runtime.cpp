// The shipped QuilletSystem stands for the run-time library: the reports
// speak of the analysed program's own units and its library units, not of
// the run-time library's code.
#include "AnalysedProject.h"

namespace {

void UseShippedSystem(TAnalysedProject& P)
{
    P.AddLibraryPath(std::string(QUILLET_SOURCE_DIR) + "/QuilletSystem");
}

} // namespace

TEST(AnalysedRunTime, SystemSymbolsCountTheUsesOfTheProgramAndItsLibraryUnits)
{
    const struct {
        const char* Name;
        const char* Program;
        const char* Library; // a unit on the library search path, "" for none
        Strings Rows;
    } Cases[] = {
        {"a program that uses Integer only",
         "program Main;\n\nvar\n  Count: Integer;\n\nbegin\n  Count := 1;\n  if Count > 0 then\n"
         "    Count := 0;\nend.\n",
         "", {"Integer|Symbol|1"}},
        {"a library unit's uses count too",
         "program Main;\n\nuses\n  Store;\n\nvar\n  Count, Total: Integer;\n\nbegin\n"
         "  Count := Fetch;\n  Total := Count;\nend.\n",
         "unit Store;\n\ninterface\n\nfunction Fetch: Integer;\n\nimplementation\n\n"
         "function Fetch: Integer;\nvar\n  P: Pointer;\nbegin\n  P := nil;\n"
         "  Result := Integer(P <> nil);\nend;\n\nend.\n",
         {"Integer|Symbol|4", "Pointer|Symbol|1"}},
        {"nothing used", "program Main;\n\nbegin\nend.\n", "", {}},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        TAnalysedProject P;
        UseShippedSystem(P);
        TTempFolder Lib;
        if (*C.Library) {
            Lib.Write("Store.pas", C.Library);
            P.AddLibraryPath(Lib.Path());
        }
        P.Write("Main.dpr", C.Program);
        P.Analyze("Main.dpr");
        EXPECT_EQ(P.Rows("System symbols"), C.Rows) << P.Messages();
    }
}

// No row for a declaration of the run-time library; the program's own
// findings about it (a GUID it repeats, a name written in another case)
// stay.
TEST(AnalysedRunTime, LintGivesNoRowForADeclarationOfTheRunTimeLibrary)
{
    TAnalysedProject P;
    UseShippedSystem(P);
    P.Write("Main.pas", UnitText("Main",
                                 "type\n  IShadow = interface\n"
                                 "    ['{00000000-0000-0000-C000-000000000046}']\n  end;\n\n"
                                 "procedure Bump(var Count: Integer);\n",
                                 "procedure Bump(var Count: Integer);\nbegin\n  inc(Count);\nend;\n"));
    P.Analyze("Main.pas");
    Strings OfSystem;
    for (const std::string& Row : P.Rows("Ridizo Dedu"))
        if (Row.rfind("QuilletSystem|", 0) == 0)
            OfSystem.push_back(Row);
    EXPECT_EQ(OfSystem, Strings{});
    EXPECT_EQ(P.Lint("Duplicate GUID"),
              (Strings{"Main|IShadow|Duplicate GUID defined in IShadow and IInterface"}));
    EXPECT_EQ(P.Lint("Case mismatch"), (Strings{"Main|QuilletSystem|Case mismatch on symbol: Inc"}));
}
