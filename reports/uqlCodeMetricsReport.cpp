#include "reports/uqlCodeMetricsReport.h"

namespace {

// The counts of one side (project or library).
struct TCounts {
    int Units = 0;
    int Routines = 0;
    int Variables = 0;
    int Constants = 0;
    int Classes = 0;
    int Interfaces = 0;
    int Records = 0;
    int Objects = 0;
    int CodeLines = 0;
    int EmptyLines = 0;
    int SlashCommentLines = 0;
    int AnsiCommentLines = 0;
    int BorCommentLines = 0;

    int CommentLines() const { return SlashCommentLines + AnsiCommentLines + BorCommentLines; }
    int TotalLines() const { return CommentLines() + CodeLines + EmptyLines; }
};

} // namespace

void TRPTCodeMetrics::DefineColumns()
{
    AddColumn("Metric", dtString);
    AddColumn("Value", dtInteger);
}

void TRPTCodeMetrics::DefineSettings()
{
    FClasses = AddSetting("Classes", true, true);
    FGlobalVariables = AddSetting("Global Variables", true, true);
    FGlobalConstants = AddSetting("Global Constants", true, true);
    FInterfaces = AddSetting("Interfaces", true, true);
    FLegacyObjects = AddSetting("Legacy Objects", true, true);
    FRecords = AddSetting("Records", true, true);
    FRoutines = AddSetting("Routines", true, true);
    FSourceLines = AddSetting("Source Lines", true, true);
    FUnits = AddSetting("Units", true, true);
}

void TRPTCodeMetrics::Execute()
{
    TCounts Lib, Prj;
    if (TqlUnitList* Units = Project().GetUnits()) {
        for (int U = 0; U < Units->GetCount(); ++U) {
            TqlUnit* Unit = Units->GetUnits(U);
            TCounts& C = Unit->IsLibraryUnit() ? Lib : Prj;
            ++C.Units;
            C.Routines += Unit->GetRoutines()->GetCount();
            C.Variables += Unit->GetVariables()->GetCount();
            C.Constants += Unit->GetConstants()->GetCount();
            C.Classes += Unit->GetClasses()->GetCount();
            C.Interfaces += Unit->GetInterfaces()->GetCount();
            C.Records += Unit->GetRecords()->GetCount();
            C.Objects += Unit->GetObjects()->GetCount();
            const TqlCodeStatistics& S = Unit->GetCodeStatistics();
            C.CodeLines += S.GetCodeLines();
            C.EmptyLines += S.GetEmptyLines();
            C.SlashCommentLines += S.GetSlashCommentLines();
            C.AnsiCommentLines += S.GetAnsiCommentLines();
            C.BorCommentLines += S.GetBorCommentLines();
        }
    }

    IqlReportData& D = *FData;
    auto Row = [](const char* Metric, int Value) { return std::vector<Variant>{Metric, Value}; };

    D.AddTitleRowIfEnabled(FUnits, "Units");
    D.AddRowIfEnabledFor(FUnits, true, nullptr, nullptr, Row("Library Units", Lib.Units));
    D.AddRowIfEnabledFor(FUnits, false, nullptr, nullptr, Row("Project Units", Prj.Units));
    D.AddRowIfEnabled(FUnits, nullptr, nullptr, Row("TOTAL UNITS", Lib.Units + Prj.Units));
    D.AddEmptyRowIfEnabled(FUnits);

    auto LinesBlock = [&](bool IsLibrary, const TCounts& C, const std::string& Side,
                          const std::string& Total) {
        D.AddTitleRowIfEnabledFor(FSourceLines, IsLibrary, "Lines of Code - " + Side);
        auto Add = [&](const std::string& Metric, int Value) {
            D.AddRowIfEnabledFor(FSourceLines, IsLibrary, nullptr, nullptr,
                                 {Side + " " + Metric, Value});
        };
        Add("Code Lines", C.CodeLines);
        Add("Empty Lines", C.EmptyLines);
        Add("Slash Comment Lines", C.SlashCommentLines);
        Add("Ansi Comment Lines", C.AnsiCommentLines);
        Add("Borland Comment Lines", C.BorCommentLines);
        Add("Total Comment Lines", C.CommentLines());
        D.AddRowIfEnabledFor(FSourceLines, IsLibrary, nullptr, nullptr,
                             Row(Total.c_str(), C.TotalLines()));
        D.AddEmptyRowIfEnabledFor(FSourceLines, IsLibrary);
    };
    LinesBlock(false, Prj, "Project", "TOTAL PROJECT LINES");
    LinesBlock(true, Lib, "Library", "TOTAL LIBRARY LINES");

    const int Code = Prj.CodeLines + Lib.CodeLines;
    const int Comment = Prj.CommentLines() + Lib.CommentLines();
    const int Empty = Prj.EmptyLines + Lib.EmptyLines;
    D.AddTitleRowIfEnabled(FSourceLines, "Lines of Code - Total");
    D.AddRowIfEnabled(FSourceLines, nullptr, nullptr, Row("Code Lines", Code));
    D.AddRowIfEnabled(FSourceLines, nullptr, nullptr, Row("Comment Lines", Comment));
    D.AddRowIfEnabled(FSourceLines, nullptr, nullptr, Row("Empty Lines", Empty));
    D.AddRowIfEnabled(FSourceLines, nullptr, nullptr, Row("TOTAL LINES", Code + Comment + Empty));
    D.AddEmptyRowIfEnabled(FSourceLines);

    auto Section = [&](const Ref<IqlSetting>& Setting, const std::string& Title,
                       const std::string& Word, const std::string& Upper, int LibCount,
                       int PrjCount, bool ClosingEmptyRow) {
        D.AddTitleRowIfEnabled(Setting, Title);
        D.AddRowIfEnabledFor(Setting, true, nullptr, nullptr, {"Library " + Word, LibCount});
        D.AddRowIfEnabledFor(Setting, false, nullptr, nullptr, {"Project " + Word, PrjCount});
        D.AddRowIfEnabled(Setting, nullptr, nullptr, {"TOTAL " + Upper, LibCount + PrjCount});
        if (ClosingEmptyRow)
            D.AddEmptyRowIfEnabled(Setting);
    };
    Section(FRoutines, "Routines", "Routines", "ROUTINES", Lib.Routines, Prj.Routines, true);
    Section(FGlobalVariables, "Variables", "Variables", "VARIABLES", Lib.Variables, Prj.Variables,
            true);
    Section(FGlobalConstants, "Constants", "Constants", "CONSTANTS", Lib.Constants, Prj.Constants,
            true);
    Section(FClasses, "Classes", "Classes", "CLASSES", Lib.Classes, Prj.Classes, true);
    Section(FInterfaces, "Interfaces", "Interfaces", "INTERFACES", Lib.Interfaces, Prj.Interfaces,
            true);
    Section(FRecords, "Records", "Records", "RECORDS", Lib.Records, Prj.Records, true);
    Section(FLegacyObjects, "Objects", "Objects", "OBJECTS", Lib.Objects, Prj.Objects, false);
}
