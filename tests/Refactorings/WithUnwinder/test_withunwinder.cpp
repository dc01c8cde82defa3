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


namespace {

// Builds Program in Folder with the Free Pascal compiler in Delphi mode and
// answers what the program prints; "<build failed>" when it does not build.
std::string BuildAndRun(const fs::path& Folder, const std::string& Program)
{
    const std::string Compile = "cd '" + Folder.string() + "' && fpc -Mdelphi -FE. -FU. '" +
                                Program + "' > build.log 2>&1";
    if (std::system(Compile.c_str()) != 0)
        return "<build failed>";
    const std::string Run = "cd '" + Folder.string() + "' && ./" + fs::path(Program).stem().string();
    std::string Output;
    if (FILE* Pipe = popen(Run.c_str(), "r")) {
        char Buffer[256];
        while (size_t N = fread(Buffer, 1, sizeof Buffer, Pipe))
            Output.append(Buffer, N);
        pclose(Pipe);
    }
    return Output;
}

} // namespace

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
        const std::string Was = BuildAndRun(Before, Program);
        EXPECT_NE(Was, "<build failed>") << Case;
        EXPECT_EQ(BuildAndRun(After, Program), Was) << Case;
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

// Generated code: a chain of more else-ifs than the parser nests, some with
// a with-statement over an indexed record. Qualified and then removed, the
// with-statements go and the program prints what it printed.
TEST(WithUnwinder, WithsInALongElseIfChainAreRemoved)
{
    if (std::system("command -v fpc > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "fpc is not installed";
    const int N = 1200;
    std::string Chain = "    if I = 0 then\n      with Cells[0] do\n        Value := Value + 1";
    for (int K = 1; K < N; ++K)
        Chain += "\n    else if I = " + std::to_string(K) + " then\n" +
                 (K % 50 == 0 ? "      with Cells[" + std::to_string(K % 3) + "] do\n      begin\n"
                                "        Value := Value + I * " + std::to_string(K % 7) +
                                    ";\n        Count := Count + 1;\n      end"
                              : "      Inc(Cells[" + std::to_string(K % 3) + "].Value)");
    const std::string Program =
        "program ElseIfChain;\n\n{$APPTYPE CONSOLE}\n\ntype\n  TCell = record\n    Value, Count: Integer;\n"
        "  end;\n\nvar\n  Cells: array [0..3] of TCell;\n  I: Integer;\n\nbegin\n  for I := 0 to " +
        std::to_string(N + 5) + " do\n" + Chain +
        "\n    else\n      with Cells[3] do\n        Count := Count + 1;\n"
        "  WriteLn(Cells[0].Value, ' ', Cells[1].Value, ' ', Cells[2].Count, ' ', Cells[3].Count);\nend.\n";
    TAnalysedProject P;
    P.Write("ElseIfChain.dpr", Program);
    P.Analyze();
    TqlUnit* Unit = P.Unit("ElseIfChain");
    ASSERT_NE(Unit, nullptr);
    TqlModuleNode* Tree = P.Tree(Unit);
    ASSERT_NE(Tree, nullptr);
    TqlWithUnwinder W(Unit, Tree, P.Sink());
    ASSERT_TRUE(W.QualifyWithStatements(false));
    ASSERT_TRUE(W.RemoveWithStatements());
    EXPECT_TRUE(P.Messages.empty()) << P.Messages.front();
    const std::string Removed = P.Generated(Tree);
    EXPECT_EQ(Removed.find("with "), std::string::npos);
    TTestFolder Work;
    const fs::path Before = fs::path(Work.Path()) / "before";
    const fs::path After = fs::path(Work.Path()) / "after";
    fs::create_directories(Before);
    fs::create_directories(After);
    std::ofstream(Before / "ElseIfChain.dpr", std::ios::binary) << Program;
    std::ofstream(After / "ElseIfChain.dpr", std::ios::binary) << Removed;
    const std::string Was = BuildAndRun(Before, "ElseIfChain.dpr");
    EXPECT_NE(Was, "<build failed>");
    EXPECT_NE(Was, "");
    EXPECT_EQ(BuildAndRun(After, "ElseIfChain.dpr"), Was);
}
