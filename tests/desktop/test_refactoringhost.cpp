// The main window as refactoring host: loading the plug-ins of the system
// options, the commands and group submenus they register, the selection
// they are told, the messages and progress they report, and the rules that
// keep a running or finishing refactoring safe.
#include "DesktopTestSupport.h"
#include "Refactorings/uqlRefactoring.h"
#include "desktop/frmqlMain.h"
#include "desktop/uqlDocument.h"
#include "desktop/uqlPluginLoader.h"
#include "desktop/uqlRefactoringMenu.h"
#include "desktop/uqlTreeNode.h"
#include "model/uqlMessage.h"

#include <QAction>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;

std::string Stub(const std::string& Name) { return std::string(QUILLET_DESKTOP_STUBS) + "/" + Name; }

// options.ql in Folder listing Entries as the refactoring packages.
void WritePluginList(const TTestFolder& Folder, const std::vector<std::string>& Entries)
{
    std::string Text = "[Refactorings]\r\nCount=" + std::to_string(Entries.size()) + "\r\n";
    for (size_t I = 0; I < Entries.size(); ++I)
        Text += std::to_string(I) + "=" + Entries[I] + "\r\n";
    Folder.Write("options.ql", Text);
}

std::string CopySample(const TTestFolder& Folder)
{
    const fs::path To = fs::path(Folder.Path()) / "Inventory";
    fs::copy(fs::path(QUILLET_SOURCE_DIR) / "samples/Inventory", To, fs::copy_options::recursive);
    return Folder.Write("inventory.xml", "[general]\r\nfiletoanalyze=" + (To / "Inventory.dpr").string() + "\r\n");
}

// A main window over Folder; at the end the program's order: the window
// goes (host withdrawn, commands released), then the plug-ins finalise.
struct THostForm {
    explicit THostForm(const TTestFolder& Folder, const QStringList& Args = {})
        : Form(new TMainForm(Args, QString::fromStdString(Folder.Path())))
    {
    }
    ~THostForm() { Close(); }
    void Close()
    {
        if (!Form)
            return;
        Form->Shutdown();
        delete Form;
        Form = nullptr;
        qlDesktopPluginLoader().FinalizeAll();
    }
    THostForm(const THostForm&) = delete;
    THostForm& operator=(const THostForm&) = delete;
    TMainForm* operator->() const { return Form; }
    TqlRefactoringMenu& Menu() const { return *Form->RefactoringMenu(); }
    TMainForm* Form;
};

// A probe a stub exports.
template <class F>
F StubProbe(const std::string& Module, const char* Name)
{
    void* Handle = ::dlopen(Stub(Module).c_str(), RTLD_NOW | RTLD_NOLOAD);
    return Handle ? reinterpret_cast<F>(::dlsym(Handle, Name)) : nullptr;
}

QStringList Captions(const QMenu* Menu)
{
    QStringList Out;
    for (QAction* A : Menu->actions())
        Out << A->text();
    return Out;
}

std::vector<std::string> Names(const std::vector<Ref<IqlRefactoring>>& List)
{
    std::vector<std::string> Out;
    for (const Ref<IqlRefactoring>& R : List)
        Out.push_back(R->GetName());
    return Out;
}

std::string ErrorText(const std::function<void()>& Body)
{
    try {
        Body();
    } catch (const std::exception& E) {
        return E.what();
    }
    return {};
}

int Destroyed = 0;

// A refactoring of the test's own, doing what the test says.
class TTestRefactoring : public TqlRefactoring {
public:
    explicit TTestRefactoring(std::string Name, std::function<void()> Body = {},
                              std::function<bool()> Can = {})
        : FName(std::move(Name)), FBody(std::move(Body)), FCan(std::move(Can))
    {
    }
    ~TTestRefactoring() override { ++Destroyed; }
    std::string GetMenuCaption() override { return FName; }
    std::string GetName() override { return FName; }
    bool GetCanExecute() override { return FCan ? FCan() : true; }
    void Execute() override
    {
        ++Runs;
        if (FBody)
            FBody();
    }
    int Runs = 0;

private:
    std::string FName;
    std::function<void()> FBody;
    std::function<bool()> FCan;
};

// The current folder and PATH for one test: refactorings write below the
// current folder, and an empty PATH holds no viewer program.
class TRunFolder {
public:
    explicit TRunFolder(const TTestFolder& Folder)
        : FOldFolder(fs::current_path()), FOldPath(std::getenv("PATH") ? std::getenv("PATH") : "")
    {
        Path = Folder.Path() + "/run";
        fs::create_directories(Path + "/nobin");
        fs::current_path(Path);
        ::setenv("PATH", (Path + "/nobin").c_str(), 1);
    }
    ~TRunFolder()
    {
        ::setenv("PATH", FOldPath.c_str(), 1);
        fs::current_path(FOldFolder);
    }
    TRunFolder(const TRunFolder&) = delete;
    TRunFolder& operator=(const TRunFolder&) = delete;
    // Every file written below Generated/.
    std::vector<std::string> Generated() const
    {
        std::vector<std::string> Out;
        if (fs::exists(Path + "/Generated"))
            for (const auto& E : fs::recursive_directory_iterator(Path + "/Generated"))
                if (E.is_regular_file())
                    Out.push_back(E.path().string());
        return Out;
    }
    std::string Path;

private:
    fs::path FOldFolder;
    std::string FOldPath;
};

// Answers the next input dialog: records what it showed, then types Answer
// and presses OK (or Cancel when Answer is empty).
struct TInputAnswer {
    QString Caption, Prompt, Selected;
    QWidget* Parent = nullptr;
    bool Seen = false;
    void Arm(const QString& Answer)
    {
        QTimer* Poll = new QTimer;
        QObject::connect(Poll, &QTimer::timeout, [this, Poll, Answer] {
            auto* Dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            auto* Edit = Dialog ? Dialog->findChild<QLineEdit*>() : nullptr;
            if (!Edit || !Edit->hasSelectedText())
                return;
            Poll->stop();
            Poll->deleteLater();
            Seen = true;
            Parent = Dialog->parentWidget();
            Caption = Dialog->windowTitle();
            Prompt = Dialog->labelText();
            Selected = Edit->selectedText();
            if (Answer.isEmpty()) {
                Dialog->reject();
                return;
            }
            QTest::keyClicks(Edit, Answer);
            QTest::keyClick(Edit, Qt::Key_Return);
        });
        Poll->start(20);
    }
};

}  // namespace

class TRefactoringHostTest : public QObject {
    Q_OBJECT
private slots:
    // A refactoring's question comes over the window that asks it: over a
    // plug-in's own modal window (the node viewer's Generate...), not over
    // the main window, which would come in front of that window.
    void InputBoxOverTheWindowThatAsks()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        THostForm F(Folder);
        QVERIFY(ShowStarted(F.Form));
        TInputAnswer Plain;
        Plain.Arm("a");
        std::string Value = "x";
        QVERIFY(qlInputQuery("Rename", "New name:", Value));
        QCOMPARE(Plain.Parent, static_cast<QWidget*>(F.Form));
        QDialog Viewer(F.Form);
        TInputAnswer Nested;
        bool Answered = false;
        QTimer::singleShot(0, &Viewer, [&] {
            Nested.Arm("b");
            std::string File = "tree.pas";
            Answered = qlInputQuery("Generate", "File name:", File);
            Viewer.accept();
        });
        Viewer.exec();
        QVERIFY(Answered);
        QCOMPARE(Nested.Parent, static_cast<QWidget*>(&Viewer));
    }

    void HostLifetime()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        THostForm F(Folder);
        QVERIFY(gqlRefactoringHost);
        F->Shutdown();
        QVERIFY(!gqlRefactoringHost);
        QVERIFY(!F->RefactoringMenu());
    }

    // Each bad entry is one box naming it; the empty one is skipped; the
    // good ones load whatever failed before them.
    void LoadList()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        const std::string NotElf = Folder.Write("NotElf.so", "just text\n");
        const std::string Fifo = Folder.Path() + "/Fifo.so";
        QCOMPARE(::mkfifo(Fifo.c_str(), 0600), 0);
        WritePluginList(Folder, {"", "/no/such/Missing.so", NotElf, Fifo, "C:\\Plugins\\Windows.bpl", QUILLET_BASE_LIBRARY,
                                 Stub("qlStubThrowing.so"), Stub("qlStubWrongAbi.so"), Stub("qlStubNoEntry.so"),
                                 Stub("qlStubGood.so"), Stub("qlStubTwo")});
        THostForm F(Folder);
        QVERIFY(Prompts.Texts.isEmpty());  // not before the window is up
        QVERIFY(ShowStarted(F.Form));
        const QStringList Expected = {"Missing.so", "NotElf.so", "Fifo.so: it is a FIFO", "Windows.so", "libQuilletBase.so",
                                      "could not start", "qlStubWrongAbi.so", "qlStubNoEntry.so"};
        QCOMPARE(Prompts.Texts.size(), Expected.size());
        for (int I = 0; I < Expected.size(); ++I)
            QVERIFY2(Prompts.Texts[I].contains(Expected[I]), qPrintable(Prompts.Texts[I]));
        QCOMPARE(qlDesktopPluginLoader().Loaded().size(), size_t(2));
        // The throwing stub's first registration went again; its groups
        // stay, as a plug-in's groups do.
        QCOMPARE(Names(F.Menu().Refactorings()),
                 (std::vector<std::string>{"Good.First", "Good.Second", "Good.Third", "Good.Top", "Two.A",
                                           "Two.B", "Two.C"}));
        QVERIFY(F.Menu().GroupMenu("Throwing"));
        QVERIFY(Captions(F.Menu().GroupMenu("Throwing")).filter("Throwing.").isEmpty());
    }

    // Groups nest under their parents, commands follow in registration
    // order, and the two-file stub registers as it declares.
    void RegistrationAndNesting()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        WritePluginList(Folder, {Stub("qlStubGood.so"), Stub("qlStubTwo.so")});
        THostForm F(Folder);
        QVERIFY(Prompts.Texts.isEmpty());
        QMenu* Good = F.Menu().GroupMenu("Good");
        QMenu* Rename = F.Menu().GroupMenu("GOODRENAME");
        QMenu* Deep = F.Menu().GroupMenu("gooddeep");
        QVERIFY(Good && Rename && Deep);
        QCOMPARE(Good->objectName(), QString("GoodMenuItem"));
        QCOMPARE(Captions(F->ProjectPopupMenu), (QStringList{"&Good", "Good.Top...", "&Two"}));
        QCOMPARE(Captions(Good), (QStringList{"Rename", "Good.First..."}));
        QCOMPARE(Captions(Rename), (QStringList{"Deep", "Good.Second..."}));
        QCOMPARE(Captions(Deep), (QStringList{"Good.Third..."}));
        QCOMPARE(Captions(F.Menu().GroupMenu("Two")), (QStringList{"Two.A", "Two.B", "Two.C"}));
        // Good.Second needs a selected unit; nothing is selected.
        emit F->ProjectPopupMenu->aboutToShow();
        QVERIFY(F.Menu().CommandAction(F.Menu().Refactorings()[0])->isEnabled());
        QVERIFY(!F.Menu().CommandAction(F.Menu().Refactorings()[1])->isEnabled());
    }

    void GroupFaults()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        WritePluginList(Folder, {Stub("qlStubGood.so")});
        THostForm F(Folder);
        IqlRefactoringHost& Host = *gqlRefactoringHost;
        QCOMPARE(ErrorText([&] { Host.AddGroup("goodrename", "Again", ""); }),
                 std::string("Group, goodrename, already added"));
        QCOMPARE(Captions(F.Menu().GroupMenu("GoodRename")), (QStringList{"Deep", "Good.Second..."}));
        QCOMPARE(ErrorText([&] { Host.AddGroup("Child", "Child", "Nope"); }), std::string("Group, Nope, not found"));
        QVERIFY(!F.Menu().GroupMenu("Child"));
        // A refactoring into a missing group is not registered at all.
        Ref<IqlRefactoring> Lost = MakeRef<TTestRefactoring>("Lost");
        QCOMPARE(ErrorText([&] { Host.RegisterRefactoring(Lost, "Nope"); }), std::string("Group, Nope, not found"));
        QCOMPARE(F.Menu().Refactorings().size(), size_t(4));
        QVERIFY(!F.Menu().CommandAction(Lost));
        // RemoveGroup takes the group with everything under it.
        Host.RemoveGroup("GoodRename");
        QVERIFY(!F.Menu().GroupMenu("GoodRename"));
        QVERIFY(!F.Menu().GroupMenu("GoodDeep"));
        QCOMPARE(Captions(F.Menu().GroupMenu("Good")), (QStringList{"Good.First..."}));
        QCOMPARE(ErrorText([&] { Host.RemoveGroup("GoodRename"); }), std::string("Group, GoodRename, not found"));
        QCOMPARE(ErrorText([&] { Host.UnregisterRefactoring(Lost); }), std::string("Refactoring not registered."));
    }

    // Commands hold their own refactoring: unregistering one leaves the
    // others running theirs, and its command goes.
    void UnregisterAndDestructors()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        WritePluginList(Folder, {Stub("qlStubGood.so")});
        Destroyed = 0;
        // The stub stays mapped from earlier tests: count from here.
        auto Probe = StubProbe<int (*)()>("qlStubGood.so", "qlStubDestroyed");
        const int StubBefore = Probe ? Probe() : 0;
        {
            THostForm F(Folder);
            QVERIFY(StubProbe<int (*)()>("qlStubGood.so", "qlStubDestroyed"));
            IqlRefactoringHost& Host = *gqlRefactoringHost;
            auto* A = new TTestRefactoring("A");
            auto* B = new TTestRefactoring("B");
            auto* C = new TTestRefactoring("C");
            Ref<IqlRefactoring> RA(A), RB(B), RC(C);
            for (const Ref<IqlRefactoring>& R : {RA, RB, RC})
                Host.RegisterRefactoring(R, "");
            QAction* CommandB = F.Menu().CommandAction(RB);
            Host.UnregisterRefactoring(RA);
            QVERIFY(!F.Menu().CommandAction(RA));
            QVERIFY(!Captions(F->ProjectPopupMenu).contains("A"));
            CommandB->trigger();
            QCOMPARE(A->Runs, 0);
            QCOMPARE(B->Runs, 1);
            QCOMPARE(C->Runs, 0);
            RA = nullptr;
            QCOMPARE(Destroyed, 1);
            RB = nullptr;
            RC = nullptr;
            QCOMPARE(Destroyed, 1);  // the window still holds them
            F.Close();
            QCOMPARE(Destroyed, 3);
        }
        // Each of the stub's four refactorings went exactly once.
        QCOMPARE(StubProbe<int (*)()>("qlStubGood.so", "qlStubDestroyed")() - StubBefore, 4);
        QVERIFY(qlDesktopPluginLoader().Loaded().empty());
    }

    // A refactoring that unregisters itself while it runs: its command
    // goes, the object lives until the command has returned.
    void UnregisterWhileRunning()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        THostForm F(Folder);
        Destroyed = 0;
        Ref<IqlRefactoring> Self;
        Self = MakeRef<TTestRefactoring>("Self", [&] {
            gqlRefactoringHost->UnregisterRefactoring(Self);
            Self = nullptr;
            QCOMPARE(Destroyed, 0);
        });
        gqlRefactoringHost->RegisterRefactoring(Self, "");
        QPointer<QAction> Command = F.Menu().CommandAction(Self);
        Command->trigger();
        QVERIFY(!Command);
        QCOMPARE(Destroyed, 1);
        QVERIFY(F.Menu().Refactorings().empty());
        QVERIFY(Prompts.Texts.isEmpty());
        QVERIFY(!F->Running());
    }

    void NoPlugins()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        WritePluginList(Folder, {Stub("qlStubOther.so"), "/no/such/Missing.so"});
        THostForm F(Folder, {"-noplugins"});
        QVERIFY(F.Menu().Refactorings().empty());
        QVERIFY(qlDesktopPluginLoader().Loaded().empty());
        QVERIFY(Prompts.Texts.isEmpty());
        QVERIFY(F->Document().GetFileName().empty());
    }

    void SameHubs()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        WritePluginList(Folder, {Stub("qlStubGood.so")});
        THostForm F(Folder);
        auto Hubs = StubProbe<void (*)(const void**, const void**, const void**)>("qlStubGood.so", "qlStubHubs");
        QVERIFY(Hubs);
        const void* Project = nullptr;
        const void* Host = nullptr;
        const void* Options = nullptr;
        Hubs(&Project, &Host, &Options);
        QCOMPARE(Project, static_cast<const void*>(&gqlProject));
        QCOMPARE(Host, static_cast<const void*>(&gqlRefactoringHost));
        QCOMPARE(Options, static_cast<const void*>(&gqlQuilletOptions));
    }

    // Over the analysed sample: the project tree's node, or nil for none
    // and for groups, whatever the inheritance tree shows.
    void SelectedSymbolAndUnit()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        THostForm F(Folder, {QString::fromStdString(CopySample(Folder))});
        F->Run();
        QVERIFY(F->tvProjectTree->topLevelItemCount() > 0);
        IqlRefactoringHost& Host = *gqlRefactoringHost;
        QVERIFY(!Host.GetSelectedSymbol());
        QVERIFY(!Host.GetSelectedUnit());
        // Real nodes, every level down to three.
        int Checked = 0;
        std::function<void(QTreeWidgetItem*, int)> Walk = [&](QTreeWidgetItem* Item, int Depth) {
            auto* Node = static_cast<TqlTreeNode*>(Item);
            F->tvProjectTree->setCurrentItem(Node);
            const bool Group = qlIsGroupNodeKind(Node->Kind);
            QCOMPARE(Host.GetSelectedSymbol(), Group ? nullptr : Node->Symbol);
            QCOMPARE(Host.GetSelectedUnit(), Group ? nullptr : Node->Unit);
            ++Checked;
            if (Depth == 3)
                return;
            ExpandTreeNode(Node, true);
            for (int I = 0; I < Node->childCount(); ++I)
                Walk(Node->child(I), Depth + 1);
        };
        for (int I = 0; I < F->tvProjectTree->topLevelItemCount(); ++I)
            Walk(F->tvProjectTree->topLevelItem(I), 0);
        QVERIFY(Checked > 20);
        // Every kind, on a node made for it.
        auto* Unit = static_cast<TqlTreeNode*>(F->tvProjectTree->topLevelItem(0));
        const std::set<int> Groups = {1, 2, 3, 5, 7, 9, 11, 13, 16, 18, 24, 26, 28};
        for (int Kind = nkUnit; Kind <= nkArray; ++Kind) {
            auto* Node = new TqlTreeNode(F->tvProjectTree);
            Node->Unit = Unit->Unit;
            Node->Symbol = Unit->Unit;
            SetNodeKind(Node, static_cast<uint8_t>(Kind));
            F->tvProjectTree->setCurrentItem(Node);
            const bool Group = Groups.count(Kind) > 0;
            QVERIFY2(Host.GetSelectedUnit() == (Group ? nullptr : Unit->Unit), qPrintable(QString::number(Kind)));
            QVERIFY(Host.GetSelectedSymbol() == (Group ? nullptr : static_cast<TqlSymbol*>(Unit->Unit)));
        }
        // No selection in the project tree; one in the inheritance tree.
        F->tvProjectTree->clearSelection();
        if (F->tvInheritance->topLevelItemCount() > 0)
            F->tvInheritance->setCurrentItem(F->tvInheritance->topLevelItem(0));
        QVERIFY(!Host.GetSelectedSymbol());
        QVERIFY(!Host.GetSelectedUnit());
    }

    // The message goes after the analysis messages, into the list only,
    // and a double-click shows its place.
    void AddMessageAndProgress()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        THostForm F(Folder, {QString::fromStdString(CopySample(Folder))});
        F->Run();
        QAbstractItemModel* Model = F->lvMessages->model();
        const int Before = Model->rowCount();
        const int ProjectMessages = gqlProject->GetMessages()->GetCount();
        QCOMPARE(Before, ProjectMessages);
        TqlUnit* Unit = static_cast<TqlTreeNode*>(F->tvProjectTree->topLevelItem(0))->Unit;
        // A place in the source: the first symbol declared past column 1.
        TqlSymbol* At = nullptr;
        std::function<void(TqlTreeNode*, int)> Find = [&](TqlTreeNode* Node, int Depth) {
            if (At || Depth > 3)
                return;
            if (!qlIsGroupNodeKind(Node->Kind) && Node->Symbol && Node->Symbol->GetX() > 1)
                At = Node->Symbol;
            ExpandTreeNode(Node, true);
            for (int I = 0; I < Node->childCount(); ++I)
                Find(Node->ChildNode(I), Depth + 1);
        };
        for (int I = 0; I < F->tvProjectTree->topLevelItemCount(); ++I)
            Find(static_cast<TqlTreeNode*>(F->tvProjectTree->topLevelItem(I)), 0);
        QVERIFY(At);
        Ref<IqlRefactoring> R = MakeRef<TTestRefactoring>("Stub");
        gqlRefactoringHost->AddMessage(R, Ref<IqlMessage>(new TqlMessage("hello", At->GetFileIndex(), At->GetX(), At->GetY(), true)));
        QCOMPARE(Model->rowCount(), Before + 1);
        QCOMPARE(gqlProject->GetMessages()->GetCount(), ProjectMessages);
        const QModelIndex Row = Model->index(Before, 0);
        QCOMPARE(Row.data().toString(), QString("Stub: hello"));
        QCOMPARE(Model->index(Before, 2).data().toString(), QString("%1,%2").arg(At->GetX()).arg(At->GetY()));
        QCOMPARE(Model->index(Before, 3).data().toString(), QString("False"));
        emit F->lvMessages->doubleClicked(Row);
        QCOMPARE(F->EditorFileName(), At->GetFileName());
        QCOMPARE(F->EditorLine(), At->GetY());
        QCOMPARE(F->EditorColumn(), At->GetX());

        // The status bar names the unit just finished, 300 ms rule and all.
        F->SetProgressInterval(std::chrono::steady_clock::duration::zero());
        gqlRefactoringHost->UnitRefactored(Unit);
        QVERIFY2(F->StatusText(4).startsWith(QString::fromStdString(Unit->GetFullFileName())),
                 qPrintable(F->StatusText(4)));
        F->SetProgressInterval(std::chrono::hours(1));
        gqlRefactoringHost->UnitRefactored(nullptr);
        QVERIFY(F->StatusText(4).startsWith(QString::fromStdString(Unit->GetFullFileName())));
    }

    // While Execute runs (and pumps events through UnitRefactored) the
    // busy rule holds; a close waits for the end.
    void BusyDuringExecute()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        const std::string Project = CopySample(Folder);
        THostForm F(Folder, {QString::fromStdString(Project)});
        F->show();
        F->SetProgressInterval(std::chrono::steady_clock::duration::zero());
        QStringList Enabled;
        Ref<IqlRefactoring> Other = MakeRef<TTestRefactoring>("Other");
        Ref<IqlRefactoring> Busy = MakeRef<TTestRefactoring>("Busy", [&] {
            QTimer::singleShot(0, F.Form, [&] {
                for (QAction* A : {F->actNew, F->actOpen, F->actRun, F->SystemOptionsAction, F->actOptions,
                                   F->actCloseAllReports, F.Menu().CommandAction(Other)})
                    if (A->isEnabled())
                        Enabled << A->text();
                F->actNew->trigger();
                F.Form->close();
            });
            gqlRefactoringHost->UnitRefactored(nullptr);
            QVERIFY(F->isVisible());
        });
        gqlRefactoringHost->RegisterRefactoring(Busy, "");
        gqlRefactoringHost->RegisterRefactoring(Other, "");
        F.Menu().CommandAction(Busy)->trigger();
        QVERIFY2(Enabled.isEmpty(), qPrintable(Enabled.join(", ")));
        QCOMPARE(static_cast<TTestRefactoring*>(Busy.get())->Runs, 1);
        QCOMPARE(F->Document().GetFileName(), Project);
        QVERIFY(!F->Running());
        QTRY_VERIFY(!F->isVisible());
        QVERIFY(Prompts.Texts.isEmpty());
    }

    // Rename through the window: the real input dialog asks for the name,
    // the output lands under Generated/, and without a viewer the message
    // list says where, with no error box.
    void RenameThroughTheWindow()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        TRunFolder Run(Folder);
        WritePluginList(Folder, {std::string(QUILLET_PLUGIN_FOLDER) + "/SymbolRenamer.so"});
        THostForm F(Folder, {QString::fromStdString(CopySample(Folder))});
        F->Run();
        QAction* Rename = nullptr;
        for (QAction* A : F->ProjectPopupMenu->actions())
            if (A->text() == "Rename...")
                Rename = A;
        QVERIFY(Rename);
        TqlTreeNode* Node = FindTreeNode(F->tvProjectTree, [](TqlTreeNode* N) {
            return N->Kind == nkClass && N->Symbol && N->Symbol->GetName() == "TStockItem";
        });
        QVERIFY(Node);
        F->tvProjectTree->setCurrentItem(Node);
        F->UpdateActions();
        QVERIFY(Rename->isEnabled());

        // Cancel writes nothing and says nothing.
        TInputAnswer Cancelled;
        Cancelled.Arm("");
        Rename->trigger();
        QVERIFY(Cancelled.Seen);
        QVERIFY(Run.Generated().empty());

        TInputAnswer Answer;
        Answer.Arm("TWareItem");
        const int Rows = F->lvMessages->model()->rowCount();
        Rename->trigger();
        QVERIFY(Answer.Seen);
        QCOMPARE(Answer.Caption, QString("Rename"));
        QCOMPARE(Answer.Prompt, QString("Rename"));
        QCOMPARE(Answer.Selected, QString("TStockItem"));
        const std::vector<std::string> Written = Run.Generated();
        QVERIFY(!Written.empty());
        bool Renamed = false;
        for (const std::string& Name : Written)
            Renamed = Renamed || ReadFile(Name).find("TWareItem = class") != std::string::npos;
        QVERIFY(Renamed);
        QVERIFY2(Prompts.Texts.isEmpty(), qPrintable(Prompts.Texts.join("\n")));
        QAbstractItemModel* Model = F->lvMessages->model();
        QCOMPARE(Model->rowCount(), Rows + 1);
        const QString Last = Model->index(Rows, 0).data().toString();
        QVERIFY2(Last.startsWith("The refactored files are in " + QString::fromStdString(Run.Path) + "/./Generated/") ||
                     Last.startsWith("The refactored files are in " + QString::fromStdString(Run.Path) + "/Generated/"),
                 qPrintable(Last));
        QCOMPARE(F->pgcBottom->currentWidget(), F->lvMessages);
    }

    // A run that wrote nothing says so, without an error box.
    void NothingWrittenSaysSo()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        TRunFolder Run(Folder);
        THostForm F(Folder);
        struct TViewOnly : TTestRefactoring {
            TViewOnly() : TTestRefactoring("ViewOnly") {}
            void Execute() override { ViewRefactoring(GetBaseFolderName()); }
        };
        Ref<IqlRefactoring> R = MakeRef<TViewOnly>();
        gqlRefactoringHost->RegisterRefactoring(R, "");
        F.Menu().CommandAction(R)->trigger();
        QVERIFY2(Prompts.Texts.isEmpty(), qPrintable(Prompts.Texts.join("\n")));
        QAbstractItemModel* Model = F->lvMessages->model();
        const QString Last = Model->index(Model->rowCount() - 1, 0).data().toString();
        QVERIFY2(Last.endsWith("Nothing was changed."), qPrintable(Last));
    }

    // Exceptions: Execute's in one box, GetCanExecute's as a disabled
    // command.
    void PluginExceptions()
    {
        TTestFolder Folder;
        TScriptedPrompts Prompts;
        THostForm F(Folder);
        Ref<IqlRefactoring> Throws =
            MakeRef<TTestRefactoring>("Throws", [] { throw std::runtime_error("Refactoring broke."); });
        bool CanThrow = false;
        Ref<IqlRefactoring> Unsure = MakeRef<TTestRefactoring>("Unsure", [] {}, [&]() -> bool {
            if (CanThrow)
                throw std::runtime_error("no idea");
            return true;
        });
        gqlRefactoringHost->RegisterRefactoring(Throws, "");
        gqlRefactoringHost->RegisterRefactoring(Unsure, "");
        F.Menu().CommandAction(Throws)->trigger();
        QCOMPARE(Prompts.Texts, QStringList{"Refactoring broke."});
        QVERIFY(!F->Running());
        QVERIFY(F->actNew->isEnabled());
        F->UpdateActions();
        QVERIFY(F.Menu().CommandAction(Unsure)->isEnabled());
        CanThrow = true;
        emit F->ProjectPopupMenu->aboutToShow();
        QVERIFY(!F.Menu().CommandAction(Unsure)->isEnabled());
        CanThrow = false;
        F->UpdateActions();
        QVERIFY(F.Menu().CommandAction(Unsure)->isEnabled());
        CanThrow = true;
        F->UpdateActions();
        QVERIFY(!F.Menu().CommandAction(Unsure)->isEnabled());
    }
};

QTEST_MAIN(TRefactoringHostTest)
#include "test_refactoringhost.moc"
