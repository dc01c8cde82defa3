#include "qlStubTwo.h"

#include "Refactorings/uqlRefactoring.h"

#include <vector>

namespace {

class TTwoRefactoring : public TqlRefactoring {
public:
    explicit TTwoRefactoring(std::string Name) : FName(std::move(Name)) {}
    std::string GetMenuCaption() override { return FName; }
    std::string GetName() override { return FName; }
    bool GetCanExecute() override { return true; }
    void Execute() override {}

private:
    std::string FName;
};

std::vector<Ref<IqlRefactoring>> Own;

} // namespace

void RegisterTwoRefactorings(const std::string& Group)
{
    for (const char* Name : {"Two.A", "Two.B", "Two.C"}) {
        Own.push_back(MakeRef<TTwoRefactoring>(Name));
        gqlRefactoringHost->RegisterRefactoring(Own.back(), Group);
    }
}

void ReleaseTwoRefactorings()
{
    if (gqlRefactoringHost)
        for (const Ref<IqlRefactoring>& R : Own)
            gqlRefactoringHost->UnregisterRefactoring(R);
    Own.clear();
}
