// A plug-in's operations over Free Pascal package sources: every file of
// each folder analysed as the main file, each operation on a fresh tree of
// it; nothing may raise or assert, and every changed text must build a tree
// again.
#pragma once

#include "tests/Refactorings/PluginTestSupport.h"

#include <algorithm>

struct TCorpusTotals {
    int Files = 0;
    int Changed = 0;
    int Messages = 0;
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

inline void qlCorpusFile(const std::string& File, const std::vector<TCorpusOperation>& Operations,
                         TCorpusTotals& Totals)
{
    TTestFolder Scratch;
    Ref<TqlProject> Project(new TqlProject(Scratch.Path()));
    gqlProject = Ref<IqlProject>(Project.get());
    struct TReset {
        ~TReset() { gqlProject = nullptr; }
    } Reset;
    Project->GetOptions()->SetFileToAnalyze(File);
    try {
        Project->Analyze(true);
    } catch (const ESyntaxError&) {
        return;
    }
    if (Project->GetUnits()->GetCount() == 0)
        return;
    TqlUnit* Unit = Project->GetUnits()->GetUnits(0);
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
            const std::string Out = Scratch.Path() + "/out" + std::to_string(Index) +
                                    fs::path(File).extension().string();
            Tree->Generate(Out, true);
            EXPECT_NO_THROW(qlCorpusTree(Out)) << File << " operation " << Index;
        } catch (const ESyntaxError&) {
            // The builder stops where the analysis went on.
        } catch (const std::exception& E) {
            ADD_FAILURE() << File << " operation " << Index << ": " << E.what();
        }
    }
}

inline TCorpusTotals qlCorpusRun(const std::vector<TCorpusOperation>& Operations)
{
    const std::string Root = std::string(QUILLET_FPCSRC) + "/packages/";
    TCorpusTotals Totals;
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
            qlCorpusFile(File, Operations, Totals);
    }
    std::printf("%d files, %d changed outputs, %d findings\n", Totals.Files, Totals.Changed,
                Totals.Messages);
    return Totals;
}
