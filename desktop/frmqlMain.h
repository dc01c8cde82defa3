// The program's main window: the open document, the explorer trees, the
// report tabs, the source viewer, the message list and the status bar.
#pragma once

#include "desktop/frmqlBase.h"
#include "model/uqlClasses.h"

#include <QMainWindow>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QToolBar;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;
class QModelIndex;
class QWidget;
class QsciScintilla;
class TDocument;
class TFindForm;
class TMainFormLink;
class TMessageListModel;
class TReportPages;
class TqlRefactoringMenu;
class TqlTreeNode;

class TMainForm : public TFormBase<QMainWindow> {
    Q_OBJECT
public:
    // Args: the command-line arguments after the program name, with Qt's
    // own already removed. SettingsFolder (with or without a trailing '/')
    // holds "Quillet.ini" and the project's settings files; empty means the
    // program's folder.
    explicit TMainForm(const QStringList& Args, const QString& SettingsFolder = {});
    ~TMainForm() override;

    // The shutdown steps; run once, by the destructor at the latest.
    void Shutdown();

    // IqlCodeViewer and IqlProgressNotifier (through the link object).
    void ShowCode(const std::string& FileName, int X, int Y);
    void Notify(const std::string& Name, TParserState Stage, bool& Abort);

    // The age of a file as the editor compares it: modification time in
    // nanoseconds and size; empty when the file does not exist.
    static std::string FileAge(const std::string& FileName);
    // Where ShowCode left the caret (1-based), for tests.
    int EditorLine() const;
    int EditorColumn() const;
    // The least time between two progress displays (300 ms).
    std::chrono::steady_clock::duration ProgressInterval() const { return FProgressInterval; }
    void SetProgressInterval(std::chrono::steady_clock::duration Value) { FProgressInterval = Value; }

    // Commands, also reachable from tests.
    void Run();
    bool ConfirmSave();
    void NewDocument(const std::string& Name);
    bool OpenDocument(const std::string& FileName);
    void OpenDocumentURL(const std::string& Address);
    bool SaveDocument(const std::string& FileName);
    void ClearProject();
    void RefreshViews(bool ReloadVisibleReports);
    void UpdateCaption();
    void UpdateStatusBar();
    void UpdateActions();
    void MarkModified();
    void AddRecentFile(const std::string& Name);
    void FindNext(QTreeWidgetItem* StartNode);

    TDocument& Document() { return *FDocument; }
    const std::vector<std::string>& RecentFiles() const { return FRecentFiles; }
    bool Running() const { return FRunning; }
    const std::string& EditorFileName() const { return FEditorFileName; }
    QString StatusText(int Panel) const;
    TFindForm* FindForm() const { return FFindForm; }
    const std::string& SettingsFolder() const { return FSettingsFolder; }

    // Components.
    QToolBar* tbFileClipboard = nullptr;
    QToolBar* tbProject = nullptr;
    QWidget* pnlMain = nullptr;
    QSplitter* splMain = nullptr;      // top part over pnlBottom
    QSplitter* splTop = nullptr;       // pnlTopLeft beside the reports
    QWidget* pnlTopLeft = nullptr;
    QWidget* pnlBottom = nullptr;
    QTabWidget* pgcExplorer = nullptr;
    QTreeWidget* tvProjectTree = nullptr;
    QTreeWidget* tvInheritance = nullptr;
    QMenu* ProjectPopupMenu = nullptr;
    QLabel* lblReports = nullptr;
    QTabWidget* pgcReports = nullptr;
    QTabWidget* pgcBottom = nullptr;
    QsciScintilla* seEditor = nullptr;
    QMenu* EditorPopupMenu = nullptr;
    QTreeView* lvMessages = nullptr;
    QStatusBar* stbMain = nullptr;
    QMenu* mnuFile = nullptr;
    QMenu* mnuEdit = nullptr;
    QMenu* mnuProject = nullptr;
    QMenu* mnuReports = nullptr;
    QMenu* mnuHelp = nullptr;

    QAction* actNew = nullptr;
    QAction* actOpen = nullptr;
    QAction* actOpenURL = nullptr;
    QAction* actSave = nullptr;
    QAction* actSaveAs = nullptr;
    QAction* SystemOptionsAction = nullptr;
    QAction* actCodingConventions = nullptr;
    QAction* actExit = nullptr;
    QAction* actCut = nullptr;
    QAction* actCopy = nullptr;
    QAction* actPaste = nullptr;
    QAction* actDelete = nullptr;
    QAction* actSelectAll = nullptr;
    QAction* actReadOnly = nullptr;
    QAction* actEditSave = nullptr;
    QAction* SearchFindAction = nullptr;
    QAction* SearchFindNextAction = nullptr;
    QAction* actRun = nullptr;
    QAction* actCancel = nullptr;
    QAction* actOptions = nullptr;
    QAction* actCloseCurrentReport = nullptr;
    QAction* actCloseAllReports = nullptr;
    QAction* actAbout = nullptr;
    QAction* RecentSeparator = nullptr;
    std::vector<QAction*> RecentActions;

    TReportPages* ReportPages() const { return FReportPages; }

    // The refactoring host (through the link object): the registered
    // commands (nil once shut down), the messages refactorings report, the
    // project tree's selected node (nil for none or a group node), the
    // progress display, and running one refactoring under the busy rule.
    TqlRefactoringMenu* RefactoringMenu() const { return FRefactorings; }
    void AddRefactoringMessage(const Ref<IqlRefactoring>& Refactoring, const Ref<IqlMessage>& Msg);
    TqlTreeNode* SelectedProjectNode() const;
    void UnitRefactored(TqlUnit* Unit);
    // Appends Msg to the message list and brings the list to the front.
    void PostMessage(const Ref<IqlMessage>& Msg);
    // Starts a refactoring's viewer. Without a viewer program (xdg-open
    // missing or failing) it posts where the output went, or that nothing
    // was changed, and counts as started.
    bool LaunchViewer(const std::vector<std::string>& Argv);
    void ExecuteRefactoring(const Ref<IqlRefactoring>& Refactoring);

    // Width of the explorer panel and height of the bottom panel.
    int ExplorerWidth() const;
    int BottomPanelHeight() const;
    void SetExplorerWidth(int Value);
    void SetBottomPanelHeight(int Value);

protected:
    void closeEvent(QCloseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateLayout();
    void CreateRefactoringMenu();
    // Start-up: the refactoring plug-ins of the system options, one error
    // box for each that fails.
    void LoadPlugins();
    void SetRunning(bool Value);
    // An error box; during start-up it is kept until the window is shown.
    void ShowError(const QString& Text);
    // The boxes kept during start-up, above the window and not waiting.
    void ShowStartMessages();
    struct TStartMessage {
        bool Error;
        QString Text;
    };
    std::vector<TStartMessage> FStartMessages;
    // The busy state for its life (Run, a refactoring); on the way out a
    // close asked for meanwhile goes on.
    class TRunningScope {
    public:
        explicit TRunningScope(TMainForm* Form);
        ~TRunningScope();
        TRunningScope(const TRunningScope&) = delete;
        TRunningScope& operator=(const TRunningScope&) = delete;

    private:
        TMainForm* FForm;
    };
    void SetStatusText(int Panel, const QString& Text);
    void UpdateRecentMenu();
    void LoadRecentFiles();
    void SaveRecentFiles();
    void RefreshMessages();
    // Runs Body, showing any exception in a message box instead of letting it
    // reach the event loop.
    template <class F>
    void Guarded(F&& Body);

    void DoNew();
    void DoOpen();
    void DoOpenURL();
    void DoSave();
    void DoSaveAs();
    void DoFind();
    void DoEditSave();
    void DoRecentFile(const std::string& Name);
    void SortMessages(int Column);
    void MessageDoubleClicked(const QModelIndex& Index);
    // Asks "Save changes to X?" when the editor holds unsaved edits; false
    // when the user cancels (or the save failed).
    bool ConfirmEditorSave();
    void LoadEditorFile(const std::string& FileName);
    void SaveEditorFile();

    std::string FSettingsFolder;
    QStringList FArgs;
    std::unique_ptr<TDocument> FDocument;
    Ref<TMainFormLink> FLink;
    TqlRefactoringMenu* FRefactorings = nullptr;
    std::vector<std::string> FRecentFiles;
    TMessageListModel* FMessageModel = nullptr;
    TReportPages* FReportPages = nullptr;
    TFindForm* FFindForm = nullptr;
    std::chrono::steady_clock::time_point FLastProgress{};
    bool FProgressShown = false;
    std::chrono::steady_clock::duration FProgressInterval = std::chrono::milliseconds(300);
    bool FFound = false;
    std::atomic<bool> FCancel{false};
    bool FRunning = false;
    bool FCloseAfterRun = false;
    bool FShutDown = false;
    bool FStarting = true;
    std::string FEditorFileName;
    std::string FEditorFileAge;
    bool FEditorUtf8 = false;  // the file shown is UTF-8 text
    bool FEditorBom = false;   // with a byte-order mark
    bool FLayoutWritable = true;
    int FExplorerWidth = 273;
    int FBottomPanelHeight = 160;
    bool FSplittersApplied = false;
};
