// The sweepers as the module registers them, run headless: the options come
// through the input query ("F T": keep the form's units, move used units).
#include "tests/Refactorings/PluginModuleSupport.h"

TEST_F(PluginModuleTest, UnitSweeperMenuAndCancel)
{
    Load("UnitSweeper");
    EXPECT_EQ(Menu(), "Remove Unused Unit [RemoveUnUsedUnitMenuItem]\n"
                      "  Selected Unit [SingleUnitSweeper]\n"
                      "  All Units [TMultiUnitSweeper]\n");
    AnalyzeCase("sweep_basic");
    // Cancelling the options does nothing, not even the output view.
    Host->InputAnswers.push_back(std::nullopt);
    ASSERT_TRUE(Host->Run("TMultiUnitSweeper"));
    EXPECT_TRUE(Written().empty());
    EXPECT_TRUE(Host->Launches.empty());
}

TEST_F(PluginModuleTest, UnitSweeperAllUnitsLeavesTheMainFile)
{
    Load("UnitSweeper");
    AnalyzeCase("sweep_basic");
    Host->InputAnswers.push_back(std::string("F T"));
    ASSERT_TRUE(Host->Run("TMultiUnitSweeper"));
    const auto Files = Written();
    ASSERT_EQ(Files.size(), 1u);
    EXPECT_EQ(Files.begin()->first, "UMain.pas");
    EXPECT_EQ(Files.begin()->second,
              qlReadFile(qlCaseFolder("sweep_basic") / "expected" / "UMain.pas"));
}

TEST_F(PluginModuleTest, UnitSweeperWithoutMoveKeepsUsedInterfaceEntries)
{
    Load("UnitSweeper");
    AnalyzeCase("sweep_basic");
    Host->SelectedUnit = Unit("UMain");
    Host->InputAnswers.push_back(std::string("F F"));
    ASSERT_TRUE(Host->Run("SingleUnitSweeper"));
    const auto Files = Written();
    ASSERT_EQ(Files.size(), 1u);
    const std::string& Text = Files.begin()->second;
    EXPECT_NE(Text.find("uses\n  A, B;"), std::string::npos) << Text;
    EXPECT_EQ(Text.find("uses E;"), std::string::npos) << Text;
}
