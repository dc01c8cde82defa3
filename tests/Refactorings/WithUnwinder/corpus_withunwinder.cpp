// The with refactorings over Free Pascal package sources.
#include "tests/Refactorings/PluginCorpusSupport.h"

#include "Refactorings/WithUnwinder/uWithUnwinder.h"

TEST(CorpusWithUnwinder, PackageFolders)
{
    auto With = [](int Op) {
        return [Op](TqlUnit* Unit, TqlModuleNode* Tree, const TqlMessageSink& Sink) {
            TqlWithUnwinder W(Unit, Tree, Sink);
            switch (Op) {
            case 0: return W.AddLocalVars();
            case 1: return W.QualifyWithStatements(true);
            case 2: return W.QualifyWithStatements(false);
            default: return W.RemoveWithStatements();
            }
        };
    };
    const TCorpusTotals Totals = qlCorpusRun({With(0), With(1), With(2), With(3)});
    EXPECT_GT(Totals.Files, 50);
    EXPECT_GT(Totals.Changed, 0);
}
