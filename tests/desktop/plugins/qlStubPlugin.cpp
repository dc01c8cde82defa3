// A stub refactoring plug-in for the desktop tests. STUB_NAME names it and
// its groups: "<Name>" at the top level, "<Name>Rename" under it and
// "<Name>Deep" under that, with one refactoring in each and one more at the
// top level of the menu. STUB_THROWS makes the initialisation raise after its
// first registration; STUB_ABI overrides the interface version it answers.
//
// Besides its entry points it exports two probes for the tests: how many of
// its refactorings were destroyed, and where it sees the shared hubs.
#include "Refactorings/uqlPlugin.h"
#include "Refactorings/uqlRefactoring.h"

#include <stdexcept>

namespace {

int Destroyed = 0;

class TStubRefactoring : public TqlRefactoring {
public:
    TStubRefactoring(std::string Name, bool NeedsUnit) : FName(std::move(Name)), FNeedsUnit(NeedsUnit) {}
    ~TStubRefactoring() override { ++Destroyed; }
    std::string GetMenuCaption() override { return FName + "..."; }
    std::string GetName() override { return FName; }
    bool GetCanExecute() override { return !FNeedsUnit || (gqlRefactoringHost && gqlRefactoringHost->GetSelectedUnit()); }
    void Execute() override {}

private:
    std::string FName;
    bool FNeedsUnit;
};

// The plug-in's own counted references.
std::vector<Ref<IqlRefactoring>> Own;

void Register(const std::string& Name, const std::string& Group, bool NeedsUnit)
{
    Own.push_back(MakeRef<TStubRefactoring>(Name, NeedsUnit));
    gqlRefactoringHost->RegisterRefactoring(Own.back(), Group);
}

[[maybe_unused]] void Initialize()
{
    const std::string N = STUB_NAME;
    gqlRefactoringHost->AddGroup(N, "&" + N, "");
    gqlRefactoringHost->AddGroup(N + "Rename", "Rename", N);
    gqlRefactoringHost->AddGroup(N + "Deep", "Deep", N + "Rename");
    Register(N + ".First", N, false);
#ifdef STUB_THROWS
    throw std::runtime_error(N + " could not start.");
#endif
    Register(N + ".Second", N + "Rename", true);
    Register(N + ".Third", N + "Deep", false);
    Register(N + ".Top", "", false);
}

[[maybe_unused]] void Finalize()
{
    if (gqlRefactoringHost)
        for (const Ref<IqlRefactoring>& R : Own)
            gqlRefactoringHost->UnregisterRefactoring(R);
    Own.clear();
}

} // namespace

#ifdef STUB_ABI
// Built for another version: never initialised.
QL_PLUGIN_EXPORT int qlPluginAbiVersion() { return STUB_ABI; }
QL_PLUGIN_EXPORT int qlPluginInitialize(char*, size_t) { return 0; }
QL_PLUGIN_EXPORT void qlPluginFinalize() {}
#else
QL_PLUGIN_ENTRY_POINTS(Initialize, Finalize)
#endif

QL_PLUGIN_EXPORT int qlStubDestroyed() { return Destroyed; }
QL_PLUGIN_EXPORT void qlStubHubs(const void** Project, const void** Host, const void** Options)
{
    *Project = &gqlProject;
    *Host = &gqlRefactoringHost;
    *Options = &gqlQuilletOptions;
}
