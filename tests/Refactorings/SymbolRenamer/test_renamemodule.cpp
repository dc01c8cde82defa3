// The renamer as the module registers it, run headless: the new name comes
// through the input query.
#include "tests/Refactorings/PluginModuleSupport.h"

TEST_F(PluginModuleTest, RenamerAsksAndCancelChangesNothing)
{
    Load("SymbolRenamer");
    EXPECT_EQ(Menu(), "Rename... [SymbolRenamer]\n");
    AnalyzeCase("rename_routine");
    EXPECT_FALSE(Host->Run("SymbolRenamer")); // nothing selected
    Host->SelectedSymbol = Unit("U1")->GetRoutines()->Find("DoIt");
    Host->InputAnswers.push_back(std::nullopt);
    ASSERT_TRUE(Host->Run("SymbolRenamer"));
    EXPECT_TRUE(Written().empty());
    EXPECT_TRUE(Host->Launches.empty());
}

TEST_F(PluginModuleTest, RenamerWritesEveryUnitOnce)
{
    Load("SymbolRenamer");
    AnalyzeCase("rename_routine");
    Host->SelectedSymbol = Unit("U1")->GetRoutines()->Find("DoIt");
    Host->InputAnswers.push_back(std::string("Perform"));
    ASSERT_TRUE(Host->Run("SymbolRenamer"));
    const auto Files = Written();
    ASSERT_EQ(Files.size(), 4u);
    for (const auto& [Name, Text] : Files)
        EXPECT_EQ(Text, qlReadFile(qlCaseFolder("rename_routine") / "expected" / Name)) << Name;
}

TEST_F(PluginModuleTest, RenamedUnitTakesItsFormFileAlong)
{
    Load("SymbolRenamer");
    AnalyzeCase("rename_unit");
    Host->SelectedSymbol = Unit("Foo");
    Host->InputAnswers.push_back(std::string("Bar"));
    ASSERT_TRUE(Host->Run("SymbolRenamer"));
    const auto Files = Written();
    EXPECT_EQ(Files.count("foo.pas"), 0u);
    ASSERT_EQ(Files.count("Bar.pas"), 1u);
    EXPECT_EQ(Files.at("Bar.pas"), qlReadFile(qlCaseFolder("rename_unit") / "expected" / "foo.pas"));
    EXPECT_EQ(Files.at("Prog.dpr"), qlReadFile(qlCaseFolder("rename_unit") / "expected" / "Prog.dpr"));
}

TEST_F(PluginModuleTest, RenamedFormUnitCopiesTheFormFileTheAnalysisRead)
{
    Load("SymbolRenamer");
    const std::string Form = "object Form1: TForm1\r\n  Left = 1\r\nend\r\n";
    Analyze({{"Prog.dpr", "program Prog;\nuses\n  Foo in 'Foo.pas';\nbegin\nend.\n"},
             {"Foo.pas", "unit Foo;\ninterface\ntype\n  TForm1 = class\n  end;\n"
                         "implementation\n{$R *.dfm}\nend.\n"},
             {"Foo.dfm", Form}});
    Host->SelectedSymbol = Unit("Foo");
    Host->InputAnswers.push_back(std::string("Bar"));
    ASSERT_TRUE(Host->Run("SymbolRenamer"));
    const auto Files = Written();
    ASSERT_EQ(Files.count("Bar.dfm"), 1u);
    EXPECT_EQ(Files.at("Bar.dfm"), Form);
    EXPECT_EQ(Files.count("Foo.dfm"), 0u);
    EXPECT_NE(Files.at("Prog.dpr").find("Bar in 'Bar.pas'"), std::string::npos);
}
