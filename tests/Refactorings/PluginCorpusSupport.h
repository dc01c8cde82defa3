// A plug-in's operations over Free Pascal package sources. File by file:
// every file of each folder analysed as the main file, each operation on a
// fresh tree of it; nothing may raise or assert, every changed text must
// build a tree again, and a changed unit the compiler accepts alone must
// still be accepted after the change. Folder by folder (below): the units
// that build analysed together and what a command wrote built and run.
#pragma once

#include "tests/Refactorings/PluginTestSupport.h"

#include "Refactorings/uqlOutputCheck.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

struct TCorpusTotals {
    int Files = 0;
    int Changed = 0;
    int Messages = 0;
    int Compiled = 0;  // changed units whose source compiles alone
    int Broken = 0;    // of those, the ones that no longer compile
    // The findings by what they say, without the names and places in them.
    std::map<std::string, int> Reasons;
};

// A finding without the name and place it carries: "Used unit, %s, not
// found in project.", "Type, %s is a record; no local copy made".
inline std::string qlFindingReason(std::string Text)
{
    for (const char* Cut : {": ", ", the first of them"})
        if (const size_t At = Text.find(Cut); At != std::string::npos)
            Text.erase(At);
    static const std::regex Name(R"(^([\w ]+), (.*?)(,| is | has ))");
    return std::regex_replace(Text, Name, "$1, %s$3", std::regex_constants::format_first_only);
}

// The last check that the plug-ins make before they write, over what a
// corpus run wrote: how often it let the output go, how often it refused
// it, and why (the quoted message without its names, or the kind of fault).
struct TCorpusChecks {
    int Checked = 0;
    int Refused = 0;
    std::map<std::string, int> Reasons;

    // gqlProject must be the project that the outputs were made from. False
    // when the check refuses them: the plug-in would write nothing.
    bool Check(const std::vector<TqlOutputText>& Outputs, const std::string& What,
               const std::string& OldName = "", const std::string& NewName = "")
    {
        if (Outputs.empty())
            return true;
        ++Checked;
        TqlOutputFault Fault;
        if (!qlFindOutputFault(Outputs, Fault, OldName, NewName))
            return true;
        ++Refused;
        std::string Reason = Fault.Text;
        if (const size_t Open = Reason.find('"'); Open != std::string::npos)
            Reason = "says " + qlFindingReason(Reason.substr(Open + 1, Reason.rfind('"') - Open - 1));
        else if (Reason.find("no longer resolves") != std::string::npos)
            Reason = "a name no longer resolves";
        else if (Reason.find("no longer override") != std::string::npos)
            Reason = "an override no longer finds its ancestor's method";
        ++Reasons[Reason];
        std::printf("last check refused: %s: %s\n", What.c_str(), Fault.Text.c_str());
        return false;
    }
    void Print(const std::string& Title) const
    {
        std::printf("%s: last check ran %d times, refused %d\n", Title.c_str(), Checked, Refused);
        for (const auto& [Reason, Count] : Reasons)
            std::printf("  %5d  %s\n", Count, Reason.c_str());
    }
};

// A changed text, written under the source's own file name into a folder of
// its own, and the operation that made it.
struct TCorpusOutput {
    std::string Source;
    std::string Output;
    int Operation = 0;
};

// One operation: edits the tree of the main unit, answers whether it changed.
using TCorpusOperation = std::function<bool(TqlUnit* Unit, TqlModuleNode* Tree, const TqlMessageSink& Sink)>;

inline std::unique_ptr<TqlModuleNode> qlCorpusTree(const std::string& File, const std::string& Defines = "")
{
    auto Root = std::make_unique<TqlModuleNode>();
    TqlNodeBuilder Builder(Root.get(), Defines, GlobalKeyHashTable, GlobalDirectiveHash);
    Builder.Run(File, nullptr);
    return Root;
}

// A fresh project that has analysed File as its main file, installed as
// gqlProject while it lives.
class TCorpusAnalysis {
public:
    explicit TCorpusAnalysis(const std::string& File)
    {
        gqlProject = Ref<IqlProject>(FProject.get());
        FProject->GetOptions()->SetFileToAnalyze(File);
        try {
            FProject->Analyze(true);
        } catch (const ESyntaxError&) {
            return;
        }
        if (FProject->GetUnits()->GetCount() > 0)
            FMain = FProject->GetUnits()->GetUnits(0);
    }
    ~TCorpusAnalysis() { gqlProject = nullptr; }
    // The main unit; nil when the parse stopped at a fatal syntax error.
    TqlUnit* Main() const { return FMain; }

private:
    TTestFolder FScratch;
    Ref<TqlProject> FProject{new TqlProject(FScratch.Path())};
    TqlUnit* FMain = nullptr;
};

inline void qlCorpusFile(const std::string& File, const std::vector<TCorpusOperation>& Operations,
                         TCorpusTotals& Totals, const std::string& OutFolder,
                         std::vector<TCorpusOutput>& Outputs)
{
    const TCorpusAnalysis Analysis(File);
    TqlUnit* Unit = Analysis.Main();
    if (!Unit)
        return;
    ++Totals.Files;
    const TqlMessageSink Sink = [&](const std::string& Text, int, int) {
        ++Totals.Messages;
        ++Totals.Reasons[qlFindingReason(Text)];
    };
    int Index = 0;
    for (const TCorpusOperation& Operation : Operations) {
        ++Index;
        try {
            auto Tree = qlCorpusTree(File);
            if (!Operation(Unit, Tree.get(), Sink))
                continue;
            ++Totals.Changed;
            const fs::path Folder = fs::path(OutFolder) / std::to_string(Outputs.size());
            fs::create_directories(Folder);
            const std::string Out = (Folder / fs::path(File).filename()).string();
            Tree->Generate(Out, true);
            Outputs.push_back({File, Out, Index});
            EXPECT_NO_THROW(qlCorpusTree(Out)) << File << " operation " << Index;
        } catch (const ESyntaxError&) {
            // The builder stops where the analysis went on.
        } catch (const std::exception& E) {
            ADD_FAILURE() << File << " operation " << Index << ": " << E.what();
        }
    }
}

// Whether the Free Pascal compiler accepts File (Delphi mode, no assembling
// or linking), with Folder searched for its units and include files; what
// the compiler writes goes into Work only.
inline bool qlFpcAccepts(const std::string& File, const std::string& Folder, const fs::path& Work)
{
    fs::create_directories(Work);
    const std::string Command = "cd '" + Work.string() + "' && fpc -Mdelphi -s -FU. -Fu'" + Folder +
                                "' -Fi'" + Folder + "' '" + File + "' > build.log 2>&1";
    return std::system(Command.c_str()) == 0;
}

// Runs Job(0) .. Job(Count - 1) on a few threads.
inline void qlInParallel(size_t Count, const std::function<void(size_t)>& Job)
{
    std::atomic<size_t> Next{0};
    auto Worker = [&] {
        for (size_t I; (I = Next++) < Count;)
            Job(I);
    };
    std::vector<std::thread> Threads;
    const unsigned N = std::clamp(std::thread::hardware_concurrency() / 2, 1u, 4u);
    for (unsigned T = 0; T < N; ++T)
        Threads.emplace_back(Worker);
    for (std::thread& T : Threads)
        T.join();
}

// Each changed unit whose source compiles alone must compile after the
// change. Answers how many changed units compiled alone; Broken gets how
// many of them did not compile after the change.
inline int qlCorpusCompileCheck(const std::vector<TCorpusOutput>& Outputs, const fs::path& Work,
                                int& Broken)
{
    Broken = 0;
    if (Outputs.empty())
        return 0;
    if (std::system("command -v fpc > /dev/null 2>&1") != 0) {
        std::printf("fpc is not installed: the changed units are not compiled\n");
        return 0;
    }
    std::vector<std::string> Sources;
    for (const TCorpusOutput& O : Outputs)
        Sources.push_back(O.Source);
    std::sort(Sources.begin(), Sources.end());
    Sources.erase(std::unique(Sources.begin(), Sources.end()), Sources.end());
    std::vector<char> SourceOk(Sources.size());
    qlInParallel(Sources.size(), [&](size_t I) {
        SourceOk[I] = qlFpcAccepts(Sources[I], fs::path(Sources[I]).parent_path().string(),
                                   Work / ("source" + std::to_string(I)));
    });
    std::vector<size_t> Checked;
    for (size_t I = 0; I < Outputs.size(); ++I) {
        const size_t S = std::lower_bound(Sources.begin(), Sources.end(), Outputs[I].Source) - Sources.begin();
        if (SourceOk[S])
            Checked.push_back(I);
    }
    std::vector<char> OutputOk(Checked.size());
    qlInParallel(Checked.size(), [&](size_t I) {
        const TCorpusOutput& O = Outputs[Checked[I]];
        OutputOk[I] = qlFpcAccepts(O.Output, fs::path(O.Source).parent_path().string(),
                                   Work / ("output" + std::to_string(I)));
    });
    for (size_t I = 0; I < Checked.size(); ++I)
        if (!OutputOk[I]) {
            ++Broken;
            const TCorpusOutput& O = Outputs[Checked[I]];
            ADD_FAILURE() << O.Source << " compiles, but not after operation " << O.Operation << ":\n"
                          << qlReadFile(Work / ("output" + std::to_string(I)) / "build.log");
        }
    return static_cast<int>(Checked.size());
}

inline TCorpusTotals qlCorpusRun(const std::vector<TCorpusOperation>& Operations)
{
    const std::string Root = std::string(QUILLET_FPCSRC) + "/packages/";
    TCorpusTotals Totals;
    TTestFolder Work;
    std::vector<TCorpusOutput> Outputs;
    for (const char* Folder : {"fcl-db/src/dbase", "fcl-image/src", "fcl-xml/src", "fcl-passrc/src",
                               "pasjpeg/src", "regexpr/src", "hash/src", "fcl-json/src"}) {
        std::vector<std::string> Files;
        std::error_code Ec;
        for (const auto& E : fs::directory_iterator(Root + Folder, Ec)) {
            const std::string Ext = E.path().extension().string();
            if (Ext == ".pas" || Ext == ".pp")
                Files.push_back(E.path().string());
        }
        std::sort(Files.begin(), Files.end());
        for (const std::string& File : Files)
            qlCorpusFile(File, Operations, Totals, Work.Path() + "/out", Outputs);
    }
    Totals.Compiled = qlCorpusCompileCheck(Outputs, fs::path(Work.Path()) / "fpc", Totals.Broken);
    std::printf("%d files, %d changed outputs, %d findings, %d changed units compiled alone, %d of them "
                "no longer compile\n",
                Totals.Files, Totals.Changed, Totals.Messages, Totals.Compiled, Totals.Broken);
    for (const auto& [Reason, Count] : Totals.Reasons)
        std::printf("  %5d  %s\n", Count, Reason.c_str());
    return Totals;
}

// ---------------------------------------------------------------------------
// The all-units commands over whole package folders: the units of a folder
// that build are analysed together (with the compiler's own defines), as a
// user runs the commands on a project, and what a command wrote is built
// with fpc in a copy of the folder.

struct TCorpusFolder {
    const char* Path;    // below packages/
    const char* Program; // in data/with_corpus_programs; nil for none
};

// The Delphi-mode (or Delphi-compatible) package folders that build with
// fpc, and the fixture programs that exercise them.
inline constexpr TCorpusFolder qlCorpusFolders[] = {
    {"pasjpeg/src", "jpegcheck.dpr"},   {"fcl-db/src/dbase", nullptr},
    {"regexpr/src", "regexprcheck.dpr"}, {"hash/src", "hashcheck.dpr"},
    {"fcl-image/src", nullptr},          {"fcl-xml/src", "xmlcheck.dpr"},
    {"fcl-json/src", "jsoncheck.dpr"},  {"fcl-base/src", nullptr},
    {"libtar/src", nullptr},             {"fcl-res/src", nullptr},
};

// The defines of the compiler that builds the outputs, so that the analysis
// and the trees read the branches it compiles.
inline constexpr const char* qlCorpusDefines[] = {"FPC",    "FPC_DELPHI",    "UNIX",         "LINUX",
                                                 "CPU64",  "CPUX86_64",     "ENDIAN_LITTLE", "VER3",
                                                 "VER3_2", "VER3_2_2",      "FPC_HAS_TYPE_EXTENDED"};

// The program that uses every unit of a folder that builds.
inline constexpr const char* qlCorpusProgramName = "qlwithcorpus";

struct TCorpusFolderRun {
    const TCorpusFolder* Folder = nullptr;
    fs::path Work;
    std::vector<std::string> Units; // unit names that build, in file order
    std::string Was;                // what the folder's program printed
};

// The compiler's errors in a build log, each with the line of the source it
// names (found in Sources).
inline std::string qlCorpusProblems(const fs::path& Log, const fs::path& Sources)
{
    static const std::regex Place(R"(^([^\s(]+)\((\d+),\d+\) (Error|Fatal):)");
    std::istringstream In(qlReadFile(Log));
    std::string Result;
    for (std::string Line; std::getline(In, Line);) {
        if (Line.find("Error:") == std::string::npos && Line.find("Fatal:") == std::string::npos)
            continue;
        Result += Line + "\n";
        std::smatch M;
        if (!std::regex_search(Line, M, Place))
            continue;
        std::istringstream Source(qlReadFile(Sources / fs::path(M[1].str()).filename()));
        std::string Text;
        for (int N = std::stoi(M[2].str()); N > 0 && std::getline(Source, Text); --N) {
        }
        Result += "    " + Text + "\n";
    }
    return Result;
}

// The text's first word, after blanks, comments and directives, is "unit".
inline bool qlIsUnitSource(const std::string& Text)
{
    size_t I = 0;
    while (I < Text.size()) {
        if (std::isspace(static_cast<unsigned char>(Text[I]))) {
            ++I;
        } else if (Text[I] == '{') {
            I = Text.find('}', I);
            I = I == std::string::npos ? Text.size() : I + 1;
        } else if (Text.compare(I, 2, "(*") == 0) {
            I = Text.find("*)", I + 2);
            I = I == std::string::npos ? Text.size() : I + 2;
        } else if (Text.compare(I, 2, "//") == 0) {
            I = Text.find('\n', I);
        } else {
            break;
        }
    }
    return I + 4 < Text.size() && qlSameName(Text.substr(I, 4), "unit") &&
           std::isspace(static_cast<unsigned char>(Text[I + 4]));
}

inline void qlWriteUsesProgram(const fs::path& Folder, const std::vector<std::string>& Units)
{
    std::string Text = std::string("program ") + qlCorpusProgramName + ";\r\n\r\nuses\r\n";
    for (size_t I = 0; I < Units.size(); ++I)
        Text += "  " + Units[I] + (I + 1 < Units.size() ? ",\r\n" : ";\r\n");
    Text += "\r\nbegin\r\nend.\r\n";
    std::ofstream(Folder / (std::string(qlCorpusProgramName) + ".dpr"), std::ios::binary) << Text;
}

// Copies the folder's sources, and finds the units among them that fpc
// builds: a program that uses them all is built, and a unit the compiler
// stops at is left out until the rest builds.
inline void qlCorpusPrepare(TCorpusFolderRun& Run)
{
    const fs::path Source = fs::path(QUILLET_FPCSRC) / "packages" / Run.Folder->Path;
    const fs::path Src = Run.Work / "src";
    fs::create_directories(Src);
    std::vector<fs::path> Files;
    for (const auto& E : fs::directory_iterator(Source))
        if (E.is_regular_file())
            Files.push_back(E.path());
    std::sort(Files.begin(), Files.end());
    for (const fs::path& F : Files) {
        const std::string Ext = F.extension().string();
        const bool IsUnit = (Ext == ".pas" || Ext == ".pp") && qlIsUnitSource(qlReadFile(F));
        // The analysis looks for a unit's file with ".pas" added.
        fs::copy_file(F, Src / (IsUnit ? F.stem().string() + ".pas" : F.filename().string()));
        if (IsUnit)
            Run.Units.push_back(F.stem().string());
    }
    const std::regex Stop(R"((^|\n)([^\s(]+)\(\d+,\d+\) (Error|Fatal):)");
    for (size_t Tries = 0; !Run.Units.empty() && Tries <= Files.size(); ++Tries) {
        const fs::path Base = Run.Work / ("base" + std::to_string(Tries));
        fs::create_directories(Base);
        qlWriteUsesProgram(Base, Run.Units);
        if (qlFpcBuild(Base, std::string(qlCorpusProgramName) + ".dpr", Src))
            break;
        const std::string Log = qlReadFile(Base / "build.log");
        std::smatch M;
        std::string Failed;
        if (std::regex_search(Log, M, Stop))
            Failed = fs::path(M[2].str()).stem().string();
        if (Failed.empty()) {
            Run.Units.clear();
            break;
        }
        // The unit goes, and so do those that name it (it may be one that
        // went before, built again for a unit that uses it).
        const std::regex Named("\\b" + Failed + "\\b", std::regex::icase);
        const size_t Count = Run.Units.size();
        std::erase_if(Run.Units, [&](const std::string& U) {
            return qlSameName(U, Failed) ||
                   std::regex_search(qlReadFile(Src / (U + ".pas")), Named);
        });
        if (Run.Units.size() == Count) {
            Run.Units.clear();
            break;
        }
    }
    qlWriteUsesProgram(Src, Run.Units);
    if (Run.Folder->Program) {
        const fs::path Folder = Run.Work / "program0";
        fs::create_directories(Folder);
        fs::copy_file(qlCaseFolder("with_corpus_programs") / Run.Folder->Program,
                      Folder / Run.Folder->Program);
        if (qlFpcBuild(Folder, Run.Folder->Program, Src))
            Run.Was = qlRunBuilt(Folder, Run.Folder->Program);
        else
            ADD_FAILURE() << Run.Folder->Program << " does not build:\n"
                          << qlCorpusProblems(Folder / "build.log", Src);
    }
}

// Analyses the folder's program in Sources, as a user does (the unit that
// ships beside the programs on the library path, the compiler's defines);
// Defines gets the defines as the node builder takes them. False, with a
// failure, when the analysis stopped.
inline bool qlCorpusAnalyse(TAnalysedProject& Project, const fs::path& Sources, std::string& Defines)
{
    Project->GetSystemOptions()->GetLibrarySearchPath()->Add(std::string(QUILLET_SOURCE_DIR) +
                                                             "/QuilletSystem");
    Defines.clear();
    for (const char* D : qlCorpusDefines) {
        Project->GetOptions()->GetDefines()->Add(D);
        Defines += std::string(D) + "\n";
    }
    const fs::path Main = Sources / (std::string(qlCorpusProgramName) + ".dpr");
    Project->GetOptions()->SetFileToAnalyze(Main.string());
    try {
        Project->Analyze(true);
    } catch (const ESyntaxError& E) {
        ADD_FAILURE() << Sources << ": the analysis stopped: " << E.what();
        return false;
    }
    return true;
}

// Copies the regular files of Sources into Out.
inline void qlCopyFolderFiles(const fs::path& Sources, const fs::path& Out)
{
    fs::create_directories(Out);
    for (const auto& E : fs::directory_iterator(Sources))
        if (E.is_regular_file())
            fs::copy_file(E.path(), Out / E.path().filename());
}

// What became of a command's output: the program that uses every unit
// that builds was built, and the folder's fixture program (where there is
// one) printed what it printed before; Problem says what went wrong.
struct TCorpusBuild {
    bool Built = false;
    bool Same = false;
    std::string Problem;
};

// Builds what a command wrote into Out (a copy of the sources), in folders
// of Run's work folder named after Name.
inline TCorpusBuild qlCorpusBuildOutput(const TCorpusFolderRun& Run, const fs::path& Out, const std::string& Name)
{
    TCorpusBuild Result;
    const fs::path Folder = Run.Work / ("build-" + Name);
    fs::create_directories(Folder);
    const std::string Main = std::string(qlCorpusProgramName) + ".dpr";
    fs::copy_file(Out / Main, Folder / Main);
    Result.Built = qlFpcBuild(Folder, Main, Out);
    if (!Result.Built) {
        Result.Problem = "does not build:\n" + qlCorpusProblems(Folder / "build.log", Out);
        return Result;
    }
    if (!Run.Folder->Program)
        return Result;
    const fs::path Program = Run.Work / ("program-" + Name);
    fs::create_directories(Program);
    fs::copy_file(qlCaseFolder("with_corpus_programs") / Run.Folder->Program, Program / Run.Folder->Program);
    const std::string Printed =
        qlFpcBuild(Program, Run.Folder->Program, Out)
            ? qlRunBuilt(Program, Run.Folder->Program)
            : "<build failed>\n" + qlCorpusProblems(Program / "build.log", Out);
    Result.Same = Printed == Run.Was;
    if (!Result.Same)
        Result.Problem = std::string(Run.Folder->Program) + " printed\n" + Printed + "\ninstead of\n" + Run.Was;
    return Result;
}

// The folders' runs, each with its sources copied below Work and the units
// that build found.
template <class TRun>
std::vector<TRun> qlCorpusPrepareAll(const fs::path& Work)
{
    std::vector<TRun> Runs(std::size(qlCorpusFolders));
    for (size_t I = 0; I < Runs.size(); ++I) {
        Runs[I].Folder = &qlCorpusFolders[I];
        Runs[I].Work = Work / std::to_string(I);
    }
    qlInParallel(Runs.size(), [&](size_t I) { qlCorpusPrepare(Runs[I]); });
    return Runs;
}

// Calls Visit(Unit, File, Tree) for every unit of the analysed project that
// lies in Sources and builds (the program itself left out), on a fresh tree
// of its file.
inline void qlCorpusForEachUnit(TAnalysedProject& Project, const TCorpusFolderRun& Run, const fs::path& Sources,
                                const std::string& Defines,
                                const std::function<void(TqlUnit*, const fs::path&, TqlModuleNode*)>& Visit)
{
    const std::set<std::string> Building(Run.Units.begin(), Run.Units.end());
    TqlUnitList* Units = Project->GetUnits();
    for (int I = 1; I < Units->GetCount(); ++I) {
        TqlUnit* Unit = Units->GetUnits(I);
        const fs::path File = Unit->GetFullFileName();
        if (File.parent_path() != Sources || !Building.count(File.stem().string()))
            continue;
        std::unique_ptr<TqlModuleNode> Tree;
        try {
            Tree = qlCorpusTree(File.string(), Defines);
        } catch (const ESyntaxError&) {
            continue; // the builder stops where the analysis went on
        }
        Visit(Unit, File, Tree.get());
    }
}

// Writes a changed tree over its unit's copy in Out; the text written must
// build a tree again.
inline void qlCorpusWrite(TqlModuleNode* Tree, const fs::path& Out, const fs::path& File, const std::string& Defines)
{
    const fs::path Written = Out / File.filename();
    fs::remove(Written);
    Tree->Generate(Written.string(), true);
    EXPECT_NO_THROW(qlCorpusTree(Written.string(), Defines)) << Written;
}

// What became of the outputs of one command over the folders.
struct TCorpusBuildTally {
    int Built = 0, Failed = 0, Same = 0, Other = 0;
    // Counts one output; a failure names the folder and What wrote it.
    void Count(const TCorpusFolderRun& Run, const TCorpusBuild& Result, const std::string& What)
    {
        if (!Result.Built) {
            ++Failed;
            ADD_FAILURE() << Run.Folder->Path << ": what " << What << " wrote " << Result.Problem;
            return;
        }
        ++Built;
        if (!Run.Folder->Program)
            return;
        if (Result.Same) {
            ++Same;
        } else {
            ++Other;
            ADD_FAILURE() << Run.Folder->Path << ": after " << What << " " << Result.Problem;
        }
    }
};
