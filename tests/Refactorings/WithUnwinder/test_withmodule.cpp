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

// The unit that stands for the run-time library is never written: the
// all-units commands pass over it, a command on it alone is refused.
TEST_F(PluginModuleTest, WithUnwinderLeavesTheRunTimeLibraryUnit)
{
    Load("WithUnwinder");
    const std::string Body = "type\n  TBox = class\n    Value: Integer;\n  end;\n  THolder = class\n"
                             "    Box: TBox;\n  end;\nprocedure Bump(H: THolder);\nimplementation\n"
                             "procedure Bump(H: THolder);\nbegin\n  with H.Box do\n    Value := Value + 1;\n"
                             "end;\nend.\n";
    Analyze({{"P.dpr", "program P;\nuses U;\nbegin\nend.\n"},
             {"U.pas", "unit U;\ninterface\n" + Body},
             {"QuilletSystem.pas", "unit QuilletSystem;\ninterface\n" + Body}});
    ASSERT_TRUE(Host->Run("QualifyAllAllUnits"));
    const auto Files = Written();
    EXPECT_EQ(Files.count("QuilletSystem.pas"), 0u);
    EXPECT_EQ(Files.count("U.pas"), 1u);

    Host->Messages.clear();
    Host->SelectedUnit = Unit("QuilletSystem");
    ASSERT_TRUE(Host->Run("QualifyAllUnit"));
    EXPECT_EQ(HostMessages(),
              std::vector<std::string>{"6:1 QualifyAllUnit: Unit, QuilletSystem, stands for the run-time "
                                       "library; no refactoring changes it."});
    EXPECT_EQ(Written().count("QuilletSystem.pas"), 0u);
}
