// "qldesktopbench plugins [--rounds N]": the refactoring host's figures.
//
//   plugins_startup_ms      a start-up (window made, shown, events
//                           processed) without plug-ins, the median of N;
//   plugins_first_load_ms   the extra time of the first start-up with the
//                           four stub plug-ins (their modules are mapped);
//   plugins_startup_extra_ms  the median extra time of the later ones;
//   update_actions_us       UpdateActions() with 100 registered
//                           refactorings, mean over 1000 calls;
//   popup_open_ms           the project tree's popup (10 groups of 10
//                           commands) from popup() to shown, median and max.
#include "TestFolder.h"
#include "bench/qldesktopbench/qldesktopbench.h"
#include "Refactorings/uqlRefactoring.h"
#include "desktop/frmqlMain.h"
#include "desktop/uqlPluginLoader.h"
#include "desktop/uqlRefactoringMenu.h"

#include <QApplication>
#include <QMenu>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration D) { return std::chrono::duration<double, std::milli>(D).count(); }

double Median(std::vector<double> V)
{
    std::sort(V.begin(), V.end());
    return V.empty() ? 0 : V[V.size() / 2];
}

// Enabled, as most refactorings are, when the tree has a selected unit.
class TBenchRefactoring : public TqlRefactoring {
public:
    explicit TBenchRefactoring(std::string Name) : FName(std::move(Name)) {}
    std::string GetMenuCaption() override { return FName + "..."; }
    std::string GetName() override { return FName; }
    bool GetCanExecute() override { return gqlRefactoringHost->GetSelectedUnit() != nullptr; }
    void Execute() override {}

private:
    std::string FName;
};

// Makes, shows and frees one window; the time to shown.
double StartUp(const TTestFolder& Folder)
{
    const auto T = Clock::now();
    auto* Form = new TMainForm({}, QString::fromStdString(Folder.Path()));
    Form->show();
    QApplication::processEvents();
    const double Result = Ms(Clock::now() - T);
    Form->Shutdown();
    delete Form;
    qlDesktopPluginLoader().FinalizeAll();
    return Result;
}

}  // namespace

int RunPluginBench(int Argc, char** Argv)
{
    int Rounds = 9;
    if (!ReadRoundsOption(Argc, Argv, Rounds))
        return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(Argc, Argv);
    TTestFolder Bare;
    TTestFolder WithPlugins;
    std::string List = "[Refactorings]\r\nCount=4\r\n";
    int I = 0;
    for (const char* Name : {"Good", "Other", "Third", "Fourth"})
        List += std::to_string(I++) + "=" + QUILLET_DESKTOP_STUBS + "/qlStub" + Name + ".so\r\n";
    WithPlugins.Write("options.ql", List);

    StartUp(Bare);  // Qt's own first-time costs
    const double First = StartUp(WithPlugins) - StartUp(Bare);
    std::vector<double> Plain, Loaded;
    for (int R = 0; R < Rounds; ++R) {
        Plain.push_back(StartUp(Bare));
        Loaded.push_back(StartUp(WithPlugins));
    }
    std::printf("plugins_startup_ms=%.1f\n", Median(Plain));
    std::printf("plugins_first_load_ms=%.1f\n", First);
    std::printf("plugins_startup_extra_ms=%.1f\n", Median(Loaded) - Median(Plain));

    auto* Form = new TMainForm({}, QString::fromStdString(Bare.Path()));
    Form->show();
    QApplication::processEvents();
    for (int G = 0; G < 10; ++G) {
        const std::string Group = "Group" + std::to_string(G);
        gqlRefactoringHost->AddGroup(Group, Group, "");
        for (int R = 0; R < 10; ++R)
            gqlRefactoringHost->RegisterRefactoring(
                MakeRef<TBenchRefactoring>(Group + ".Refactoring" + std::to_string(R)), Group);
    }
    const int Calls = 1000;
    auto T = Clock::now();
    for (int C = 0; C < Calls; ++C)
        Form->UpdateActions();
    std::printf("update_actions_us=%.1f refactorings=%zu\n", Ms(Clock::now() - T) * 1000.0 / Calls,
                Form->RefactoringMenu()->Refactorings().size());

    std::vector<double> Popups;
    for (int R = 0; R < 20; ++R) {
        T = Clock::now();
        Form->ProjectPopupMenu->popup(Form->mapToGlobal(QPoint(40, 80)));
        QApplication::processEvents();
        if (!Form->ProjectPopupMenu->isVisible()) {
            std::fprintf(stderr, "the popup never showed\n");
            return 1;
        }
        Popups.push_back(Ms(Clock::now() - T));
        Form->ProjectPopupMenu->close();
        QApplication::processEvents();
    }
    std::printf("popup_open_ms=%.2f popup_open_max_ms=%.2f\n", Median(Popups),
                *std::max_element(Popups.begin(), Popups.end()));
    Form->Shutdown();
    delete Form;
    qlDesktopPluginLoader().FinalizeAll();
    return 0;
}
