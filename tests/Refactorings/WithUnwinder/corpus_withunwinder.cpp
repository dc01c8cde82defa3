// The with refactorings over the Delphi-mode Free Pascal packages, as a user
// runs the all-units commands: the units of a folder that build are analysed
// together (with the compiler's own defines), each command runs over every
// one of them, and what it wrote is built with fpc in a copy of the folder.
// Where a program of the fixtures exercises a folder, it must print after
// each command what it printed before. "Qualify All then Remove" runs Remove
// over a fresh analysis of what Qualify All wrote. Remove must leave no with
// statement without saying why.
#include "tests/Refactorings/PluginCorpusSupport.h"

#include "Refactorings/WithUnwinder/uWithUnwinder.h"

#include <cstdio>
#include <set>

namespace {

enum TCommand {
    cmAddLocalVars,
    cmQualifyMembers,
    cmQualifyAll,
    cmRemove,
    cmQualifyAllRemove,
    cmCount
};
const char* const CommandNames[cmCount] = {"Add Local Vars", "Qualify With Members", "Qualify All",
                                           "Remove", "Qualify All then Remove"};

struct TFolderRun : TCorpusFolderRun {
    bool Changed[cmCount] = {};
};

int CountWithStatements(TqlNode* Node)
{
    int Count = WithUnwinder::IsWithStatement(Node) ? 1 : 0;
    for (int I = 0; I < Node->Count(); ++I)
        Count += CountWithStatements(Node->GetNode(I));
    return Count;
}

struct TCommandTotals {
    int Tried = 0;   // with statements in the units it ran over
    int Units = 0;   // units written
    int Removed = 0; // with statements gone
    std::map<std::string, int> Refusals; // by the finding's text without its name
    TCorpusBuildTally Build;
    TCorpusChecks Checks;
};

// Analyses the program in Sources and runs Command over every unit that
// builds; what it changed is written into Out, a copy of Sources.
void RunCommand(TFolderRun& Run, const fs::path& Sources, TCommand Command, const fs::path& Out,
                TCommandTotals& Totals)
{
    qlCopyFolderFiles(Sources, Out);
    std::string Defines;
    TAnalysedProject Project;
    if (!qlCorpusAnalyse(Project, Sources, Defines))
        return;
    std::vector<TqlOutputText> Written;
    qlCorpusForEachUnit(Project, Run, Sources, Defines, [&](TqlUnit* Unit, const fs::path& File, TqlModuleNode* Tree) {
        const int Before = CountWithStatements(Tree);
        Totals.Tried += Before;
        int Refused = 0;
        const TqlMessageSink Sink = [&](const std::string& Text, int, int) {
            ++Totals.Refusals[qlFindingReason(Text)];
            ++Refused;
        };
        bool Changed = false;
        try {
            TqlWithUnwinder W(Unit, Tree, Sink);
            switch (Command) {
            case cmAddLocalVars: Changed = W.AddLocalVars(); break;
            case cmQualifyMembers: Changed = W.QualifyWithStatements(true); break;
            case cmQualifyAll: Changed = W.QualifyWithStatements(false); break;
            default: Changed = W.RemoveWithStatements(); break;
            }
        } catch (const std::exception& E) {
            ADD_FAILURE() << File << " " << CommandNames[Command] << ": " << E.what();
            return;
        }
        const int After = CountWithStatements(Tree);
        Totals.Removed += Before - After;
        if (Command == cmRemove || Command == cmQualifyAllRemove) {
            EXPECT_EQ(After, Refused) << File << " " << CommandNames[Command]
                                      << ": a with statement stayed without a finding";
        }
        if (!Changed)
            return;
        ++Totals.Units;
        Run.Changed[Command] = true;
        qlCorpusWrite(Tree, Out, File, Defines);
        Written.push_back({Unit->GetFullFileName(), qlReadFile(Out / File.filename()), ""});
    });
    // The plug-in writes nothing that its last check refuses.
    if (!Totals.Checks.Check(Written, std::string(Run.Folder->Path) + " " + CommandNames[Command]))
        Run.Changed[Command] = false;
}

} // namespace

TEST(CorpusWithUnwinder, CommandsOverDelphiPackages)
{
    if (!qlFpcInstalled())
        GTEST_SKIP() << "fpc is not installed";
    TTestFolder Work;
    std::vector<TFolderRun> Runs = qlCorpusPrepareAll<TFolderRun>(Work.Path());

    // The analyses share the project hub: one at a time.
    TCommandTotals Totals[cmCount];
    auto Output = [](const TFolderRun& Run, int Command) {
        return Run.Work / ("command" + std::to_string(Command));
    };
    int Analysed = 0;
    for (TFolderRun& Run : Runs) {
        if (Run.Units.empty())
            continue;
        Analysed += int(Run.Units.size());
        const fs::path Src = Run.Work / "src";
        for (int C = cmAddLocalVars; C <= cmRemove; ++C)
            RunCommand(Run, Src, TCommand(C), Output(Run, C), Totals[C]);
        RunCommand(Run, Output(Run, cmQualifyAll), cmQualifyAllRemove,
                   Output(Run, cmQualifyAllRemove), Totals[cmQualifyAllRemove]);
    }

    // What each command wrote, built and run.
    struct TJob {
        TFolderRun* Run;
        int Command;
        TCorpusBuild Result;
    };
    std::vector<TJob> Jobs;
    for (TFolderRun& Run : Runs)
        for (int C = 0; C < cmCount; ++C)
            if (Run.Changed[C])
                Jobs.push_back({&Run, C, {}});
    qlInParallel(Jobs.size(), [&](size_t I) {
        Jobs[I].Result = qlCorpusBuildOutput(*Jobs[I].Run, Output(*Jobs[I].Run, Jobs[I].Command),
                                             std::to_string(Jobs[I].Command));
    });
    for (const TJob& J : Jobs)
        Totals[J.Command].Build.Count(*J.Run, J.Result, CommandNames[J.Command]);

    std::printf("%d units that build, in %zu folders\n", Analysed, Runs.size());
    for (int C = 0; C < cmCount; ++C) {
        const TCommandTotals& T = Totals[C];
        std::printf("%s: %d with statements tried, %d units written, %d with statements removed; "
                    "folders built %d, failed %d; programs printed the same %d, otherwise %d\n",
                    CommandNames[C], T.Tried, T.Units, T.Removed, T.Build.Built, T.Build.Failed,
                    T.Build.Same, T.Build.Other);
        for (const auto& [Text, Count] : T.Refusals)
            std::printf("  %5d  %s\n", Count, Text.c_str());
        T.Checks.Print(CommandNames[C]);
    }
    EXPECT_GT(Analysed, 140);
    EXPECT_GT(Totals[cmRemove].Tried, 300);
    EXPECT_GT(Totals[cmAddLocalVars].Units, 0);
    EXPECT_GT(Totals[cmQualifyAll].Units, 0);
    EXPECT_GT(Totals[cmQualifyAllRemove].Removed, 100);
}
