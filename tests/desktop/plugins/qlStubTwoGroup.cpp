// The two-file stub: this file adds the group and calls on the other file
// for the refactorings, all inside the plug-in's initialisation.
#include "qlStubTwo.h"

#include "Refactorings/uqlPlugin.h"
#include "model/uqlClasses.h"

namespace {

void Initialize()
{
    gqlRefactoringHost->AddGroup("Two", "&Two", "");
    RegisterTwoRefactorings("Two");
}

} // namespace

QL_PLUGIN_ENTRY_POINTS(Initialize, ReleaseTwoRefactorings)
