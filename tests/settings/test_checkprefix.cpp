// CheckPrefix on code-model symbols, with a stand-in project that supplies the
// file list (which maps files to units) and the shared matcher.
#include "settings/uqlPrefixList.h"
#include "settings/uqlRegExpr.h"

#include <gtest/gtest.h>

namespace {

class TCountingMatcher : public TInterfacedObject, public IqlRegExpr {
public:
    int Calls = 0;
    bool Matches(const std::string& Expression, const std::string& Text) override
    {
        ++Calls;
        return FEngine.Matches(Expression, Text);
    }

private:
    TqlRegExprEngine FEngine;
};

// Only the file list and the matcher are real.
class TStandInProject : public TInterfacedObject, public IqlProject {
public:
    TqlFileNameList Files;
    Ref<TCountingMatcher> Matcher = MakeRef<TCountingMatcher>();

    TqlFileNameList* GetFileNames() override { return &Files; }
    Ref<IqlRegExpr> GetRegExpr() override { return Matcher; }
    TqlUnitList* GetUnits() override { return nullptr; }

    TqlUnit* GetMainUnit() override { return nullptr; }
    void AddCodeViewer(const Ref<IqlCodeViewer>&) override {}
    void AddProgressNotifier(const Ref<IqlProgressNotifier>&) override {}
    void Clear() override {}
    Ref<IqlSettings> CreateSettings(const std::string&) override { return nullptr; }
    bool GetAborted() override { return false; }
    Ref<IqlCodingConventions> GetCodingConventions() override { return nullptr; }
    Ref<IqlOptions> GetOptions() override { return nullptr; }
    Ref<IqlMessageList> GetMessages() override { return nullptr; }
    TqlSymbol* FindSystemSymbol(const std::string&) override { return nullptr; }
    TqlType* GetSystemType(TqlTypeKind) override { return nullptr; }
    Ref<IqlFileSettings> GetProjectSettingsFile() override { return nullptr; }
    Ref<IqlSystemOptions> GetSystemOptions() override { return nullptr; }
    Ref<IqlReports> GetReports() override { return nullptr; }
    Ref<IqlFileSettings> GetSystemSettingsFile() override { return nullptr; }
    TqlOwnedClassList* GetClasses() override { return nullptr; }
    TqlOwnedInterfaceList* GetInterfaces() override { return nullptr; }
    TqlOwnedObjectList* GetObjects() override { return nullptr; }
    TqlSymbolList* GetSystemSymbols() override { return nullptr; }
    bool LoadFromFile(const std::string&) override { return false; }
    void NotifyProgress(const std::string&, TParserState) override {}
    void RemoveCodeViewer(const Ref<IqlCodeViewer>&) override {}
    void RemoveProgressNotifier(const Ref<IqlProgressNotifier>&) override {}
    void FindUnitFile(const std::string&, const std::string&, std::string&, bool&) override {}
    TqlUnit* AddUnit(const std::string&, const std::string&) override { return nullptr; }
    void Analyze(bool) override {}
    void ParseInterface(TqlUnit*) override {}
    void SaveToFile(const std::string&) override {}
    void ShowCode(TqlCodeLocation*) override {}
    void NotifyCodeViewers(const std::string&, int, int) override {}
};

class CheckPrefixTest : public ::testing::Test {
protected:
    Ref<TStandInProject> Project = MakeRef<TStandInProject>();
    Ref<IqlPrefixList> List = MakeRef<TqlPrefixList>();
    int MainPas = 0, MainDfm = 0, OtherPas = 0;

    void SetUp() override
    {
        gqlProject = Project;
        MainPas = Project->Files.Add("/src/Main.pas", true, 0);
        MainDfm = Project->Files.Add("/src/Main.dfm", true, 0);
        OtherPas = Project->Files.Add("/src/Other.pas", true, 1);
        List->LoadDefaults();
    }
    void TearDown() override { gqlProject = nullptr; }

    std::unique_ptr<TqlSymbol> Button(const std::string& Name)
    {
        return std::make_unique<TqlSymbol>(Name, vkPublished, tkClass, MainPas, 5, 10);
    }
    static void Use(TqlSymbol& S, int FileIndex)
    {
        S.GetUsedBy()->AddUsedBy(UsedByInfo(FileIndex, false, 1, 20));
    }
};

} // namespace

TEST_F(CheckPrefixTest, GoodNameOrClassWithoutRulePasses)
{
    auto B = Button("btnOK");
    std::string Expected = "unchanged";
    EXPECT_TRUE(List->CheckPrefix("TButton", B.get(), Expected));
    EXPECT_TRUE(List->CheckPrefix("TNoRule", B.get(), Expected));
    EXPECT_EQ(Expected, "unchanged");
    EXPECT_EQ(Project->Matcher->Calls, 1) << "the project's shared matcher is used";
}

TEST_F(CheckPrefixTest, UnreferencedOrFormOnlyComponentIsExcused)
{
    auto B = Button("Button1");
    std::string Expected;
    EXPECT_TRUE(List->CheckPrefix("TButton", B.get(), Expected));
    EXPECT_EQ(Expected, "btn[A-Z].+");
    Use(*B, MainDfm);
    EXPECT_TRUE(List->CheckPrefix("TButton", B.get(), Expected));
    Use(*B, MainPas);
    EXPECT_FALSE(List->CheckPrefix("TButton", B.get(), Expected));
}

TEST_F(CheckPrefixTest, UseFromAnotherUnitCounts)
{
    auto B = Button("Button1");
    Use(*B, MainDfm);
    Use(*B, OtherPas);
    std::string Expected;
    EXPECT_FALSE(List->CheckPrefix("TButton", B.get(), Expected));
}

TEST_F(CheckPrefixTest, EnforcedRuleFailsEvenUnreferenced)
{
    auto B = Button("Button1");
    List->SetEnforcePrefixOnUnreferenced(true);
    std::string Expected;
    EXPECT_FALSE(List->CheckPrefix("TButton", B.get(), Expected));
    EXPECT_EQ(Expected, "btn[A-Z].+");
}
