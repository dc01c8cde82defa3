// Under a real X server (xvfb-run): loads the well-formed stub plug-in, runs
// the Inventory sample, selects a unit in the project tree and opens the
// tree's context menu with its nested group submenus; saves the screen
// around the window as plugin-popup.png into the folder given as the first
// argument. Fails when a menu never showed or the picture is blank.
#include "ScreenshotSupport.h"
#include "desktop/frmqlMain.h"
#include "desktop/uqlPluginLoader.h"
#include "desktop/uqlPrompts.h"
#include "desktop/uqlRefactoringMenu.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QSet>
#include <QTest>
#include <QTreeWidget>

#include <cstdio>
#include <filesystem>

namespace {

// Opens Sub beside its entry in Menu, as hovering the entry would.
bool OpenSubmenu(QMenu* Menu, QMenu* Sub)
{
    Menu->setActiveAction(Sub->menuAction());
    const QRect Entry = Menu->actionGeometry(Sub->menuAction());
    Sub->popup(Menu->mapToGlobal(Entry.topRight()));
    return QTest::qWaitForWindowExposed(Sub, 5000);
}

}  // namespace

int main(int argc, char** argv)
{
    const TScreenshotProgram Program(argc, argv);
    const QString& Out = Program.Out;
    if (Out.isEmpty())
        return 2;

    TTestFolder Folder;
    Folder.Write("options.ql",
                 std::string("[Refactorings]\r\nCount=1\r\n0=") + QUILLET_DESKTOP_STUBS + "/qlStubGood.so\r\n");
    const std::string Project = WriteSampleProject(Folder);
    int Result = 1;
    {
        auto* Form = new TMainForm({QString::fromStdString(Project)}, QString::fromStdString(Folder.Path()));
        Form->move(0, 0);
        Form->show();
        TqlRefactoringMenu* Menu = Form->RefactoringMenu();
        if (QTest::qWaitForWindowExposed(Form, 10000) && Menu && Menu->GroupMenu("Good")) {
            Form->Run();
            QTreeWidgetItem* Unit = Form->tvProjectTree->topLevelItem(0);
            Form->tvProjectTree->setCurrentItem(Unit);
            const QRect At = Form->tvProjectTree->visualItemRect(Unit);
            Form->ProjectPopupMenu->popup(Form->tvProjectTree->viewport()->mapToGlobal(At.center()));
            if (QTest::qWaitForWindowExposed(Form->ProjectPopupMenu, 5000) &&
                OpenSubmenu(Form->ProjectPopupMenu, Menu->GroupMenu("Good")) &&
                OpenSubmenu(Menu->GroupMenu("Good"), Menu->GroupMenu("GoodRename")) &&
                OpenSubmenu(Menu->GroupMenu("GoodRename"), Menu->GroupMenu("GoodDeep"))) {
                QTest::qWait(300);
                const QImage Image =
                    QGuiApplication::primaryScreen()->grabWindow(0, 0, 0, Form->width() + 40, Form->height() + 40).toImage();
                QSet<QRgb> Seen;
                for (int Y = 0; Y < Image.height(); Y += 3)
                    for (int X = 0; X < Image.width(); X += 3)
                        Seen.insert(Image.pixel(X, Y));
                std::printf("plugin-popup.png: %dx%d, %d colours\n", Image.width(), Image.height(), int(Seen.size()));
                if (Image.save(Out + "/plugin-popup.png") && Seen.size() >= 8)
                    Result = 0;
            } else {
                std::fprintf(stderr, "a menu never showed\n");
            }
            Form->ProjectPopupMenu->close();
        } else {
            std::fprintf(stderr, "the main window or the stub's group is missing\n");
        }
        Form->Shutdown();
        delete Form;
    }
    qlDesktopPluginLoader().FinalizeAll();
    return Result;
}
