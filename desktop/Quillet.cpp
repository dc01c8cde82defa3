// The desktop program.
#include "desktop/frmqlMain.h"
#include "desktop/uqlPluginLoader.h"
#include "desktop/uqlPrompts.h"
#include "desktop/uqlRefactoringMenu.h"
#include "desktop/uqlText.h"

#include <QApplication>

#include <exception>

int main(int argc, char** argv)
{
    QApplication App(argc, argv);
    QStringList Args = QApplication::arguments();
    Args.removeFirst();
    int Result = 0;
    {
        TMainForm* MainForm = nullptr;
        try {
            MainForm = new TMainForm(Args);
        } catch (const std::exception& E) {
            qlShowError(nullptr, qlFromAnsi(E.what()));
            qlDesktopPluginLoader().FinalizeAll();
            qlReleaseGlobals();
            return 1;
        }
        MainForm->show();
        Result = App.exec();
        MainForm->Shutdown();
        delete MainForm;
    }
    // The window withdrew the host and released the registered
    // refactorings: the plug-ins clear up last first, the hubs still alive.
    qlDesktopPluginLoader().FinalizeAll();
    qlReleaseGlobals();
    return Result;
}
