// A plug-in's operations over Free Pascal package sources: every file of
// each folder analysed as the main file, each operation on a fresh tree of
// it; nothing may raise or assert, every changed text must build a tree
// again, and a changed unit the compiler accepts alone must still be
// accepted after the change.
#pragma once

#include "tests/Refactorings/PluginTestSupport.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

struct TCorpusTotals {
    int Files = 0;
    int Changed = 0;
    int Messages = 0;
    int Compiled = 0;  // changed units whose source compiles alone
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

inline std::unique_ptr<TqlModuleNode> qlCorpusTree(const std::string& File)
{
    auto Root = std::make_unique<TqlModuleNode>();
    TqlNodeBuilder Builder(Root.get(), "", GlobalKeyHashTable, GlobalDirectiveHash);
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
    const TqlMessageSink Sink = [&](const std::string&, int, int) { ++Totals.Messages; };
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
// change. Answers how many changed units compiled alone.
inline int qlCorpusCompileCheck(const std::vector<TCorpusOutput>& Outputs, const fs::path& Work)
{
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
    for (const char* Folder : {"fcl-db/src/dbase", "fcl-image/src", "fcl-xml/src", "fcl-passrc/src"}) {
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
    Totals.Compiled = qlCorpusCompileCheck(Outputs, fs::path(Work.Path()) / "fpc");
    std::printf("%d files, %d changed outputs, %d findings, %d changed units compiled alone\n",
                Totals.Files, Totals.Changed, Totals.Messages, Totals.Compiled);
    return Totals;
}
