// The with refactorings as the module registers them with a host.
#include "tests/Refactorings/PluginModuleSupport.h"

TEST_F(PluginModuleTest, WithUnwinderMenuAndCommands)
{
    Load("WithUnwinder");
    EXPECT_EQ(Menu(), "With Statement [WithStatementMenuItem]\n"
                      "  Add Local Vars [AddLocalVarsMenuItem]\n"
                      "    Selected Unit [AddWithLocalVarUnit]\n"
                      "    All Units [AddWithLocalVarAllUnits]\n"
                      "  Qualify [WithStatementQualifyMenuItem]\n"
                      "    With Members [QualifyWithMembersMenuItem]\n"
                      "      Selected Unit [QualifyWithMembersUnit]\n"
                      "      All Units [QualifyWithMembersAllUnits]\n"
                      "    All [QualifyAllMenuItem]\n"
                      "      Selected Unit [QualifyAllUnit]\n"
                      "      All Units [QualifyAllAllUnits]\n"
                      "  Remove [RemoveWithStatementMenuItem]\n"
                      "    Selected Unit [RemoveWithStatementUnit]\n"
                      "    All Units [RemoveWithStatementAllUnits]\n");
    // The selected-unit commands need a unit.
    EXPECT_FALSE(Host->Run("RemoveWithStatementUnit"));
    for (const auto* Command : Host->Registry.Commands())
        EXPECT_EQ(TqlRefactoringRegistry::CanExecute(*Command),
                  Command->Refactoring->GetName().find("AllUnits") != std::string::npos);
}

TEST_F(PluginModuleTest, WithUnwinderWritesChangedUnitsOnly)
{
    Load("WithUnwinder");
    AnalyzeCase("with_qualify_members");
    ASSERT_TRUE(Host->Run("QualifyWithMembersAllUnits"));
    const auto Files = Written();
    ASSERT_EQ(Files.size(), 1u);
    EXPECT_EQ(Files.begin()->second,
              qlReadFile(qlCaseFolder("with_qualify_members") / "expected" / "QualifyMembers.dpr"));
    // The output is shown once, and nothing stays open.
    EXPECT_EQ(Host->Launches.size(), 1u);
}

TEST_F(PluginModuleTest, WithUnwinderMessagesCarryTheRefactoringsName)
{
    Load("WithUnwinder");
    AnalyzeCase("with_add_record");
    Host->SelectedUnit = Unit("AddRecord");
    ASSERT_TRUE(Host->Run("AddWithLocalVarUnit"));
    EXPECT_TRUE(Written().empty());
    ASSERT_EQ(HostMessages().size(), 1u);
    EXPECT_EQ(HostMessages()[0],
              "12:18 AddWithLocalVarUnit: Type, TPt is a record; no local copy made");
}
