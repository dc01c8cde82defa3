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
    // System and the other units without a source of their own are passed
    // over without a word.
    EXPECT_EQ(HostMessages(),
              std::vector<std::string>{"12:6 TMultiUnitSweeper: Removed unit, D, has an initialization section."});
}

// A sweep that fails part way takes back the units it wrote; one that
// changes nothing leaves no folder and says so.
TEST_F(PluginModuleTest, UnitSweeperLeavesAllOrNothing)
{
    Load("UnitSweeper");
    const std::string Unused = "unit %s;\ninterface\nuses\n  X;\nimplementation\nend.\n";
    Analyze({{"P.dpr", "program P;\nuses A, B;\nbegin\nend.\n"},
             {"A.pas", qlFormat(Unused, "A")},
             {"B.pas", qlFormat(Unused, "B")},
             {"X.pas", "unit X;\ninterface\nimplementation\nend.\n"}});
    // B is edited after the analysis: the sweep stops there.
    Folder.Write("B.pas", qlFormat(Unused, "B") + "\n");
    Host->InputAnswers.push_back(std::string("F T"));
    EXPECT_EQ(Raised([&] { Host->Run("TMultiUnitSweeper"); }),
              "Unit, B, has changed since the last analysis.");
    EXPECT_FALSE(fs::exists(fs::path(Run) / "Generated"));
    EXPECT_TRUE(Host->Launches.empty());

    Host->SelectedUnit = Unit("X");
    Host->InputAnswers.push_back(std::string("F T"));
    ASSERT_TRUE(Host->Run("SingleUnitSweeper"));
    EXPECT_FALSE(fs::exists(fs::path(Run) / "Generated"));
    EXPECT_TRUE(Host->Launches.empty());
    EXPECT_EQ(HostMessages(), std::vector<std::string>{"0:0 SingleUnitSweeper: Nothing was changed."});
}

// A unit whose file name is as long as a name may be is swept. (The Free
// Pascal compiler takes no unit name this long, so the text is compared.)
TEST_F(PluginModuleTest, UnitSweeperWritesTheLongestFileNames)
{
    Load("UnitSweeper");
    const std::string Long = "U" + std::string(245, 'n');
    const std::string Uses = "unit " + Long + ";\ninterface\nuses\n  Windows, UHelp%s;\nprocedure Show;\n"
                             "implementation\nprocedure Show;\nbegin\n  Beep(Greeting);\nend;\nend.\n";
    qlAddShippedSystemFolder(Project->GetSystemOptions()->GetLibrarySearchPath());
    Analyze({{"P.dpr", "program P;\nuses " + Long + ";\nbegin\n  Show;\nend.\n"},
             {Long + ".pas", qlFormat(Uses, ", UUnused")},
             {"UHelp.pas", "unit UHelp;\ninterface\nconst\n  Greeting = 440;\nimplementation\nend.\n"},
             {"UUnused.pas", "unit UUnused;\ninterface\nimplementation\nend.\n"},
             {"Windows.pas", "unit Windows;\ninterface\nprocedure Beep(F: Integer);\nimplementation\n"
                             "procedure Beep(F: Integer);\nbegin\nend;\nend.\n"}});
    Host->SelectedUnit = Unit(Long);
    Host->InputAnswers.push_back(std::string("F F"));
    ASSERT_TRUE(Host->Run("SingleUnitSweeper"));
    EXPECT_EQ(HostMessages(), std::vector<std::string>{});
    const auto Files = Written();
    ASSERT_EQ(Files.size(), 1u);
    EXPECT_EQ(Files.begin()->first, Long + ".pas");
    EXPECT_EQ(Files.begin()->second, qlFormat(Uses, ""));
}

// The unit that stands for the run-time library is never swept, even where
// it lies among the project's own units.
TEST_F(PluginModuleTest, UnitSweeperLeavesTheRunTimeLibraryUnit)
{
    Load("UnitSweeper");
    const std::string Unused = "interface\nuses\n  X;\nimplementation\nend.\n";
    Analyze({{"P.dpr", "program P;\nuses U, QuilletSystem;\nbegin\nend.\n"},
             {"U.pas", "unit U;\n" + Unused},
             {"QuilletSystem.pas", "unit QuilletSystem;\n" + Unused},
             {"X.pas", "unit X;\ninterface\nimplementation\nend.\n"}});
    Host->InputAnswers.push_back(std::string("F T"));
    ASSERT_TRUE(Host->Run("TMultiUnitSweeper"));
    const auto Files = Written();
    EXPECT_EQ(Files.count("QuilletSystem.pas"), 0u);
    EXPECT_EQ(Files.count("U.pas"), 1u);
}
