// The bookkeeping of a refactoring host: the registered refactorings in
// registration order and the menu they make, groups and commands.
//
// A group is a menu item known by its item name ("<Name>MenuItem") with a
// caption, under its parent group or at the top level. A command is a menu
// item for one refactoring, under its group or at the top level; it holds its
// own counted reference to the refactoring, so it stays right whatever is
// unregistered before it. Unregistering a refactoring removes its commands.
// A host with a user interface mirrors the menu through the two callbacks.
#pragma once

#include "base/qlInterface.h"
#include "model/uqlClasses.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TqlRefactoringRegistry {
public:
    struct TItem {
        // Groups: the item name; commands: empty.
        std::string Name;
        std::string Caption;
        // Commands only.
        Ref<IqlRefactoring> Refactoring;
        // Nil at the top level.
        TItem* Parent = nullptr;
        std::vector<std::unique_ptr<TItem>> Children;
        bool IsGroup() const { return !Refactoring; }
    };
    // Called after an item was added (it is the last child of its parent, or
    // of the top level) and before an item goes (its children went first).
    std::function<void(const TItem& Item)> OnItemAdded;
    std::function<void(const TItem& Item)> OnItemRemoved;

    TqlRefactoringRegistry();
    ~TqlRefactoringRegistry();
    TqlRefactoringRegistry(const TqlRefactoringRegistry&) = delete;
    TqlRefactoringRegistry& operator=(const TqlRefactoringRegistry&) = delete;

    static std::string GroupMenuItemName(const std::string& Name);
    // The group's item; "Group, %s, not found" when there is none.
    TItem* FindGroupMenuItem(const std::string& Name) const;

    // "Group, %s, already added" when the name is in use; "Group, %s, not
    // found" for a missing parent. Nothing is created on failure.
    void AddGroup(const std::string& Name, const std::string& Caption, const std::string& ParentName);
    // A command captioned GetMenuCaption, last under the group (top level for
    // an empty GroupName). A missing group raises "Group, %s, not found" and
    // registers nothing.
    void RegisterRefactoring(const Ref<IqlRefactoring>& Refactoring, const std::string& GroupName);
    // Removes the group's item and everything under it; the refactorings
    // stay registered.
    void RemoveGroup(const std::string& Name);
    // Removes the refactoring and its commands; "Refactoring not
    // registered." when it is not registered.
    void UnregisterRefactoring(const Ref<IqlRefactoring>& Refactoring);
    // Shut-down: every item and every registered reference goes.
    void Clear();

    const std::vector<Ref<IqlRefactoring>>& Refactorings() const { return FRefactorings; }
    // The top-level items in order.
    const TItem& TopLevel() const { return FTopLevel; }
    // The commands in menu order, depth first.
    std::vector<const TItem*> Commands() const;
    // The first command whose refactoring is named Name; nil when none.
    const TItem* FindCommand(const std::string& Name) const;

    // The text of a message a refactoring reports: "%s: %s".
    static std::string MessageText(const Ref<IqlRefactoring>& Refactoring, const Ref<IqlMessage>& Msg);
    // Runs a command's refactoring (units it left open are cancelled).
    static void Execute(const TItem& Command);
    // Enables a command: its refactoring's own test.
    static bool CanExecute(const TItem& Command);

private:
    TItem* FindGroupIn(const TItem& Parent, const std::string& ItemName) const;
    TItem* AddItem(TItem* Parent, std::unique_ptr<TItem> Item);
    void RemoveItem(TItem* Item);

    std::vector<Ref<IqlRefactoring>> FRefactorings;
    TItem FTopLevel;
};
