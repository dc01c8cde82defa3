// Under a real X server (xvfb-run): loads the shipped Rename and node-viewer
// plug-ins, runs the Inventory sample from a scratch folder, and drives
// through the window: Rename... on a class (the input dialog answered by
// typing), then Parse Tree... on a unit, a node picked in the viewer and its
// File > Generate... Saves rename-query.png, rename-done.png,
// node-viewer.png, generate-query.png and generate-over-viewer.png (the
// whole screen while the question is open) into the folder given as the first
// argument. Fails when a window never showed or nothing was written.
#include "DesktopTestSupport.h"
#include "ScreenshotSupport.h"
#include "desktop/frmqlMain.h"
#include "desktop/uqlPluginLoader.h"
#include "desktop/uqlRefactoringMenu.h"
#include "desktop/uqlPrompts.h"
#include "desktop/uqlTreeNode.h"

#include <QAction>
#include <QDialog>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

namespace {

namespace fs = std::filesystem;

void Save(QWidget* Window, const QString& Name)
{
    QTest::qWait(300);
    const QRect R = Window->frameGeometry();
    QGuiApplication::primaryScreen()->grabWindow(0, R.x(), R.y(), R.width(), R.height()).save(Name);
    std::printf("%s\n", qPrintable(Name));
}

// The next input dialog: saved as Picture (and the whole screen as Screen,
// when given), then Answer typed and OK pressed.
void AnswerInput(const QString& Picture, const QString& Answer, bool& Seen, const QString& Screen = {})
{
    auto* Poll = new QTimer;
    QObject::connect(Poll, &QTimer::timeout, [Poll, Picture, Answer, Screen, &Seen] {
        auto* Dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (!Dialog || !Dialog->isVisible())
            return;
        Poll->stop();
        Poll->deleteLater();
        Seen = true;
        Save(Dialog, Picture);
        if (!Screen.isEmpty()) {
            QGuiApplication::primaryScreen()->grabWindow(0).save(Screen);
            std::printf("%s\n", qPrintable(Screen));
        }
        auto* Edit = Dialog->findChild<QLineEdit*>();
        QTest::keyClicks(Edit, Answer);
        QTest::keyClick(Edit, Qt::Key_Return);
    });
    Poll->start(50);
}

QAction* Command(TMainForm* Form, const QString& Caption)
{
    for (QAction* A : Form->ProjectPopupMenu->actions())
        if (A->text() == Caption)
            return A;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    const TScreenshotProgram Program(argc, argv);
    const QString& Out = Program.Out;
    if (Out.isEmpty())
        return 2;

    TTestFolder Folder;
    const fs::path Old = fs::current_path();
    fs::create_directories(Folder.Path() + "/run");
    fs::current_path(Folder.Path() + "/run");
    const std::string Plugins = QUILLET_PLUGIN_FOLDER;
    Folder.Write("options.ql", "[Refactorings]\r\nCount=2\r\n0=" + Plugins + "/SymbolRenamer.so\r\n1=" + Plugins +
                                   "/NodeInspector.so\r\n");
    const std::string Project = WriteSampleProject(Folder);
    int Failures = 0;
    auto Check = [&](bool Ok, const char* What) {
        if (!Ok) {
            std::fprintf(stderr, "failed: %s\n", What);
            ++Failures;
        }
    };
    {
        auto* Form = new TMainForm({QString::fromStdString(Project)}, QString::fromStdString(Folder.Path()));
        Form->move(0, 0);
        Form->show();
        Check(QTest::qWaitForWindowExposed(Form, 10000), "main window shown");
        Form->Run();
        QAction* Rename = Command(Form, "Rename...");
        QAction* Tree = Command(Form, "Parse Tree...");
        Check(Rename && Tree, "both commands registered");
        TqlTreeNode* Class = FindTreeNode(Form->tvProjectTree, [](TqlTreeNode* N) {
            return N->Kind == nkClass && N->Symbol && N->Symbol->GetName() == "TStockItem";
        });
        Check(Class, "TStockItem in the tree");
        if (Rename && Tree && Class) {
            Form->tvProjectTree->setCurrentItem(Class);
            Form->UpdateActions();
            bool Seen = false;
            AnswerInput(Out + "/rename-query.png", "TWareItem", Seen);
            Rename->trigger();
            Check(Seen, "rename asked for the name");
            Save(Form, Out + "/rename-done.png");
            bool Written = false;
            if (fs::exists("Generated"))
                for (const auto& E : fs::recursive_directory_iterator("Generated"))
                    Written = Written || E.is_regular_file();
            Check(Written, "rename wrote its output");

            TqlTreeNode* Unit = FindTreeNode(Form->tvProjectTree, [](TqlTreeNode* N) {
                return N->Kind == nkUnit && N->Unit && N->Unit->GetName() == "StockItems";
            });
            Check(Unit, "StockItems in the tree");
            if (Unit) {
                Form->tvProjectTree->setCurrentItem(Unit);
                Form->UpdateActions();
                bool Viewer = false;
                const std::string Generated = Folder.Path() + "/tree.pas";
                QTimer::singleShot(300, [&] {
                    // The viewer lives in its plug-in: it is found by its names.
                    auto* Dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                    auto* View = Dialog ? Dialog->findChild<QTreeWidget*>("RefactorTreeView") : nullptr;
                    auto* Generate = Dialog ? Dialog->findChild<QAction*>("GenerateAction") : nullptr;
                    if (!View || !Generate || Dialog->objectName() != "NodeInspectorForm")
                        return;
                    Viewer = true;
                    Dialog->resize(800, 600);
                    View->expandToDepth(2);
                    const QList<QTreeWidgetItem*> Classes =
                        View->findItems("TqlClassNode", Qt::MatchExactly | Qt::MatchRecursive);
                    Check(!Classes.isEmpty(), "a class node in the viewer");
                    if (!Classes.isEmpty())
                        View->setCurrentItem(Classes.first());
                    Save(Dialog, Out + "/node-viewer.png");
                    bool Asked = false;
                    AnswerInput(Out + "/generate-query.png", QString::fromStdString(Generated), Asked,
                                Out + "/generate-over-viewer.png");
                    Generate->trigger();
                    Check(Asked, "generate asked for the file");
                    Dialog->close();
                });
                Tree->trigger();
                Check(Viewer, "node viewer shown");
                Check(fs::exists(Generated), "generate wrote the tree");
            }
        }
        Form->Shutdown();
        delete Form;
    }
    qlDesktopPluginLoader().FinalizeAll();
    fs::current_path(Old);
    return Failures == 0 ? 0 : 1;
}
