// The Code Metrics report: counts per side, the fixed row layout and the
// section filters.
#include "StandInProject.h"

#include "reports/uqlCodeMetricsReport.h"

namespace {

using Strings = std::vector<std::string>;

class MetricsTest : public ReportsTest {
protected:
    Ref<TRPTCodeMetrics> Metrics;
    void SetUp() override
    {
        ReportsTest::SetUp();
        Metrics = NewReport<TRPTCodeMetrics>();
    }
    static void Lines(TqlUnit* U, int Code, int Empty, int Slash, int Ansi, int Bor)
    {
        TqlCodeStatistics& S = U->GetCodeStatistics();
        for (int I = 0; I < Code; ++I) S.IncCodeLines();
        for (int I = 0; I < Empty; ++I) S.IncEmptyLines();
        for (int I = 0; I < Slash; ++I) S.IncSlashCommentLines();
        for (int I = 0; I < Ansi; ++I) S.IncAnsiCommentLines();
        for (int I = 0; I < Bor; ++I) S.IncBorCommentLines();
    }
    std::string Value(const Strings& Rows, const std::string& Metric)
    {
        for (const std::string& R : Rows)
            if (R.rfind(Metric + "|", 0) == 0)
                return R.substr(Metric.size() + 1);
        return "<missing>";
    }
};

} // namespace

TEST_F(MetricsTest, FullTableHas63RowsInItsOrder)
{
    const Strings Rows = RunRows(Metrics);
    ASSERT_EQ(Rows.size(), 63u);
    const Strings Head = {"Units|", "Library Units|0", "Project Units|0", "TOTAL UNITS|0", "|",
                          "Lines of Code - Project|", "Project Code Lines|0",
                          "Project Empty Lines|0", "Project Slash Comment Lines|0",
                          "Project Ansi Comment Lines|0", "Project Borland Comment Lines|0",
                          "Project Total Comment Lines|0", "TOTAL PROJECT LINES|0", "|",
                          "Lines of Code - Library|", "Library Code Lines|0"};
    EXPECT_EQ(Strings(Rows.begin(), Rows.begin() + Head.size()), Head);
    const Strings Tail = {"Records|", "Library Records|0", "Project Records|0",
                          "TOTAL RECORDS|0", "|", "Objects|", "Library Objects|0",
                          "Project Objects|0", "TOTAL OBJECTS|0"};
    EXPECT_EQ(Strings(Rows.end() - Tail.size(), Rows.end()), Tail);
    EXPECT_EQ(Rows[23], "Lines of Code - Total|");
    EXPECT_EQ(Rows[28], "|");
    EXPECT_EQ(Rows[29], "Routines|");
}

TEST_F(MetricsTest, CountsPerSide)
{
    TqlUnit* Prj = Project->NewUnit("Main");
    TqlUnit* Lib = Project->NewUnit("SysUtils", true);
    TqlUnit* Half = Project->NewUnit("Half");
    Half->ParserState = psrInterfaceParsed; // a library unit
    Routine(Prj, "A", Prj);
    Routine(Prj, "B", Prj);
    Routine(Lib, "C", Lib);
    Var(Prj, "gA", Prj);
    Const(Lib, "X", Lib);
    Const(Half, "Y", Half);
    Class(Prj, "TA");
    Interface(Lib, "IA", "");
    Prj->GetRecords()->AddRecord("TR", vkInterface, Prj->GetFileIndex(), 1, 1);
    Prj->GetObjects()->AddClass("TO", vkInterface, Prj->GetFileIndex(), 1, 2);
    Lines(Prj, 10, 3, 1, 2, 4);
    Lines(Lib, 100, 20, 0, 0, 5);
    const Strings Rows = RunRows(Metrics);
    EXPECT_EQ(Value(Rows, "Library Units"), "2");
    EXPECT_EQ(Value(Rows, "Project Units"), "1");
    EXPECT_EQ(Value(Rows, "TOTAL UNITS"), "3");
    EXPECT_EQ(Value(Rows, "Project Code Lines"), "10");
    EXPECT_EQ(Value(Rows, "Project Total Comment Lines"), "7");
    EXPECT_EQ(Value(Rows, "TOTAL PROJECT LINES"), "20");
    EXPECT_EQ(Value(Rows, "Library Borland Comment Lines"), "5");
    EXPECT_EQ(Value(Rows, "TOTAL LIBRARY LINES"), "125");
    EXPECT_EQ(Value(Rows, "Code Lines"), "110");
    EXPECT_EQ(Value(Rows, "Comment Lines"), "12");
    EXPECT_EQ(Value(Rows, "Empty Lines"), "23");
    EXPECT_EQ(Value(Rows, "TOTAL LINES"), "145");
    EXPECT_EQ(Value(Rows, "Library Routines"), "1");
    EXPECT_EQ(Value(Rows, "Project Routines"), "2");
    EXPECT_EQ(Value(Rows, "TOTAL ROUTINES"), "3");
    EXPECT_EQ(Value(Rows, "Project Variables"), "1");
    EXPECT_EQ(Value(Rows, "Library Constants"), "2");
    EXPECT_EQ(Value(Rows, "Project Classes"), "1");
    EXPECT_EQ(Value(Rows, "Library Interfaces"), "1");
    EXPECT_EQ(Value(Rows, "Project Records"), "1");
    EXPECT_EQ(Value(Rows, "TOTAL OBJECTS"), "1");
    // Running twice gives the same table.
    EXPECT_EQ(RunRows(Metrics), Rows);
}

TEST_F(MetricsTest, UnitsSectionFilters)
{
    SetFlags(Metrics, "Units", false, false);
    Strings Rows = RunRows(Metrics);
    EXPECT_EQ(Rows.size(), 58u);
    EXPECT_EQ(Rows[0], "Lines of Code - Project|");
    SetFlags(Metrics, "Units", true, false);
    Rows = RunRows(Metrics);
    EXPECT_EQ(Strings(Rows.begin(), Rows.begin() + 4),
              (Strings{"Units|", "Project Units|0", "TOTAL UNITS|0", "|"}));
}

TEST_F(MetricsTest, LibraryLinesOffKeepsTheTotalBlockWithLibraryCounts)
{
    Lines(Project->NewUnit("Lib", true), 4, 0, 0, 0, 0);
    SetFlags(Metrics, "Source Lines", true, false);
    const Strings Rows = RunRows(Metrics);
    EXPECT_EQ(Rows.size(), 54u);
    EXPECT_TRUE(RowsWith(Rows, "Library Code Lines").empty());
    EXPECT_TRUE(RowsWith(Rows, "Lines of Code - Library").empty());
    EXPECT_EQ(Value(Rows, "Code Lines"), "4");
    EXPECT_EQ(Rows[14], "Lines of Code - Total|");
}

TEST_F(MetricsTest, ObjectsSectionHasNoClosingEmptyRow)
{
    for (const char* S : {"Classes", "Global Variables", "Global Constants", "Interfaces",
                          "Records", "Routines", "Source Lines", "Units"})
        SetFlags(Metrics, S, false, false);
    EXPECT_EQ(RunRows(Metrics), (Strings{"Objects|", "Library Objects|0", "Project Objects|0",
                                         "TOTAL OBJECTS|0"}));
    SetFlags(Metrics, "Legacy Objects", false, true);
    EXPECT_EQ(RunRows(Metrics), (Strings{"Objects|", "Library Objects|0", "TOTAL OBJECTS|0"}));
}
