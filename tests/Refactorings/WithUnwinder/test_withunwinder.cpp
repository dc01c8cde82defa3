// The with-statement operations over analysed fixture projects, and their
// helpers.
#include "tests/Refactorings/PluginTestSupport.h"

#include "tests/Refactorings/FpcRunSupport.h"

#include "Refactorings/WithUnwinder/uWithUnwinder.h"

namespace {

enum class TOp { AddLocalVars, QualifyMembers, QualifyAll, Remove };

// What one operation wrote (file name -> text) and found.
struct TCaseRun {
    std::map<std::string, std::string> Written;
    std::vector<std::string> Messages;
};

// Runs one operation over every unit of the case's project, as the all-units
// commands do.
TCaseRun RunOperation(const std::string& Case, TOp Op)
{
    TAnalysedProject P(qlCaseFolder(Case) / "before");
    P.Analyze();
    TCaseRun Run;
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
            Run.Written[fs::path(Unit->GetFullFileName()).filename().string()] = P.Generated(Tree);
    }
    Run.Messages = P.Messages;
    return Run;
}

// The fixture cases; Runs: the program builds with fpc, so what the
// operation wrote must build and print the same.
const struct TCase {
    const char* Case;
    TOp Op;
    bool Runs;
} Cases[] = {
    {"with_add_class", TOp::AddLocalVars, true},
    {"with_add_case", TOp::AddLocalVars, true},
    {"with_add_record", TOp::AddLocalVars, true},
    {"with_add_names", TOp::AddLocalVars, true},
    {"with_add_checks", TOp::AddLocalVars, false},
    {"with_qualify_all", TOp::QualifyAll, true},
    {"with_qualify_members", TOp::QualifyMembers, true},
    {"with_qualify_unstable", TOp::QualifyAll, true},
    {"with_remove", TOp::Remove, true},
    {"with_remove_refused", TOp::Remove, true},
    {"with_none", TOp::Remove, true},
    {"with_qualify_messages", TOp::QualifyAll, false},
    {"with_add_visible", TOp::AddLocalVars, false},
    {"with_remove_unknown_ancestor", TOp::Remove, false},
    {"with_remove_case", TOp::Remove, true},
    {"with_remove_headers", TOp::Remove, true},
    {"with_add_expression_forms", TOp::AddLocalVars, true},
    {"with_qualify_expression_forms", TOp::QualifyAll, true},
    {"with_add_indexed", TOp::AddLocalVars, true},
    {"with_remove_unresolved", TOp::Remove, true},
    {"with_qualify_var_argument", TOp::QualifyAll, true},
    {"with_qualify_record_property", TOp::QualifyAll, true},
    {"with_add_alias", TOp::AddLocalVars, true},
    {"with_remove_default_property", TOp::Remove, true},
    // A body that writes an element through the expression (G[0] := 5) still
    // has its members qualified; one that assigns the expression's variable
    // itself is refused.
    {"with_qualify_element_write", TOp::QualifyAll, true},
    // Each new statement on a line of its own, indented as the code around
    // it, in a file with CR LF line breaks.
    {"with_add_layout", TOp::AddLocalVars, true},
    // A protected member of another unit's class stays bare: written after
    // the expression it would be out of reach.
    {"with_qualify_protected", TOp::QualifyAll, true},
    // with Self do: no variable for Self; removed, its members are written
    // Self.X (a local of the same name would take them otherwise), and the
    // unit's other with statements are done as well.
    {"with_self_add", TOp::AddLocalVars, true},
    {"with_self_remove", TOp::Remove, true},
    // A private member of another unit's class hides nothing: the body's
    // name is the ancestor's public member, written after the expression.
    {"with_qualify_private_above", TOp::QualifyAll, true},
};

// Runs the case's operation; lays out the sources in Work's "before" and
// the sources with what it wrote in "after".
std::pair<fs::path, fs::path> LayOutBeforeAndAfter(const TCase& C, const TTestFolder& Work)
{
    const TCaseRun Run = RunOperation(C.Case, C.Op);
    const fs::path Before = fs::path(Work.Path()) / "before";
    const fs::path After = fs::path(Work.Path()) / "after";
    qlLayOutCase(C.Case, {}, Before);
    qlLayOutCase(C.Case, Run.Written, After);
    return {Before, After};
}

} // namespace

// What each operation writes and finds, against the case's expected folder.
TEST(WithUnwinder, FixtureCases)
{
    for (const TCase& C : Cases) {
        const TCaseRun Run = RunOperation(C.Case, C.Op);
        qlDumpCase(C.Case, Run.Written, Run.Messages);
        qlExpectCase(C.Case, Run.Written, Run.Messages);
    }
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

// Builds the folder's program and answers what it prints; "<build failed>"
// when it does not build.
std::string BuildAndRun(const fs::path& Folder)
{
    std::string Program;
    for (const auto& E : fs::directory_iterator(Folder))
        if (E.path().extension() == ".dpr")
            Program = E.path().filename().string();
    if (Program.empty())
        return "<no program>";
    if (!qlFpcBuild(Folder, Program))
        return "<build failed>";
    return qlRunBuilt(Folder, Program);
}

// The findings of an analysis of the folder's program.
std::vector<std::string> Findings(const fs::path& Folder)
{
    TAnalysedProject P(Folder);
    return qlAnalysedFindings(P);
}

} // namespace

// What each operation writes for a fixture program builds and prints what
// the program printed before.
TEST(WithUnwinder, WrittenProgramsBehaveTheSame)
{
    if (!qlFpcInstalled())
        GTEST_SKIP() << "fpc is not installed";
    for (const TCase& C : Cases) {
        if (!C.Runs)
            continue;
        TTestFolder Work;
        const auto [Before, After] = LayOutBeforeAndAfter(C, Work);
        const std::string Was = BuildAndRun(Before);
        ASSERT_NE(Was, "<build failed>") << C.Case;
        EXPECT_EQ(BuildAndRun(After), Was) << C.Case << "\n"
                                           << qlReadFile(After / "build.log");
    }
}

// What each operation writes analyses as cleanly as the sources: no name
// the analysis resolved before goes unresolved after.
TEST(WithUnwinder, WrittenOutputsResolveAsTheSourcesDid)
{
    for (const TCase& C : Cases) {
        if (!C.Runs)
            continue;
        TTestFolder Work;
        const auto [Before, After] = LayOutBeforeAndAfter(C, Work);
        EXPECT_EQ(Findings(After), Findings(Before)) << C.Case;
    }
}

namespace {

// Builds and runs a program as it was and as a command wrote it: both print
// the same, and something.
void ExpectSameRun(const std::string& FileName, const std::string& Program, const std::string& Written)
{
    TTestFolder Work;
    const fs::path Before = fs::path(Work.Path()) / "before";
    const fs::path After = fs::path(Work.Path()) / "after";
    fs::create_directories(Before);
    fs::create_directories(After);
    std::ofstream(Before / FileName, std::ios::binary) << Program;
    std::ofstream(After / FileName, std::ios::binary) << Written;
    const std::string Was = qlBuildAndRun(Before, FileName);
    EXPECT_NE(Was, "<build failed>");
    EXPECT_NE(Was, "");
    EXPECT_EQ(qlBuildAndRun(After, FileName), Was);
}

struct TUnwound {
    std::string Qualified, Removed;
};

// Analyses program Name, qualifies the members its with-statements reach and
// then removes them, without a message: the text after each step.
TUnwound QualifyThenRemove(const std::string& Name, const std::string& Program)
{
    TUnwound Out;
    TAnalysedProject P;
    P.Write(Name + ".dpr", Program);
    P.Analyze();
    TqlUnit* Unit = P.Unit(Name);
    TqlModuleNode* Tree = Unit ? P.Tree(Unit) : nullptr;
    if (!Tree) {
        ADD_FAILURE() << Name << " has no node tree";
        return Out;
    }
    TqlWithUnwinder W(Unit, Tree, P.Sink());
    EXPECT_TRUE(W.QualifyWithStatements(false));
    Out.Qualified = P.Generated(Tree);
    EXPECT_TRUE(W.RemoveWithStatements());
    EXPECT_TRUE(P.Messages.empty()) << P.Messages.front();
    Out.Removed = P.Generated(Tree);
    EXPECT_EQ(Out.Removed.find("with "), std::string::npos);
    return Out;
}

} // namespace

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
    const TUnwound Out = QualifyThenRemove("ElseIfChain", Program);
    ExpectSameRun("ElseIfChain.dpr", Program, Out.Removed);
}

// A flat chain of terms through a dotted name, inside and outside a
// with-statement: qualified, the with's chain becomes one too, and removed,
// the with goes; the program prints what it printed.
TEST(WithUnwinder, WithsOverALongDottedChainAreQualifiedAndRemoved)
{
    if (std::system("command -v fpc > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "fpc is not installed";
    const int N = 5000;
    std::string Inside = "      Total := Items[0]", Outside = "  Check := Bag.Items[0]";
    for (int K = 1; K < N; ++K) {
        Inside += " + Items[" + std::to_string(K) + "]";
        Outside += " + Bag.Items[" + std::to_string(K) + "]";
    }
    const std::string Program =
        "program DottedChain;\n\n{$APPTYPE CONSOLE}\n\ntype\n  TBag = record\n    Items: array [0.." +
        std::to_string(N) + "] of Integer;\n    Total: Integer;\n  end;\n\nvar\n  Bag: TBag;\n"
        "  I, Check: Integer;\n\nbegin\n  for I := 0 to " + std::to_string(N) +
        " do\n    Bag.Items[I] := I mod 7;\n  with Bag do\n    begin\n" + Inside + ";\n    end;\n" + Outside +
        ";\n  WriteLn(Bag.Total, ' ', Check);\nend.\n";
    const TUnwound Out = QualifyThenRemove("DottedChain", Program);
    EXPECT_NE(Out.Qualified.find("Bag.Total := Bag.Items[0] + Bag.Items[1] + "), std::string::npos);
    EXPECT_NE(Out.Qualified.find(" + Bag.Items[" + std::to_string(N - 1) + "];"), std::string::npos);
    ExpectSameRun("DottedChain.dpr", Program, Out.Removed);
}
