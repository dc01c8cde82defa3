// The listing reports: Global variables, Used Units, Class Types, String
// Literals and System symbols.
#include "StandInProject.h"

#include "reports/uqlClassTypesReport.h"
#include "reports/uqlGlobalVarsReport.h"
#include "reports/uqlStringLiteralsReport.h"
#include "reports/uqlSystemSymbolsReport.h"
#include "reports/uqlUsedUnitsReport.h"

using Strings = std::vector<std::string>;

TEST_F(ReportsTest, GlobalVariablesWithUseCountsAndLibraryFilter)
{
    TqlUnit* Main = Project->NewUnit("Main");
    TqlUnit* Lib = Project->NewUnit("SysUtils", true);
    TqlVariable* A = Var(Main, "gA", Main);
    Use(A, Main);
    Use(A, Lib);
    Var(Main, "gUnused", Main);
    Use(Var(Lib, "FileMode", Lib), Main);
    Var(Main->GetRoutines()->AddRoutine("DoIt", vkInterface, rkProcedure, 0, 1, 1), "vLocal", Main);
    Ref<TRPTGlobalVars> R = NewReport<TRPTGlobalVars>();
    EXPECT_EQ(RunRows(R), (Strings{"Main|gA|2", "Main|gUnused|0", "SysUtils|FileMode|1"}));
    auto* Data = dynamic_cast<TqlReportData*>(R->GetData().get());
    EXPECT_EQ(Data->GetSymbol(0), A);
    EXPECT_EQ(Data->GetUsedBy(0), A->GetUsedBy());
    SetFlags(R, "Process Variables", true, false);
    EXPECT_EQ(RunRows(R), (Strings{"Main|gA|2", "Main|gUnused|0"}));
}

TEST_F(ReportsTest, UsedUnitsColumns)
{
    TqlUnit* Main = Project->NewUnit("Main");
    TqlUnit* Half = Project->NewUnit("Half");
    Half->ParserState = psrInterfaceParsed;
    TqlUnit* Lib = Project->NewUnit("SysUtils", true);
    TqlUnit* Missing = Project->MissingUnit("Forms");
    Use(Lib, Main);
    Use(Lib, Half);
    for (int I = 0; I < 5; ++I)
        Lib->GetCodeStatistics().IncCodeLines();
    Lib->GetCodeStatistics().IncSlashCommentLines();
    Lib->GetCodeStatistics().IncAnsiCommentLines();
    Lib->GetCodeStatistics().IncEmptyLines();
    Ref<TRPTUsedUnits> R = NewReport<TRPTUsedUnits>();
    EXPECT_EQ(RunRows(R), (Strings{"/src/Main.pas|Main|0|0|0|0|0|Y|Y",
                                   "/src/Half.pas|Half|0|0|0|0|0|N|N",
                                   "/lib/SysUtils.pas|SysUtils|2|5|2|1|8|Y|N",
                                   "Forms|Forms|0|0|0|0|0|N|N"}));
    auto* Data = dynamic_cast<TqlReportData*>(R->GetData().get());
    EXPECT_EQ(Data->GetSymbol(3), Missing);
    SetFlags(R, "Report Units", false, true);
    EXPECT_EQ(RunRows(R).size(), 3u);
}

TEST_F(ReportsTest, ClassTypesListClassesNotObjects)
{
    TqlUnit* Main = Project->NewUnit("Main");
    TqlClass* K = Class(Main, "TFoo");
    Use(K, Main);
    Class(Main, "TBar");
    Main->GetObjects()->AddClass("TOld", vkInterface, Main->GetFileIndex(), 1, 1);
    Interface(Main, "IFoo", "");
    Ref<TRPTClassTypes> R = NewReport<TRPTClassTypes>();
    EXPECT_EQ(RunRows(R), (Strings{"Main|TFoo|1", "Main|TBar|0"}));
    R->GetData()->Sort(true, 1);
    EXPECT_EQ(Rows(R), (Strings{"Main|TBar|0", "Main|TFoo|1"}));
    R->GetData()->Sort(false, 2);
    EXPECT_EQ(Rows(R), (Strings{"Main|TFoo|1", "Main|TBar|0"}));
}

TEST_F(ReportsTest, StringLiteralsWithLines)
{
    TqlUnit* Main = Project->NewUnit("Main");
    Project->NewUnit("Empty");
    TqlUnit* Lib = Project->NewUnit("Lib", true);
    Main->GetStringLiterals()->AddSymbol("'Widget'", vkNone, Main->GetFileIndex(), 20, 17);
    Main->GetStringLiterals()->AddSymbol("'it''s'", vkNone, Main->GetFileIndex(), 20, 18);
    Lib->GetStringLiterals()->AddSymbol("'x'", vkNone, Lib->GetFileIndex(), 2, 3);
    Ref<TRPTStringLiterals> R = NewReport<TRPTStringLiterals>();
    EXPECT_EQ(RunRows(R), (Strings{"Main|'Widget'|17", "Main|'it''s'|18", "Lib|'x'|3"}));
    EXPECT_EQ(R->GetData()->GetUsedBy(0), nullptr);
    SetFlags(R, "Report strings", true, false);
    EXPECT_EQ(RunRows(R).size(), 2u);
}

TEST_F(ReportsTest, SystemSymbolsListOnlyUsedEntriesInFourPasses)
{
    TqlUnit* Main = Project->NewUnit("Main");
    TqlType* Str = Project->SystemType("String", tkString);
    Project->SystemType("Integer", tkInteger);
    Use(Str, Main);
    Use(Str, Main, 101);
    TqlClass* TObject = Project->GetClasses()->AddClass("TObject", vkInterface, -1, 0, 0);
    Use(TObject, Main);
    Project->GetClasses()->AddClass("TPersistent", vkInterface, -1, 0, 0);
    TqlInterface* IUnknown = Project->GetInterfaces()->AddInterface("IUnknown", vkInterface, -1, 0, 0);
    Use(IUnknown, Main);
    TqlClass* Old = Project->GetObjects()->AddClass("TOldObject", vkInterface, -1, 0, 0);
    Use(Old, Main);
    Ref<TRPTSystemSymbols> R = NewReport<TRPTSystemSymbols>();
    const Strings Expected = {"TObject|Class|1", "TOldObject|Object|1", "IUnknown|Interface|1",
                              "String|Symbol|2"};
    EXPECT_EQ(RunRows(R), Expected);
    EXPECT_EQ(R->GetData()->GetUsedBy(3), Str->GetUsedBy());
    // Its settings do not gate the rows.
    AllOn(R);
    for (int I = 0; I < R->GetSettings()->GetSettingCount(); ++I) {
        R->GetSettings()->GetSetting(I)->SetProject(false);
        R->GetSettings()->GetSetting(I)->SetLibrary(false);
    }
    EXPECT_EQ(RunRows(R), Expected);
}
