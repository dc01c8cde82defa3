// The report base and the report list: construction, run, CSV export,
// lookup by name, and the registration of the seven built-in reports.
#include "StandInProject.h"

#include "reports/uqlBuiltInReports.h"
#include "reports/uqlGlobalVarsReport.h"
#include "settings/uqlStringList.h"

#include <tuple>

namespace {

// A report with fixed rows, for the base behaviour.
class TFixedReport : public TqlReport {
public:
    std::string GetName() override { return "Fixed"; }
    int Executions = 0;
    std::vector<std::vector<Variant>> Values;

protected:
    void DefineColumns() override
    {
        AddColumn("Name", dtString);
        AddColumn("Count", dtInteger);
    }
    void DefineSettings() override { AddSetting("Only", true, false); }
    void Execute() override
    {
        ++Executions;
        for (const auto& V : Values)
            FData->AddValueRow(V);
    }
};

using Strings = std::vector<std::string>;

} // namespace

TEST_F(ReportsTest, ConstructionAsksSettingsByNameThenDefines)
{
    Ref<TFixedReport> R = TqlReport::Create<TFixedReport>();
    EXPECT_EQ(R->GetSettings()->GetName(), "Fixed");
    ASSERT_EQ(R->GetSettings()->GetSettingCount(), 1);
    EXPECT_TRUE(R->GetSettings()->GetSetting(0)->GetProject());
    EXPECT_FALSE(R->GetSettings()->GetSetting(0)->GetLibrary());
    EXPECT_EQ(R->GetColumns()->GetCount(), 2);
    EXPECT_FALSE(R->GetVisible());
    R->SetVisible(true);
    EXPECT_TRUE(R->GetVisible());
    EXPECT_TRUE(R->GetSortable());
    EXPECT_FALSE(R->GetHasUsedBy());
}

TEST(ReportWithoutProjectTest, RaisesAClearError)
{
    gqlProject = nullptr;
    try {
        TqlReport::Create<TFixedReport>();
        FAIL() << "no exception";
    } catch (const Exception& E) {
        EXPECT_NE(std::string(E.what()).find("need a project"), std::string::npos) << E.what();
    }
    EXPECT_THROW(RegisterBuiltInReports(), Exception);
}

TEST_F(ReportsTest, RunTwiceGivesTheSameRows)
{
    Ref<TFixedReport> R = TqlReport::Create<TFixedReport>();
    R->Values = {{"a", 1}, {"b", 2}};
    R->Run();
    R->Run();
    EXPECT_EQ(R->Executions, 2);
    EXPECT_EQ(R->GetData()->GetRowCount(), 2);
    R->Clear();
    EXPECT_EQ(R->GetData()->GetRowCount(), 0);
}

TEST_F(ReportsTest, CsvOfEmptyReport)
{
    Ref<TFixedReport> R = TqlReport::Create<TFixedReport>();
    R->Run();
    EXPECT_EQ(R->AsCSV(false, false)->GetCount(), 0);
    Ref<IqlStringList> L = R->AsCSV(true, false);
    ASSERT_EQ(L->GetCount(), 1);
    EXPECT_EQ(L->GetString(0), "Name,Count");
}

TEST_F(ReportsTest, CsvFieldsQuotingAndSpecialRows)
{
    Ref<TFixedReport> R = TqlReport::Create<TFixedReport>();
    R->Values = {{"it's, here", 12}, {"plain", Variant()}};
    R->Run();
    R->GetData()->AddTitleRow("Title");
    R->GetData()->AddEmptyRow();
    EXPECT_EQ(qlListLines(R->AsCSV(true, false)),
              (Strings{"Name,Count", "\"it's, here\",12", "plain,", "Title,", ","}));
    EXPECT_EQ(qlListLines(R->AsCSV(true, true)),
              (Strings{"'Name','Count'", "'it''s, here','12'", "'plain',''", "'Title',''",
                       "'',''"}));
    // The current row order.
    R->GetData()->Sort(false, 0);
    EXPECT_EQ(qlListLines(R->AsCSV(false, false))[0], "Title,");
}

TEST(CsvField, QuotedOnlyWhenCommaQuoteOrLineBreak)
{
    const std::pair<const char*, const char*> Cases[] = {
        {"plain", "plain"},
        {"", ""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\rhere", "\"cr\rhere\""},
        {"it's", "it's"},
    };
    for (const auto& [In, Out] : Cases)
        EXPECT_EQ(qlCsvField(In), Out) << In;
}

TEST_F(ReportsTest, CsvOfThreeColumnReportWithATitleRowWritesTwoFields)
{
    Ref<TRPTGlobalVars> R = TqlReport::Create<TRPTGlobalVars>();
    R->GetData()->AddTitleRow("T");
    EXPECT_EQ(qlListLines(R->AsCSV(true, true)), (Strings{"'Unit','Variable','Used Count'", "'T',''"}));
}

TEST_F(ReportsTest, ReportListAddFindRemove)
{
    Ref<IqlReports> List = MakeRef<TqlReports>();
    Ref<IqlReport> A = TqlReport::Create<TFixedReport>();
    Ref<IqlReport> B = TqlReport::Create<TRPTGlobalVars>();
    EXPECT_EQ(List->Add(A), 0);
    EXPECT_EQ(List->Add(B), 1);
    EXPECT_EQ(List->FindByName("GLOBAL VARIABLES"), B);
    EXPECT_EQ(List->FindByName("fixed"), A);
    EXPECT_EQ(List->FindByName("Fixed "), nullptr);
    EXPECT_EQ(List->FindByName(""), nullptr);
    EXPECT_THROW(List->GetItem(2), EListError);
    A->GetData()->AddTitleRow("x");
    B->GetData()->AddTitleRow("x");
    List->ClearAll();
    EXPECT_EQ(A->GetData()->GetRowCount() + B->GetData()->GetRowCount(), 0);
    EXPECT_TRUE(List->Remove(A));
    EXPECT_FALSE(List->Remove(A));
    EXPECT_EQ(List->GetCount(), 1);
    EXPECT_EQ(List->GetItem(0), B);
}

TEST_F(ReportsTest, FindByNameIgnoresOnlyTheCaseOfAToZ)
{
    Ref<IqlReports> List = MakeRef<TqlReports>();
    Ref<IqlReport> A = TqlReport::Create<TFixedReport>();
    List->Add(A);
    EXPECT_EQ(List->FindByName("FIXED"), A);
    EXPECT_EQ(List->FindByName("f\xCFxed"), nullptr);
}

TEST_F(ReportsTest, BuiltInReportsInTheirOrderWithColumnsAndFlags)
{
    RegisterBuiltInReports();
    Ref<IqlReports> Reports = Project->GetReports();
    ASSERT_EQ(Reports->GetCount(), 7);
    struct TExpected {
        std::string Name;
        Strings Columns;
        std::vector<uint8_t> Kinds;
        bool Sortable, HasUsedBy;
        Strings Settings;
    };
    const std::vector<TExpected> Expected = {
        {"Code Metrics", {"Metric", "Value"}, {0, 1}, false, false,
         {"Classes", "Global Variables", "Global Constants", "Interfaces", "Legacy Objects",
          "Records", "Routines", "Source Lines", "Units"}},
        {"Ridizo Dedu", {"Unit", "Class Name", "Message"}, {0, 0, 0}, true, false, {}},
        {"Global variables", {"Unit", "Variable", "Used Count"}, {0, 0, 1}, true, true,
         {"Process Variables"}},
        {"Used Units",
         {"Full Path", "Unit", "Used Count", "Code Lines", "Comment Lines", "Empty Lines",
          "Total Lines", "Parsed [Y/N]", "Project Unit [Y/N]"},
         {0, 0, 1, 1, 1, 1, 1, 3, 3}, true, true, {"Report Units"}},
        {"Class Types", {"Unit", "Class Name", "Used Count"}, {0, 0, 1}, true, true,
         {"Process Classes"}},
        {"String Literals", {"Unit", "String", "Line"}, {0, 0, 1}, true, false,
         {"Report strings"}},
        {"System symbols", {"Symbol", "Type", "Used Count"}, {0, 0, 1}, true, true,
         {"Report Classes", "Report Legacy Objects", "Report Interfaces", "Report Symbols"}},
    };
    for (int I = 0; I < 7; ++I) {
        SCOPED_TRACE(Expected[I].Name);
        Ref<IqlReport> R = Reports->GetItem(I);
        EXPECT_EQ(R->GetName(), Expected[I].Name);
        EXPECT_EQ(R->GetSettings()->GetName(), Expected[I].Name);
        ASSERT_EQ(R->GetColumns()->GetCount(), int(Expected[I].Columns.size()));
        for (int C = 0; C < R->GetColumns()->GetCount(); ++C) {
            EXPECT_EQ(R->GetColumns()->GetItem(C)->GetTitle(), Expected[I].Columns[C]);
            EXPECT_EQ(R->GetColumns()->GetItem(C)->GetKind(), Expected[I].Kinds[C]);
        }
        EXPECT_EQ(R->GetSortable(), Expected[I].Sortable);
        EXPECT_EQ(R->GetHasUsedBy(), Expected[I].HasUsedBy);
        EXPECT_FALSE(R->GetVisible());
        if (Expected[I].Settings.empty())
            continue;
        ASSERT_EQ(R->GetSettings()->GetSettingCount(), int(Expected[I].Settings.size()));
        for (int S = 0; S < R->GetSettings()->GetSettingCount(); ++S) {
            Ref<IqlSetting> Setting = R->GetSettings()->GetSetting(S);
            EXPECT_EQ(Setting->GetName(), Expected[I].Settings[S]);
            EXPECT_TRUE(Setting->GetProject());
            EXPECT_TRUE(Setting->GetLibrary());
        }
    }
    EXPECT_EQ(Reports->FindByName("code metrics"), Reports->GetItem(0));
    EXPECT_EQ(Reports->FindByName("No such report"), nullptr);
}

TEST_F(ReportsTest, RidizoDeduSettingsAndDefaults)
{
    RegisterBuiltInReports();
    Ref<IqlSettings> S = Project->GetReports()->FindByName("Ridizo Dedu")->GetSettings();
    const std::vector<std::tuple<std::string, bool, bool>> Expected = {
        {"Ancestor Interface not implemented", 1, 1},
        {"Component Prefixes convention check", 1, 1},
        {"Indentation conventions check", 1, 0},
        {"Coding conventions for local variables", 0, 0},
        {"Coding conventions for global variables", 1, 0},
        {"Coding conventions for constants", 1, 0},
        {"Coding conventions for class fields", 1, 0},
        {"Coding conventions for class types", 1, 0},
        {"Coding conventions for interface types", 1, 0},
        {"Coding conventions for record types", 1, 0},
        {"Coding conventions for object types", 1, 0},
        {"Coding conventions for pointer types", 1, 0},
        {"Coding conventions for routine names", 1, 0},
        {"Coding conventions for const parameters", 1, 0},
        {"Coding conventions for var parameters", 1, 0},
        {"Coding conventions for other parameters", 1, 0},
        {"Coding conventions for properties", 1, 0},
        {"Coding conventions for Get routines", 1, 0},
        {"Coding conventions for Set routines", 1, 0},
        {"Destructors without override", 1, 1},
        {"Destructors declared as virtual", 1, 1},
        {"Fields declared as public", 1, 1},
        {"GUID not defined in interface", 1, 1},
        {"GUID declaration duplicated", 1, 1},
        {"More than 1 destructor", 1, 1},
        {"Non \"const\" Parameters", 1, 0},
        {"Routine Name used instead of Result", 1, 1},
        {"Same routine implementing two interfaces", 1, 0},
        {"Unused Class Fields", 1, 0},
        {"Unused Record Fields", 1, 0},
        {"Unused Class Properties", 1, 0},
        {"Unused Class Routines", 1, 0},
        {"Unused Constants", 1, 0},
        {"Unused Routines", 1, 0},
        {"Unused Routine Parameters", 1, 0},
        {"Unused Variables", 1, 0},
        {"Virtual routines with no descendants", 1, 0},
        {"Case mismatch on symbol", 1, 1},
    };
    ASSERT_EQ(S->GetSettingCount(), 38);
    for (int I = 0; I < 38; ++I) {
        SCOPED_TRACE(I + 1);
        EXPECT_EQ(S->GetSetting(I)->GetName(), std::get<0>(Expected[I]));
        EXPECT_EQ(S->GetSetting(I)->GetProject(), std::get<1>(Expected[I]));
        EXPECT_EQ(S->GetSetting(I)->GetLibrary(), std::get<2>(Expected[I]));
        EXPECT_EQ(S->GetSetting(I)->GetCategoryName(), "Ridizo Dedu");
    }
}
