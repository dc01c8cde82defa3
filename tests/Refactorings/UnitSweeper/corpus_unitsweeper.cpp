// The unused-unit sweep over Free Pascal package sources: file by file, and
// as a user runs "All Units" over the Delphi-mode package folders, where
// what it wrote must build and the folders' programs print what they
// printed before.
#include "tests/Refactorings/PluginCorpusSupport.h"

#include "Refactorings/UnitSweeper/uUnitSweeper.h"

TEST(CorpusUnitSweeper, PackageFolders)
{
    auto Sweep = [](bool RemoveAll) {
        return [RemoveAll](TqlUnit* Unit, TqlModuleNode* Tree, const TqlMessageSink& Sink) {
            TqlUnitSweeper Sweeper(Unit, Tree, Sink, RemoveAll, true);
            return Sweeper.Run();
        };
    };
    const TCorpusTotals Totals = qlCorpusRun({Sweep(false), Sweep(true)});
    EXPECT_GT(Totals.Files, 50);
    EXPECT_EQ(Totals.Broken, 0);
}

namespace {

// The two choices of the options dialog.
struct TChoice {
    const char* Name;
    bool RemoveAll;
    bool MoveUsed;
} const Choices[] = {{"Move used units", false, true}, {"Remove all, move used units", true, true},
                     {"Remove only", false, false}};

struct TSweepTotals {
    int Tried = 0;   // units swept
    int Written = 0; // units changed
    std::map<std::string, int> Findings;
    TCorpusBuildTally Build;
    TCorpusChecks Checks;
};

// Sweeps every unit of Sources that builds but the program, as "All Units"
// does; what it changed goes into Out, a copy of Sources. Answers whether
// something was written.
bool SweepFolder(const TCorpusFolderRun& Run, const fs::path& Sources, const TChoice& Choice, const fs::path& Out,
                 TSweepTotals& Totals)
{
    qlCopyFolderFiles(Sources, Out);
    std::string Defines;
    TAnalysedProject Project;
    if (!qlCorpusAnalyse(Project, Sources, Defines))
        return false;
    bool Written = false;
    std::vector<TqlOutputText> Outputs;
    qlCorpusForEachUnit(Project, Run, Sources, Defines, [&](TqlUnit* Unit, const fs::path& File, TqlModuleNode* Tree) {
        ++Totals.Tried;
        const TqlMessageSink Sink = [&](const std::string& Text, int, int) {
            ++Totals.Findings[qlFindingReason(Text)];
        };
        bool Changed = false;
        try {
            TqlUnitSweeper Sweeper(Unit, Tree, Sink, Choice.RemoveAll, Choice.MoveUsed);
            Changed = Sweeper.Run();
        } catch (const std::exception& E) {
            ADD_FAILURE() << File << " " << Choice.Name << ": " << E.what();
            return;
        }
        if (!Changed)
            return;
        ++Totals.Written;
        Written = true;
        qlCorpusWrite(Tree, Out, File, Defines);
        Outputs.push_back({Unit->GetFullFileName(), qlReadFile(Out / File.filename()), ""});
    });
    // The plug-in writes nothing that its last check refuses.
    return Totals.Checks.Check(Outputs, std::string(Run.Folder->Path) + " " + Choice.Name) && Written;
}

} // namespace

TEST(CorpusUnitSweeper, AllUnitsOverDelphiPackages)
{
    if (!qlFpcInstalled())
        GTEST_SKIP() << "fpc is not installed";
    TTestFolder Work;
    const std::vector<TCorpusFolderRun> Runs = qlCorpusPrepareAll<TCorpusFolderRun>(Work.Path());

    // The analyses share the project hub: one at a time.
    TSweepTotals Totals[std::size(Choices)];
    struct TJob {
        const TCorpusFolderRun* Run;
        size_t Choice;
        TCorpusBuild Result;
    };
    std::vector<TJob> Jobs;
    auto Output = [](const TCorpusFolderRun& Run, size_t Choice) {
        return Run.Work / ("sweep" + std::to_string(Choice));
    };
    for (const TCorpusFolderRun& Run : Runs)
        for (size_t C = 0; C < std::size(Choices); ++C)
            if (!Run.Units.empty() && SweepFolder(Run, Run.Work / "src", Choices[C], Output(Run, C), Totals[C]))
                Jobs.push_back({&Run, C, {}});
    qlInParallel(Jobs.size(), [&](size_t I) {
        Jobs[I].Result = qlCorpusBuildOutput(*Jobs[I].Run, Output(*Jobs[I].Run, Jobs[I].Choice),
                                             "sweep" + std::to_string(Jobs[I].Choice));
    });
    for (const TJob& J : Jobs)
        Totals[J.Choice].Build.Count(*J.Run, J.Result, std::string("the sweep (") + Choices[J.Choice].Name + ")");
    int Written = 0;
    for (size_t C = 0; C < std::size(Choices); ++C) {
        const TSweepTotals& T = Totals[C];
        Written += T.Written;
        std::printf("Sweep, %s: %d units tried, %d written; folders built %d, broken %d; programs printed "
                    "the same %d, otherwise %d\n",
                    Choices[C].Name, T.Tried, T.Written, T.Build.Built, T.Build.Failed, T.Build.Same,
                    T.Build.Other);
        for (const auto& [Text, Count] : T.Findings)
            std::printf("  %5d  %s\n", Count, Text.c_str());
        T.Checks.Print(std::string("Sweep, ") + Choices[C].Name);
    }
    EXPECT_GT(Totals[0].Tried, 140);
    EXPECT_GT(Written, 0);
}
