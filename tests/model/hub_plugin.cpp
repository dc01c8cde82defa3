// A tiny plug-in library for the hub test: loaded with dlopen, it reads and
// changes the global hubs of QuilletBase the way a refactoring package does.
#include "lexer/lxPasLexTypes.h"
#include "model/uqlClasses.h"

namespace {
class TPluginSettings : public TInterfacedObject, public IqlFileSettings {
public:
    std::string GetFileName() override { return "plugin.ini"; }
    Variant ReadValue(const std::string&, const std::string&, const Variant& Default) override
    {
        return Default;
    }
    bool Open(const std::string&) override { return true; }
    void ReadSection(const std::string&, const Ref<IqlStringList>&) override {}
    void ReadSectionValues(const std::string&, const Ref<IqlStringList>&) override {}
    void SaveAs(const std::string&) override {}
    void WriteSection(const std::string&, const Ref<IqlStringList>&) override {}
    void WriteValue(const std::string&, const std::string&, const Variant&) override {}
};

class TPluginRefactoring : public TInterfacedObject, public IqlRefactoring {
public:
    void Execute() override {}
    bool GetCanExecute() override { return true; }
    std::string GetGroupName() override { return "Plugin"; }
    std::string GetMenuCaption() override { return "Plugin refactoring"; }
    std::string GetName() override { return "PluginRefactoring"; }
};
} // namespace

extern "C" {

__attribute__((visibility("default"))) IqlProject* PluginSeenProject()
{
    return gqlProject.get();
}

__attribute__((visibility("default"))) const void* PluginKeyTable()
{
    return GlobalKeyHashTable;
}

__attribute__((visibility("default"))) const void* PluginDirectiveTable()
{
    return GlobalDirectiveHash;
}

// Installs the plug-in's own settings object as the program's options.
__attribute__((visibility("default"))) void PluginInstallOptions()
{
    gqlQuilletOptions = Ref<IqlFileSettings>(new TPluginSettings);
}

// Registers a refactoring with the host; false without a host.
__attribute__((visibility("default"))) bool PluginRegister()
{
    if (!gqlRefactoringHost)
        return false;
    gqlRefactoringHost->AddGroup("Plugin", "&Plugin", "");
    gqlRefactoringHost->RegisterRefactoring(Ref<IqlRefactoring>(new TPluginRefactoring), "Plugin");
    return true;
}

// Adds a unit to the program's project.
__attribute__((visibility("default"))) int PluginAddUnit(const char* Name)
{
    if (!gqlProject)
        return -1;
    gqlProject->AddUnit(Name, std::string(Name) + ".pas");
    return gqlProject->GetUnits()->GetCount();
}
}
