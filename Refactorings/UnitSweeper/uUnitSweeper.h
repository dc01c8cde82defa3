// Removes from a unit's uses clauses the units that the unit does not use,
// judged by the code model of the last analysis, or moves units that only
// the implementation uses into its uses clause.
#pragma once

#include "Refactorings/Common/uqlPluginSupport.h"

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

// One candidate entry of a uses list.
class TUnitToBeRemoved {
public:
    // 0: not used in the unit's text; 2: used inside the interface section;
    // 4: used outside it.
    int Usage = 0;
    TqlUnit* Unit = nullptr;
    TqlTokenNode* Node = nullptr;
};

// The candidates of one list, in the order found (the list's last entry
// first); owns them.
class TUnitsToBeRemovedList {
public:
    int Add(std::unique_ptr<TUnitToBeRemoved> Item);
    int Count() const { return static_cast<int>(FItems.size()); }
    TUnitToBeRemoved* Item(int Index) const { return FItems.at(size_t(Index)).get(); }
    void Delete(int Index);
    // The candidate whose unit's file is the location's; -1 when none.
    int IndexOf(const TqlCodeLocation* Location) const;

private:
    std::vector<std::unique_ptr<TUnitToBeRemoved>> FItems;
};

// The sweep of one unit's tree.
class TqlUnitSweeper {
public:
    TqlUnitSweeper(TqlUnit* Unit, TqlModuleNode* Tree, TqlMessageSink Sink, bool RemoveAllUnusedUnits,
                   bool MoveUsedUnitsToImplementation);

    // Sweeps the unit; answers whether the tree changed. A unit that must be
    // left as it is (a used unit with errors in its interface) answers False
    // and sets Cancelled.
    bool Run();
    bool Cancelled() const { return FCancelled; }

    // Answers whether Used is used in the unit's own text; Usage gets the
    // flags (interface mode looks where each use lies).
    bool GetUnitUsage(TqlUnit* Used, bool InterfaceMode, int& Usage);
    void DeleteUsesEntry(TqlTokenNode* Identifier);
    void MoveToImplementationUses(const std::string& UnitName);

private:
    // The first name in the unit's own text that the analysis did not
    // resolve; nil when there is none.
    TqlCodeNode* FirstUnresolvedName() const;
    void ProcessUsesList(TqlUsesListNode* List, bool InterfaceMode);
    void KeepFormUnits(TUnitsToBeRemovedList& Candidates);
    // A name the unit uses bare that the analysis bound to a declaration of
    // one of the units it uses.
    struct TBinding {
        std::string Name;
        TqlUnit* Declaring = nullptr;
        // Where the use lies: the interface section, the rest of the unit
        // (both for a use in an include file).
        bool InInterface = false;
        bool AfterInterface = false;
        int FileIndex = -1;
        int X = 0;
        int Y = 0;
    };
    void ReadBindings();
    // Keeps in place every candidate whose removal, or move into the
    // implementation uses clause, would let one of the unit's names find
    // another declaration than the one it finds now; says which name holds
    // it there.
    void KeepBindings(TUnitsToBeRemovedList& Candidates, bool InterfaceMode);
    bool HasInitialization(TqlUnit* Used);
    void Post(const std::string& Text, int X, int Y) { FSink(Text, X, Y); }

    TqlUnit* FUnit;
    TqlModuleNode* FTree;
    TqlMessageSink FSink;
    bool FRemoveAll;
    bool FMoveUsed;
    bool FChanged = false;
    bool FCancelled = false;
    TqlLeafIndex FLeaves;
    std::unordered_set<std::string> FInactiveWords;
    std::vector<TBinding> FBindings;
};

#include "Refactorings/uqlRefactoring.h"

// The choices asked before each run.
struct TUnitSweeperOptions {
    bool RemoveAllUnusedUnits = false;
    bool MoveUsedUnitsToImplementation = true;
};

// The options dialog as the refactorings see it: shown modally, the choices
// kept from one run to the next.
class IUnitSweeperOptionsDialog {
public:
    virtual ~IUnitSweeperOptionsDialog() = default;
    // False when the user cancels.
    virtual bool Execute(TUnitSweeperOptions& Options) = 0;
};

// Makes the options dialog; set by the dialog's unit where there is a user
// interface. Without one (or while it answers nil) the choices are asked
// through qlInputQuery: caption "Options", two letters T or F for the two
// check boxes, for example "F T".
using TUnitSweeperFormFactory = std::unique_ptr<IUnitSweeperOptionsDialog> (*)();
extern TUnitSweeperFormFactory gqlUnitSweeperFormFactory;

class TAbstractUnitSweeper : public TqlRefactoring {
public:
    TAbstractUnitSweeper();
    ~TAbstractUnitSweeper() override;

    void DoBeforeExecute(bool& Abort);
    bool GetMoveUsedUnitsToImplementation() const { return FOptions.MoveUsedUnitsToImplementation; }
    bool GetRemoveAllUnusedUnits() const { return FOptions.RemoveAllUnusedUnits; }
    void DoRemoveUnusedUnits(TqlUnit* Unit, const std::string& BaseFolder);

protected:
    TUnitSweeperOptions FOptions;
    std::unique_ptr<IUnitSweeperOptionsDialog> FForm;
    TqlUnit* FUnit = nullptr;
    bool FChanged = false;
};

class TSingleUnitSweeper : public TAbstractUnitSweeper {
public:
    std::string GetMenuCaption() override { return "Selected Unit"; }
    std::string GetName() override { return "SingleUnitSweeper"; }
    bool GetCanExecute() override;
    void Execute() override;
};

class TMultiUnitSweeper : public TAbstractUnitSweeper {
public:
    std::string GetMenuCaption() override { return "All Units"; }
    std::string GetName() override { return "TMultiUnitSweeper"; }
    bool GetCanExecute() override { return true; }
    void Execute() override;
};
