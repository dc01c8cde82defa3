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

#include "Refactorings/uqlOutputCheck.h"
#include "Refactorings/uqlRefactorNodes.h"
#include "base/qlInterface.h"
#include "model/uqlClasses.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TqlRefactoring;

// A run that must write nothing at all, for the reason it carries:
// qlExecuteRefactoring takes back what the run wrote, as after any failure,
// and gives the host the reason as the run's finding (at FileIndex, X, Y)
// instead of raising it.
class EqlRefactoringRefused : public Exception {
public:
    EqlRefactoringRefused(const std::string& Msg, int AFileIndex, int AX, int AY)
        : Exception(Msg), FileIndex(AFileIndex), X(AX), Y(AY)
    {
    }
    int FileIndex;
    int X;
    int Y;
};

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
    // A run takes one when it starts, so the count of its findings starts
    // again here.
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
    // The unit that stands for the run-time library is never opened: the run
    // is refused (EqlRefactoringRefused, "Unit, %s, stands for the run-time
    // library; no refactoring changes it.").
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
    // The unit's own source file when the analysis found it; nil for a unit
    // without one (the implicitly used System units, a unit the search paths
    // do not reach).
    static TqlSourceFile* SourceFileOf(const TqlUnit* Unit);

    // The first leaf code node, depth first from Node, at the location's
    // column and line; nil when none, or when the location lies in another
    // file than the tree's. The answer may be an empty rule node.
    static TqlCodeNode* FindNodeForLocation(TqlNode* Node, const TqlCodeLocation* Location);
    // The same, but only a token leaf with text counts.
    static TqlTokenNode* FindTokenNodeForLocation(TqlNode* Node, const TqlCodeLocation* Location);
    // The first use recorded in Unit's own file at the node's column and
    // line; nil when none. Uses in include and form files never count.
    static TqlCodeLocation* FindCodeLocationForNode(TqlUnit* Unit, const TqlCodeNode* Node);

    // The last check before a run writes: analyses the sources with Outputs
    // in their place (qlFindOutputFault) and refuses the run
    // (EqlRefactoringRefused) at the first fault it finds. A rename gives
    // the old and the new name.
    void CheckOutput(const std::vector<TqlOutputText>& Outputs, const std::string& OldName = "",
                     const std::string& NewName = "");
    // The same for the units this run has written (EndRefactoring), read
    // back from the output folder. A refusal takes them back with the run
    // folder (qlExecuteRefactoring). Without a written unit it costs nothing.
    void CheckWrittenOutput();

    // Shows the output of a run: the folder-comparison program of the
    // refactor options on the folder of the file to analyse and its output
    // folder, else the output folder itself (the run folder when there is no
    // file to analyse). A run that wrote nothing shows nothing and leaves no
    // folder; when it reported no finding either, the host gets the message
    // "Nothing was changed.". When
    // the program cannot be started the host gets a message that names the
    // output folder; the run itself has succeeded.
    void ViewRefactoring(const std::string& BaseFolder);

    // The run folders that this refactoring created since the last discard
    // or prune, and what became of them at the end of an execution
    // (qlExecuteRefactoring): a failed execution takes back everything it
    // wrote (DiscardRunOutput), a finished one drops the folders it left
    // without a file (PruneRunOutput). Either way a "Generated" folder that
    // the execution made and that is empty again goes too. Never throw.
    void DiscardRunOutput() noexcept;
    void PruneRunOutput() noexcept;
    // Some regular file lies below Folder.
    static bool HoldsFiles(const std::string& Folder);
    // Counts a finding that the run posted to the host (qlPostMessage).
    void FindingPosted() { ++FFindings; }

    TqlRefactoringList* RefactoringList() const { return FRefactoringList.get(); }

protected:
    // Tells the host (when there is one) that Unit is done.
    static void NotifyUnitRefactored(TqlUnit* Unit);
    // Posts Text to the host (when there is one) as a message of this
    // refactoring without a place in the sources.
    void PostNote(const std::string& Text);

private:
    struct TRunFolder {
        std::string Folder;       // absolute "<current>/Generated/<BaseFolder>"
        bool MadeParent = false;  // the "Generated" folder was made with it
    };
    void RecordRunFolder(const std::string& BaseFolder);
    void ReleaseRunFolders(bool Everything) noexcept;

    std::unique_ptr<TqlRefactoringList> FRefactoringList;
    std::vector<TRunFolder> FRunFolders;
    // What this run wrote through EndRefactoring: source and output file.
    std::vector<std::pair<std::string, std::string>> FWritten;
    int FFindings = 0;
};

// Runs Refactoring's Execute and then cancels whatever units it left open,
// also when Execute raises (the exception goes on, but a refusal,
// EqlRefactoringRefused, becomes the host's message). A failed or refused
// execution leaves nothing of its output behind, a finished one no empty
// folders.
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
