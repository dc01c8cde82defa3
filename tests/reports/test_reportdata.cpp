// Report data and columns: adders with their setting filters, values, sort,
// show code; the column list.
#include "StandInProject.h"

#include "reports/uqlColumns.h"
#include "settings/uqlSetting.h"

namespace {

Ref<IqlSetting> Flags(bool Project, bool Library)
{
    return MakeRef<TqlSetting>("Check", "Report", Project, Library);
}

class ReportDataTest : public ReportsTest {
protected:
    Ref<TqlReportData> Data = MakeRef<TqlReportData>();

    std::vector<std::string> Column(int Column)
    {
        std::vector<std::string> Out;
        for (int R = 0; R < Data->GetRowCount(); ++R) {
            Variant V;
            Data->GetValue(R, Column, V);
            Out.push_back(V.AsString());
        }
        return Out;
    }
};

} // namespace

TEST(ColumnsTest, IndexesFollowTheOrderOfAdding)
{
    Ref<IqlColumns> Columns = MakeRef<TqlColumns>();
    Ref<IqlColumn> A, B;
    EXPECT_EQ(Columns->Add("Unit", dtString, A), 0);
    EXPECT_EQ(Columns->Add("Used Count", dtInteger, B), 1);
    EXPECT_EQ(B->GetIndex(), 1);
    EXPECT_EQ(B->GetTitle(), "Used Count");
    EXPECT_EQ(B->GetKind(), dtInteger);
    EXPECT_EQ(Columns->GetItem(0), A);
    EXPECT_EQ(Columns->GetCount(), 2);
    EXPECT_THROW(Columns->GetItem(2), EListError);
    EXPECT_THROW(Columns->GetItem(-1), EListError);
}

TEST_F(ReportDataTest, SettingWithBothFlagsOffSuppressesEveryFilteredAdder)
{
    Ref<IqlSetting> Off = Flags(false, false);
    Data->AddEmptyRowIfEnabled(Off);
    Data->AddEmptyRowIfEnabledFor(Off, false);
    Data->AddEmptyRowIfEnabledFor(Off, true);
    Data->AddTitleRowIfEnabled(Off, "T");
    Data->AddTitleRowIfEnabledFor(Off, true, "T");
    Data->AddRowIfEnabled(Off, nullptr, nullptr, {"a"});
    Data->AddRowIfEnabledFor(Off, false, nullptr, nullptr, {"a"});
    TqlUnit* Unit = Project->NewUnit("Main");
    Data->AddUnitRow(Unit, Off, nullptr, nullptr, {"a"});
    EXPECT_EQ(Data->GetRowCount(), 0);
}

TEST_F(ReportDataTest, FiltersBySide)
{
    Ref<IqlSetting> LibraryOnly = Flags(false, true);
    Data->AddRowIfEnabled(LibraryOnly, nullptr, nullptr, {"either"});
    Data->AddRowIfEnabledFor(LibraryOnly, true, nullptr, nullptr, {"library"});
    Data->AddRowIfEnabledFor(LibraryOnly, false, nullptr, nullptr, {"project"});
    TqlUnit* Prj = Project->NewUnit("Prj");
    TqlUnit* Lib = Project->NewUnit("Lib", true);
    TqlUnit* Half = Project->NewUnit("Half");
    Half->ParserState = psrInterfaceParsed; // counts as a library unit
    Data->AddUnitRow(Prj, LibraryOnly, nullptr, nullptr, {"prj unit"});
    Data->AddUnitRow(Lib, LibraryOnly, nullptr, nullptr, {"lib unit"});
    Data->AddUnitRow(Half, LibraryOnly, nullptr, nullptr, {"half unit"});
    Ref<IqlSetting> ProjectOnly = Flags(true, false);
    Data->AddUnitRow(Lib, ProjectOnly, nullptr, nullptr, {"lib unit 2"});
    Data->AddUnitRow(Prj, ProjectOnly, nullptr, nullptr, {"prj unit 2"});
    EXPECT_EQ(Column(1), (std::vector<std::string>{"either", "library", "lib unit", "half unit",
                                                   "prj unit 2"}));
}

TEST_F(ReportDataTest, RowsCarrySymbolUsedByAndValues)
{
    TqlUnit* Unit = Project->NewUnit("Main");
    TqlVariable* V = Unit->GetVariables()->AddVariable("gCount", vkInterface, false,
                                                       Unit->GetFileIndex(), 3, 9);
    Data->AddRow(V, V->GetUsedBy(), {"Main", "gCount", 0});
    Data->AddTitleRow("Units");
    Data->AddEmptyRow();
    Data->AddValueRow({"x", 1});
    EXPECT_EQ(Data->GetRowCount(), 4);
    EXPECT_EQ(Data->GetUsedBy(0), V->GetUsedBy());
    EXPECT_EQ(Data->GetSymbol(0), V);
    Variant Value;
    Data->GetValue(0, 1, Value);
    EXPECT_EQ(Value, Variant("Main"));
    Data->GetValue(0, 3, Value);
    EXPECT_EQ(Value, Variant(0));
    // A title row: the title, then null; no symbol, no used-by list.
    Data->GetValue(1, 1, Value);
    EXPECT_EQ(Value, Variant("Units"));
    Data->GetValue(1, 2, Value);
    EXPECT_TRUE(Value.IsEmpty());
    EXPECT_EQ(Data->GetUsedBy(1), nullptr);
    EXPECT_EQ(Data->GetSymbol(1), nullptr);
    Data->GetValue(2, 1, Value);
    EXPECT_TRUE(Value.IsEmpty());
    EXPECT_EQ(Data->GetValueCount(2), 2);
    EXPECT_EQ(Data->GetSymbol(3), nullptr);
}

TEST_F(ReportDataTest, OutOfRangeReadsRaiseListErrors)
{
    Data->AddTitleRow("Units");
    Variant Value;
    EXPECT_THROW(Data->GetValue(1, 1, Value), EListError);
    EXPECT_THROW(Data->GetValue(-1, 1, Value), EListError);
    EXPECT_THROW(Data->GetValue(0, 3, Value), EListError);
    EXPECT_THROW(Data->GetValue(0, 0, Value), EListError);
    EXPECT_THROW(Data->GetUsedBy(1), EListError);
    EXPECT_THROW(Data->ShowCode(1), EListError);
    EXPECT_THROW(Data->Sort(true, -1), EListError);
}

TEST_F(ReportDataTest, SortTextIgnoresCaseAndKeepsInsertionOrderForTies)
{
    for (const char* S : {"beta", "ABC", "Alpha", "abc", "\xC9t\xE9", "\xE9t\xE9 2"})
        Data->AddValueRow({S, 0});
    Data->Sort(true, 0);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"ABC", "abc", "Alpha", "beta", "\xC9t\xE9",
                                                   "\xE9t\xE9 2"}));
    Data->Sort(false, 0);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"\xE9t\xE9 2", "\xC9t\xE9", "beta", "Alpha",
                                                   "abc", "ABC"}));
}

TEST_F(ReportDataTest, SortNumbersNumerically)
{
    for (int N : {10, 2, 33, -1, 2})
        Data->AddValueRow({"n" + std::to_string(N), N});
    Data->Sort(true, 1);
    EXPECT_EQ(Column(2), (std::vector<std::string>{"-1", "2", "2", "10", "33"}));
    Data->Sort(false, 1);
    EXPECT_EQ(Column(2), (std::vector<std::string>{"33", "10", "2", "2", "-1"}));
    // GetValue counts columns from 1, Sort from 0: the same first column.
    Data->Sort(true, 0);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"n-1", "n10", "n2", "n2", "n33"}));
}

TEST_F(ReportDataTest, SortOnAColumnSomeRowsLackPutsThemFirst)
{
    Data->AddValueRow({"b", 2});
    Data->AddTitleRow("a");
    Data->AddValueRow({"c", 1, "x"});
    Data->Sort(true, 2);
    EXPECT_EQ(Column(1), (std::vector<std::string>{"b", "a", "c"}));
}

TEST_F(ReportDataTest, ClearEmptiesAndShowCodeReachesTheViewers)
{
    Data->Clear();
    EXPECT_EQ(Data->GetRowCount(), 0);
    TqlUnit* Unit = Project->NewUnit("Main");
    TqlVariable* V = Unit->GetVariables()->AddVariable("gCount", vkInterface, false,
                                                       Unit->GetFileIndex(), 7, 9);
    Data->AddRow(V, nullptr, {"x"});
    Data->AddTitleRow("no symbol");
    Data->ShowCode(0);
    Data->ShowCode(1);
    ASSERT_EQ(Project->Shown.size(), 1u);
    EXPECT_EQ(Project->Shown[0].FileName, "/src/Main.pas");
    EXPECT_EQ(Project->Shown[0].X, 7);
    EXPECT_EQ(Project->Shown[0].Y, 9);
    Data->Clear();
    EXPECT_EQ(Data->GetRowCount(), 0);
}

TEST(CompareCellsTest, NullFirstNumbersBeforeText)
{
    EXPECT_LT(qlCompareCells(Variant(), Variant(0)), 0);
    EXPECT_EQ(qlCompareCells(Variant(), Variant()), 0);
    EXPECT_LT(qlCompareCells(Variant(5), Variant("a")), 0);
    EXPECT_GT(qlCompareCells(Variant("a"), Variant(5)), 0);
    EXPECT_LT(qlCompareCells(Variant(2), Variant(2.5)), 0);
    EXPECT_EQ(qlCompareCells(Variant("Y"), Variant("y")), 0);
    EXPECT_LT(qlCompareText("ab", "abc"), 0);
}
