// A plug-in built for the contract tests. TEST_PLUGIN_NAME names it;
// TEST_PLUGIN_ABI overrides the interface version it answers;
// TEST_PLUGIN_FAILS makes its second registration name a missing group.
// It reports what happens to it through qlTestPluginEvent, when the test
// program offers one.
#include "Refactorings/uqlPlugin.h"
#include "Refactorings/uqlRefactoring.h"

#include <dlfcn.h>

#ifndef TEST_PLUGIN_ABI
#define TEST_PLUGIN_ABI QL_PLUGIN_ABI_VERSION
#endif

namespace {

void Event(const std::string& What)
{
    using TEventFunc = void (*)(const char*);
    if (auto F = reinterpret_cast<TEventFunc>(::dlsym(RTLD_DEFAULT, "qlTestPluginEvent")))
        F((std::string(TEST_PLUGIN_NAME) + " " + What).c_str());
}

class TPluginRefactoring : public TqlRefactoring {
public:
    explicit TPluginRefactoring(std::string Name) : FName(std::move(Name)) { Event("create " + FName); }
    ~TPluginRefactoring() override { Event("destroy " + FName); }
    std::string GetMenuCaption() override { return FName + "..."; }
    std::string GetName() override { return FName; }
    bool GetCanExecute() override { return true; }
    void Execute() override { Event("execute " + FName); }

private:
    std::string FName;
};

// The plug-in's own counted references.
Ref<IqlRefactoring> First;
Ref<IqlRefactoring> Second;

void Initialize()
{
    Event("initialize");
    const std::string Group = std::string(TEST_PLUGIN_NAME) + "Group";
    First = MakeRef<TPluginRefactoring>(std::string(TEST_PLUGIN_NAME) + ".First");
    Second = MakeRef<TPluginRefactoring>(std::string(TEST_PLUGIN_NAME) + ".Second");
    gqlRefactoringHost->AddGroup(Group, TEST_PLUGIN_NAME, "");
    gqlRefactoringHost->RegisterRefactoring(First, Group);
#ifdef TEST_PLUGIN_FAILS
    gqlRefactoringHost->RegisterRefactoring(Second, "NoSuchGroup");
#else
    gqlRefactoringHost->RegisterRefactoring(Second, Group);
#endif
}

void Finalize()
{
    Event(gqlRefactoringHost ? "finalize with host" : "finalize");
    for (Ref<IqlRefactoring>* R : {&First, &Second}) {
        if (gqlRefactoringHost && *R) {
            try {
                gqlRefactoringHost->UnregisterRefactoring(*R);
            } catch (const std::exception&) {
                // Never registered (the initialisation stopped before).
            }
        }
        *R = nullptr;
    }
}

} // namespace

QL_PLUGIN_EXPORT int qlPluginAbiVersion() { return TEST_PLUGIN_ABI; }
QL_PLUGIN_EXPORT int qlPluginInitialize(char* Error, size_t Size)
{
    return qlPluginGuard(Error, Size, [] { Initialize(); });
}
QL_PLUGIN_EXPORT void qlPluginFinalize()
{
    try {
        Finalize();
    } catch (...) {
    }
}
