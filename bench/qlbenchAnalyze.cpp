// qlbench analyze MAIN_FILE [--libpath DIR...]: the full analysis that
// qlcheck runs, without printing, timed; then the lines the parses actually
// went through, the number of messages and the time the model took to be
// released, the peak memory of the process, the places of calls the
// analysis left ambiguous, the "inherited Name" places bound to a member of
// the caller's own class, and the closing line.
#include "bench/qlbenchCommon.h"

#include "analysis/uqlProject.h"
#include "settings/uqlStringList.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <tuple>
#include <sys/resource.h>
#include <vector>

namespace {

long long CountFile(const std::string& Path, TBenchTotals& Totals)
{
    std::FILE* In = std::fopen(Path.c_str(), "rb");
    if (!In)
        return 0;
    ++Totals.Files;
    // Counted block by block: a line end per '\n', and one more for a last
    // line without it.
    // One block for every file, not cleared: what the count reads is what
    // fread put there.
    static const std::unique_ptr<char[]> Memory = std::make_unique_for_overwrite<char[]>(1 << 16);
    const std::span<char> Block(Memory.get(), 1 << 16);
    long long Lines = 0;
    char Last = '\n';
    size_t Got;
    while ((Got = std::fread(Block.data(), 1, Block.size(), In)) > 0) {
        Totals.Bytes += static_cast<long long>(Got);
        for (const char *P = Block.data(), *End = P + Got;
             (P = static_cast<const char*>(std::memchr(P, '\n', static_cast<size_t>(End - P)))) != nullptr; ++P)
            ++Lines;
        Last = Block[Got - 1];
    }
    std::fclose(In);
    if (Last != '\n')
        ++Lines;
    Totals.Lines += Lines;
    return Lines;
}

// The process's own memory (anonymous pages: the heap, the object pool,
// stacks), in kB; -1 where the system does not tell. Peak RSS also counts
// the pages of program and library code the process maps, which it shares
// with every other process that runs them.
double PrivateKb()
{
    std::FILE* In = std::fopen("/proc/self/status", "r");
    if (!In)
        return -1;
    char Line[256];
    double Kb = -1;
    while (std::fgets(Line, sizeof Line, In))
        if (std::sscanf(Line, "RssAnon: %lf", &Kb) == 1)
            break;
    std::fclose(In);
    return Kb;
}

} // namespace

void AddLibraryFolders(TqlProject& Project, const std::vector<std::string>& Folders)
{
    Ref<IqlStringList> SearchPath = Project.GetSystemOptions()->GetLibrarySearchPath();
    for (const std::string& F : Folders)
        SearchPath->Add(F);
    qlAddShippedSystemFolder(SearchPath);
}

long long CountAnalysedFiles(TqlProject& Project, TBenchTotals& Totals)
{
    long long Analysed = 0;
    TqlFileNameList* Files = Project.GetFileNames();
    TqlUnitList* Units = Project.GetUnits();
    for (int i = 0; i < Files->GetCount(); ++i) {
        TqlSourceFile* F = Files->GetItems(i);
        if (!F->Exists)
            continue;
        const long long Lines = CountFile(F->GetFullFileName(), Totals);
        const int U = F->GetUnitIndex();
        if (U >= 0 && U < Units->GetCount() && Units->GetUnits(U)->GetFileIndex() == i)
            Analysed += Units->GetUnits(U)->AnalysedLines;
        else
            Analysed += Lines;
    }
    return Analysed;
}

long long CountAmbiguousCalls(TqlProject& Project)
{
    // Read from the units' use stores, which hold every use in their files
    // (but those of a unit whose store ran out of places), so that the count
    // adds no list of them to the memory measured.
    std::set<std::tuple<int, int, int>> Places;
    TqlUnitList* Units = Project.GetUnits();
    for (int i = 0; i < Units->GetCount(); ++i)
        Units->GetUnits(i)->GetUseStore().ForEachFrom(0, [&Places](TqlUsedByLocation* Use) {
            if (Use->GetIsAmbiguous())
                Places.emplace(Use->GetFileIndex(), Use->GetY(), Use->GetX());
        });
    return static_cast<long long>(Places.size());
}

// The word that ends before column X (1-based) of line Y of Lines, spaces
// and line breaks skipped.
std::string WordBefore(const std::vector<std::string>& Lines, int Y, int X)
{
    int Row = Y - 1;
    int Col = X - 2;
    while (Row >= 0 && Row < int(Lines.size())) {
        const std::string& L = Lines[Row];
        Col = std::min(Col, int(L.size()) - 1);
        while (Col >= 0 && std::isspace(static_cast<unsigned char>(L[Col])))
            --Col;
        if (Col >= 0) {
            int From = Col;
            while (From > 0 && (std::isalnum(static_cast<unsigned char>(L[From - 1])) || L[From - 1] == '_'))
                --From;
            return L.substr(From, Col - From + 1);
        }
        --Row;
        Col = Row >= 0 ? int(Lines[Row].size()) - 1 : 0;
    }
    return std::string();
}

// The places where "inherited Name", written in a method of a class, was
// bound to a member of that same class: inherited starts in the ancestor.
long long CountInheritedOwnClass(TqlProject& Project)
{
    std::map<int, std::vector<std::string>> Texts;
    auto LinesOf = [&](int FileIndex) -> const std::vector<std::string>& {
        auto It = Texts.find(FileIndex);
        if (It != Texts.end())
            return It->second;
        std::vector<std::string>& Lines = Texts[FileIndex];
        TqlFileNameList* Files = Project.GetFileNames();
        if (FileIndex >= 0 && FileIndex < Files->GetCount()) {
            std::ifstream In(Files->GetItems(FileIndex)->GetFullFileName(), std::ios::binary);
            for (std::string L; std::getline(In, L);)
                Lines.push_back(L);
        }
        return Lines;
    };
    auto Before = [](int Y1, int X1, int Y2, int X2) { return Y1 < Y2 || (Y1 == Y2 && X1 <= X2); };
    long long Count = 0;
    TqlUnitList* Units = Project.GetUnits();
    for (int u = 0; u < Units->GetCount(); ++u) {
        TqlClassList* Classes = Units->GetUnits(u)->GetClasses();
        for (int c = 0; c < Classes->GetCount(); ++c) {
            TqlClass* K = Classes->GetClasses(c);
            TqlRoutineList* Methods = K->GetRoutines();
            for (int m = 0; m < K->GetSymbolCount(); ++m) {
                TqlUsedByList* Uses = K->GetSymbol(m)->GetUsedBy();
                for (int i = 0; i < Uses->GetCount(); ++i) {
                    TqlUsedByLocation* Use = Uses->GetLocations(i);
                    if (Use->GetIsUnnamed() || Use->GetIsHeading() || Use->GetFileIndex() != K->GetFileIndex())
                        continue;
                    if (!qlSameText(WordBefore(LinesOf(Use->GetFileIndex()), Use->GetY(), Use->GetX()),
                                    "inherited"))
                        continue;
                    for (int r = 0; r < Methods->GetCount(); ++r) {
                        TqlRoutine* R = Methods->GetRoutine(r);
                        if (Before(R->GetImplStartY(), R->GetImplStartX(), Use->GetY(), Use->GetX()) &&
                            Before(Use->GetY(), Use->GetX(), R->GetImplEndY(), R->GetImplEndX())) {
                            ++Count;
                            break;
                        }
                    }
                }
            }
        }
    }
    return Count;
}

int RunAnalyze(int Argc, char** Argv)
{
    std::string MainFile;
    std::vector<std::string> LibPaths;
    for (int i = 1; i < Argc; ++i) {
        const int Taken = TakeOptionValue(Argc, Argv, i, "--libpath", "a folder", LibPaths);
        if (Taken < 0)
            return 2;
        if (Taken > 0)
            continue;
        if (MainFile.empty()) {
            MainFile = Argv[i];
        } else {
            std::fprintf(stderr, "only one main file may be given\n");
            return 2;
        }
    }
    if (MainFile.empty()) {
        std::fprintf(stderr, "usage: qlbench analyze MAIN_FILE [--libpath DIR...]\n");
        return 2;
    }
    TBenchTotals Totals;
    // What the process holds before the analysis (program, libraries, the
    // heap's start), so that the memory the analysis adds can be told apart.
    rusage StartUsage{};
    getrusage(RUSAGE_SELF, &StartUsage);
    const double StartKb = static_cast<double>(StartUsage.ru_maxrss);
    const double StartPrivateKb = PrivateKb();
    double EndPrivateKb = -1;
    long long AnalysedLines = 0;
    int Messages = 0;
    long long AmbiguousCalls = 0;
    long long InheritedOwnClass = 0;
    double TeardownSeconds = 0;
    try {
        Ref<TqlProject> Project(new TqlProject);
        gqlProject = Ref<IqlProject>(Project.get());
        AddLibraryFolders(*Project, LibPaths);
        Project->GetOptions()->SetFileToAnalyze(MainFile);
        const auto Start = std::chrono::steady_clock::now();
        Project->Analyze(true);
        Totals.Seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
        AnalysedLines = CountAnalysedFiles(*Project, Totals);
        // The rate is of the lines the analysis went through.
        Totals.TimedLines = AnalysedLines;
        Messages = Project->GetMessages()->GetCount();
        if (Project->GetFileNames()->GetCount() == 0) {
            std::fprintf(stderr, "%s: no such file\n", MainFile.c_str());
            ++Totals.Errors;
        }
        // The model is whole here, and no unit's text is held any more.
        EndPrivateKb = PrivateKb();
        AmbiguousCalls = CountAmbiguousCalls(*Project);
        InheritedOwnClass = CountInheritedOwnClass(*Project);
        // The model's release, timed on its own.
        const auto Teardown = std::chrono::steady_clock::now();
        gqlProject = nullptr;
        Project = nullptr;
        TeardownSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - Teardown).count();
    } catch (const std::exception& E) {
        std::fprintf(stderr, "%s\n", E.what());
        ++Totals.Errors;
    }
    gqlProject = nullptr;
    // The peak memory comes first so that the closing line is the last line
    // printed, as with the other subcommands.
    std::printf("analysed_lines=%lld messages=%d teardown_seconds=%.3f\n", AnalysedLines, Messages,
                TeardownSeconds);
    rusage Usage{};
    getrusage(RUSAGE_SELF, &Usage);
    const double PeakKb = static_cast<double>(Usage.ru_maxrss);
    std::printf("peak_kb=%.0f mb_per_100k_lines=%.1f bytes_per_line=%.0f start_kb=%.0f "
                "bytes_per_line_above_start=%.0f\n",
                PeakKb, Totals.Lines ? PeakKb / 1024.0 * 100000.0 / double(Totals.Lines) : 0.0,
                Totals.Lines ? PeakKb * 1024.0 / double(Totals.Lines) : 0.0, StartKb,
                Totals.Lines ? (PeakKb - StartKb) * 1024.0 / double(Totals.Lines) : 0.0);
    if (StartPrivateKb >= 0 && EndPrivateKb >= 0)
        std::printf("private_kb=%.0f private_bytes_per_line=%.0f private_start_kb=%.0f\n", EndPrivateKb,
                    Totals.Lines ? EndPrivateKb * 1024.0 / double(Totals.Lines) : 0.0, StartPrivateKb);
    std::printf("inherited_own_class=%lld\n", InheritedOwnClass);
    std::printf("ambiguous_calls=%lld\n", AmbiguousCalls);
    PrintClosingLine(Totals);
    return Totals.Errors ? 1 : 0;
}
