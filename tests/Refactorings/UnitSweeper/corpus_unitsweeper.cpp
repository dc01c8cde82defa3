// The unused-unit sweep over Free Pascal package sources.
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
}
