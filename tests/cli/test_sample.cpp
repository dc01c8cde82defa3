// The sample project shipped with the sources analyses cleanly, with the
// shipped unit QuilletSystem on the library search path: every unit is found
// and parsed, and every name in it resolves.
#include "ProjectTestSupport.h"

TEST(SampleProject, EveryUnitFoundAndEveryNameResolved)
{
    TProjectScope P;
    P->GetSystemOptions()->GetLibrarySearchPath()->Add(std::string(QUILLET_SOURCE_DIR) +
                                                       "/QuilletSystem");
    P.Analyze(std::string(QUILLET_SOURCE_DIR) + "/samples/Inventory/Inventory.dpr");
    for (const char* Name : {"Inventory", "MainForm", "StockItems", "StockStore", "QuilletSystem"}) {
        SCOPED_TRACE(Name);
        TqlUnit* U = P.Unit(Name);
        ASSERT_NE(U, nullptr);
        EXPECT_TRUE(P.FileOf(U)->Exists);
        EXPECT_EQ(U->ParserState, psrFull);
    }
    std::string All;
    for (const std::string& M : P.Messages())
        All += M + "\n";
    EXPECT_EQ(All, "");
}
