#include "Refactorings/uqlRefactoringRegistry.h"

#include "Refactorings/uqlRefactoring.h"
#include "base/uqlPathUtils.h"

#include <algorithm>

TqlRefactoringRegistry::TqlRefactoringRegistry() = default;

TqlRefactoringRegistry::~TqlRefactoringRegistry()
{
    // Nobody mirrors the menu any more.
    OnItemRemoved = nullptr;
    Clear();
}

std::string TqlRefactoringRegistry::GroupMenuItemName(const std::string& Name)
{
    return Name + "MenuItem";
}

TqlRefactoringRegistry::TItem* TqlRefactoringRegistry::FindGroupIn(const TItem& Parent,
                                                                    const std::string& ItemName) const
{
    for (const auto& Child : Parent.Children) {
        if (Child->IsGroup() && qlSameText(Child->Name, ItemName))
            return Child.get();
        if (TItem* Found = FindGroupIn(*Child, ItemName))
            return Found;
    }
    return nullptr;
}

TqlRefactoringRegistry::TItem* TqlRefactoringRegistry::FindGroupMenuItem(const std::string& Name) const
{
    TItem* Item = FindGroupIn(FTopLevel, GroupMenuItemName(Name));
    if (!Item)
        throw Exception("Group, " + Name + ", not found");
    return Item;
}

TqlRefactoringRegistry::TItem* TqlRefactoringRegistry::AddItem(TItem* Parent, std::unique_ptr<TItem> Item)
{
    TItem& Owner = Parent ? *Parent : FTopLevel;
    Item->Parent = Parent;
    Owner.Children.push_back(std::move(Item));
    TItem* Added = Owner.Children.back().get();
    if (OnItemAdded)
        OnItemAdded(*Added);
    return Added;
}

void TqlRefactoringRegistry::RemoveItem(TItem* Item)
{
    while (!Item->Children.empty())
        RemoveItem(Item->Children.back().get());
    if (OnItemRemoved)
        OnItemRemoved(*Item);
    TItem& Owner = Item->Parent ? *Item->Parent : FTopLevel;
    auto It = std::find_if(Owner.Children.begin(), Owner.Children.end(),
                           [Item](const std::unique_ptr<TItem>& C) { return C.get() == Item; });
    if (It != Owner.Children.end())
        Owner.Children.erase(It);
}

void TqlRefactoringRegistry::AddGroup(const std::string& Name, const std::string& Caption,
                                      const std::string& ParentName)
{
    TItem* Parent = ParentName.empty() ? nullptr : FindGroupMenuItem(ParentName);
    const std::string ItemName = GroupMenuItemName(Name);
    if (FindGroupIn(FTopLevel, ItemName))
        throw Exception("Group, " + Name + ", already added");
    auto Item = std::make_unique<TItem>();
    Item->Name = ItemName;
    Item->Caption = Caption;
    AddItem(Parent, std::move(Item));
}

void TqlRefactoringRegistry::RegisterRefactoring(const Ref<IqlRefactoring>& Refactoring,
                                                 const std::string& GroupName)
{
    QL_ASSERT(bool(Refactoring), "uqlRefactoringRegistry: nothing to register");
    TItem* Group = GroupName.empty() ? nullptr : FindGroupMenuItem(GroupName);
    auto Item = std::make_unique<TItem>();
    Item->Caption = Refactoring->GetMenuCaption();
    Item->Refactoring = Refactoring;
    FRefactorings.push_back(Refactoring);
    AddItem(Group, std::move(Item));
}

void TqlRefactoringRegistry::RemoveGroup(const std::string& Name)
{
    RemoveItem(FindGroupMenuItem(Name));
}

void TqlRefactoringRegistry::UnregisterRefactoring(const Ref<IqlRefactoring>& Refactoring)
{
    auto It = std::find(FRefactorings.begin(), FRefactorings.end(), Refactoring);
    if (!Refactoring || It == FRefactorings.end())
        throw Exception("Refactoring not registered.");
    // Keeps the object alive until its commands and entry have gone.
    const Ref<IqlRefactoring> Keep = Refactoring;
    for (const TItem* Command : Commands())
        if (Command->Refactoring == Keep)
            RemoveItem(const_cast<TItem*>(Command));
    FRefactorings.erase(std::find(FRefactorings.begin(), FRefactorings.end(), Keep));
}

void TqlRefactoringRegistry::Clear()
{
    while (!FTopLevel.Children.empty())
        RemoveItem(FTopLevel.Children.back().get());
    // Released last first: the reverse of registration.
    while (!FRefactorings.empty())
        FRefactorings.pop_back();
}

std::vector<const TqlRefactoringRegistry::TItem*> TqlRefactoringRegistry::Commands() const
{
    std::vector<const TItem*> Out;
    std::vector<const TItem*> Stack;
    for (auto It = FTopLevel.Children.rbegin(); It != FTopLevel.Children.rend(); ++It)
        Stack.push_back(It->get());
    while (!Stack.empty()) {
        const TItem* Item = Stack.back();
        Stack.pop_back();
        if (!Item->IsGroup())
            Out.push_back(Item);
        for (auto It = Item->Children.rbegin(); It != Item->Children.rend(); ++It)
            Stack.push_back(It->get());
    }
    return Out;
}

const TqlRefactoringRegistry::TItem* TqlRefactoringRegistry::FindCommand(const std::string& Name) const
{
    for (const TItem* Command : Commands())
        if (Command->Refactoring->GetName() == Name)
            return Command;
    return nullptr;
}

std::string TqlRefactoringRegistry::MessageText(const Ref<IqlRefactoring>& Refactoring,
                                                const Ref<IqlMessage>& Msg)
{
    return (Refactoring ? Refactoring->GetName() : std::string()) + ": " +
           (Msg ? Msg->GetMessageText() : std::string());
}

void TqlRefactoringRegistry::Execute(const TItem& Command)
{
    qlExecuteRefactoring(Command.Refactoring);
}

bool TqlRefactoringRegistry::CanExecute(const TItem& Command)
{
    return Command.Refactoring && Command.Refactoring->GetCanExecute();
}
