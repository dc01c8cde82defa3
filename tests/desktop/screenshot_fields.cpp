// Under a real X server with a window manager: Project > Options and
// File > Options driven with real keys and clicks (xdotool), to see that Tab
// and Shift+Tab move on from the multi-line fields and that text pasted into
// a folder list leaves no tab behind. Saves into the folder given as the
// first argument:
//   options-project-dirs.png   a click into Project Directories
//   options-tab-1.png, options-tab-2.png, options-tab-ok.png
//                              after one Tab, two Tabs, and on OK
//   options-shift-tab.png      Shift+Tab back from Library Directories
//   options-pasted.png         text with tabs pasted into Library Directories
//   system-options-tab.png     Tab out of the plug-in list
// Fails (skips, without xdotool) when focus does not move as it should or a
// tab is typed or pasted into a list.
#include "DesktopTestSupport.h"
#include "ScreenshotSupport.h"
#include "desktop/frmqlMain.h"
#include "desktop/frmqlOptions.h"
#include "desktop/frmqlSystemOptions.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

QString Out;

void Save(const QString& Name) { SaveScreen(Out + "/" + Name); }

void ClickInto(QWidget* Widget)
{
    const QPoint At = Widget->mapToGlobal(QPoint(40, 12));
    Xdotool({"mousemove", "--sync", QString::number(At.x()), QString::number(At.y()), "click", "1"});
    QTest::qWait(200);
}

void Key(const char* Name)
{
    Xdotool({"key", Name});
    QTest::qWait(200);
}

QString FocusName()
{
    QWidget* W = QApplication::focusWidget();
    if (!W)
        return "nothing";
    if (auto* B = qobject_cast<QPushButton*>(W))
        return "button " + B->text();
    return W->objectName().isEmpty() ? W->metaObject()->className() : W->objectName();
}

// Runs Step on the first visible T once it is exposed.
template <class T>
void WhenShown(std::function<void(T*)> Step)
{
    auto* Poll = new QTimer;
    auto* Left = new int(200);
    QObject::connect(Poll, &QTimer::timeout, [=] {
        T* Found = nullptr;
        for (QWidget* W : QApplication::topLevelWidgets())
            if (auto* D = qobject_cast<T*>(W); D && D->isVisible() && D->windowHandle() &&
                                                D->windowHandle()->isExposed())
                Found = D;
        if (--*Left >= 0 && !Found)
            return;
        Poll->stop();
        Poll->deleteLater();
        delete Left;
        if (Found) {
            QTest::qWait(300);
            Step(Found);
        }
    });
    Poll->start(50);
}

}  // namespace

int main(int argc, char** argv)
{
    const TScreenshotProgram Program(argc, argv);
    Out = Program.Out;
    if (Out.isEmpty())
        return 2;
    if (QStandardPaths::findExecutable("xdotool").isEmpty()) {
        std::printf("xdotool not found\n");
        return 77;
    }
    // A caret that does not blink shows in every picture where the focus is.
    QApplication::setCursorFlashTime(0);
    TTestFolder Folder;
    Folder.Write("options.ql", "[librarysearchpath]\r\n/usr/lib/fpc\r\n");
    auto* Form = new TMainForm({}, QString::fromStdString(Folder.Path()));
    Form->move(100, 80);
    Form->show();
    Check(QTest::qWaitForWindowExposed(Form, 10000), "main window shown");
    Form->activateWindow();
    gqlProject->GetOptions()->GetProjectSearchPath()->SetText("Source\r\nSource/Forms\r\n");

    bool Seen = false;
    WhenShown<TfrmOptions>([&](TfrmOptions* D) {
        Seen = true;
        ClickInto(D->memProjectDirs);
        Check(D->memProjectDirs->hasFocus(), "the click put focus in Project Directories");
        Save("options-project-dirs.png");
        Key("Tab");
        Check(!D->memProjectDirs->hasFocus(), "Tab left Project Directories (now " + FocusName() + ")");
        Save("options-tab-1.png");
        Key("Tab");
        Check(D->memLibDirs->hasFocus(), "a second Tab reached Library Directories (now " + FocusName() + ")");
        Save("options-tab-2.png");
        int Tabs = 0;
        while (!D->btnOK->hasFocus() && ++Tabs < 15)
            Key("Tab");
        Check(D->btnOK->hasFocus(), QString("Tab reached OK after %1 more").arg(Tabs));
        Save("options-tab-ok.png");
        Key("Tab");
        Check(D->btnCancel->hasFocus(), "then Cancel (now " + FocusName() + ")");
        Check(!D->memProjectDirs->toPlainText().contains('\t') && !D->memLibDirs->toPlainText().contains('\t'),
              "no tab typed into either folder list");
        ClickInto(D->memLibDirs);
        Key("shift+Tab");
        Check(!D->memLibDirs->hasFocus(), "Shift+Tab left Library Directories (now " + FocusName() + ")");
        Save("options-shift-tab.png");
        ClickInto(D->memLibDirs);
        Key("ctrl+End");
        Key("Return");
        QApplication::clipboard()->setText("\t\t/opt/delphi/lib\t/opt/delphi/imports\n\t/opt/delphi/ocx");
        Key("ctrl+v");
        Save("options-pasted.png");
        std::printf("  Library Directories: %s\n", qPrintable(D->memLibDirs->toPlainText().replace('\n', " | ")));
        Check(D->memLibDirs->toPlainText() ==
                  "/usr/lib/fpc\n/opt/delphi/lib\n/opt/delphi/imports\n/opt/delphi/ocx",
              "the pasted folders one a line, without tabs");
        Key("Escape");
    });
    Form->actOptions->trigger();
    Check(Seen, "Project > Options shown");

    Seen = false;
    WhenShown<TSystemOptionsForm>([&](TSystemOptionsForm* D) {
        Seen = true;
        ClickInto(D->RefactoringsMemo);
        Key("Tab");
        Check(!D->RefactoringsMemo->hasFocus() && D->RefactoringsMemo->toPlainText().isEmpty(),
              "Tab left the plug-in list, typing nothing (now " + FocusName() + ")");
        Save("system-options-tab.png");
        Key("Escape");
    });
    Form->SystemOptionsAction->trigger();
    Check(Seen, "File > Options shown");

    Form->Shutdown();
    delete Form;
    return gScreenshotFailures == 0 ? 0 : 1;
}
