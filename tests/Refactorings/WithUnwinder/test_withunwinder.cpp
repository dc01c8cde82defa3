// The with-statement operations over analysed fixture projects, and their
// helpers.
#include "tests/Refactorings/PluginTestSupport.h"

#include "Refactorings/WithUnwinder/uWithUnwinder.h"

namespace {

enum class TOp { AddLocalVars, QualifyMembers, QualifyAll, Remove };

// Runs one operation over every unit of the case's project, as the all-units
// commands do, and compares the result with the case's expected folder.
void RunCase(const std::string& Case, TOp Op)
{
    TAnalysedProject P(qlCaseFolder(Case) / "before");
    P.Analyze();
    std::map<std::string, std::string> Written;
    TqlUnitList* Units = P->GetUnits();
    for (int I = 0; I < Units->GetCount(); ++I) {
        TqlUnit* Unit = Units->GetUnits(I);
        TqlModuleNode* Tree = P.Tree(Unit);
        if (!Tree)
            continue;
        TqlWithUnwinder W(Unit, Tree, P.Sink());
        bool Changed = false;
        switch (Op) {
        case TOp::AddLocalVars: Changed = W.AddLocalVars(); break;
        case TOp::QualifyMembers: Changed = W.QualifyWithStatements(true); break;
        case TOp::QualifyAll: Changed = W.QualifyWithStatements(false); break;
        case TOp::Remove: Changed = W.RemoveWithStatements(); break;
        }
        if (Changed)
            Written[fs::path(Unit->GetFullFileName()).filename().string()] = P.Generated(Tree);
    }
    qlDumpCase(Case, Written, P.Messages);
    qlExpectCase(Case, Written, P.Messages);
}

} // namespace

TEST(WithUnwinder, FixtureCases)
{
    const struct {
        const char* Case;
        TOp Op;
    } Cases[] = {
        {"with_add_class", TOp::AddLocalVars},
        {"with_add_case", TOp::AddLocalVars},
        {"with_add_record", TOp::AddLocalVars},
        {"with_add_names", TOp::AddLocalVars},
        {"with_add_checks", TOp::AddLocalVars},
        {"with_qualify_all", TOp::QualifyAll},
        {"with_qualify_members", TOp::QualifyMembers},
        {"with_qualify_unstable", TOp::QualifyAll},
        {"with_remove", TOp::Remove},
        {"with_remove_refused", TOp::Remove},
        {"with_none", TOp::Remove},
        {"with_qualify_messages", TOp::QualifyAll},
        {"with_add_visible", TOp::AddLocalVars},
        {"with_remove_unknown_ancestor", TOp::Remove},
        {"with_remove_case", TOp::Remove},
        {"with_remove_headers", TOp::Remove},
    };
    for (const auto& C : Cases)
        RunCase(C.Case, C.Op);
}

TEST(WithUnwinder, VariableNames)
{
    EXPECT_EQ(WithUnwinder::VariableNameFor("TFoo"), "AFoo");
    EXPECT_EQ(WithUnwinder::VariableNameFor("Foo"), "AFoo");
    EXPECT_EQ(WithUnwinder::VariableNameFor("tFoo"), "AtFoo");
}

TEST(WithUnwinder, OutdentTakesAnyLineBreak)
{
    TqlModuleNode Root;
    const char* Texts[] = {"\r\n    ", "\n    ", "\r    ", "    ", "\n "};
    const char* Wanted[] = {"\r\n  ", "\n  ", "\r  ", "    ", "\n "};
    for (const char* T : Texts)
        TqlJunkNode::Create(&Root, T, -1);
    WithUnwinder::Outdent(&Root);
    for (int I = 0; I < Root.Count(); ++I)
        EXPECT_EQ(static_cast<TqlCodeNode*>(Root.GetNode(I))->Code(), Wanted[I]);
}


// The programs of the with fixtures print the same before and after.
TEST(WithUnwinder, FixtureProgramsBehaveTheSame)
{
    if (std::system("command -v fpc > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "fpc is not installed";
    for (const char* Case : {"with_add_class", "with_add_case", "with_add_names", "with_qualify_all",
                             "with_qualify_members", "with_qualify_unstable", "with_remove",
                             "with_remove_case"}) {
        const fs::path Expected = qlCaseFolder(Case) / "expected";
        std::string Program;
        for (const auto& E : fs::directory_iterator(Expected))
            if (E.path().extension() == ".dpr")
                Program = E.path().filename().string();
        ASSERT_FALSE(Program.empty()) << Case;
        TTestFolder Work;
        const fs::path Before = fs::path(Work.Path()) / "before";
        const fs::path After = fs::path(Work.Path()) / "after";
        fs::create_directories(Before);
        fs::create_directories(After);
        fs::copy(qlCaseFolder(Case) / "before" / Program, Before / Program);
        fs::copy(Expected / Program, After / Program);
        const std::string Was = qlBuildAndRun(Before, Program);
        EXPECT_NE(Was, "<build failed>") << Case;
        EXPECT_EQ(qlBuildAndRun(After, Program), Was) << Case;
    }
}

// The outputs analyse as cleanly as the sources: no name the analysis
// resolved before goes unresolved after.
TEST(WithUnwinder, OutputsResolveAsTheSourcesDid)
{
    for (const char* Case : {"with_add_class", "with_add_case", "with_add_names", "with_qualify_all",
                             "with_qualify_members", "with_remove", "with_remove_case"}) {
        const auto [Before, After] = qlFindingsBeforeAndAfter(Case);
        EXPECT_EQ(After, Before) << Case;
    }
}
