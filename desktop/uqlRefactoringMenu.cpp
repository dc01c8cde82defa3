#include "desktop/uqlRefactoringMenu.h"

#include "base/uqlPathUtils.h"
#include "desktop/uqlPluginLoader.h"
#include "desktop/uqlText.h"

#include <QAction>
#include <QMenu>

TqlRefactoringMenu::TqlRefactoringMenu(QMenu* Popup,
                                       std::function<void(const Ref<IqlRefactoring>&)> OnExecute,
                                       std::function<bool()> IsBusy)
    : QObject(Popup), FPopup(Popup), FOnExecute(std::move(OnExecute)), FIsBusy(std::move(IsBusy))
{
    FRegistry.OnItemAdded = [this](const TqlRefactoringRegistry::TItem& Item) { ItemAdded(Item); };
    FRegistry.OnItemRemoved = [this](const TqlRefactoringRegistry::TItem& Item) { ItemRemoved(Item); };
    connect(FPopup, &QMenu::aboutToShow, this, &TqlRefactoringMenu::UpdateActions);
}

TqlRefactoringMenu::~TqlRefactoringMenu()
{
    // The commands and groups go with their references, last first.
    FRegistry.Clear();
}

QMenu* TqlRefactoringMenu::MenuOf(const TqlRefactoringRegistry::TItem* Group) const
{
    if (!Group)
        return FPopup;
    auto It = FGroupMenus.find(qlLowerCase(Group->Name));
    return It == FGroupMenus.end() ? FPopup : It->second;
}

void TqlRefactoringMenu::ItemAdded(const TqlRefactoringRegistry::TItem& Item)
{
    QMenu* Parent = MenuOf(Item.Parent);
    if (Item.IsGroup()) {
        auto* Menu = new QMenu(qlFromAnsi(Item.Caption), Parent);
        Menu->setObjectName(qlFromAnsi(Item.Name));
        Parent->addMenu(Menu);
        FGroupMenus[qlLowerCase(Item.Name)] = Menu;
        return;
    }
    auto* Action = new QAction(qlFromAnsi(Item.Caption), FPopup);
    // The command's own reference: right whatever is unregistered before it.
    const Ref<IqlRefactoring> Refactoring = Item.Refactoring;
    connect(Action, &QAction::triggered, this, [this, Refactoring] {
        const Ref<IqlRefactoring> Keep = Refactoring;
        if (FOnExecute && !(FIsBusy && FIsBusy()))
            FOnExecute(Keep);
    });
    Parent->addAction(Action);
    FCommands[&Item] = Action;
}

void TqlRefactoringMenu::ItemRemoved(const TqlRefactoringRegistry::TItem& Item)
{
    if (Item.IsGroup()) {
        auto It = FGroupMenus.find(qlLowerCase(Item.Name));
        if (It != FGroupMenus.end()) {
            delete It->second;
            FGroupMenus.erase(It);
        }
        return;
    }
    auto It = FCommands.find(&Item);
    if (It != FCommands.end()) {
        delete It->second;
        FCommands.erase(It);
    }
}

void TqlRefactoringMenu::AddGroup(const std::string& Name, const std::string& Caption,
                                  const std::string& ParentName)
{
    FRegistry.AddGroup(Name, Caption, ParentName);
}

void TqlRefactoringMenu::RegisterRefactoring(const Ref<IqlRefactoring>& Refactoring,
                                             const std::string& GroupName)
{
    FRegistry.RegisterRefactoring(Refactoring, GroupName);
    UpdateActions();
}

void TqlRefactoringMenu::RemoveGroup(const std::string& Name) { FRegistry.RemoveGroup(Name); }

void TqlRefactoringMenu::UnregisterRefactoring(const Ref<IqlRefactoring>& Refactoring)
{
    FRegistry.UnregisterRefactoring(Refactoring);
}

void TqlRefactoringMenu::UpdateActions()
{
    const bool Busy = FIsBusy && FIsBusy();
    for (const auto& [Item, Action] : FCommands) {
        bool Enabled = false;
        if (!Busy) {
            try {
                Enabled = TqlRefactoringRegistry::CanExecute(*Item);
            } catch (...) {
                Enabled = false;
            }
        }
        Action->setEnabled(Enabled);
    }
}

QMenu* TqlRefactoringMenu::GroupMenu(const std::string& Name) const
{
    auto It = FGroupMenus.find(qlLowerCase(TqlRefactoringRegistry::GroupMenuItemName(Name)));
    return It == FGroupMenus.end() ? nullptr : It->second;
}

QAction* TqlRefactoringMenu::CommandAction(const Ref<IqlRefactoring>& Refactoring) const
{
    for (const auto& [Item, Action] : FCommands)
        if (Item->Refactoring == Refactoring)
            return Action;
    return nullptr;
}

TqlPluginLoader& qlDesktopPluginLoader()
{
    static TqlPluginLoader Loader;
    return Loader;
}
