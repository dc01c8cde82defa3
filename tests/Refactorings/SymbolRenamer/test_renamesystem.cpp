// A symbol of the unit that stands for the run-time library is not renamed:
// the refactoring base refuses the run, and nothing is written.
#include "tests/Refactorings/PluginModuleSupport.h"

TEST_F(PluginModuleTest, RenamerLeavesTheRunTimeLibraryUnit)
{
    Load("SymbolRenamer");
    qlAddShippedSystemFolder(Project->GetSystemOptions()->GetLibrarySearchPath());
    Analyze({{"Objs.dpr", "program Objs;\n\n{$APPTYPE CONSOLE}\n\ntype\n  TThing = class(TObject)\n  end;\n\n"
                          "var\n  T: TObject;\nbegin\n  T := TThing.Create;\n  WriteLn(T.ClassName);\n"
                          "  T.Free;\nend.\n"}});
    TqlUnit* System = Unit("QuilletSystem");
    ASSERT_NE(System, nullptr);
    Host->SelectedSymbol = System->GetClasses()->Find("TObject");
    ASSERT_NE(Host->SelectedSymbol, nullptr);
    Host->InputAnswers.push_back(std::string("TBaseObject"));
    ASSERT_TRUE(Host->Run("SymbolRenamer"));
    EXPECT_TRUE(Written().empty());
    EXPECT_FALSE(fs::exists(fs::path(Run) / "Generated"));
    EXPECT_TRUE(Host->Launches.empty());
    ASSERT_EQ(HostMessages().size(), 1u);
    EXPECT_NE(HostMessages()[0].find(
                  "SymbolRenamer: Unit, QuilletSystem, stands for the run-time library; no refactoring changes it."),
              std::string::npos)
        << HostMessages()[0];
}
