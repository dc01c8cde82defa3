// The unused-unit sweep over analysed fixture projects and over single uses
// lists.
#include "tests/Refactorings/PluginTestSupport.h"

#include "Refactorings/UnitSweeper/uUnitSweeper.h"

namespace {

struct TSweepCase {
    const char* Case;
    bool RemoveAll;
    bool MoveUsed;
    // The program builds with fpc: with what the sweep wrote in place of the
    // sources it must build and print the same.
    bool Runs;
} const SweepCases[] = {
    {"sweep_basic", false, true, true},
    {"sweep_move_new_clause", false, true, false},
    {"sweep_kept", false, true, false},
    // The classes of the form and its components keep their units.
    {"sweep_form", false, true, true},
    {"sweep_errors", false, true, false},
    // A use in an include file keeps its unit where it is.
    {"sweep_include", false, true, true},
    // A unit that goes though it has an initialization part written as
    // "begin ... end.".
    {"sweep_init", false, true, true},
    // A unit whose only findings are names the analysis could not resolve
    // is left as it is, and the first of them is named.
    {"sweep_unresolved", false, true, true},
    // A unit used only in the implementation stays in the interface where,
    // moved, it would be searched before a unit that declares the same name.
    {"sweep_rebind", false, true, true},
};

struct TSweepRun {
    std::map<std::string, std::string> Written; // file name -> text
    std::vector<std::string> Messages;
};

// Sweeps units 1..last of the case's project, as the all-units command does.
TSweepRun Sweep(const TSweepCase& C)
{
    TAnalysedProject P(qlCaseFolder(C.Case) / "before");
    P.Analyze();
    TSweepRun Run;
    TqlUnitList* Units = P->GetUnits();
    for (int I = 1; I < Units->GetCount(); ++I) {
        TqlUnit* Unit = Units->GetUnits(I);
        if (!TqlRefactoring::SourceFileOf(Unit))
            continue;
        TqlUnitSweeper Sweeper(Unit, P.Tree(Unit), P.Sink(), C.RemoveAll, C.MoveUsed);
        if (Sweeper.Run())
            Run.Written[fs::path(Unit->GetFullFileName()).filename().string()] = P.Generated(P.Tree(Unit));
    }
    Run.Messages = P.Messages;
    return Run;
}

} // namespace

TEST(UnitSweeper, FixtureCases)
{
    for (const TSweepCase& C : SweepCases) {
        const TSweepRun Run = Sweep(C);
        qlDumpCase(C.Case, Run.Written, Run.Messages);
        qlExpectCase(C.Case, Run.Written, Run.Messages);
    }
}

// What the sweep wrote, put in place of the sources, builds and prints what
// the program printed before.
TEST(UnitSweeper, FixtureProgramsBehaveTheSame)
{
    if (!qlFpcInstalled())
        GTEST_SKIP() << "fpc is not installed";
    for (const TSweepCase& C : SweepCases) {
        if (!C.Runs)
            continue;
        const TSweepRun Run = Sweep(C);
        TTestFolder Work;
        const fs::path Before = fs::path(Work.Path()) / "before";
        const fs::path After = fs::path(Work.Path()) / "after";
        qlLayOutCase(C.Case, {}, Before);
        qlLayOutCase(C.Case, Run.Written, After);
        std::string Program;
        for (const auto& E : fs::directory_iterator(Before))
            if (E.path().extension() == ".dpr")
                Program = E.path().filename().string();
        const std::string Was = qlBuildAndRun(Before, Program);
        EXPECT_NE(Was, "<build failed>") << C.Case;
        EXPECT_EQ(qlBuildAndRun(After, Program), Was) << C.Case << "\n" << qlReadFile(After / "build.log");
    }
}

// Deleting entries keeps the list well formed: the comma after an entry, or
// before the last one, goes with it; the last entry takes the clause along.
TEST(UnitSweeper, DeleteUsesEntry)
{
    const struct {
        const char* Uses;
        const char* Delete;
        const char* Wanted;
    } Cases[] = {
        {"uses A, B, C;\n", "A", "uses B, C;\n"},
        {"uses A, B, C;\n", "B", "uses A, C;\n"},
        {"uses A, B, C;\n", "C", "uses A, B;\n"},
        {"uses A;\n", "A", ""},
    };
    for (const auto& C : Cases) {
        TAnalysedProject P;
        P.Write("U.pas", std::string("unit U;\ninterface\n") + C.Uses + "implementation\nend.\n");
        P.Analyze("U.pas");
        TqlUnit* U = P.Unit("U");
        TqlModuleNode* Tree = P.Tree(U);
        TqlUnitSweeper Sweeper(U, Tree, P.Sink(), false, true);
        auto* List = Tree->GetFirstNodeClass<TqlInterfaceSectionNode>()->GetFirstNodeClass<TqlUsesListNode>();
        for (int I = 0; I < List->Count(); ++I)
            if (auto* Id = dynamic_cast<TqlTokenNode*>(List->GetNode(I)); Id && Id->Code() == C.Delete) {
                Sweeper.DeleteUsesEntry(Id);
                break;
            }
        EXPECT_EQ(Tree->GetText(), std::string("unit U;\ninterface\n") + C.Wanted + "implementation\nend.\n")
            << C.Uses << " - " << C.Delete;
    }
}

// The units that declare the form's class, its components' classes and
// their ancestors stay unless all unused units are to go.
TEST(UnitSweeper, FormUnitsStay)
{
    for (bool RemoveAll : {false, true}) {
        TAnalysedProject P;
        P.Write("Prog.dpr", "program Prog;\nuses\n  UForm1;\nbegin\nend.\n");
        P.Write("UForm1.pas", "unit UForm1;\ninterface\nuses\n  UButtons, UButtonBase, UOther;\n"
                              "type\n  TForm1 = class\n    Button: TMyButton;\n  end;\n"
                              "implementation\n{$R *.dfm}\nend.\n");
        P.Write("UForm1.dfm", "object Form1: TForm1\n  object Button: TMyButton\n  end\nend\n");
        P.Write("UButtons.pas", "unit UButtons;\ninterface\nuses\n  UButtonBase;\ntype\n"
                                "  TMyButton = class(TButtonBase)\n  end;\nimplementation\nend.\n");
        P.Write("UButtonBase.pas", "unit UButtonBase;\ninterface\ntype\n  TButtonBase = class\n"
                                   "  end;\nimplementation\nend.\n");
        P.Write("UOther.pas", "unit UOther;\ninterface\nimplementation\nend.\n");
        P.Analyze("Prog.dpr");
        TqlUnit* U = P.Unit("UForm1");
        TqlUnitSweeper Sweeper(U, P.Tree(U), P.Sink(), RemoveAll, true);
        ASSERT_TRUE(Sweeper.Run());
        const std::string Text = P.Tree(U)->GetText();
        EXPECT_NE(Text.find(RemoveAll ? "uses\n  UButtons;" : "uses\n  UButtons, UButtonBase;"),
                  std::string::npos)
            << Text;
    }
}
