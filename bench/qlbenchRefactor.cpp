// qlbench refactor: the refactoring plug-ins, loaded as the desktop loads
// them, run headless over an analysed project; the time counts the
// refactoring alone (after the analysis), the lines those of every unit
// source of the project.
#include "bench/qlbenchCommon.h"

#include "Refactorings/uqlHeadlessHost.h"
#include "analysis/uqlProject.h"
#include "desktop/uqlPluginLoader.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/resource.h>

namespace {

long long CountLines(const std::string& File)
{
    std::ifstream In(File, std::ios::binary);
    long long Lines = 0;
    char Buffer[65536];
    while (In.read(Buffer, sizeof Buffer) || In.gcount() > 0)
        for (std::streamsize I = 0; I < In.gcount(); ++I)
            Lines += Buffer[I] == '\n';
    return Lines;
}

long PeakKb()
{
    rusage Use{};
    getrusage(RUSAGE_SELF, &Use);
    return Use.ru_maxrss;
}

int Usage()
{
    std::fprintf(stderr, "usage: qlbench refactor with|sweep MAIN_FILE\n"
                         "       qlbench refactor rename MAIN_FILE UNIT SYMBOL NEW_NAME\n"
                         "Output goes below ./Generated of the current folder.\n");
    return 2;
}

} // namespace

int RunRefactor(int Argc, char** Argv)
{
    if (Argc < 3)
        return Usage();
    const std::string Kind = Argv[1];
    const std::string MainFile = Argv[2];
    std::string Module;
    std::vector<std::string> Commands;
    if (Kind == "with") {
        Module = "WithUnwinder";
        Commands = {"QualifyWithMembersAllUnits", "QualifyAllAllUnits", "AddWithLocalVarAllUnits",
                    "RemoveWithStatementAllUnits"};
    } else if (Kind == "sweep") {
        Module = "UnitSweeper";
        Commands = {"TMultiUnitSweeper"};
    } else if (Kind == "rename" && Argc >= 6) {
        Module = "SymbolRenamer";
        Commands = {"SymbolRenamer"};
    } else {
        return Usage();
    }
    TBenchTotals Totals;
    Ref<THeadlessRefactoringHost> Host(new THeadlessRefactoringHost());
    TqlPluginLoader Loader;
    long AnalysisPeakKb = 0;
    try {
        Ref<TqlProject> Project(new TqlProject);
        gqlProject = Ref<IqlProject>(Project.get());
        gqlRefactoringHost = Ref<IqlRefactoringHost>(Host.get());
        Loader.LoadAll({Module}, [&](const std::string& E) {
            std::fprintf(stderr, "%s\n", E.c_str());
            ++Totals.Errors;
        });
        Project->GetOptions()->SetFileToAnalyze(MainFile);
        Project->Analyze(true);
        AnalysisPeakKb = PeakKb();
        TqlFileNameList* Files = Project->GetFileNames();
        TqlUnitList* Units = Project->GetUnits();
        for (int I = 0; I < Units->GetCount(); ++I) {
            TqlSourceFile* F = Files->GetItems(Units->GetUnits(I)->GetFileIndex());
            if (F && F->Exists) {
                ++Totals.Files;
                Totals.Bytes += static_cast<long long>(std::filesystem::file_size(F->GetFullFileName()));
                Totals.Lines += CountLines(F->GetFullFileName());
            }
        }
        if (Kind == "rename") {
            TqlUnit* Unit = Units->FindUnit(Argv[3]);
            Host->SelectedSymbol = Unit ? (std::string(Argv[4]) == Unit->GetName()
                                               ? static_cast<TqlSymbol*>(Unit)
                                               : Unit->FindSymbol(Unit, nullptr, Argv[4]))
                                        : nullptr;
            if (!Host->SelectedSymbol) {
                std::fprintf(stderr, "%s.%s: no such symbol\n", Argv[3], Argv[4]);
                ++Totals.Errors;
            }
            Host->InputAnswers.push_back(std::string(Argv[5]));
        } else if (Kind == "sweep") {
            Host->InputAnswers.push_back(std::string("F T"));
        }
        for (const std::string& Command : Commands) {
            const auto Start = std::chrono::steady_clock::now();
            if (!Host->Run(Command))
                ++Totals.Errors;
            const double Seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
            // The all-units commands open every unit with a source once.
            std::printf("%s seconds=%.3f written=%zu opened_lines_per_s=%.0f\n", Command.c_str(), Seconds,
                        Host->RefactoredUnits.size(), Seconds > 0 ? double(Totals.Lines) / Seconds : 0.0);
            Totals.Seconds += Seconds;
        }
        std::printf("messages=%zu\n", Host->Messages.size());
    } catch (const std::exception& E) {
        std::fprintf(stderr, "%s\n", E.what());
        ++Totals.Errors;
    }
    gqlRefactoringHost = nullptr;
    Host->Registry.Clear();
    Loader.FinalizeAll();
    gqlProject = nullptr;
    // What the refactoring needs beyond the analysis: the growth of the peak
    // past the one the analysis reached, per line of the project's units.
    const long Peak = PeakKb();
    std::printf("peak_kb=%ld analysis_peak_kb=%ld bytes_per_line_above=%.0f\n", Peak, AnalysisPeakKb,
                Totals.Lines ? (Peak - AnalysisPeakKb) * 1024.0 / double(Totals.Lines) : 0.0);
    PrintClosingLine(Totals);
    return Totals.Errors == 0 ? 0 : 1;
}
