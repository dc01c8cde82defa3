// qldesktopbench reports [--main FILE] [--libpath DIR...] [--walk DIR]
//
// Times the desktop's report grids over a 100,000-row stand-in report (tab
// open, header-click sort with repaint, page-down frames, the memory the
// grids add), the column fitting of 20 columns, the re-run and refill of the
// seven built-in report tabs after the analysis of FILE, and AddSubFolders
// over DIR. Runs on Qt's offscreen platform unless another one is chosen.
#include "bench/qldesktopbench/qldesktopbench.h"
#include "analysis/uqlProject.h"
#include "desktop/uqlPathUtils.h"
#include "desktop/uqlReportView.h"
#include "reports/uqlBuiltInReports.h"
#include "reports/uqlReport.h"
#include "settings/uqlFileSettings.h"
#include "settings/uqlStringList.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QTabWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

double MsSince(TClock::time_point Start)
{
    return std::chrono::duration<double, std::milli>(TClock::now() - Start).count();
}

long ResidentKb()
{
    std::ifstream In("/proc/self/statm");
    long Size = 0, Resident = 0;
    In >> Size >> Resident;
    return Resident * (sysconf(_SC_PAGESIZE) / 1024);
}

class TBenchReport : public TqlReport {
public:
    std::string GetName() override { return "Bench"; }
    int Rows = 100000;

protected:
    void DefineColumns() override
    {
        AddColumn("Name", dtString);
        AddColumn("Unit", dtString);
        AddColumn("Line", dtInteger);
        AddColumn("Flag", dtBoolean);
    }
    void Execute() override
    {
        std::mt19937 Random(1);
        for (int I = 0; I < Rows; ++I)
            FData->AddValueRow({Variant("Symbol" + std::to_string(Random() % 100000)),
                                Variant("Unit" + std::to_string(I % 97)), Variant(int(Random() % 5000)),
                                Variant(I % 3 ? "Y" : "N")});
    }
};

void Grids()
{
    Ref<TBenchReport> Report = TqlReport::Create<TBenchReport>();
    gqlProject->GetReports()->Add(Report);
    Report->Run();
    QTabWidget Pages;
    QMenu Menu;
    Pages.resize(1000, 700);
    Pages.show();
    QCoreApplication::processEvents();
    TReportPages Tabs(&Pages, &Menu, [] {});
    const long KbBefore = ResidentKb();
    auto Start = TClock::now();
    QWidget* Page = Tabs.ShowReport(Report);
    QCoreApplication::processEvents();
    Pages.repaint();
    const double OpenMs = MsSince(Start);
    const long KbAfter = ResidentKb();
    TVTReportViewer* Viewer = Tabs.ViewerOf(Page);
    TVirtualStringTreeEx* Grid = Viewer->Grid;
    // What the rows alone cost the grid: the same grid emptied and refilled.
    Grid->SetRowCount(0);
    QCoreApplication::processEvents();
    Pages.repaint();
    const long KbEmpty = ResidentKb();
    Grid->SetRowCount(Viewer->Data->GetRowCount());
    QCoreApplication::processEvents();
    Pages.repaint();
    const long KbRows = ResidentKb() - KbEmpty;

    Start = TClock::now();
    Viewer->Data->Sort(true, 1);
    const double DataSortMs = MsSince(Start);
    Start = TClock::now();
    emit Grid->HeaderClicked(0);
    Grid->viewport()->repaint();
    const double SortMs = MsSince(Start);
    Start = TClock::now();
    emit Grid->HeaderClicked(2);
    Grid->viewport()->repaint();
    const double SortNumberMs = MsSince(Start);

    Grid->setFocus();
    Grid->setCurrentIndex(Grid->model()->index(0, 0));
    std::vector<double> Frames;
    for (int I = 0; I < 300; ++I) {
        Start = TClock::now();
        QKeyEvent Press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
        QApplication::sendEvent(Grid, &Press);
        Grid->viewport()->repaint();
        Frames.push_back(MsSince(Start));
    }
    double Sum = 0;
    for (double F : Frames)
        Sum += F;
    std::printf("grid rows=%d tab_open_ms=%.1f sort_text_ms=%.1f sort_number_ms=%.1f "
                "pagedown_mean_ms=%.2f pagedown_max_ms=%.2f grids_rss_kb=%ld last_row=%d data_sort_only_ms=%.1f rows_rss_kb=%ld\n",
                Grid->model()->rowCount(), OpenMs, SortMs, SortNumberMs, Sum / Frames.size(),
                *std::max_element(Frames.begin(), Frames.end()), KbAfter - KbBefore,
                Grid->FocusedRow(), DataSortMs, KbRows);
    // A second tab of the same size: the grids' own memory, without what
    // the first paint of the program allocates once.
    Ref<TBenchReport> Second = TqlReport::Create<TBenchReport>();
    Second->Run();
    const long KbSecond = ResidentKb();
    Start = TClock::now();
    Tabs.ShowReport(Second);
    QCoreApplication::processEvents();
    Pages.repaint();
    std::printf("second_tab_open_ms=%.1f second_tab_rss_kb=%ld\n", MsSince(Start), ResidentKb() - KbSecond);
    Tabs.CloseAllReportTabs();
    gqlProject->GetReports()->Remove(Report);
}

void Fitting()
{
    // The pure fitting, then the grid's own resize handling.
    std::vector<int> Widths(20, 80), Min(20, 10);
    std::vector<float> Exact;
    const int Rounds = 100000;
    auto Start = TClock::now();
    for (int I = 0; I < Rounds; ++I)
        qlFitColumns(Widths, Min, Exact, 1600 + (I % 200) - 100, -1);
    const double PureUs = MsSince(Start) * 1000.0 / Rounds;

    TVirtualStringTreeEx Grid;
    for (int C = 0; C < 20; ++C)
        Grid.AddColumn(QString("C%1").arg(C), 80, Qt::AlignLeft);
    Grid.resize(1600, 400);
    Grid.show();
    Grid.SetAutoWidth(true);
    QCoreApplication::processEvents();
    const int Resizes = 500;
    double Max = 0;
    Start = TClock::now();
    for (int I = 0; I < Resizes; ++I) {
        const auto One = TClock::now();
        Grid.resize(1500 + (I * 37) % 300, 400);
        Max = std::max(Max, MsSince(One));
    }
    const double WidgetMs = MsSince(Start) / Resizes;
    std::printf("fit columns=20 pure_us=%.2f widget_resize_mean_ms=%.3f widget_resize_max_ms=%.3f\n",
                PureUs, WidgetMs, Max);
}

void Rerun(const std::string& MainFile, const std::vector<std::string>& LibPaths)
{
    for (const std::string& P : LibPaths)
        gqlProject->GetSystemOptions()->GetLibrarySearchPath()->Add(P);
    gqlProject->GetOptions()->SetFileToAnalyze(MainFile);
    auto Start = TClock::now();
    gqlProject->Analyze(true);
    const double AnalyzeS = MsSince(Start) / 1000.0;
    long long Lines = 0;
    TqlFileNameList* Files = gqlProject->GetFileNames();
    for (int I = 0; I < Files->GetCount(); ++I) {
        if (!Files->GetItems(I)->Exists)
            continue;
        std::ifstream In(Files->GetItems(I)->GetFullFileName(), std::ios::binary);
        Lines += std::count(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>(), '\n');
    }
    std::printf("analysis files=%d lines=%lld seconds=%.2f\n", Files->GetCount(), Lines, AnalyzeS);

    QTabWidget Pages;
    QMenu Menu;
    Pages.resize(1000, 700);
    Pages.show();
    TReportPages Tabs(&Pages, &Menu, [] {});
    const Ref<IqlReports> Reports = gqlProject->GetReports();
    for (int I = 0; I < Reports->GetCount(); ++I) {
        Reports->GetItem(I)->Run();
        Tabs.ShowReport(Reports->GetItem(I));
    }
    QCoreApplication::processEvents();
    // What Run does after the analysis, one tab at a time.
    for (int I = 0; I < Pages.count(); ++I) {
        QWidget* Page = Pages.widget(I);
        TVTReportViewer* Viewer = Tabs.ViewerOf(Page);
        Start = TClock::now();
        Viewer->Report->Run();
        const double RunMs = MsSince(Start);
        Start = TClock::now();
        Viewer->Refill(Page, Viewer->Report);
        const double RefillMs = MsSince(Start);
        Pages.setCurrentIndex(I);
        Start = TClock::now();
        Pages.repaint();
        const double PaintMs = MsSince(Start);
        std::printf("report \"%s\" rows=%d run_ms=%.1f refill_ms=%.2f paint_ms=%.2f\n",
                    Viewer->Report->GetName().c_str(), Viewer->Data->GetRowCount(), RunMs, RefillMs,
                    PaintMs);
    }
    Tabs.CloseAllReportTabs();
}

void Walk(const std::string& Folder)
{
    std::vector<std::string> List;
    const auto Start = TClock::now();
    AddSubFolders(Folder, List);
    std::printf("walk folder=%s folders=%zu ms=%.1f\n", Folder.c_str(), List.size(), MsSince(Start));
}

} // namespace

// Argv[0] is the subcommand's name.
int RunReportBench(int Argc, char** Argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(Argc, Argv);
    std::string MainFile, WalkFolder = QUILLET_FPCSRC;
    std::vector<std::string> LibPaths;
    for (int I = 1; I < Argc; ++I) {
        if (!std::strcmp(Argv[I], "--main") && I + 1 < Argc)
            MainFile = Argv[++I];
        else if (!std::strcmp(Argv[I], "--libpath") && I + 1 < Argc)
            LibPaths.push_back(Argv[++I]);
        else if (!std::strcmp(Argv[I], "--walk") && I + 1 < Argc)
            WalkFolder = Argv[++I];
        else {
            std::fprintf(stderr, "usage: qldesktopbench reports [--main FILE] [--libpath DIR...] [--walk DIR]\n");
            return 2;
        }
    }
    // Settings in a scratch folder, removed at the end.
    char Templ[] = "/tmp/qldesktopbenchXXXXXX";
    if (!mkdtemp(Templ))
        return 1;
    const std::string Scratch = Templ;
    int Rc = 0;
    try {
        gqlQuilletOptions = Ref<IqlFileSettings>(new TqlFileSettings(Scratch + "/Quillet.ini"));
        Ref<TqlProject> Project(new TqlProject(Scratch));
        gqlProject = Ref<IqlProject>(Project.get());
        RegisterBuiltInReports();
        Grids();
        Fitting();
        if (!MainFile.empty())
            Rerun(MainFile, LibPaths);
        Walk(WalkFolder);
    } catch (const std::exception& E) {
        std::fprintf(stderr, "%s\n", E.what());
        Rc = 1;
    }
    gqlProject = nullptr;
    gqlQuilletOptions = nullptr;
    std::error_code Ec;
    std::filesystem::remove_all(Scratch, Ec);
    return Rc;
}
