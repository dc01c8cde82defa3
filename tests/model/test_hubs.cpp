#include "model/uqlClasses.h"
#include "model/uqlFind.h"
#include "model/uqlQuickSort.h"

#include <gtest/gtest.h>

TEST(Variant, ConvertsBetweenKinds)
{
    EXPECT_TRUE(Variant().IsEmpty());
    EXPECT_EQ(Variant(5).GetKind(), Variant::Kind::Integer);
    EXPECT_EQ(Variant("x").GetKind(), Variant::Kind::String);
    EXPECT_EQ(Variant(true).GetKind(), Variant::Kind::Boolean);
    EXPECT_EQ(Variant(1.5).GetKind(), Variant::Kind::Double);
    EXPECT_EQ(Variant(" 42").AsInteger(), 42);
    EXPECT_EQ(Variant(42).AsString(), "42");
    EXPECT_EQ(Variant(0.5).AsString(), "0.5");
    EXPECT_TRUE(Variant("TRUE").AsBoolean());
    EXPECT_FALSE(Variant("false").AsBoolean());
    EXPECT_THROW(Variant("abc").AsInteger(), Exception);
    EXPECT_THROW(Variant("maybe").AsBoolean(), Exception);
    EXPECT_NE(Variant(1), Variant("1"));
    EXPECT_EQ(Variant(int64_t(7)), Variant(7));
}

// --- Global hubs -----------------------------------------------------------

#include "ModelTestSupport.h"
#include "lexer/lxPasLexTypes.h"

#include <dlfcn.h>

namespace {
class TTestHost : public TInterfacedObject, public IqlRefactoringHost {
public:
    void AddMessage(const Ref<IqlRefactoring>&, const Ref<IqlMessage>&) override {}
    void AddGroup(const std::string& Name, const std::string&, const std::string&) override
    {
        Groups.push_back(Name);
    }
    TqlSymbol* GetSelectedSymbol() override { return nullptr; }
    TqlUnit* GetSelectedUnit() override { return nullptr; }
    void UnitRefactored(TqlUnit*) override {}
    void RegisterRefactoring(const Ref<IqlRefactoring>& R, const std::string&) override
    {
        Refactorings.push_back(R);
    }
    void RemoveGroup(const std::string&) override {}
    void UnregisterRefactoring(const Ref<IqlRefactoring>&) override {}
    ~TTestHost() override
    {
        if (OnDestroy)
            OnDestroy();
    }

    std::vector<std::string> Groups;
    std::vector<Ref<IqlRefactoring>> Refactorings;
    std::function<void()> OnDestroy;
};

class TTestSettings : public TInterfacedObject, public IqlFileSettings {
public:
    std::string GetFileName() override { return "quillet.ini"; }
    Variant ReadValue(const std::string&, const std::string&, const Variant& D) override { return D; }
    bool Open(const std::string&) override { return true; }
    void ReadSection(const std::string&, const Ref<IqlStringList>&) override {}
    void ReadSectionValues(const std::string&, const Ref<IqlStringList>&) override {}
    void SaveAs(const std::string&) override {}
    void WriteSection(const std::string&, const Ref<IqlStringList>&) override {}
    void WriteValue(const std::string&, const std::string&, const Variant&) override {}
    ~TTestSettings() override
    {
        if (OnDestroy)
            OnDestroy();
    }
    std::function<void()> OnDestroy;
};

template <class F>
F Symbol(void* Handle, const char* Name)
{
    void* P = dlsym(Handle, Name);
    EXPECT_NE(P, nullptr) << Name << ": " << dlerror();
    return reinterpret_cast<F>(P);
}
} // namespace

TEST(Hubs, WordTablesExistOnceQuilletBaseIsLoaded)
{
    ASSERT_NE(GlobalKeyHashTable, nullptr);
    ASSERT_NE(GlobalDirectiveHash, nullptr);
    EXPECT_GT(GlobalKeyHashTable->Count(), 100);
    EXPECT_GT(GlobalDirectiveHash->Count(), 90);
}

TEST(Hubs, APluginLoadedByPathSharesTheVeryHubsOfTheProgram)
{
    void* Handle = dlopen(QUILLET_HUB_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(Handle, nullptr) << dlerror();
    auto SeenProject = Symbol<IqlProject* (*)()>(Handle, "PluginSeenProject");
    auto KeyTable = Symbol<const void* (*)()>(Handle, "PluginKeyTable");
    auto DirectiveTable = Symbol<const void* (*)()>(Handle, "PluginDirectiveTable");
    auto InstallOptions = Symbol<void (*)()>(Handle, "PluginInstallOptions");
    auto Register = Symbol<bool (*)()>(Handle, "PluginRegister");
    auto AddUnit = Symbol<int (*)(const char*)>(Handle, "PluginAddUnit");
    ASSERT_TRUE(SeenProject && KeyTable && DirectiveTable && InstallOptions && Register && AddUnit);

    EXPECT_EQ(KeyTable(), static_cast<const void*>(GlobalKeyHashTable));
    EXPECT_EQ(DirectiveTable(), static_cast<const void*>(GlobalDirectiveHash));

    {
        TProjectScope Project;
        EXPECT_EQ(SeenProject(), static_cast<IqlProject*>(Project.get()));
        EXPECT_EQ(AddUnit("FromPlugin"), 1);
        EXPECT_NE(Project->GetUnits()->FindUnit("fromplugin"), nullptr);
    }
    EXPECT_EQ(SeenProject(), nullptr) << "the plug-in sees the program clear the hub";

    InstallOptions();
    ASSERT_TRUE(gqlQuilletOptions);
    EXPECT_EQ(gqlQuilletOptions->GetFileName(), "plugin.ini");

    EXPECT_FALSE(Register()) << "no host yet";
    Ref<TTestHost> Host(new TTestHost);
    gqlRefactoringHost = Ref<IqlRefactoringHost>(Host.get());
    EXPECT_TRUE(Register());
    ASSERT_EQ(Host->Refactorings.size(), 1u);
    EXPECT_EQ(Host->Refactorings[0]->GetName(), "PluginRefactoring");
    EXPECT_EQ(Host->Groups, std::vector<std::string>{"Plugin"});

    // Objects made by the plug-in go before the plug-in does; like the
    // desktop, the test never unloads it.
    Host->Refactorings.clear();
    gqlRefactoringHost = nullptr;
    gqlQuilletOptions = nullptr;
}

TEST(Hubs, ReleaseFreesHubsInOrderAndOnlyThenTheWordTables)
{
    std::vector<std::string> Order;
    bool TablesAliveWhileProjectWent = false;

    Ref<TTestProject> Project(new TTestProject);
    Project->OnDestroy = [&] {
        Order.push_back("project");
        TablesAliveWhileProjectWent = GlobalKeyHashTable != nullptr && GlobalDirectiveHash != nullptr;
    };
    Ref<TTestSettings> Options(new TTestSettings);
    Options->OnDestroy = [&] { Order.push_back("options"); };
    Ref<TTestHost> Host(new TTestHost);
    Host->OnDestroy = [&] { Order.push_back("host"); };
    gqlProject = Ref<IqlProject>(Project.get());
    gqlQuilletOptions = Ref<IqlFileSettings>(Options.get());
    gqlRefactoringHost = Ref<IqlRefactoringHost>(Host.get());
    Project = nullptr;
    Options = nullptr;
    Host = nullptr;

    qlReleaseGlobals();
    EXPECT_EQ(Order, (std::vector<std::string>{"host", "options", "project"}));
    EXPECT_TRUE(TablesAliveWhileProjectWent);
    EXPECT_EQ(GlobalKeyHashTable, nullptr);
    EXPECT_EQ(GlobalDirectiveHash, nullptr);
    EXPECT_FALSE(gqlProject);
    qlReleaseGlobals(); // harmless a second time

    qlCreateGlobalTables();
    EXPECT_NE(GlobalKeyHashTable, nullptr);
    EXPECT_NE(GlobalDirectiveHash, nullptr);
}

TEST(Interfaces, GuidsInRegistryForm)
{
    const std::vector<std::pair<TGUID, const char*>> Guids = {
        {IqlFindable::IID, "{364D3ED9-800C-427D-9F3A-BCFCE8111604}"},
        {IqlQuickSortable::IID, "{A458994D-0A86-40DA-93F7-0D5CC7BBC3EA}"},
        {IqlStringList::IID, "{A5A50DE6-FB1C-4937-8A6D-89B7CE4855DC}"},
        {IqlFileSettings::IID, "{4F2C704D-FE4F-4B56-BCF4-967901DC1C1F}"},
        {IqlRefactorOptions::IID, "{85859A49-C97D-4BBB-973D-1222206FC2EC}"},
        {IqlSystemOptions::IID, "{ED4CBDA8-8588-49CD-938B-F61DD136A269}"},
        {IqlOptions::IID, "{00C66710-D6DF-4F9B-829E-80FE744CA726}"},
        {IqlCodeViewer::IID, "{523EDCE0-9EF4-4032-91D1-A6B31C872371}"},
        {IqlProgressNotifier::IID, "{BB7D22F5-4FC0-4C0C-BB2F-919763BF5164}"},
        {IqlSetting::IID, "{72F1C3FF-9408-49E8-82C5-1E27124FAA3C}"},
        {IqlSettingsCategory::IID, "{6B4A6B43-1867-4665-99BD-B125DF8FF855}"},
        {IqlSettings::IID, "{BCFE8D72-F6CA-477F-9F60-38A317D6E2C3}"},
        {IqlComponentPrefix::IID, "{C0C6F2AC-CF9F-4BA9-93B7-9848FB5CC6A6}"},
        {IqlPrefixList::IID, "{C2C19BB1-AE90-43CD-988F-A4B240BE2603}"},
        {IqlNamingConventions::IID, "{1CAE66C1-2FF7-47EA-B69B-2EE7CD575862}"},
        {IqlIndentationConventions::IID, "{956021B3-46F7-4AFF-A92F-DFA12DAF3C51}"},
        {IqlCodingConventions::IID, "{F5965926-03D2-4C89-8D37-EA0D2EA3ADD7}"},
        {IqlReportData::IID, "{5EF6D97A-951D-4FCF-BF38-6A2C8AB402F9}"},
        {IqlColumn::IID, "{0FAC4110-06C1-40E6-855B-2B38041EAA0C}"},
        {IqlColumns::IID, "{E081A698-1E51-4656-9F87-C86FFC1D565A}"},
        {IqlReport::IID, "{BF298C61-9A88-468C-9797-9826A5379C68}"},
        {IqlReports::IID, "{F54A3712-CF91-4A15-B7D3-37EDB34EE807}"},
        {IqlRegExpr::IID, "{4FB7AC8E-9F2E-4288-8E0F-A61D61563379}"},
        {IqlMessage::IID, "{E32A27C5-1273-4163-A660-2BF7C28EB88A}"},
        {IqlMessageList::IID, "{C431285B-BFE7-4E15-917F-0D9BB0A08EA5}"},
        {IqlProject::IID, "{1BCCB41B-6209-43E9-B94C-FE6031F5525C}"},
        {IqlRefactoring::IID, "{2719AD0C-999A-4F00-9F68-952C4FB87A45}"},
        {IqlRefactoringHost::IID, "{CE37AB84-309B-4E44-86E6-5B3B718D65AA}"},
    };
    for (const auto& [Guid, Text] : Guids)
        EXPECT_EQ(Guid.ToString(), Text);
    for (size_t i = 0; i < Guids.size(); ++i)
        for (size_t j = i + 1; j < Guids.size(); ++j)
            EXPECT_FALSE(Guids[i].first == Guids[j].first) << Guids[i].second;
}
