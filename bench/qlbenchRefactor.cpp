// qlbench refactor: the refactoring plug-ins, loaded as the desktop loads
// them, run headless over an analysed project; the time counts the
// refactoring alone (after the analysis), the lines those of every unit
// source of the project.
#include "bench/qlbenchCommon.h"

#include "Refactorings/uqlHeadlessHost.h"
#include "analysis/uqlProject.h"
#include "desktop/uqlPluginLoader.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
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
    std::fprintf(stderr, "usage: qlbench refactor with|sweep MAIN_FILE [--libpath DIR...]\n"
                         "       qlbench refactor rename MAIN_FILE PATH NEW_NAME [--libpath DIR...]\n"
                         "PATH names any symbol by its dotted path from its unit, for example\n"
                         "Unit.TClass.Method, Unit.Routine.Local or Unit (UNIT SYMBOL also works).\n"
                         "Output goes below ./Generated of the current folder.\n");
    return 2;
}

std::string Lower(std::string Text)
{
    for (char& C : Text)
        C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
    return Text;
}

// What a symbol is, in words.
std::string KindOf(TqlSymbol* Symbol, TqlSymbol* Owner)
{
    if (dynamic_cast<TqlUnit*>(Symbol))
        return "unit";
    if (dynamic_cast<TqlInterface*>(Symbol))
        return "interface";
    if (dynamic_cast<TqlObject*>(Symbol))
        return "object";
    if (dynamic_cast<TqlClass*>(Symbol))
        return "class";
    if (dynamic_cast<TqlRecord*>(Symbol))
        return "record";
    if (dynamic_cast<TqlEnumeration*>(Symbol))
        return "enumeration";
    if (dynamic_cast<TqlRoutine*>(Symbol))
        return dynamic_cast<TqlClass*>(Owner) ? "method" : "routine";
    if (dynamic_cast<TqlProperty*>(Symbol))
        return "property";
    if (dynamic_cast<TqlParameter*>(Symbol))
        return "parameter";
    if (dynamic_cast<TqlLabel*>(Symbol))
        return "label";
    if (auto* Variable = dynamic_cast<TqlVariable*>(Symbol)) {
        if (Variable->GetIsConst())
            return "constant";
        if (dynamic_cast<TqlClass*>(Owner) || dynamic_cast<TqlRecord*>(Owner))
            return "field";
        return dynamic_cast<TqlRoutine*>(Owner) ? "local variable" : "variable";
    }
    if (dynamic_cast<TqlType*>(Symbol))
        return Symbol->GetPointerType() ? "pointer type" : "type";
    if (dynamic_cast<TqlEnumeration*>(Owner) || dynamic_cast<TqlEnumeration*>(Symbol->GetTypeIntf()))
        return "enumeration value";
    // A value that the unit sees, declared by one of its enumerations.
    if (auto* Container = dynamic_cast<TqlVarContainer*>(Owner))
        if (TqlEnumerationList* Enumerations = Container->GetEnumerations())
            for (int I = 0; I < Enumerations->GetCount(); ++I)
                if (TqlEnumeration* E = Enumerations->GetEnumeration(I))
                    for (int J = 0; J < E->GetSymbolCount(); ++J)
                        if (E->GetSymbol(J) == Symbol)
                            return "enumeration value";
    return "symbol";
}

// The symbols named Name that Owner declares: its members, and a routine's
// parameters. First declared first.
std::vector<TqlSymbol*> Members(TqlSymbol* Owner, const std::string& Name)
{
    std::vector<TqlSymbol*> Found;
    const std::string Wanted = Lower(Name);
    if (auto* Container = dynamic_cast<TqlSymbolContainer*>(Owner))
        for (int I = 0; I < Container->GetSymbolCount(); ++I)
            if (TqlSymbol* S = Container->GetSymbol(I); S && S != Owner && Lower(S->GetName()) == Wanted)
                Found.push_back(S);
    // Labels have a list of their own.
    if (auto* Container = dynamic_cast<TqlVarContainer*>(Owner))
        if (TqlLabelsList* Labels = Container->GetLabels())
            for (int I = 0; I < Labels->GetCount(); ++I)
                if (TqlLabel* L = Labels->GetLabels(I); L && Lower(L->GetName()) == Wanted &&
                                                         std::find(Found.begin(), Found.end(), L) == Found.end())
                    Found.push_back(L);
    if (auto* Routine = dynamic_cast<TqlRoutine*>(Owner))
        if (TqlParameterList* Params = Routine->GetParameters())
            for (int I = 0; I < Params->GetCount(); ++I)
                if (TqlParameter* P = Params->GetParameters(I);
                    P && Lower(P->GetName()) == Wanted &&
                    std::find(Found.begin(), Found.end(), P) == Found.end())
                    Found.push_back(P);
    std::stable_sort(Found.begin(), Found.end(), [](TqlSymbol* A, TqlSymbol* B) {
        return std::make_pair(A->GetY(), A->GetX()) < std::make_pair(B->GetY(), B->GetX());
    });
    return Found;
}

std::string Place(TqlProject* Project, const TqlCodeLocation* Location)
{
    TqlFileNameList* Files = Project->GetFileNames();
    const int Index = Location->GetFileIndex();
    std::string Where = Index >= 0 && Index < Files->GetCount()
                            ? Files->GetItems(Index)->GetFullFileName()
                            : std::string("(no file)");
    if (Location->GetY() > 0)
        Where += ":" + std::to_string(Location->GetY()) + ":" + std::to_string(Location->GetX());
    return Where;
}

// Resolves a dotted path (Unit.TClass.Method, Unit.Routine.Local, ...);
// prints what it found, or why nothing, and answers nil for the latter.
TqlSymbol* ResolvePath(TqlProject* Project, const std::string& Path)
{
    std::vector<std::string> Parts;
    for (size_t Start = 0;;) {
        const size_t Dot = Path.find('.', Start);
        Parts.push_back(Path.substr(Start, Dot == std::string::npos ? std::string::npos : Dot - Start));
        if (Dot == std::string::npos)
            break;
        Start = Dot + 1;
    }
    // A dotted unit name takes as many parts as make a unit.
    TqlSymbol* Current = nullptr;
    size_t Next = 0;
    std::string UnitName;
    for (size_t I = 0; I < Parts.size(); ++I) {
        UnitName += (I ? "." : "") + Parts[I];
        if (TqlUnit* Unit = Project->GetUnits()->FindUnit(UnitName)) {
            Current = Unit;
            Next = I + 1;
        }
    }
    if (!Current) {
        std::fprintf(stderr, "%s: no unit %s in the project\n", Path.c_str(), Parts[0].c_str());
        return nullptr;
    }
    TqlSymbol* Owner = nullptr;
    for (size_t I = Next; I < Parts.size(); ++I) {
        const std::vector<TqlSymbol*> Found = Members(Current, Parts[I]);
        if (Found.empty()) {
            std::fprintf(stderr, "%s: %s %s declares no %s\n", Path.c_str(), KindOf(Current, Owner).c_str(),
                         Current->GetName().c_str(), Parts[I].c_str());
            return nullptr;
        }
        if (Found.size() > 1)
            std::printf("note: %s %s declares %zu symbols named %s; the first is taken\n",
                        KindOf(Current, Owner).c_str(), Current->GetName().c_str(), Found.size(),
                        Parts[I].c_str());
        Owner = Current;
        Current = Found.front();
    }
    std::printf("resolved %s: %s %s at %s\n", Path.c_str(), KindOf(Current, Owner).c_str(),
                Current->GetName().c_str(), Place(Project, Current).c_str());
    return Current;
}

// The folders of ./Generated.
std::set<std::string> RunFolders()
{
    std::set<std::string> Result;
    std::error_code Ec;
    for (std::filesystem::directory_iterator It("Generated", Ec), End; !Ec && It != End; It.increment(Ec))
        Result.insert(std::filesystem::absolute(It->path()).string());
    return Result;
}

} // namespace

int RunRefactor(int Argc, char** Argv)
{
    std::vector<std::string> Args;
    std::vector<std::string> LibPaths;
    for (int I = 1; I < Argc; ++I) {
        const int Taken = TakeOptionValue(Argc, Argv, I, "--libpath", "a folder", LibPaths);
        if (Taken < 0)
            return 2;
        if (Taken == 0)
            Args.push_back(Argv[I]);
    }
    if (Args.size() < 2)
        return Usage();
    const std::string Kind = Args[0];
    const std::string MainFile = Args[1];
    std::string Module;
    std::vector<std::string> Commands;
    std::string SymbolPath;
    std::string NewName;
    if (Kind == "with" && Args.size() == 2) {
        Module = "WithUnwinder";
        Commands = {"QualifyWithMembersAllUnits", "QualifyAllAllUnits", "AddWithLocalVarAllUnits",
                    "RemoveWithStatementAllUnits"};
    } else if (Kind == "sweep" && Args.size() == 2) {
        Module = "UnitSweeper";
        Commands = {"TMultiUnitSweeper"};
    } else if (Kind == "rename" && (Args.size() == 4 || Args.size() == 5)) {
        Module = "SymbolRenamer";
        Commands = {"SymbolRenamer"};
        SymbolPath = Args.size() == 4 ? Args[2] : Args[2] + "." + Args[3];
        NewName = Args.back();
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
        AddLibraryFolders(*Project, LibPaths);
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
            Host->SelectedSymbol = ResolvePath(Project.get(), SymbolPath);
            if (!Host->SelectedSymbol)
                ++Totals.Errors;
            Host->InputAnswers.push_back(NewName);
        } else if (Kind == "sweep") {
            Host->InputAnswers.push_back(std::string("F T"));
        }
        for (const std::string& Command : Commands) {
            if (Kind == "rename" && !Host->SelectedSymbol)
                break;
            const size_t MessagesBefore = Host->Messages.size();
            const std::set<std::string> FoldersBefore = RunFolders();
            const auto Start = std::chrono::steady_clock::now();
            bool Ran = false;
            try {
                Ran = Host->Run(Command);
            } catch (const std::exception& E) {
                std::printf("%s failed: %s\n", Command.c_str(), E.what());
            }
            if (!Ran)
                ++Totals.Errors;
            const double Seconds =
                std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
            // The all-units commands open every unit with a source once.
            std::printf("%s seconds=%.3f written=%zu opened_lines_per_s=%.0f\n", Command.c_str(), Seconds,
                        Host->RefactoredUnits.size(), Seconds > 0 ? double(Totals.Lines) / Seconds : 0.0);
            for (size_t I = MessagesBefore; I < Host->Messages.size(); ++I)
                std::printf("message %s: %s\n", Place(Project.get(), Host->Messages[I]->GetCodeLocation()).c_str(),
                            Host->Messages[I]->GetMessageText().c_str());
            std::string Output;
            for (const std::string& Folder : RunFolders())
                if (!FoldersBefore.count(Folder))
                    Output += (Output.empty() ? "" : " ") + Folder;
            std::printf("%s output=%s\n", Command.c_str(), Output.empty() ? "none" : Output.c_str());
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
