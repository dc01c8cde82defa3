// qlbench reports MAIN_FILE [--libpath DIR...] [--checks]: the full analysis
// that qlcheck runs, then each of the seven built-in reports in their
// registered order; prints each report's row count and time, the analysis
// time against the reports' total, the number of messages and of "not found"
// messages, the places of calls the analysis left ambiguous, and the
// closing line. With --checks, also the rows of each check
// of the Ridizo Dedu report (the report run once per check, with only that
// check on, at its default flags). With --rows TEXT (repeatable), the rows of
// the Ridizo Dedu report that hold one of the texts.
#include "bench/qlbenchCommon.h"

#include "analysis/uqlProject.h"
#include "reports/uqlBuiltInReports.h"
#include "settings/uqlStringList.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

double SecondsSince(std::chrono::steady_clock::time_point Start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

// Messages of names that the analysis could not resolve.
int CountNotFound(IqlMessageList& Messages)
{
    int N = 0;
    for (int i = 0; i < Messages.GetCount(); ++i)
        if (Messages.GetItems(i)->GetMessageText().find("not found") != std::string::npos)
            ++N;
    return N;
}

// row="unit|location|message" for each row (as the report last ran) that
// holds one of the texts.
void PrintRowsWith(IqlReport& Report, const std::vector<std::string>& Texts)
{
    Ref<IqlReportData> Data = Report.GetData();
    const int Columns = Report.GetColumns()->GetCount();
    for (int Row = 0; Row < Data->GetRowCount(); ++Row) {
        std::string Line;
        for (int C = 1; C <= Columns; ++C) {
            Variant V;
            Data->GetValue(Row, C, V);
            Line += (C > 1 ? "|" : "") + V.AsString();
        }
        for (const std::string& T : Texts)
            if (Line.find(T) != std::string::npos) {
                std::printf("row=\"%s\"\n", Line.c_str());
                break;
            }
    }
}

// check=N rows=N name="..." for every check of the report.
void PrintCheckRows(IqlReport& Report)
{
    Ref<IqlSettings> Settings = Report.GetSettings();
    const int Count = Settings->GetSettingCount();
    std::vector<std::pair<bool, bool>> Saved;
    for (int i = 0; i < Count; ++i) {
        Ref<IqlSetting> S = Settings->GetSetting(i);
        Saved.emplace_back(S->GetProject(), S->GetLibrary());
    }
    for (int i = 0; i < Count; ++i) {
        for (int j = 0; j < Count; ++j) {
            Ref<IqlSetting> S = Settings->GetSetting(j);
            S->SetProject(i == j && Saved[size_t(j)].first);
            S->SetLibrary(i == j && Saved[size_t(j)].second);
        }
        Report.Run();
        std::printf("check=%d rows=%d name=\"%s\"\n", i + 1, Report.GetData()->GetRowCount(),
                    Settings->GetSetting(i)->GetName().c_str());
    }
    for (int i = 0; i < Count; ++i) {
        Settings->GetSetting(i)->SetProject(Saved[size_t(i)].first);
        Settings->GetSetting(i)->SetLibrary(Saved[size_t(i)].second);
    }
}

} // namespace

int RunReports(int Argc, char** Argv)
{
    std::string MainFile;
    std::vector<std::string> LibPaths;
    bool Checks = false;
    std::vector<std::string> RowTexts;
    for (int i = 1; i < Argc; ++i) {
        int Taken = TakeOptionValue(Argc, Argv, i, "--rows", "a text", RowTexts);
        if (Taken == 0)
            Taken = TakeOptionValue(Argc, Argv, i, "--libpath", "a folder", LibPaths);
        if (Taken < 0)
            return 2;
        if (Taken > 0)
            continue;
        if (std::strcmp(Argv[i], "--checks") == 0) {
            Checks = true;
        } else if (MainFile.empty()) {
            MainFile = Argv[i];
        } else {
            std::fprintf(stderr, "only one main file may be given\n");
            return 2;
        }
    }
    if (MainFile.empty()) {
        std::fprintf(stderr, "usage: qlbench reports MAIN_FILE [--libpath DIR...] [--checks] [--rows TEXT...]\n");
        return 2;
    }
    TBenchTotals Totals;
    double ReportSeconds = 0;
    long long AmbiguousCalls = 0;
    try {
        Ref<TqlProject> Project(new TqlProject);
        gqlProject = Ref<IqlProject>(Project.get());
        AddLibraryFolders(*Project, LibPaths);
        RegisterBuiltInReports();
        Project->GetOptions()->SetFileToAnalyze(MainFile);
        const auto Start = std::chrono::steady_clock::now();
        Project->Analyze(true);
        Totals.Seconds = SecondsSince(Start);
        Totals.TimedLines = CountAnalysedFiles(*Project, Totals);
        if (Project->GetFileNames()->GetCount() == 0) {
            std::fprintf(stderr, "%s: no such file\n", MainFile.c_str());
            ++Totals.Errors;
        }
        std::printf("units=%d analysis_seconds=%.3f\n", Project->GetUnits()->GetCount(), Totals.Seconds);
        Ref<IqlReports> Reports = Project->GetReports();
        for (int i = 0; i < Reports->GetCount(); ++i) {
            Ref<IqlReport> R = Reports->GetItem(i);
            const auto ReportStart = std::chrono::steady_clock::now();
            R->Run();
            const double S = SecondsSince(ReportStart);
            ReportSeconds += S;
            std::printf("report=\"%s\" rows=%d seconds=%.4f\n", R->GetName().c_str(),
                        R->GetData()->GetRowCount(), S);
        }
        std::printf("reports_seconds=%.4f reports_vs_analysis=%.3f\n", ReportSeconds,
                    Totals.Seconds > 0 ? ReportSeconds / Totals.Seconds : 0.0);
        Ref<IqlMessageList> Messages = Project->GetMessages();
        std::printf("messages=%d not_found=%d\n", Messages->GetCount(), CountNotFound(*Messages));
        AmbiguousCalls = CountAmbiguousCalls(*Project);
        if (Ref<IqlReport> Lint = Reports->FindByName("Ridizo Dedu")) {
            if (!RowTexts.empty())
                PrintRowsWith(*Lint, RowTexts);
            if (Checks)
                PrintCheckRows(*Lint);
        }
    } catch (const std::exception& E) {
        std::fprintf(stderr, "%s\n", E.what());
        ++Totals.Errors;
    }
    gqlProject = nullptr;
    std::printf("ambiguous_calls=%lld\n", AmbiguousCalls);
    PrintClosingLine(Totals);
    return Totals.Errors ? 1 : 0;
}
