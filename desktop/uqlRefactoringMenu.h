// The refactoring commands of the main window: the registry of the
// registered refactorings mirrored into the project tree's context menu.
//
// Every command is a QAction captioned with its refactoring's menu caption,
// holding its own counted reference to the refactoring, placed in its
// group's submenu or at the top level of the popup. Every group is a submenu
// named "<Name>MenuItem", found again through a name -> submenu map that
// ignores case; widget object names are never searched.
#pragma once

#include "Refactorings/uqlRefactoringRegistry.h"
#include "model/uqlClasses.h"

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <string>

class QAction;
class QMenu;
class TqlPluginLoader;

class TqlRefactoringMenu : public QObject {
public:
    // Popup: the menu the commands and groups go into. OnExecute runs a
    // command (the window wraps it in its busy rule and error box); IsBusy
    // answers whether the commands must stay disabled.
    TqlRefactoringMenu(QMenu* Popup, std::function<void(const Ref<IqlRefactoring>&)> OnExecute,
                       std::function<bool()> IsBusy);
    ~TqlRefactoringMenu() override;

    // The host operations that change the menu.
    void AddGroup(const std::string& Name, const std::string& Caption, const std::string& ParentName);
    void RegisterRefactoring(const Ref<IqlRefactoring>& Refactoring, const std::string& GroupName);
    void RemoveGroup(const std::string& Name);
    void UnregisterRefactoring(const Ref<IqlRefactoring>& Refactoring);

    // Enables each command by its refactoring's own test; a test that
    // raises disables the command. Everything is disabled while busy.
    void UpdateActions();

    // The registered refactorings in registration order.
    const std::vector<Ref<IqlRefactoring>>& Refactorings() const { return FRegistry.Refactorings(); }
    // A group's submenu (nil when none) and a refactoring's command (nil
    // when it is not registered).
    QMenu* GroupMenu(const std::string& Name) const;
    QAction* CommandAction(const Ref<IqlRefactoring>& Refactoring) const;

private:
    void ItemAdded(const TqlRefactoringRegistry::TItem& Item);
    void ItemRemoved(const TqlRefactoringRegistry::TItem& Item);
    QMenu* MenuOf(const TqlRefactoringRegistry::TItem* Group) const;

    QMenu* FPopup;
    std::function<void(const Ref<IqlRefactoring>&)> FOnExecute;
    std::function<bool()> FIsBusy;
    TqlRefactoringRegistry FRegistry;
    // Keyed by the lower-case item name.
    std::map<std::string, QMenu*> FGroupMenus;
    std::map<const TqlRefactoringRegistry::TItem*, QAction*> FCommands;
};

// The loader of the desktop program's plug-ins. It outlives the main window:
// the program finalises the plug-ins after the window withdrew the host and
// released the registered refactorings.
TqlPluginLoader& qlDesktopPluginLoader();
