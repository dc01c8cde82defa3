// qlbench reports MAIN_FILE [--libpath DIR...]: the full analysis that
// qlcheck runs, then each of the seven built-in reports in their registered
// order; prints each report's row count and time, the analysis time against
// the reports' total, and the closing line.
#include "bench/qlbenchCommon.h"

#include "analysis/uqlProject.h"
#include "reports/uqlBuiltInReports.h"
#include "settings/uqlStringList.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

namespace {

double SecondsSince(std::chrono::steady_clock::time_point Start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

long long CountLines(const std::string& Path, long long& Bytes)
{
    std::ifstream In(Path, std::ios::binary);
    if (!In)
        return 0;
    std::string Text((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
    Bytes += static_cast<long long>(Text.size());
    long long Lines = 0;
    for (char C : Text)
        Lines += C == '\n';
    if (!Text.empty() && Text.back() != '\n')
        ++Lines;
    return Lines;
}

} // namespace

int RunReports(int Argc, char** Argv)
{
    std::string MainFile;
    std::vector<std::string> LibPaths;
    for (int i = 1; i < Argc; ++i) {
        if (std::strcmp(Argv[i], "--libpath") == 0) {
            if (i + 1 >= Argc) {
                std::fprintf(stderr, "--libpath needs a folder\n");
                return 2;
            }
            LibPaths.push_back(Argv[++i]);
        } else if (MainFile.empty()) {
            MainFile = Argv[i];
        } else {
            std::fprintf(stderr, "only one main file may be given\n");
            return 2;
        }
    }
    if (MainFile.empty()) {
        std::fprintf(stderr, "usage: qlbench reports MAIN_FILE [--libpath DIR...]\n");
        return 2;
    }
    TBenchTotals Totals;
    double ReportSeconds = 0;
    try {
        Ref<TqlProject> Project(new TqlProject);
        gqlProject = Ref<IqlProject>(Project.get());
        for (const std::string& P : LibPaths)
            Project->GetSystemOptions()->GetLibrarySearchPath()->Add(P);
        RegisterBuiltInReports();
        Project->GetOptions()->SetFileToAnalyze(MainFile);
        const auto Start = std::chrono::steady_clock::now();
        Project->Analyze(true);
        Totals.Seconds = SecondsSince(Start);
        TqlFileNameList* Files = Project->GetFileNames();
        for (int i = 0; i < Files->GetCount(); ++i)
            if (Files->GetItems(i)->Exists) {
                ++Totals.Files;
                Totals.Lines += CountLines(Files->GetItems(i)->GetFullFileName(), Totals.Bytes);
            }
        if (Files->GetCount() == 0) {
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
    } catch (const std::exception& E) {
        std::fprintf(stderr, "%s\n", E.what());
        ++Totals.Errors;
    }
    gqlProject = nullptr;
    PrintClosingLine(Totals);
    return Totals.Errors ? 1 : 0;
}
