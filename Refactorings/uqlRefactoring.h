// The base class of every refactoring and the bookkeeping of the units that
// a refactoring has open.
//
// One run of a refactoring takes a new output folder name (a GUID) from
// GetBaseFolderName, opens each unit it edits with BeginRefactoring (which
// builds the unit's node tree), edits the tree it gets from GetModuleNode and
// closes each unit with EndRefactoring (written below the run's output
// folder) or CancelRefactoring (dropped); ViewRefactoring then shows the
// result. Output never lands on a source: every run writes below
// "<current folder>/Generated/<GUID>/Root/", mirroring the absolute source
// name, and no file there is ever overwritten.
//
// Refactoring objects are reference counted: create them into a Ref (MakeRef)
// before handing `this` to anything that takes a counted reference, such as
// IqlRefactoringHost::AddMessage, or the first such call frees the object.
#pragma once

#include "Refactorings/uqlRefactorNodes.h"
#include "base/qlInterface.h"
#include "model/uqlClasses.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TqlRefactoring;

// One open unit: the unit (borrowed from the code model) and its tree (owned;
// nil when the unit's source file does not exist).
class TqlRefactoringListNode {
public:
    // Builds the unit's tree through Refactoring's TryCreateModuleNode.
    TqlRefactoringListNode(TqlRefactoring* Refactoring, TqlUnit* AUnit);

    TqlUnit* Unit;
    std::unique_ptr<TqlModuleNode> ModuleNode;
};

// The open units of one refactoring; removing an entry frees its tree.
class TqlRefactoringList {
public:
    explicit TqlRefactoringList(TqlRefactoring* Owner) : FOwner(Owner) {}

    int Add(std::unique_ptr<TqlRefactoringListNode> Entry);
    int Count() const { return static_cast<int>(FItems.size()); }
    // EListError for an index out of range.
    TqlRefactoringListNode* GetNode(int Index) const;
    // The first entry of Unit; -1 when none.
    int IndexOf(const TqlUnit* Unit) const;
    // Removes and frees the entry.
    void Delete(int Index);
    TqlRefactoring* Owner() const { return FOwner; }

private:
    TqlRefactoring* FOwner;
    std::vector<std::unique_ptr<TqlRefactoringListNode>> FItems;
};

class TqlRefactoring : public TInterfacedObject, public IqlRefactoring {
public:
    TqlRefactoring();
    ~TqlRefactoring() override;

    // Maps the source FileName into the run's output tree and creates the
    // folder that will hold it (Folder, absolute). The name is made absolute
    // and normalised ("." and ".." taken out), its leading "/" dropped, and
    // put below "<current folder>/Generated/<BaseFolder>/Root/"; every other
    // byte is kept. "Could not create directory, %s" when the folder cannot
    // be made.
    virtual std::string GetFilenameToGenerate(const std::string& FileName,
                                              const std::string& BaseFolder, std::string& Folder);
    // A new GUID, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", for every call.
    virtual std::string GetBaseFolderName();
    // "./Generated/" followed by BaseFolder.
    virtual std::string GetQualifiedBaseFolderName(const std::string& BaseFolder);
    // The empty string.
    std::string GetGroupName() override;
    std::string GetMenuCaption() override = 0;
    std::string GetName() override = 0;
    bool GetCanExecute() override = 0;
    void Execute() override = 0;

    // Opens Unit: builds its tree ("Unit is already being refactored." when
    // it is open in this refactoring). A fatal syntax error leaves it closed.
    void BeginRefactoring(const std::string& BaseFolder, TqlUnit* Unit);
    // The tree of an open unit; nil when it is not open or has no tree.
    TqlModuleNode* GetModuleNode(const TqlUnit* Unit) const;
    bool GetLocked(const TqlUnit* Unit) const;
    // The entry index of an open unit; "Unit, %s, is not being refactored."
    // otherwise.
    int CheckRefactoringUnit(const TqlUnit* Unit) const;
    // Writes and closes an open unit, then tells the host. A unit opened
    // without a tree is closed without writing anything. When the write
    // fails the unit stays open.
    void EndRefactoring(const std::string& BaseFolder, TqlUnit* Unit);
    // Closes an open unit without writing it, then tells the host.
    void CancelRefactoring(TqlUnit* Unit);
    // Ends every open unit, first entry first.
    void EndRefactorings(const std::string& BaseFolder);
    // Drops every unit still open, telling the host of each; never throws.
    // The end of every execution (qlExecuteRefactoring), so no unit stays
    // locked after a failed run and no entry outlives the model it points
    // into.
    void CancelOpenUnits() noexcept;

    // Builds the tree of Unit's source file with the project's defines and
    // the shared word tables; nil when the unit has no file or the file does
    // not exist. "Unit, %s, has changed since the last analysis." when the
    // file is no longer what the analysis read. A fatal syntax error goes on
    // to the caller and leaves nothing behind.
    std::unique_ptr<TqlModuleNode> TryCreateModuleNode(TqlUnit* Unit);

    // The first leaf code node, depth first from Node, at the location's
    // column and line; nil when none, or when the location lies in another
    // file than the tree's. The answer may be an empty rule node.
    static TqlCodeNode* FindNodeForLocation(TqlNode* Node, const TqlCodeLocation* Location);
    // The same, but only a token leaf with text counts.
    static TqlTokenNode* FindTokenNodeForLocation(TqlNode* Node, const TqlCodeLocation* Location);
    // The first use recorded in Unit's own file at the node's column and
    // line; nil when none. Uses in include and form files never count.
    static TqlCodeLocation* FindCodeLocationForNode(TqlUnit* Unit, const TqlCodeNode* Node);

    // Shows the output of a run: the folder-comparison program of the
    // refactor options on the folder of the file to analyse and its output
    // folder, else the output folder itself (the run folder when there is no
    // file to analyse). "Could not start %s." when the program cannot run.
    void ViewRefactoring(const std::string& BaseFolder);

    TqlRefactoringList* RefactoringList() const { return FRefactoringList.get(); }

protected:
    // Tells the host (when there is one) that Unit is done.
    static void NotifyUnitRefactored(TqlUnit* Unit);

private:
    std::unique_ptr<TqlRefactoringList> FRefactoringList;
};

// Runs Refactoring's Execute and then cancels whatever units it left open,
// also when Execute raises (the exception goes on).
void qlExecuteRefactoring(const Ref<IqlRefactoring>& Refactoring);

// The words of a folder-comparison parameter template: blanks separate
// words, double quotes group (and are dropped); the first "%1" becomes
// SourceFolder and the first "%2" OutputFolder, in one pass, each as text of
// its word that is never split or scanned again.
std::vector<std::string> qlSplitComparisonParams(const std::string& Template,
                                                 const std::string& SourceFolder,
                                                 const std::string& OutputFolder);

// ---------------------------------------------------------------------------
// Seams to the user interface
// ---------------------------------------------------------------------------

// Asks the user for a text: true with Value changed when accepted. Without a
// handler the answer is "cancelled".
using TqlInputQueryHandler =
    std::function<bool(const std::string& Caption, const std::string& Prompt, std::string& Value)>;
void qlSetInputQuery(TqlInputQueryHandler Handler);
bool qlInputQuery(const std::string& Caption, const std::string& Prompt, std::string& Value);

// Starts a program (Argv[0], looked up on PATH) detached, without a shell;
// false when it could not be started. The default starts it for real;
// headless runs record it instead.
using TqlProgramLauncher = std::function<bool(const std::vector<std::string>& Argv)>;
void qlSetProgramLauncher(TqlProgramLauncher Launcher);
bool qlLaunchProgram(const std::vector<std::string>& Argv);
// The default launcher: leaves no zombie behind.
bool qlStartDetached(const std::vector<std::string>& Argv);
