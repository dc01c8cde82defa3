#include "desktop/frmqlMain.h"

#include "analysis/uqlProject.h"
#include "base/qlException.h"
#include "desktop/frmqlCodeOptions.h"
#include "desktop/frmqlFind.h"
#include "desktop/frmqlOpenURL.h"
#include "desktop/frmqlOptions.h"
#include "desktop/frmqlSystemOptions.h"
#include "desktop/uqlDocument.h"
#include "desktop/uqlPrompts.h"
#include "desktop/uqlReportView.h"
#include "desktop/uqlText.h"
#include "desktop/uqlTreeNode.h"
#include "reports/uqlBuiltInReports.h"
#include "settings/uqlFileSettings.h"

#include <Qsci/qscilexerpascal.h>
#include <Qsci/qsciscintilla.h>

#include <QAbstractTableModel>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QThread>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <exception>
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

    void AddMessage(const Ref<IqlRefactoring>&, const Ref<IqlMessage>&) override {}
    void AddGroup(const std::string&, const std::string&, const std::string&) override {}
    TqlSymbol* GetSelectedSymbol() override
    {
        auto* Node = FForm ? dynamic_cast<TqlTreeNode*>(FForm->tvProjectTree->currentItem()) : nullptr;
        return Node ? Node->Symbol : nullptr;
    }
    TqlUnit* GetSelectedUnit() override
    {
        auto* Node = FForm ? dynamic_cast<TqlTreeNode*>(FForm->tvProjectTree->currentItem()) : nullptr;
        return Node ? Node->Unit : nullptr;
    }
    void UnitRefactored(TqlUnit*) override {}
    void RegisterRefactoring(const Ref<IqlRefactoring>&, const std::string&) override {}
    void RemoveGroup(const std::string&) override {}
    void UnregisterRefactoring(const Ref<IqlRefactoring>&) override {}

private:
    TMainForm* FForm;
};

// ---------------------------------------------------------------------------
// The message list: rows map straight to the project's messages.
// ---------------------------------------------------------------------------

class TMessageListModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void Refill()
    {
        beginResetModel();
        FCount = gqlProject ? gqlProject->GetMessages()->GetCount() : 0;
        endResetModel();
    }
    void Redraw()
    {
        if (FCount > 0)
            emit dataChanged(index(0, 0), index(FCount - 1, 3));
    }
    Ref<IqlMessage> Message(int Row) const
    {
        if (!gqlProject || Row < 0 || Row >= FCount || Row >= gqlProject->GetMessages()->GetCount())
            return nullptr;
        return gqlProject->GetMessages()->GetItems(Row);
    }

    int rowCount(const QModelIndex& Parent) const override { return Parent.isValid() ? 0 : FCount; }
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
        if (Role != Qt::DisplayRole)
            return {};
        Ref<IqlMessage> M = Message(Index.row());
        if (!M)
            return {};
        TqlCodeLocation* L = M->GetCodeLocation();
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
};

namespace {

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

std::string WithSlash(std::string Folder)
{
    if (Folder.empty() || Folder.back() != '/')
        Folder += '/';
    return Folder;
}

}  // namespace

template <class F>
void TMainForm::Guarded(F&& Body)
{
    try {
        Body();
    } catch (const std::exception& E) {
        qlShowError(this, qlFromAnsi(E.what()));
    } catch (...) {
        qlShowError(this, "Unknown error");
    }
}

// ---------------------------------------------------------------------------
// Start-up and shutdown
// ---------------------------------------------------------------------------

TMainForm::TMainForm(const QStringList& Args, const QString& SettingsFolder)
    : TFormBase<QMainWindow>("TMainForm", true, fsAllSteps), FArgs(Args)
{
    FSettingsFolder = WithSlash(SettingsFolder.isEmpty() ? qlProgramFolder() : qlToFileName(SettingsFolder));
    FLink = Ref<TMainFormLink>(new TMainFormLink(this));
    gqlRefactoringHost = Ref<IqlRefactoringHost>(FLink.get());
    gqlQuilletOptions = Ref<IqlFileSettings>(new TqlFileSettings(FSettingsFolder + "Quillet.ini"));

    setWindowTitle(ProgramName);
    resize(861, 683);
    CreateActions();
    CreateMenus();
    CreateLayout();
    FormCreate();

    auto* Project = new TqlProject(FSettingsFolder);
    gqlProject = Ref<IqlProject>(Project);
    gqlProject->AddCodeViewer(Ref<IqlCodeViewer>(FLink.get()));
    gqlProject->AddProgressNotifier(Ref<IqlProgressNotifier>(FLink.get()));
    FDocument = std::make_unique<TDocument>(Ref<IvxPersist>(Project));
    LoadRecentFiles();

    UpdateStatusBar();
    IqlFileSettings& S = *gqlQuilletOptions;
    QList<int> Top = splTop->sizes();
    Top[0] = static_cast<int>(S.ReadValue("MainForm", "ExplorerWidth", Top[0]).AsInteger());
    splTop->setSizes(Top);
    QList<int> Main = splMain->sizes();
    Main[1] = static_cast<int>(S.ReadValue("MainForm", "BottomPanelHeight", Main[1]).AsInteger());
    splMain->setSizes(Main);
    seEditor->setReadOnly(S.ReadValue("Editor", "ReadOnly", seEditor->isReadOnly()).AsBoolean());
    actReadOnly->setChecked(seEditor->isReadOnly());

    RegisterBuiltInReports();
    FReportPages->BuildReportsMenu();

    // The command-line file opens only now that the reports are registered,
    // so its report settings and tabs are not lost.
    const QString First = FArgs.isEmpty() ? QString() : FArgs.first();
    if (First.isEmpty() || First == "-noplugins") {
        NewDocument("");
    } else {
        const std::string Full = qlToFileName(QFileInfo(First).absoluteFilePath());
        if (QFileInfo::exists(First))
            OpenDocument(Full);
        else
            NewDocument(Full);
    }
    if (FDocument->GetFileName().empty() && !FRecentFiles.empty() &&
        QFileInfo::exists(qlFromFileName(FRecentFiles.front())))
        OpenDocument(FRecentFiles.front());

    FFindForm = new TFindForm(this);
    CreateSystemOptionsForm(this);
    UpdateActions();
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
    gqlRefactoringHost = nullptr;
    FRefactorings.clear();
    // The find dialog stores its placement while the settings still exist.
    delete FFindForm;
    FFindForm = nullptr;
    FreeSystemOptionsForm();
    try {
        SaveRecentFiles();
        IqlFileSettings& S = *gqlQuilletOptions;
        S.WriteValue("MainForm", "ExplorerWidth", splTop->sizes().value(0));
        S.WriteValue("Editor", "ReadOnly", seEditor->isReadOnly());
        S.WriteValue("MainForm", "BottomPanelHeight", splMain->sizes().value(1));
    } catch (const std::exception& E) {
        qlShowError(this, qlFromAnsi(E.what()));
    }
    FReportPages->CloseAllReportTabs();
    // The trees point into the model: empty them before the project goes.
    tvProjectTree->clear();
    tvInheritance->clear();
    FMessageModel->Refill();
    FDocument.reset();
    if (gqlProject) {
        gqlProject->RemoveCodeViewer(Ref<IqlCodeViewer>(FLink.get()));
        gqlProject->RemoveProgressNotifier(Ref<IqlProgressNotifier>(FLink.get()));
    }
    gqlProject = nullptr;
    FMessageModel->Refill();
    try {
        FormDestroy();
    } catch (const std::exception& E) {
        qlShowError(this, qlFromAnsi(E.what()));
    }
    FLink->Cut();
    gqlQuilletOptions = nullptr;
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
    Guarded([&] { Ok = ConfirmSave(); });
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
        auto* A = new QAction(QString(Caption), this);
        A->setToolTip(Hint);
        A->setStatusTip(Hint);
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
    RightLayout->addWidget(pgcReports, 1);
    splTop->addWidget(pnlTopLeft);
    splTop->addWidget(Right);
    splTop->setStretchFactor(1, 1);
    splTop->setSizes({273, 861 - 273 - 6});

    pnlBottom = new QWidget(splMain);
    auto* BottomLayout = new QVBoxLayout(pnlBottom);
    BottomLayout->setContentsMargins(0, 0, 0, 0);
    pgcBottom = new QTabWidget(pnlBottom);
    BottomLayout->addWidget(pgcBottom);
    seEditor = new QsciScintilla(pgcBottom);
    seEditor->setObjectName("seEditor");
    seEditor->setUtf8(true);
    auto* Lexer = new QsciLexerPascal(seEditor);
    QFont Mono("Courier New");
    Mono.setStyleHint(QFont::TypeWriter);
    Mono.setFixedPitch(true);
    Mono.setPixelSize(13);
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
    FMessageModel = new TMessageListModel(this);
    lvMessages->setModel(FMessageModel);
    lvMessages->header()->resizeSection(0, 350);
    lvMessages->header()->resizeSection(1, 250);
    lvMessages->header()->resizeSection(3, 75);
    lvMessages->header()->setSectionsClickable(true);
    pgcBottom->addTab(lvMessages, "Messages");
    splMain->addWidget(splTop);
    splMain->addWidget(pnlBottom);
    splMain->setStretchFactor(0, 1);
    splMain->setSizes({683 - 160 - 6, 160});
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
}

void TMainForm::Run() {}
bool TMainForm::ConfirmSave() { return true; }
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
bool TMainForm::OpenDocument(const std::string&) { return false; }
void TMainForm::OpenDocumentURL(const std::string&) {}
bool TMainForm::SaveDocument(const std::string&) { return false; }

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

void TMainForm::UpdateStatusBar() {}
void TMainForm::MarkModified() { FDocument->SetModified(true); }
void TMainForm::AddRecentFile(const std::string&) {}
void TMainForm::FindNext(QTreeWidgetItem*) {}
void TMainForm::UpdateRecentMenu() {}
void TMainForm::LoadRecentFiles() {}
void TMainForm::SaveRecentFiles() {}
void TMainForm::ShowCode(const std::string&, int, int) {}
void TMainForm::Notify(const std::string&, TParserState, bool&) {}
void TMainForm::DoNew() {}
void TMainForm::DoOpen() {}
void TMainForm::DoOpenURL() {}
void TMainForm::DoSave() {}
void TMainForm::DoSaveAs() {}
void TMainForm::DoFind() {}
void TMainForm::DoEditSave() {}
