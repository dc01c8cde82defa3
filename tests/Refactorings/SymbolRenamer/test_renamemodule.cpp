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

namespace {

struct TUnitFormCase {
    const char* Directive;
    const char* FormFile;
    bool Copied;
};

class RenamedUnitForm : public PluginModuleTest, public ::testing::WithParamInterface<TUnitFormCase> {};

} // namespace

// The form of the unit's own name goes along, also when no {$R} names it; a
// form that {$R Name.dfm} names keeps its name and its place.
TEST_P(RenamedUnitForm, OnlyTheFormOfTheUnitsNameGoesAlong)
{
    const TUnitFormCase& C = GetParam();
    const std::string Form = "object Form1: TForm1\r\n  Left = 1\r\nend\r\n";
    Load("SymbolRenamer");
    Analyze({{"Prog.dpr", "program Prog;\nuses\n  Foo in 'Foo.pas';\nbegin\nend.\n"},
             {"Foo.pas", std::string("unit Foo;\ninterface\ntype\n  TForm1 = class\n  end;\nimplementation\n") +
                             C.Directive + "\nend.\n"},
             {C.FormFile, Form}});
    Host->SelectedSymbol = Unit("Foo");
    Host->InputAnswers.push_back(std::string("Bar"));
    ASSERT_TRUE(Host->Run("SymbolRenamer"));
    const auto Files = Written();
    EXPECT_EQ(Files.count("Bar.dfm"), C.Copied ? 1u : 0u);
    EXPECT_EQ(Files.count("Shared.dfm"), 0u);
}

INSTANTIATE_TEST_SUITE_P(Renames, RenamedUnitForm,
                         ::testing::Values(TUnitFormCase{"{$R Shared.dfm}", "Shared.dfm", false},
                                           TUnitFormCase{"", "Foo.dfm", true},
                                           TUnitFormCase{"{$R Shared.dfm}", "Foo.dfm", true}));

// Units are renamed one at a time, but a unit that fails after others were
// renamed still leaves nothing written.
TEST_F(PluginModuleTest, RenamerFailingInALaterUnitWritesNothing)
{
    Load("SymbolRenamer");
    Analyze({{"Prog.dpr", "program Prog;\nuses\n  A in 'A.pas',\n  B in 'B.pas';\nbegin\n  Go;\nend.\n"},
             {"A.pas", "unit A;\ninterface\nprocedure Go;\nimplementation\nprocedure Go;\nbegin\nend;\nend.\n"},
             {"B.pas", "unit B;\ninterface\nuses\n  A;\nimplementation\nbegin\n  Go;\nend.\n"}});
    // B changes after the analysis: its place can no longer be trusted.
    std::ofstream(Unit("B")->GetFullFileName(), std::ios::binary | std::ios::app) << "\n";
    Host->SelectedSymbol = Unit("A")->GetRoutines()->Find("Go");
    Host->InputAnswers.push_back(std::string("Run"));
    EXPECT_THROW(Host->Run("SymbolRenamer"), Exception);
    EXPECT_TRUE(Written().empty());
    EXPECT_TRUE(Host->Launches.empty());
    // No unit stays open: the same rename runs once B is as analysed.
    Analyze({{"Prog.dpr", "program Prog;\nuses\n  A in 'A.pas';\nbegin\n  Go;\nend.\n"},
             {"A.pas", "unit A;\ninterface\nprocedure Go;\nimplementation\nprocedure Go;\nbegin\nend;\nend.\n"}});
    Host->SelectedSymbol = Unit("A")->GetRoutines()->Find("Go");
    Host->InputAnswers.push_back(std::string("Run"));
    ASSERT_TRUE(Host->Run("SymbolRenamer"));
    EXPECT_EQ(Written().size(), 2u);
}
