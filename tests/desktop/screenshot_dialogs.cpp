// Under a real X server (xvfb-run, with a window manager when one is
// installed): drives the main window as a user would, with real X input
// through xdotool where it is installed (else with events sent to the
// windows), and saves pictures into the folder given as the first argument:
//   startup-error.png   a FIFO named as the project file: the box above the
//                       shown, untitled window
//   open-url.png        the Open URL dialog over the main window
//   fetching.png        the "Fetching..." dialog before Cancel is clicked
//   fetch-cancelled.png the message after the click
//   find.png, system-options.png, coding-conventions.png
//                       the dialogs on a first start, over the main window
//   messages.png        a long message in the message list
// Fails when a window never showed, a dialog opened away from the main
// window, or the click on Cancel did not cancel.
#include "LoopbackServer.h"
#include "ScreenshotSupport.h"
#include "desktop/frmqlCodeOptions.h"
#include "desktop/frmqlFind.h"
#include "desktop/frmqlMain.h"
#include "desktop/frmqlOpenURL.h"
#include "desktop/frmqlSystemOptions.h"
#include "desktop/uqlPrompts.h"
#include "model/uqlMessage.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <string>

namespace {

QString Out;
bool RealInput = false;

void Save(const QString& Name) { SaveScreen(Out + "/" + Name); }

// A click at a widget's centre: a real one through the X server, or one
// sent to the widget's window as the window system would deliver it.
void Click(QWidget* Widget)
{
    const QPoint Centre = Widget->mapToGlobal(Widget->rect().center());
    if (RealInput) {
        Xdotool({"mousemove", "--sync", QString::number(Centre.x()), QString::number(Centre.y()), "click", "1"});
        return;
    }
    QWidget* Top = Widget->window();
    QTest::mouseClick(Top->windowHandle(), Qt::LeftButton, {}, Top->mapFromGlobal(Centre));
}

// A key typed into the window that has the focus.
void Key(QWidget* Window, const char* XName, Qt::Key QtKey)
{
    if (RealInput)
        Xdotool({"key", XName});
    else
        QTest::keyClick(Window, QtKey);
}

// Runs Step once When holds (polled), at most within Ms.
void Once(std::function<bool()> When, std::function<void()> Step, int Ms = 10000)
{
    auto* Poll = new QTimer;
    auto* Left = new int(Ms / 50);
    QObject::connect(Poll, &QTimer::timeout, [=] {
        if (--*Left < 0 || When()) {
            Poll->stop();
            Poll->deleteLater();
            if (*Left >= 0)
                Step();
            delete Left;
        }
    });
    Poll->start(50);
}

template <class T>
T* Shown()
{
    for (QWidget* W : QApplication::topLevelWidgets())
        if (auto* D = qobject_cast<T*>(W); D && D->isVisible() && D->windowHandle() && D->windowHandle()->isExposed())
            return D;
    return nullptr;
}

bool CentredOn(QWidget* Dialog, QWidget* Over)
{
    const QPoint Off = Dialog->frameGeometry().center() - Over->frameGeometry().center();
    std::printf("  %s at %d,%d, off the main window's centre by %d,%d\n", qPrintable(Dialog->windowTitle()),
                Dialog->frameGeometry().x(), Dialog->frameGeometry().y(), Off.x(), Off.y());
    return Off.manhattanLength() < 60;
}

// Opens a modal dialog with Trigger, saves its picture, checks its place and
// closes it with Escape.
template <class T>
void LookAtDialog(TMainForm* Form, QAction* Trigger, const QString& Picture, const char* What)
{
    bool Seen = false;
    Once([] { return Shown<T>() != nullptr; },
         [&] {
             T* Dialog = Shown<T>();
             Seen = true;
             Save(Picture);
             Check(CentredOn(Dialog, Form), What);
             Key(Dialog, "Escape", Qt::Key_Escape);
         });
    Trigger->trigger();
    Check(Seen, What);
}

}  // namespace

int main(int argc, char** argv)
{
    const TScreenshotProgram Program(argc, argv);
    Out = Program.Out;
    if (Out.isEmpty())
        return 2;
    // The boxes are the point here: none is answered for the user.
    qlSetPromptHandler(nullptr);
    RealInput = !QStandardPaths::findExecutable("xdotool").isEmpty();
    std::printf("input: %s\n", RealInput ? "real X events (xdotool)" : "events sent to the windows");

    TTestFolder Folder;
    const std::string Recent = WriteSampleProject(Folder);
    Folder.Write("Quillet.ini", "[Recent files]\r\nMRU1=" + Recent + "\r\n");
    const std::string Fifo = Folder.Path() + "/fifo.xml";
    ::mkfifo(Fifo.c_str(), 0600);
    TLoopbackServer Server([](const QByteArray&) { return QByteArray(); });  // never answers

    auto* Form = new TMainForm({QString::fromStdString(Fifo)}, QString::fromStdString(Folder.Path()));
    Form->move(200, 150);  // away from the corner, where a misplaced dialog would go
    Form->show();
    Check(QTest::qWaitForWindowExposed(Form, 10000), "main window shown");
    Form->activateWindow();
    // Item: a refused project file is told above the window, which is untitled.
    // The box comes once the window is placed; a loaded machine may take a while.
    (void)QTest::qWaitFor([] { return Shown<QMessageBox>() != nullptr; }, 10000);
    auto* Box = Shown<QMessageBox>();
    Check(Box && Box->parentWidget() == Form && Box->text().contains("FIFO"), "start-up error box of the window");
    Check(Form->windowTitle() == "Untitled - Quillet", "untitled after the refused project");
    Save("startup-error.png");
    if (Box) {
        if (auto* Ok = Box->findChild<QPushButton*>())
            Click(Ok);
        Check(QTest::qWaitFor([] { return Shown<QMessageBox>() == nullptr; }, 10000), "the box closed by its OK");
    }

    // Open URL, then Cancel in the "Fetching..." dialog by a click.
    const QString Address = QString::fromStdString(Server.Url("/project.xml"));
    bool Typed = false, Clicked = false, Told = false;
    Once([] { return Shown<TfrmOpenURL>() != nullptr; },
         [&] {
             TfrmOpenURL* Dialog = Shown<TfrmOpenURL>();
             Save("open-url.png");
             Check(CentredOn(Dialog, Form), "Open URL over the main window");
             if (RealInput) {
                 Xdotool({"key", "ctrl+a"});
                 Xdotool({"type", "--delay", "5", Address});
             } else {
                 Dialog->cbURL->setEditText(Address);
             }
             Typed = true;
             Key(Dialog, "Return", Qt::Key_Return);
             Once([] { return Shown<QProgressDialog>() != nullptr; },
                  [&] {
                      QProgressDialog* Progress = Shown<QProgressDialog>();
                      Save("fetching.png");
                      Clicked = true;
                      Click(Progress->findChild<QPushButton*>());
                      Once([] { return Shown<QMessageBox>() != nullptr; },
                           [&] {
                               QMessageBox* Message = Shown<QMessageBox>();
                               Told = Message->text().contains("the fetch was cancelled");
                               std::printf("  %s\n", qPrintable(Message->text()));
                               Save("fetch-cancelled.png");
                               Key(Message, "Return", Qt::Key_Return);
                           },
                           5000);
                  });
         });
    Form->actOpenURL->trigger();
    Check(Typed && Clicked, "address typed and Cancel clicked");
    Check(Told, "the click on Cancel cancelled the fetch");

    // The dialogs of a first start open over the main window.
    LookAtDialog<TFindForm>(Form, Form->SearchFindAction, "find.png", "Find over the main window");
    LookAtDialog<TSystemOptionsForm>(Form, Form->SystemOptionsAction, "system-options.png",
                                     "System Options over the main window");
    LookAtDialog<TCodeOptions>(Form, Form->actCodingConventions, "coding-conventions.png",
                               "Coding Conventions over the main window");

    // A long message is shown whole.
    Form->PostMessage(Ref<IqlMessage>(new TqlMessage(
        "The refactored files are in " + Folder.Path() + "/Generated/{0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0}.",
        -1, 0, 0, false)));
    QTest::qWait(300);
    if (RealInput) {
        // The pointer rests on the message, for its tip.
        QTreeView* List = Form->lvMessages;
        const QRect Cell = List->visualRect(List->model()->index(0, 0));
        const QPoint At = List->viewport()->mapToGlobal(Cell.center());
        Xdotool({"mousemove", "--sync", QString::number(At.x()), QString::number(At.y())});
        QTest::qWait(1500);
    }
    Save("messages.png");

    Form->Shutdown();
    delete Form;
    return gScreenshotFailures == 0 ? 0 : 1;
}
