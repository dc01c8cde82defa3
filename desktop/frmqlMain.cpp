#include "desktop/frmqlMain.h"

#include "analysis/uqlProject.h"
#include "base/uqlPathUtils.h"
#include "base/qlException.h"
#include "desktop/frmqlCodeOptions.h"
#include "desktop/frmqlFind.h"
#include "desktop/frmqlOpenURL.h"
#include "desktop/frmqlOptions.h"
#include "desktop/frmqlSystemOptions.h"
#include "desktop/uqlDocument.h"
#include "desktop/uqlNet.h"
#include "desktop/uqlPluginLoader.h"
#include "desktop/uqlPrompts.h"
#include "desktop/uqlRefactoringMenu.h"
#include "desktop/uqlReportView.h"
#include "desktop/uqlText.h"
#include "desktop/uqlTreeNode.h"
#include "model/uqlMessage.h"
#include "Refactorings/uqlRefactoring.h"
#include "reports/uqlBuiltInReports.h"
#include "settings/uqlFileSettings.h"
#include "settings/uqlIniOptions.h"
#include "settings/uqlStringList.h"

#include <Qsci/qscilexerpascal.h>
#include <Qsci/qsciscintilla.h>

#include <QAbstractTableModel>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWindow>

#include <sys/stat.h>

#include <algorithm>
#include <exception>
#include <functional>
#include <filesystem>

// ---------------------------------------------------------------------------
// The counted object the project and the plug-ins hold instead of the window,
// which Qt owns. The window cuts the link when it shuts down.
// ---------------------------------------------------------------------------

class TMainFormLink : public TInterfacedObject,
                      public IqlCodeViewer,
                      public IqlProgressNotifier,
                      public IqlRefactoringHost {
public:
    explicit TMainFormLink(TMainForm* Form) : FForm(Form) {}
    void Cut() { FForm = nullptr; }

    void ShowCode(const std::string& FileName, int X, int Y) override
    {
        if (FForm)
            FForm->ShowCode(FileName, X, Y);
    }
    void Notify(const std::string& Name, TParserState Stage, bool& Abort) override
    {
        if (FForm)
            FForm->Notify(Name, Stage, Abort);
    }

    void AddMessage(const Ref<IqlRefactoring>& Refactoring, const Ref<IqlMessage>& Msg) override
    {
        if (FForm)
            FForm->AddRefactoringMessage(Refactoring, Msg);
    }
    void AddGroup(const std::string& Name, const std::string& Caption, const std::string& ParentName) override
    {
        if (TqlRefactoringMenu* Menu = RefactoringMenu())
            Menu->AddGroup(Name, Caption, ParentName);
    }
    TqlSymbol* GetSelectedSymbol() override
    {
        TqlTreeNode* Node = FForm ? FForm->SelectedProjectNode() : nullptr;
        return Node ? Node->Symbol : nullptr;
    }
    TqlUnit* GetSelectedUnit() override
    {
        TqlTreeNode* Node = FForm ? FForm->SelectedProjectNode() : nullptr;
        return Node ? Node->Unit : nullptr;
    }
    void UnitRefactored(TqlUnit* Unit) override
    {
        if (FForm)
            FForm->UnitRefactored(Unit);
    }
    void RegisterRefactoring(const Ref<IqlRefactoring>& Refactoring, const std::string& GroupName) override
    {
        if (TqlRefactoringMenu* Menu = RefactoringMenu())
            Menu->RegisterRefactoring(Refactoring, GroupName);
    }
    void RemoveGroup(const std::string& Name) override
    {
        if (TqlRefactoringMenu* Menu = RefactoringMenu())
            Menu->RemoveGroup(Name);
    }
    void UnregisterRefactoring(const Ref<IqlRefactoring>& Refactoring) override
    {
        TqlRefactoringMenu* Menu = RefactoringMenu();
        if (!Menu)
            throw Exception("Refactoring not registered.");
        Menu->UnregisterRefactoring(Refactoring);
    }

private:
    TqlRefactoringMenu* RefactoringMenu() const { return FForm ? FForm->RefactoringMenu() : nullptr; }

    TMainForm* FForm;
};

// ---------------------------------------------------------------------------
// The message list: rows map straight to the project's messages, followed by
// the messages refactorings reported since the last refill.
// ---------------------------------------------------------------------------

class TMessageListModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void Refill()
    {
        beginResetModel();
        FCount = gqlProject ? gqlProject->GetMessages()->GetCount() : 0;
        FAppended.clear();
        endResetModel();
    }
    // No rows while the analysis rebuilds the messages.
    void Empty()
    {
        beginResetModel();
        FCount = 0;
        FAppended.clear();
        endResetModel();
    }
    void Redraw()
    {
        if (rowCount({}) > 0)
            emit dataChanged(index(0, 0), index(rowCount({}) - 1, 3));
    }
    // Appends a message of the list's own, after the project's.
    void Append(const Ref<IqlMessage>& Msg)
    {
        const int Row = rowCount({});
        beginInsertRows({}, Row, Row);
        FAppended.push_back(Msg);
        endInsertRows();
    }
    Ref<IqlMessage> Message(int Row) const
    {
        if (Row >= FCount && Row - FCount < static_cast<int>(FAppended.size()))
            return FAppended[static_cast<size_t>(Row - FCount)];
        if (!gqlProject || Row < 0 || Row >= FCount || Row >= gqlProject->GetMessages()->GetCount())
            return nullptr;
        return gqlProject->GetMessages()->GetItems(Row);
    }

    int rowCount(const QModelIndex& Parent) const override
    {
        return Parent.isValid() ? 0 : FCount + static_cast<int>(FAppended.size());
    }
    int columnCount(const QModelIndex& Parent) const override { return Parent.isValid() ? 0 : 4; }
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override
    {
        static const char* const Titles[4] = {"Message", "Unit", "X,Y", "Interface"};
        if (Orientation == Qt::Horizontal && Role == Qt::DisplayRole && Section >= 0 && Section < 4)
            return QString(Titles[Section]);
        return {};
    }
    QVariant data(const QModelIndex& Index, int Role) const override
    {
        // The message and the unit's file name may be longer than their
        // column: the tip shows them whole.
        if (Role == Qt::ToolTipRole && Index.column() <= 1)
            return data(Index, Qt::DisplayRole);
        if (Role != Qt::DisplayRole)
            return {};
        Ref<IqlMessage> M = Message(Index.row());
        if (!M)
            return {};
        TqlCodeLocation* L = M->GetCodeLocation();
        if (L && L->GetFileIndex() < 0)
            L = nullptr;  // a message about no place in the sources
        switch (Index.column()) {
        case 0:
            return qlFromAnsi(M->GetMessageText());
        case 1:
            return L ? qlFromFileName(L->GetFileName()) : QString();
        case 2:
            return L ? QString("%1,%2").arg(L->GetX()).arg(L->GetY()) : QString();
        default:
            return QString(M->GetInterfaceSection() ? "True" : "False");
        }
    }

private:
    int FCount = 0;
    std::vector<Ref<IqlMessage>> FAppended;
};

namespace {

// Settings that answer every read with its default and keep no write: the
// desktop ini when it cannot be read.
class TDefaultSettings : public TInterfacedObject, public IqlFileSettings {
public:
    explicit TDefaultSettings(std::string FileName) : FFileName(std::move(FileName)) {}
    std::string GetFileName() override { return FFileName; }
    Variant ReadValue(const std::string&, const std::string&, const Variant& Default) override { return Default; }
    bool Open(const std::string&) override { return true; }
    void ReadSection(const std::string&, const Ref<IqlStringList>& List) override { List->Clear(); }
    void ReadSectionValues(const std::string&, const Ref<IqlStringList>& List) override { List->Clear(); }
    void SaveAs(const std::string&) override {}
    void WriteSection(const std::string&, const Ref<IqlStringList>&) override {}
    void WriteValue(const std::string&, const std::string&, const Variant&) override {}

private:
    std::string FFileName;
};

// Gathers the notices about settings files that are not read while it
// lives; Raise turns the first one gathered into an exception.
class TStartNotices {
public:
    TStartNotices()
        : FPrevious(qlSetIniNoticeHandler([this](const std::string& Notice) { FNotices.push_back(Notice); }))
    {
    }
    ~TStartNotices() { qlSetIniNoticeHandler(FPrevious); }
    TStartNotices(const TStartNotices&) = delete;
    TStartNotices& operator=(const TStartNotices&) = delete;

    // The notices that name File (in quotes, as notices do), taken out of
    // those gathered.
    std::vector<std::string> TakeAbout(const std::string& File)
    {
        std::vector<std::string> Taken;
        const std::string Quoted = "\"" + File + "\"";
        std::erase_if(FNotices, [&](const std::string& Notice) {
            const bool About = Notice.find(Quoted) != std::string::npos;
            if (About)
                Taken.push_back(Notice);
            return About;
        });
        return Taken;
    }

    void Raise()
    {
        if (FNotices.empty())
            return;
        const std::string First = FNotices.front();
        FNotices.clear();
        throw Exception(First);
    }

private:
    std::vector<std::string> FNotices;
    TqlIniNoticeHandler FPrevious;
};

// The hourglass for the life of one object.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

const char* const StageWords[4] = {"", "Interface", "", "Implementation"};
const char* const ProgramName = "Quillet";

}  // namespace

template <class F>
void TMainForm::Guarded(F&& Body)
{
    try {
        Body();
    } catch (const std::exception& E) {
        ShowError(qlFromAnsi(E.what()));
    } catch (...) {
        ShowError("Unknown error");
    }
}

// ---------------------------------------------------------------------------
// Start-up and shutdown
// ---------------------------------------------------------------------------

TMainForm::TMainForm(const QStringList& Args, const QString& SettingsFolder)
    : TFormBase<QMainWindow>("TMainForm", true, fsAllSteps), FArgs(Args)
{
    FSettingsFolder = qlWithSlash(SettingsFolder.isEmpty() ? qlProgramFolder() : qlToFileName(SettingsFolder));
    FLink = Ref<TMainFormLink>(new TMainFormLink(this));
    gqlRefactoringHost = Ref<IqlRefactoringHost>(FLink.get());
    // Refactorings ask the user for texts and start the viewer of their
    // output through these.
    qlSetInputQuery([this](const std::string& Caption, const std::string& Prompt, std::string& Value) {
        // Over the window that asks: a plug-in's own modal window when one
        // is open, which the main window would otherwise cover.
        QWidget* Over = QApplication::activeModalWidget();
        return qlInputText(Over ? Over : this, qlFromAnsi(Caption), qlFromAnsi(Prompt), Value);
    });
    qlSetProgramLauncher([this](const std::vector<std::string>& Argv) { return LaunchViewer(Argv); });
    const std::string IniName = FSettingsFolder + "Quillet.ini";
    gqlQuilletOptions = Ref<IqlFileSettings>(new TqlFileSettings(IniName));
    // A settings file that cannot be read answers with defaults and a notice;
    // at start-up such a notice is an error the user is shown.
    TStartNotices Notices;
    try {
        gqlQuilletOptions->ReadValue("TMainForm", "Docked", false);
        Notices.Raise();
    } catch (const std::exception& E) {
        // Defaults for every window, and nothing written back over the file.
        FLayoutWritable = false;
        gqlQuilletOptions = Ref<IqlFileSettings>(new TDefaultSettings(IniName));
        FStartMessages.push_back({false, QString("%1\nThe default layout is used.").arg(qlFromAnsi(E.what()))});
    }

    setWindowTitle(ProgramName);
    resize(861, 683);
    CreateActions();
    CreateMenus();
    CreateLayout();
    CreateRefactoringMenu();
    FormCreate();

    try {
        auto* Project = new TqlProject(FSettingsFolder);
        gqlProject = Ref<IqlProject>(Project);
        // System options that cannot be read leave their defaults and are
        // never written back over the file; the user is told once.
        for (const std::string& Notice : Notices.TakeAbout(gqlProject->GetSystemSettingsFile()->GetFileName()))
            FStartMessages.push_back(
                {false, qlFromAnsi(Notice) + "\nThe default system options are used, and nothing is written to the file."});
        Notices.Raise();
        gqlProject->AddCodeViewer(Ref<IqlCodeViewer>(FLink.get()));
        gqlProject->AddProgressNotifier(Ref<IqlProgressNotifier>(FLink.get()));
        FDocument = std::make_unique<TDocument>(Ref<IvxPersist>(Project),
                                                gqlProject->GetProjectSettingsFile()->GetFileName());
        LoadRecentFiles();

        UpdateStatusBar();
        IqlFileSettings& S = *gqlQuilletOptions;
        SetExplorerWidth(static_cast<int>(S.ReadValue("MainForm", "ExplorerWidth", ExplorerWidth()).AsInteger()));
        SetBottomPanelHeight(
            static_cast<int>(S.ReadValue("MainForm", "BottomPanelHeight", BottomPanelHeight()).AsInteger()));
        seEditor->setReadOnly(S.ReadValue("Editor", "ReadOnly", seEditor->isReadOnly()).AsBoolean());
        actReadOnly->setChecked(seEditor->isReadOnly());

        RegisterBuiltInReports();
        FReportPages->BuildReportsMenu();

        // The command-line file opens only now that the reports are
        // registered, so its report settings and tabs are not lost. A file
        // that cannot be opened leaves the untitled document of a start
        // without one, with its report tabs.
        const QString First = FArgs.isEmpty() ? QString() : FArgs.first();
        const bool Named = !First.isEmpty() && First != "-noplugins";
        if (!Named) {
            NewDocument("");
        } else {
            const std::string Full = qlToFileName(QFileInfo(First).absoluteFilePath());
            if (QFileInfo::exists(First)) {
                bool Opened = false;
                Guarded([&] { Opened = OpenDocument(Full); });
                if (!Opened)
                    NewDocument("");
            } else {
                NewDocument(Full);
            }
        }
        // A project named on the command line that was refused leaves the
        // untitled one: the caption never names a project not asked for.
        if (!Named && FDocument->GetFileName().empty() && !FRecentFiles.empty() &&
            QFileInfo::exists(qlFromFileName(FRecentFiles.front())))
            Guarded([&] { OpenDocument(FRecentFiles.front()); });

        FFindForm = new TFindForm(this);
        CreateSystemOptionsForm(this);

        if (First != "-noplugins")
            LoadPlugins();
    } catch (...) {
        // Nothing of a failed start is written anywhere.
        FShutDown = true;
        delete FFindForm;
        FFindForm = nullptr;
        FreeSystemOptionsForm();
        tvProjectTree->clear();
        tvInheritance->clear();
        FDocument.reset();
        FLink->Cut();
        gqlRefactoringHost = nullptr;
        qlSetInputQuery(nullptr);
        qlSetProgramLauncher(nullptr);
        delete FRefactorings;
        FRefactorings = nullptr;
        gqlProject = nullptr;
        gqlQuilletOptions = nullptr;
        throw;
    }
    FStarting = false;
    UpdateCaption();
    UpdateActions();
}

void TMainForm::ShowError(const QString& Text)
{
    // At start-up the window is not on screen yet: a box that waited for
    // the user there would keep it from showing, and one shown without
    // waiting would lie under it. The box comes once the window is shown.
    if (FStarting)
        FStartMessages.push_back({true, Text});
    else
        qlShowError(this, Text);
}

void TMainForm::ShowStartMessages()
{
    // Boxes of the window's own, so they stay above it; none waits.
    const std::vector<TStartMessage> Messages = std::move(FStartMessages);
    FStartMessages.clear();
    for (const TStartMessage& M : Messages) {
        if (M.Error)
            qlPostError(this, M.Text);
        else
            qlPostMessage(this, M.Text);
    }
}

TMainForm::~TMainForm()
{
    try {
        Shutdown();
    } catch (...) {
    }
}

void TMainForm::Shutdown()
{
    if (FShutDown)
        return;
    FShutDown = true;
    // A window that never showed still tells what went wrong at its start.
    for (const TStartMessage& M : FStartMessages)
        M.Error ? qlShowError(this, M.Text) : qlShowMessage(this, M.Text);
    FStartMessages.clear();
    // One message for a settings file that cannot be written; the shutdown
    // goes on regardless.
    bool Reported = false;
    auto Step = [&](auto&& Body) {
        try {
            Body();
        } catch (const std::exception& E) {
            if (!Reported)
                qlShowError(this, qlFromAnsi(E.what()));
            Reported = true;
        }
    };
    gqlRefactoringHost = nullptr;
    qlSetInputQuery(nullptr);
    qlSetProgramLauncher(nullptr);
    delete FRefactorings;
    FRefactorings = nullptr;
    // The dialogs store their placement while the settings still exist.
    Step([&] {
        delete FFindForm;
        FFindForm = nullptr;
    });
    Step([&] { FreeSystemOptionsForm(); });
    if (FLayoutWritable) {
        Step([&] { SaveRecentFiles(); });
        Step([&] {
            IqlFileSettings& S = *gqlQuilletOptions;
            S.WriteValue("MainForm", "ExplorerWidth", ExplorerWidth());
            S.WriteValue("Editor", "ReadOnly", seEditor->isReadOnly());
            S.WriteValue("MainForm", "BottomPanelHeight", BottomPanelHeight());
        });
    }
    Step([&] { FReportPages->CloseAllReportTabs(); });
    // The trees and the message list point into the model: empty them
    // before the project goes.
    tvProjectTree->clear();
    tvInheritance->clear();
    FMessageModel->Empty();
    FDocument.reset();
    if (gqlProject) {
        gqlProject->RemoveCodeViewer(Ref<IqlCodeViewer>(FLink.get()));
        gqlProject->RemoveProgressNotifier(Ref<IqlProgressNotifier>(FLink.get()));
    }
    gqlProject = nullptr;
    Step([&] { FormDestroy(); });
    FLink->Cut();
    gqlQuilletOptions = nullptr;
}

// The splitters lay their panes out only once the window is shown; until
// then the wanted sizes are kept here and applied on the first show.
int TMainForm::ExplorerWidth() const
{
    return FSplittersApplied ? splTop->sizes().value(0) : FExplorerWidth;
}

int TMainForm::BottomPanelHeight() const
{
    return FSplittersApplied ? splMain->sizes().value(1) : FBottomPanelHeight;
}

void TMainForm::SetExplorerWidth(int Value)
{
    FExplorerWidth = std::max(0, Value);
    if (FSplittersApplied)
        splTop->setSizes({FExplorerWidth, std::max(0, splTop->width() - FExplorerWidth)});
}

void TMainForm::SetBottomPanelHeight(int Value)
{
    FBottomPanelHeight = std::max(0, Value);
    if (FSplittersApplied)
        splMain->setSizes({std::max(0, splMain->height() - FBottomPanelHeight), FBottomPanelHeight});
}

void TMainForm::showEvent(QShowEvent* Event)
{
    TFormBase<QMainWindow>::showEvent(Event);
    // The boxes of start-up wait until the window is on screen, placed by
    // the window manager, so they come above it and centred on it.
    if (!FStartMessages.empty() && windowHandle()) {
        if (windowHandle()->isExposed())
            QTimer::singleShot(0, this, &TMainForm::ShowStartMessages);
        else
            windowHandle()->installEventFilter(this);
    }
    if (FSplittersApplied)
        return;
    FSplittersApplied = true;
    SetExplorerWidth(FExplorerWidth);
    SetBottomPanelHeight(FBottomPanelHeight);
}

bool TMainForm::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::Expose && Watched == windowHandle() && windowHandle()->isExposed()) {
        windowHandle()->removeEventFilter(this);
        QTimer::singleShot(0, this, &TMainForm::ShowStartMessages);
    }
    return TFormBase<QMainWindow>::eventFilter(Watched, Event);
}

void TMainForm::closeEvent(QCloseEvent* Event)
{
    FormClose();
    if (FRunning) {
        // Cancel the analysis; the window closes once Run has returned.
        FCancel = true;
        FCloseAfterRun = true;
        Event->ignore();
        return;
    }
    bool Ok = false;
    Guarded([&] { Ok = ConfirmEditorSave() && ConfirmSave(); });
    if (Ok)
        Event->accept();
    else
        Event->ignore();
}

// ---------------------------------------------------------------------------
// Layout, actions and menus
// ---------------------------------------------------------------------------

void TMainForm::CreateActions()
{
    auto Make = [this](const char* Caption, const char* Hint, const QKeySequence& Key = {}) {
        // "Short|Long": the tip shows the short part, the status line the long.
        const QString Text(Hint);
        auto* A = new QAction(QString(Caption), this);
        A->setToolTip(Text.section('|', 0, 0));
        A->setStatusTip(Text.section('|', -1));
        if (!Key.isEmpty())
            A->setShortcut(Key);
        return A;
    };
    actNew = Make("New", "New", QKeySequence("Ctrl+N"));
    actOpen = Make("Open...", "Open", QKeySequence("Ctrl+O"));
    actOpenURL = Make("Open &URL...", "Open URL", QKeySequence("Ctrl+U"));
    actSave = Make("Save", "Save", QKeySequence("Ctrl+S"));
    actSaveAs = Make("Save As...", "Save As");
    SystemOptionsAction = Make("Options...", "Options");
    actCodingConventions = Make("Coding Conventions...", "Coding Conventions");
    actExit = Make("Exit", "Exit", QKeySequence("Alt+F4"));
    actCut = Make("Cut", "Cut", QKeySequence("Ctrl+X"));
    actCopy = Make("Copy", "Copy", QKeySequence("Ctrl+C"));
    actPaste = Make("Paste", "Paste", QKeySequence("Ctrl+V"));
    actDelete = Make("&Delete", "Delete", QKeySequence("Ctrl+Del"));
    actSelectAll = Make("&Select All", "Select All");
    actReadOnly = Make("&Read-Only", "Read-Only");
    actReadOnly->setCheckable(true);
    actEditSave = Make("Save Edit File", "Save Edit File");
    SearchFindAction = Make("&Find...", "Find|Finds the specified text", QKeySequence("Ctrl+F"));
    SearchFindNextAction = Make("Find &Next", "Find Next|Repeats the last find", QKeySequence("F3"));
    actRun = Make("Run", "Run", QKeySequence("Ctrl+R"));
    actCancel = Make("Cancel", "Cancel");
    actCancel->setEnabled(false);
    actOptions = Make("&Options...", "Options");
    actCloseCurrentReport = Make("&Close Current", "Close Current");
    actCloseAllReports = Make("Close All", "Close All");
    actAbout = Make("About", "About");
    actAbout->setEnabled(false);

    auto On = [this](QAction* A, auto Slot) {
        connect(A, &QAction::triggered, this, [this, Slot] { Guarded([&] { (this->*Slot)(); }); });
    };
    On(actNew, &TMainForm::DoNew);
    On(actOpen, &TMainForm::DoOpen);
    On(actOpenURL, &TMainForm::DoOpenURL);
    On(actSave, &TMainForm::DoSave);
    On(actSaveAs, &TMainForm::DoSaveAs);
    On(actRun, &TMainForm::Run);
    On(SearchFindAction, &TMainForm::DoFind);
    On(actEditSave, &TMainForm::DoEditSave);
    connect(SearchFindNextAction, &QAction::triggered, this,
            [this] { Guarded([&] { FindNext(tvProjectTree->currentItem()); }); });
    connect(actExit, &QAction::triggered, this, &QWidget::close);
    connect(actCancel, &QAction::triggered, this, [this] { FCancel = true; });
    connect(SystemOptionsAction, &QAction::triggered, this, [this] { Guarded([] { ShowSystemOptionsForm(); }); });
    connect(actCodingConventions, &QAction::triggered, this,
            [this] { Guarded([this] { EditCodingConventions(this); }); });
    connect(actOptions, &QAction::triggered, this, [this] {
        Guarded([this] {
            if (EditProjectOptions(this))
                MarkModified();
        });
    });
}

void TMainForm::CreateMenus()
{
    mnuFile = menuBar()->addMenu("&File");
    mnuFile->addAction(actNew);
    mnuFile->addAction(actOpen);
    mnuFile->addAction(actOpenURL);
    mnuFile->addAction(actSave);
    mnuFile->addAction(actSaveAs);
    mnuFile->addSeparator();
    mnuFile->addAction(SystemOptionsAction);
    mnuFile->addAction(actCodingConventions);
    RecentSeparator = mnuFile->addSeparator();
    QAction* ExitSeparator = mnuFile->addSeparator();
    mnuFile->addAction(actExit);
    RecentSeparator->setData(QVariant::fromValue<void*>(ExitSeparator));

    mnuEdit = menuBar()->addMenu("&Edit");
    mnuEdit->addAction(actCut);
    mnuEdit->addAction(actCopy);
    mnuEdit->addAction(actPaste);
    mnuEdit->addAction(actDelete);
    mnuEdit->addAction(actSelectAll);
    mnuEdit->addSeparator();
    mnuEdit->addAction(actReadOnly);
    mnuEdit->addSeparator();
    mnuEdit->addAction(actEditSave);
    mnuEdit->addSeparator();
    mnuEdit->addAction(SearchFindAction);
    mnuEdit->addAction(SearchFindNextAction);

    mnuProject = menuBar()->addMenu("&Project");
    mnuProject->addAction(actRun);
    mnuProject->addAction(actCancel);
    mnuProject->addSeparator();
    mnuProject->addAction(actOptions);

    mnuReports = menuBar()->addMenu("&Reports");
    mnuReports->addAction(actCloseCurrentReport);
    mnuReports->addAction(actCloseAllReports);
    mnuReports->addSeparator();

    mnuHelp = menuBar()->addMenu("Help");
    mnuHelp->addAction(actAbout);

    for (QMenu* M : {mnuFile, mnuEdit, mnuProject, mnuReports})
        connect(M, &QMenu::aboutToShow, this, &TMainForm::UpdateActions);
}

void TMainForm::CreateLayout()
{
    tbFileClipboard = addToolBar("tbFileClipboard");
    tbFileClipboard->setObjectName("tbFileClipboard");
    tbFileClipboard->addAction(actNew);
    tbFileClipboard->addAction(actOpen);
    tbFileClipboard->addAction(actSave);
    tbFileClipboard->addSeparator();
    tbFileClipboard->addAction(actCut);
    tbFileClipboard->addAction(actCopy);
    tbFileClipboard->addAction(actPaste);
    tbProject = addToolBar("tbProject");
    tbProject->setObjectName("tbProject");
    tbProject->addAction(actRun);
    tbProject->addAction(actCancel);

    pnlMain = new QWidget(this);
    auto* MainLayout = new QVBoxLayout(pnlMain);
    MainLayout->setContentsMargins(0, 0, 0, 0);
    splMain = new QSplitter(Qt::Vertical, pnlMain);
    splMain->setHandleWidth(6);
    MainLayout->addWidget(splMain);

    splTop = new QSplitter(Qt::Horizontal, splMain);
    splTop->setHandleWidth(6);
    pnlTopLeft = new QWidget(splTop);
    auto* LeftLayout = new QVBoxLayout(pnlTopLeft);
    LeftLayout->setContentsMargins(0, 0, 0, 0);
    pgcExplorer = new QTabWidget(pnlTopLeft);
    LeftLayout->addWidget(pgcExplorer);
    tvProjectTree = CreateExplorerTree(pgcExplorer, true);
    tvProjectTree->setObjectName("tvProjectTree");
    tvInheritance = CreateExplorerTree(pgcExplorer, false);
    tvInheritance->setObjectName("tvInheritance");
    pgcExplorer->addTab(tvProjectTree, "Tree");
    pgcExplorer->addTab(tvInheritance, "Inheritance");
    ProjectPopupMenu = new QMenu(this);
    ProjectPopupMenu->setObjectName("ProjectPopupMenu");
    tvProjectTree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tvProjectTree, &QWidget::customContextMenuRequested, this, [this](const QPoint& P) {
        if (!ProjectPopupMenu->isEmpty())
            ProjectPopupMenu->popup(tvProjectTree->viewport()->mapToGlobal(P));
    });

    auto* Right = new QWidget(splTop);
    auto* RightLayout = new QVBoxLayout(Right);
    RightLayout->setContentsMargins(0, 0, 0, 0);
    lblReports = new QLabel("Reports", Right);
    QFont Bold = lblReports->font();
    Bold.setBold(true);
    lblReports->setFont(Bold);
    RightLayout->addWidget(lblReports);
    pgcReports = new QTabWidget(Right);
    pgcReports->setObjectName("pgcReports");
    pgcReports->setStyleSheet("QTabBar::tab { min-width: 100px; }");
    RightLayout->addWidget(pgcReports, 1);
    splTop->addWidget(pnlTopLeft);
    splTop->addWidget(Right);
    splTop->setStretchFactor(1, 1);


    pnlBottom = new QWidget(splMain);
    auto* BottomLayout = new QVBoxLayout(pnlBottom);
    BottomLayout->setContentsMargins(0, 0, 0, 0);
    pgcBottom = new QTabWidget(pnlBottom);
    pgcBottom->setStyleSheet("QTabBar::tab { min-width: 100px; }");
    BottomLayout->addWidget(pgcBottom);
    seEditor = new QsciScintilla(pgcBottom);
    seEditor->setObjectName("seEditor");
    seEditor->setUtf8(true);
    auto* Lexer = new QsciLexerPascal(seEditor);
    QFont Mono("Courier New");
    Mono.setStyleHint(QFont::TypeWriter);
    Mono.setFixedPitch(true);
    // 13 pixels; the editor takes sizes in points.
    const QScreen* Screen = QGuiApplication::primaryScreen();
    Mono.setPointSizeF(13.0 * 72.0 / (Screen ? Screen->logicalDotsPerInch() : 96.0));
    Lexer->setDefaultFont(Mono);
    Lexer->setFont(Mono);
    seEditor->setLexer(Lexer);
    seEditor->setReadOnly(true);
    seEditor->setEolMode(QsciScintilla::EolWindows);
    seEditor->setContextMenuPolicy(Qt::CustomContextMenu);
    // Ctrl+Del belongs to the Delete command, not to the editor.
    seEditor->SendScintilla(QsciScintillaBase::SCI_CLEARCMDKEY,
                            QsciScintillaBase::SCK_DELETE + (QsciScintillaBase::SCMOD_CTRL << 16));
    EditorPopupMenu = new QMenu(this);
    for (QAction* A : {actCut, actCopy, actPaste, actDelete, actSelectAll})
        EditorPopupMenu->addAction(A);
    EditorPopupMenu->addSeparator();
    EditorPopupMenu->addAction(actReadOnly);
    EditorPopupMenu->addAction(actEditSave);
    connect(seEditor, &QWidget::customContextMenuRequested, this, [this](const QPoint& P) {
        UpdateActions();
        EditorPopupMenu->popup(seEditor->mapToGlobal(P));
    });
    pgcBottom->addTab(seEditor, "Source");

    lvMessages = new QTreeView(pgcBottom);
    lvMessages->setObjectName("lvMessages");
    lvMessages->setRootIsDecorated(false);
    lvMessages->setUniformRowHeights(true);
    lvMessages->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvMessages->setAllColumnsShowFocus(true);
    QPalette Tip = lvMessages->palette();
    Tip.setColor(QPalette::Base, Tip.color(QPalette::ToolTipBase));
    lvMessages->setPalette(Tip);
    FMessageModel = new TMessageListModel(this);
    lvMessages->setModel(FMessageModel);
    lvMessages->header()->resizeSection(0, 350);
    lvMessages->header()->resizeSection(1, 250);
    lvMessages->header()->resizeSection(3, 75);
    // The message column takes the width the others leave, not the last.
    lvMessages->header()->setStretchLastSection(false);
    lvMessages->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lvMessages->header()->setSectionsClickable(true);
    pgcBottom->addTab(lvMessages, "Messages");
    splMain->addWidget(splTop);
    splMain->addWidget(pnlBottom);
    splMain->setStretchFactor(0, 1);

    setCentralWidget(pnlMain);

    stbMain = statusBar();
    const int Widths[5] = {100, 100, 100, 100, 50};
    for (int I = 0; I < 5; ++I) {
        auto* Panel = new QLabel(stbMain);
        Panel->setObjectName(QString("stbPanel%1").arg(I));
        Panel->setMinimumWidth(Widths[I]);
        if (I < 4)
            Panel->setFixedWidth(Widths[I]);
        stbMain->addWidget(Panel, I == 4 ? 1 : 0);
    }

    connect(lvMessages->header(), &QHeaderView::sectionClicked, this,
            [this](int Column) { Guarded([&] { SortMessages(Column); }); });
    connect(lvMessages, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& Index) { Guarded([&] { MessageDoubleClicked(Index); }); });
    connect(seEditor, &QsciScintilla::cursorPositionChanged, this, [this] { UpdateStatusBar(); });
    connect(seEditor, &QsciScintilla::modificationChanged, this, [this] { UpdateStatusBar(); });
    connect(seEditor, &QsciScintilla::SCN_UPDATEUI, this, [this] { UpdateStatusBar(); });
    connect(seEditor, &QsciScintilla::selectionChanged, this, [this] { UpdateActions(); });
    connect(tvProjectTree, &QTreeWidget::currentItemChanged, this, [this] { UpdateActions(); });
    connect(actCut, &QAction::triggered, seEditor, &QsciScintilla::cut);
    connect(actCopy, &QAction::triggered, seEditor, &QsciScintilla::copy);
    connect(actPaste, &QAction::triggered, seEditor, &QsciScintilla::paste);
    connect(actDelete, &QAction::triggered, seEditor, &QsciScintilla::removeSelectedText);
    connect(actSelectAll, &QAction::triggered, seEditor, [this] { seEditor->selectAll(true); });
    connect(actReadOnly, &QAction::triggered, this, [this](bool Checked) {
        seEditor->setReadOnly(Checked);
        UpdateStatusBar();
        UpdateActions();
    });

    FReportPages = new TReportPages(pgcReports, mnuReports, [this] { MarkModified(); }, this);
    connect(actCloseCurrentReport, &QAction::triggered, this,
            [this] { Guarded([this] { FReportPages->CloseCurrentReport(); }); });
    connect(actCloseAllReports, &QAction::triggered, this,
            [this] { Guarded([this] { FReportPages->CloseAllReportTabs(); }); });
}

QString TMainForm::StatusText(int Panel) const
{
    auto* L = stbMain->findChild<QLabel*>(QString("stbPanel%1").arg(Panel));
    return L ? L->text() : QString();
}

// ---------------------------------------------------------------------------
// Commands (filled in below)
// ---------------------------------------------------------------------------

void TMainForm::SetRunning(bool Value)
{
    if (Value == FRunning)
        return;
    FRunning = Value;
    actCancel->setEnabled(Value);
    actRun->setEnabled(!Value);
    FReportPages->SetRunning(Value);
    UpdateActions();
}

void TMainForm::UpdateActions()
{
    const bool Idle = !FRunning;
    const bool ReadOnly = seEditor->isReadOnly();
    const bool Selection = seEditor->hasSelectedText();
    const bool Shown = !FEditorFileName.empty();
    actCut->setEnabled(Selection && !ReadOnly);
    actDelete->setEnabled(Selection && !ReadOnly);
    actCopy->setEnabled(Selection);
    actPaste->setEnabled(seEditor->SendScintilla(QsciScintillaBase::SCI_CANPASTE) != 0 && !ReadOnly);
    actSelectAll->setEnabled(Shown);
    actEditSave->setEnabled(Shown && !ReadOnly);
    actReadOnly->setChecked(ReadOnly);
    actCloseCurrentReport->setEnabled(Idle && FReportPages->HasActiveTab());
    actCloseAllReports->setEnabled(Idle);
    SearchFindAction->setEnabled(Idle);
    SearchFindNextAction->setEnabled(Idle && FFound && tvProjectTree->currentItem() &&
                                     tvProjectTree->currentItem()->parent());
    actNew->setEnabled(Idle);
    actOpen->setEnabled(Idle);
    actOpenURL->setEnabled(Idle && OpenURLDialogAvailable);
    SystemOptionsAction->setEnabled(Idle && SystemOptionsDialogAvailable);
    actCodingConventions->setEnabled(Idle && CodingConventionsDialogAvailable);
    actOptions->setEnabled(Idle && ProjectOptionsDialogAvailable);
    actSaveAs->setEnabled(Idle);
    for (QAction* A : RecentActions)
        A->setEnabled(Idle);
    if (FDocument) {
        actSave->setEnabled(Idle && FDocument->CanSave() &&
                            (FDocument->GetModified() || FDocument->GetFileName().empty()));
        if (FDocument->GetModified())
            UpdateCaption();
    }
    if (FRefactorings)
        FRefactorings->UpdateActions();
}

void TMainForm::NewDocument(const std::string& Name)
{
    ClearProject();
    FDocument->New();
    if (!Name.empty()) {
        FDocument->SetFileName(Name);
        FDocument->SetModified(true);
    }
    UpdateCaption();
    RefreshViews(true);
}

void TMainForm::ClearProject()
{
    FReportPages->DropUsedBy();
    tvProjectTree->clear();
    tvInheritance->clear();
    gqlProject->Clear();
    RefreshViews(true);
}

void TMainForm::RefreshViews(bool ReloadVisibleReports)
{
    if (ReloadVisibleReports)
        FReportPages->ShowVisibleReports();
    RefreshMessages();
    FillProjectTree(tvProjectTree);
    FillInheritanceTree(tvInheritance);
    FReportPages->RerunReportTabs();
    UpdateStatusBar();
    UpdateActions();
}

void TMainForm::RefreshMessages() { FMessageModel->Refill(); }

void TMainForm::UpdateCaption()
{
    const std::string& FileName = FDocument->GetFileName();
    QString Name;
    if (FileName.empty())
        Name = "Untitled";
    else if (QFileInfo(qlFromFileName(FileName)).isFile())
        Name = QFileInfo(qlFromFileName(FileName)).fileName();
    else
        Name = qlFromFileName(FileName);
    const QString Title = Name + " - " + ProgramName;
    setWindowTitle(FDocument->GetModified() ? Title + " *" : Title);
}

void TMainForm::MarkModified()
{
    FDocument->SetModified(true);
    UpdateCaption();
    UpdateActions();
}

// ---------------------------------------------------------------------------
// Document commands
// ---------------------------------------------------------------------------

// Yes saves and lets the caller go on only when the save took place; No
// goes on; Cancel stops.
static bool AskToSave(QWidget* Parent, const QString& Question, const std::function<void()>& Save,
                      const std::function<bool()>& Unsaved)
{
    switch (qlAsk(Parent, Question, true)) {
    case TqlAnswer::Cancel:
        return false;
    case TqlAnswer::Yes:
        Save();
        return !Unsaved();
    default:
        return true;
    }
}

bool TMainForm::ConfirmSave()
{
    if (!FDocument->GetModified())
        return true;
    return AskToSave(this, "Do you want to save changes?", [this] { DoSave(); },
                     [this] { return FDocument->GetModified(); });
}

void TMainForm::DoNew()
{
    if (FRunning)
        return;
    if (FDocument->GetFileName().empty() && !FDocument->GetModified())
        return;
    if (ConfirmEditorSave() && ConfirmSave())
        NewDocument("");
}

void TMainForm::DoOpen()
{
    if (FRunning)
        return;
    const QString Name = qlOpenFileName(
        this, "Open", "Quillet Project Files (*.qlp)|*.qlp|XML Files (*.xml)|*.xml|All Files (*.*)|*.*", "xml", true,
        "*.xml");
    if (Name.isEmpty())
        return;
    if (ConfirmEditorSave() && ConfirmSave())
        OpenDocument(qlToFileName(Name));
}

void TMainForm::DoOpenURL()
{
    if (FRunning)
        return;
    std::string Address;
    if (ExecuteOpenURL(this, FRecentFiles, Address) && !Address.empty() && ConfirmEditorSave() &&
        ConfirmSave())
        OpenDocumentURL(Address);
}

void TMainForm::DoSave()
{
    if (FRunning)
        return;
    // A document opened from an address, or a read-only file, is saved under
    // a new name.
    const std::string& Name = FDocument->GetFileName();
    if (Name.empty() || IsURL(Name) || !FDocument->CanSave())
        DoSaveAs();
    else
        SaveDocument(Name);
}

void TMainForm::DoSaveAs()
{
    if (FRunning)
        return;
    const QString Name =
        qlSaveFileName(this, "Save As", "XML Files (*.xml)|*.xml|All Files (*.*)|*.*", "xml", true, "*.xml");
    if (!Name.isEmpty())
        SaveDocument(qlToFileName(Name));
}

void TMainForm::DoRecentFile(const std::string& Name)
{
    if (FRunning)
        return;
    if (!ConfirmEditorSave() || !ConfirmSave())
        return;
    if (IsURL(Name))
        OpenDocumentURL(Name);
    else
        OpenDocument(Name);
}

bool TMainForm::OpenDocument(const std::string& FileName)
{
    // Check the file before the open project is given up, so a failed open
    // keeps the old document (and its name) as it was.
    std::string Data;
    try {
        TDocument::ReadProjectFile(FileName, Data);
    } catch (const std::exception& E) {
        ShowError(qlFromAnsi(E.what()));
        return false;
    }
    ClearProject();
    FDocument->SetFileName(FileName);
    try {
        FDocument->Open();
    } catch (...) {
        // The project is cleared by now: leave an untitled document behind,
        // never one whose next save would overwrite the file.
        FDocument->New();
        UpdateCaption();
        RefreshViews(true);
        throw;
    }
    AddRecentFile(FDocument->GetFileName());
    UpdateCaption();
    RefreshViews(true);
    return true;
}

void TMainForm::OpenDocumentURL(const std::string& Address)
{
    THttpGetLimits Limits;
    Limits.ProgressParent = this;
    std::string Body;
    HttpGetText(Address, "", Body, Limits);  // a failed fetch changes nothing
    const std::string Reason = TDocument::CheckProjectText(Body);
    if (!Reason.empty())
        throw Exception(TDocument::NotAProjectFile(Address, Reason));
    ClearProject();
    FDocument->SetFileName(Address);
    try {
        FDocument->OpenURL(Address, Body);
    } catch (...) {
        FDocument->New();
        UpdateCaption();
        RefreshViews(true);
        throw;
    }
    AddRecentFile(Address);
    UpdateCaption();
    RefreshViews(true);
}

bool TMainForm::SaveDocument(const std::string& FileName)
{
    const std::string Old = FDocument->GetFileName();
    FDocument->SetFileName(FileName);
    try {
        FDocument->Save();
    } catch (...) {
        FDocument->SetFileName(Old);
        throw;
    }
    AddRecentFile(FileName);
    UpdateCaption();
    RefreshViews(true);
    return true;
}

// ---------------------------------------------------------------------------
// Recently-used list
// ---------------------------------------------------------------------------

void TMainForm::AddRecentFile(const std::string& Name)
{
    if (Name.empty())
        return;
    std::erase(FRecentFiles, Name);
    FRecentFiles.insert(FRecentFiles.begin(), Name);
    UpdateRecentMenu();
}

void TMainForm::UpdateRecentMenu()
{
    for (QAction* A : RecentActions) {
        mnuFile->removeAction(A);
        A->deleteLater();
    }
    RecentActions.clear();
    auto* ExitSeparator = static_cast<QAction*>(RecentSeparator->data().value<void*>());
    for (const std::string& Name : FRecentFiles) {
        QString Caption = qlFromFileName(Name);
        Caption.replace("&", "&&");
        auto* A = new QAction(Caption, this);
        connect(A, &QAction::triggered, this, [this, Name] { Guarded([&] { DoRecentFile(Name); }); });
        mnuFile->insertAction(ExitSeparator, A);
        RecentActions.push_back(A);
    }
    RecentSeparator->setVisible(!FRecentFiles.empty());
    UpdateActions();
}

void TMainForm::LoadRecentFiles()
{
    FRecentFiles.clear();
    for (int I = 1; I <= 5; ++I) {
        const std::string Name =
            gqlQuilletOptions->ReadValue("Recent files", "MRU" + std::to_string(I), std::string()).AsString();
        if (!Name.empty())
            FRecentFiles.push_back(Name);
    }
    UpdateRecentMenu();
}

void TMainForm::SaveRecentFiles()
{
    Ref<IqlStringList> Lines(new TqlStringList);
    for (std::size_t I = 0; I < FRecentFiles.size() && I < 5; ++I)
        Lines->Add("MRU" + std::to_string(I + 1) + "=" + FRecentFiles[I]);
    gqlQuilletOptions->WriteSection("Recent files", Lines);
}

// ---------------------------------------------------------------------------
// Analysis
// ---------------------------------------------------------------------------

void TMainForm::Run()
{
    if (FRunning)
        return;
    const std::string File = gqlProject->GetOptions()->GetFileToAnalyze();
    if (File.empty()) {
        qlShowMessage(this, "No file to analyze is set. Choose one under Project > Options.");
        return;
    }
    // The analysis reads a backslash as '/' and a relative name from the
    // current folder, as this does, and does nothing at all without the file.
    std::string Posix = File;
    std::replace(Posix.begin(), Posix.end(), '\\', '/');
    if (!qlIsRegularFile(std::filesystem::path(Posix).lexically_normal().string())) {
        qlShowMessage(this, QString("The file to analyze \"%1\" cannot be found. Choose one under Project > Options.")
                                .arg(qlFromFileName(File)));
        return;
    }
    const auto Start = std::chrono::steady_clock::now();
    {
        TWaitCursor Wait;
        TRunningScope Running(this);
        FCancel = false;
        // The analysis rebuilds the model the trees, the tabs and the message
        // list point into, and events are processed while it runs.
        tvProjectTree->clear();
        tvInheritance->clear();
        FReportPages->DropUsedBy();
        FMessageModel->Empty();
        // The unit that ships beside the program is found without any
        // setting: its folder is searched for this analysis only, and never
        // becomes part of the options the user saves.
        {
            const Ref<IqlStringList> SearchPath = gqlProject->GetSystemOptions()->GetLibrarySearchPath();
            struct TRestore {
                Ref<IqlStringList> List;
                std::string Text;
                ~TRestore()
                {
                    if (List)
                        List->SetText(Text);
                }
            } Restore{SearchPath, SearchPath ? SearchPath->GetText() : std::string()};
            qlAddShippedSystemFolder(SearchPath);
            gqlProject->Analyze(true);
        }
        bool Abort = false;
        Notify(FCancel ? "Parsing canceled" : "", psrNone, Abort);
        FReportPages->UpdateReportMenuChecks();
        RefreshViews(false);
    }
    const double Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
    // A cancelled run must not look like a finished one.
    SetStatusText(4, QString(FCancel ? "Parsing canceled, " : "") + QString::asprintf("%.2f (s)", Seconds));
}

TMainForm::TRunningScope::TRunningScope(TMainForm* Form) : FForm(Form) { FForm->SetRunning(true); }

TMainForm::TRunningScope::~TRunningScope()
{
    FForm->SetRunning(false);
    if (FForm->FCloseAfterRun) {
        FForm->FCloseAfterRun = false;
        QTimer::singleShot(0, FForm, &QWidget::close);
    }
}

void TMainForm::Notify(const std::string& Name, TParserState Stage, bool& Abort)
{
    if (QThread::currentThread() != thread()) {
        // The analysis' own worker thread: no widgets, no events.
        Abort = FCancel;
        return;
    }
    const auto Now = std::chrono::steady_clock::now();
    if (FProgressShown && Now - FLastProgress <= FProgressInterval)
        return;
    QString Text = qlFromAnsi(Name) + " " + (Stage <= psrFull ? StageWords[Stage] : "");
    SetStatusText(4, Text);
    stbMain->repaint();
    QApplication::processEvents();
    Abort = FCancel;
    FLastProgress = Now;
    FProgressShown = true;
}

// ---------------------------------------------------------------------------
// Source viewer and status bar
// ---------------------------------------------------------------------------

std::string TMainForm::FileAge(const std::string& FileName)
{
    struct stat St {};
    if (::stat(FileName.c_str(), &St) != 0)
        return {};
    return std::to_string(static_cast<long long>(St.st_mtim.tv_sec) * 1000000000LL + St.st_mtim.tv_nsec) + ":" +
           std::to_string(static_cast<long long>(St.st_size));
}

int TMainForm::EditorLine() const
{
    const long Pos = seEditor->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
    return static_cast<int>(seEditor->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, Pos)) + 1;
}

// As the analysis counts columns: in bytes of the file. The editor holds
// UTF-8, so a UTF-8 file's bytes are its own, while each byte of an 8-bit
// file is one character.
int TMainForm::EditorColumn() const
{
    const long Pos = seEditor->SendScintilla(QsciScintillaBase::SCI_GETCURRENTPOS);
    const long Line = seEditor->SendScintilla(QsciScintillaBase::SCI_LINEFROMPOSITION, Pos);
    const long Start = seEditor->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, Line);
    if (FEditorUtf8)
        return static_cast<int>(Pos - Start) + 1;
    return static_cast<int>(seEditor->SendScintilla(QsciScintillaBase::SCI_COUNTCHARACTERS, Start, Pos)) + 1;
}

void TMainForm::ShowCode(const std::string& FileName, int X, int Y)
{
    if (X < 1 || Y < 1 || !QFileInfo(qlFromFileName(FileName)).isFile())
        return;
    pgcBottom->setCurrentWidget(seEditor);
    if (FileName != FEditorFileName || FileAge(FileName) != FEditorFileAge) {
        if (!ConfirmEditorSave())
            return;
        LoadEditorFile(FileName);
    }
    FEditorFileName = FileName;
    // A line past the end goes to the last line, a column past the end of
    // its line to the line's end.
    const long Line = std::min(Y, std::max(1, seEditor->lines())) - 1;
    const long Start = seEditor->SendScintilla(QsciScintillaBase::SCI_POSITIONFROMLINE, Line);
    const long End = seEditor->SendScintilla(QsciScintillaBase::SCI_GETLINEENDPOSITION, Line);
    long Pos = FEditorUtf8 ? std::min(Start + long(X - 1), End)
                           : seEditor->SendScintilla(QsciScintillaBase::SCI_POSITIONRELATIVE, Start, long(X - 1));
    if (Pos <= 0 && X > 1)
        Pos = End;  // before the text's end Scintilla answers 0
    seEditor->SendScintilla(QsciScintillaBase::SCI_GOTOPOS, std::min(std::max(Pos, Start), End));
    seEditor->ensureCursorVisible();
    seEditor->setFocus();
    UpdateStatusBar();
    UpdateActions();
}

void TMainForm::LoadEditorFile(const std::string& FileName)
{
    QFile File(qlFromFileName(FileName));
    if (!File.open(QIODevice::ReadOnly))
        throw Exception("Cannot open " + FileName + ": " + File.errorString().toStdString());
    const QByteArray Bytes = File.readAll();
    const std::string Age = FileAge(FileName);
    TqlDecodedText Decoded = qlDecodeSource(Bytes);
    const QByteArray Utf8 = Decoded.Text.toUtf8();
    const bool ReadOnly = seEditor->isReadOnly();
    seEditor->setReadOnly(false);
    seEditor->SendScintilla(QsciScintillaBase::SCI_CLEARALL);
    seEditor->SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, static_cast<unsigned long>(Utf8.size()),
                            Utf8.constData());
    seEditor->SendScintilla(QsciScintillaBase::SCI_EMPTYUNDOBUFFER);
    seEditor->setReadOnly(ReadOnly);
    seEditor->setModified(false);
    const int Lf = Bytes.indexOf('\n');
    seEditor->setEolMode(Lf > 0 && Bytes[Lf - 1] == '\r' ? QsciScintilla::EolWindows : QsciScintilla::EolUnix);
    FEditorUtf8 = Decoded.Utf8;
    FEditorBom = Decoded.Bom;
    FEditorFileAge = Age;
}

void TMainForm::SaveEditorFile()
{
    if (FEditorFileName.empty())
        return;
    const QString Name = qlFromFileName(FEditorFileName);
    if (FileAge(FEditorFileName) != FEditorFileAge &&
        qlAsk(this, QString("%1 has changed on disk. Overwrite it?").arg(Name), false) != TqlAnswer::Yes)
        return;
    const auto* Chars = reinterpret_cast<const char*>(
        seEditor->SendScintilla(QsciScintillaBase::SCI_GETCHARACTERPOINTER));
    const long Length = seEditor->SendScintilla(QsciScintillaBase::SCI_GETLENGTH);
    const QString Text = QString::fromUtf8(Chars, Length);
    const QByteArray Bytes = qlEncodeSource(Text, FEditorUtf8, FEditorBom);
    qlWriteFileAtomically(FEditorFileName, Bytes.toStdString());
    FEditorFileAge = FileAge(FEditorFileName);
    seEditor->setModified(false);
    UpdateStatusBar();
}

bool TMainForm::ConfirmEditorSave()
{
    if (FEditorFileName.empty() || !seEditor->isModified())
        return true;
    if (!AskToSave(this, QString("Save changes to %1?").arg(qlFromFileName(FEditorFileName)),
                   [this] { SaveEditorFile(); }, [this] { return seEditor->isModified(); }))
        return false;
    seEditor->setModified(false);  // answered No: the edits are given up
    return true;
}

void TMainForm::DoEditSave() { SaveEditorFile(); }

void TMainForm::SetStatusText(int Panel, const QString& Text)
{
    if (auto* L = stbMain->findChild<QLabel*>(QString("stbPanel%1").arg(Panel)))
        L->setText(Text);
}

void TMainForm::UpdateStatusBar()
{
    SetStatusText(0, QString::asprintf("%6d:%3d", EditorLine(), EditorColumn()));
    SetStatusText(1, seEditor->overwriteMode() ? "Overwrite" : "Insert");
    SetStatusText(2, seEditor->isModified() ? "Modified" : "");
    SetStatusText(3, seEditor->isReadOnly() ? "Read-Only" : "");
    SetStatusText(4, qlFromFileName(FEditorFileName));
}

// ---------------------------------------------------------------------------
// Message list and find
// ---------------------------------------------------------------------------

void TMainForm::SortMessages(int Column)
{
    static const int NoSort = -1;
    const int By[4] = {mlsbMessage, mlsbUnit, NoSort, mlsbInterface};
    if (Column >= 0 && Column < 4 && By[Column] != NoSort && gqlProject)
        gqlProject->GetMessages()->Sort(static_cast<TMessageListSortBy>(By[Column]));
    FMessageModel->Redraw();
}

void TMainForm::MessageDoubleClicked(const QModelIndex& Index)
{
    Ref<IqlMessage> M = FMessageModel->Message(Index.row());
    if (!M || !M->GetCodeLocation())
        return;
    TqlCodeLocation* L = M->GetCodeLocation();
    ShowCode(L->GetFileName(), L->GetX(), L->GetY());
}

void TMainForm::DoFind()
{
    if (FRunning || !FFindForm)
        return;
    if (FFindForm->exec() == QDialog::Accepted)
        FindNext(nullptr);
}

void TMainForm::FindNext(QTreeWidgetItem* StartNode)
{
    if (FRunning || !FFindForm)
        return;
    // The search walks the project tree: it comes to the front first, so
    // the node found is scrolled into view in a tree that is on screen.
    pgcExplorer->setCurrentWidget(tvProjectTree);
    {
        TWaitCursor Wait;
        tvProjectTree->setUpdatesEnabled(false);
        struct TEnd {
            QTreeWidget* Tree;
            ~TEnd()
            {
                Tree->setUpdatesEnabled(true);
                Tree->setFocus();
            }
        } End{tvProjectTree};
        FFound = FindInTree(tvProjectTree, *FFindForm, StartNode);
    }
    if (!FFound)
        qlShowMessage(this, "Finished search.");
    UpdateActions();
}

// ---------------------------------------------------------------------------
// Refactoring host
// ---------------------------------------------------------------------------

void TMainForm::CreateRefactoringMenu()
{
    FRefactorings = new TqlRefactoringMenu(
        ProjectPopupMenu, [this](const Ref<IqlRefactoring>& Refactoring) { ExecuteRefactoring(Refactoring); },
        [this] { return FRunning; });
}

void TMainForm::LoadPlugins()
{
    const std::vector<std::string> List =
        gqlProject->GetSystemOptions()->GetRefactorOptions()->GetRefactorings();
    qlDesktopPluginLoader().LoadAll(List, [this](const std::string& Text) { ShowError(qlFromAnsi(Text)); });
}

void TMainForm::ExecuteRefactoring(const Ref<IqlRefactoring>& Refactoring)
{
    if (FRunning || !Refactoring)
        return;
    // The busy rule of Run holds while the refactoring works, since it lets
    // events through; nothing reads a cancel, so Cancel stays disabled.
    TRunningScope Running(this);
    actCancel->setEnabled(false);
    Guarded([&] { qlExecuteRefactoring(Refactoring); });
}

void TMainForm::AddRefactoringMessage(const Ref<IqlRefactoring>& Refactoring, const Ref<IqlMessage>& Msg)
{
    TqlCodeLocation* L = Msg ? Msg->GetCodeLocation() : nullptr;
    PostMessage(Ref<IqlMessage>(new TqlMessage(TqlRefactoringRegistry::MessageText(Refactoring, Msg),
                                               L ? L->GetFileIndex() : -1, L ? L->GetX() : 0, L ? L->GetY() : 0,
                                               false)));
}

void TMainForm::PostMessage(const Ref<IqlMessage>& Msg)
{
    FMessageModel->Append(Msg);
    // Shown where the user looks: the list's last row, in front.
    pgcBottom->setCurrentWidget(lvMessages);
    lvMessages->scrollToBottom();
    SetStatusText(4, qlFromAnsi(Msg->GetMessageText()));
}

namespace {

// The run folder ("<...>/Generated/<GUID>") of a folder below it; the folder
// itself when it lies elsewhere.
std::string RunFolderOf(const std::string& Folder)
{
    const std::string Marker = "/Generated/";
    const size_t At = Folder.rfind(Marker);
    if (At == std::string::npos)
        return Folder;
    const size_t End = Folder.find('/', At + Marker.size());
    return End == std::string::npos ? Folder : Folder.substr(0, End);
}

}  // namespace

bool TMainForm::LaunchViewer(const std::vector<std::string>& Argv)
{
    // A comparison program the user set is started as asked, and its
    // failure is reported by the refactoring.
    if (Argv.size() != 2 || Argv[0] != "xdg-open")
        return qlStartDetached(Argv);
    if (!QStandardPaths::findExecutable("xdg-open").isEmpty() && qlStartDetached(Argv))
        return true;
    // No viewer: the output is named in the message list instead (a run
    // that wrote nothing says so itself and opens no viewer).
    PostMessage(Ref<IqlMessage>(
        new TqlMessage("The refactored files are in " + RunFolderOf(Argv[1]) + ".", -1, 0, 0, false)));
    return true;
}

TqlTreeNode* TMainForm::SelectedProjectNode() const
{
    QTreeWidgetItem* Item = tvProjectTree->currentItem();
    auto* Node = Item && Item->isSelected() ? dynamic_cast<TqlTreeNode*>(Item) : nullptr;
    return Node && !qlIsGroupNodeKind(Node->Kind) ? Node : nullptr;
}

void TMainForm::UnitRefactored(TqlUnit* Unit)
{
    bool Abort = false;  // a refactoring cannot be cancelled
    Notify(Unit ? Unit->GetFullFileName() : std::string(), psrNone, Abort);
}
