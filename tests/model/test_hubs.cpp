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
