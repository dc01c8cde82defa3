// The unused-unit sweep over Free Pascal package sources: file by file, and
// as a user runs "All Units" over the Delphi-mode package folders, where
// what it wrote must build and the folders' programs print what they
// printed before.
#include "tests/Refactorings/PluginCorpusSupport.h"

#include "Refactorings/UnitSweeper/uUnitSweeper.h"

#include <set>

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
    int Built = 0, Broken = 0, SameOutput = 0, OtherOutput = 0;
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
    const std::set<std::string> Building(Run.Units.begin(), Run.Units.end());
    bool Written = false;
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
        ++Totals.Tried;
        const TqlMessageSink Sink = [&](const std::string& Text, int, int) {
            ++Totals.Findings[qlFindingReason(Text)];
        };
        bool Changed = false;
        try {
            TqlUnitSweeper Sweeper(Unit, Tree.get(), Sink, Choice.RemoveAll, Choice.MoveUsed);
            Changed = Sweeper.Run();
        } catch (const std::exception& E) {
            ADD_FAILURE() << File << " " << Choice.Name << ": " << E.what();
            continue;
        }
        if (!Changed)
            continue;
        ++Totals.Written;
        Written = true;
        const fs::path Target = Out / File.filename();
        fs::remove(Target);
        Tree->Generate(Target.string(), true);
        EXPECT_NO_THROW(qlCorpusTree(Target.string(), Defines)) << Target;
    }
    return Written;
}

} // namespace

TEST(CorpusUnitSweeper, AllUnitsOverDelphiPackages)
{
    if (!qlFpcInstalled())
        GTEST_SKIP() << "fpc is not installed";
    TTestFolder Work;
    std::vector<TCorpusFolderRun> Runs(std::size(qlCorpusFolders));
    for (size_t I = 0; I < Runs.size(); ++I) {
        Runs[I].Folder = &qlCorpusFolders[I];
        Runs[I].Work = fs::path(Work.Path()) / std::to_string(I);
    }
    qlInParallel(Runs.size(), [&](size_t I) { qlCorpusPrepare(Runs[I]); });

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
    for (const TJob& J : Jobs) {
        TSweepTotals& T = Totals[J.Choice];
        if (!J.Result.Built) {
            ++T.Broken;
            ADD_FAILURE() << J.Run->Folder->Path << ": what the sweep (" << Choices[J.Choice].Name << ") wrote "
                          << J.Result.Problem;
            continue;
        }
        ++T.Built;
        if (!J.Run->Folder->Program)
            continue;
        if (J.Result.Same) {
            ++T.SameOutput;
        } else {
            ++T.OtherOutput;
            ADD_FAILURE() << J.Run->Folder->Path << ": after the sweep (" << Choices[J.Choice].Name << ") "
                          << J.Result.Problem;
        }
    }
    int Written = 0;
    for (size_t C = 0; C < std::size(Choices); ++C) {
        const TSweepTotals& T = Totals[C];
        Written += T.Written;
        std::printf("Sweep, %s: %d units tried, %d written; folders built %d, broken %d; programs printed "
                    "the same %d, otherwise %d\n",
                    Choices[C].Name, T.Tried, T.Written, T.Built, T.Broken, T.SameOutput, T.OtherOutput);
        for (const auto& [Text, Count] : T.Findings)
            std::printf("  %5d  %s\n", Count, Text.c_str());
    }
    EXPECT_GT(Totals[0].Tried, 140);
    EXPECT_GT(Written, 0);
}
