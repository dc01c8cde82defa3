// qldesktopbench: the desktop program's timings on Qt's offscreen platform.
//
//   qldesktopbench [--lines N] [--corpus DIR] [--write-main FILE]
//   qldesktopbench plugins [--rounds N]
//   qldesktopbench fetch [--rounds N]
//
// Prints one "name=value" line per figure: start-up to a shown window; an
// analysis through Run over a generated main program that uses about N lines
// (default 400000) of Free Pascal package sources, with a 5 ms probe timer
// measuring how long the window goes without processing events; the same
// analysis without a window; the refresh of the views; a cancel; a refill and
// sort of 100000 messages; a find without a match; and the peak memory.
// --write-main only writes the generated main program to FILE (to time it
// with "qlbench analyze FILE") and ends.
#include "TestFolder.h"
#include "bench/qldesktopbench/qldesktopbench.h"
#include "analysis/uqlProject.h"
#include "desktop/frmqlFind.h"
#include "desktop/frmqlMain.h"
#include "desktop/uqlPrompts.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const Clock::time_point ProgramStart = Clock::now();

double Ms(Clock::duration D) { return std::chrono::duration<double, std::milli>(D).count(); }

class TQuietPrompts : public TqlPromptHandler {
public:
    TqlAnswer Answer(const QString&) override { return TqlAnswer::No; }
    QString FileName(const QString&) override { return {}; }
};

// Package sources until about Lines lines, one file per unit name.
std::string WriteMainProgram(const TTestFolder& Folder, const std::string& Corpus, long long Lines,
                             long long& Total, int& Units)
{
    std::vector<fs::path> Files;
    std::error_code Ec;
    for (auto It = fs::recursive_directory_iterator(fs::path(Corpus) / "packages", Ec);
         It != fs::recursive_directory_iterator(); It.increment(Ec)) {
        if (Ec)
            break;
        const fs::path& P = It->path();
        const std::string Ext = P.extension().string();
        if ((Ext == ".pp" || Ext == ".pas") && P.string().find("/src/") != std::string::npos &&
            P.string().find("/examples/") == std::string::npos && P.string().find("/tests/") == std::string::npos)
            Files.push_back(P);
    }
    // The packages of everyday programs first; the huge generated interface
    // packages (Cocoa, Carbon, ...) would turn the corpus into a handful of
    // enormous units.
    static const char* const Preferred[] = {
        "fcl-base", "fcl-xml", "fcl-json", "fcl-image", "fcl-passrc", "fcl-db", "fcl-web", "fcl-net",
        "fcl-process", "fcl-registry", "fcl-res", "fcl-stl", "fcl-fpcunit", "fcl-js", "fcl-pdf",
        "fcl-report", "fcl-sdo", "rtl-objpas", "rtl-extra", "paszlib", "hash", "pasjpeg", "fpvectorial",
        "fcl-extra", "fcl-async", "fcl-sound", "fcl-skeleton", "fcl-fpcunit", "fcl-xml", "fcl-hash",
    };
    auto Rank = [](const fs::path& P) {
        const std::string S = P.string();
        for (std::size_t I = 0; I < std::size(Preferred); ++I)
            if (S.find("/packages/" + std::string(Preferred[I]) + "/") != std::string::npos)
                return I;
        return std::size(Preferred);
    };
    std::sort(Files.begin(), Files.end(), [&](const fs::path& A, const fs::path& B) {
        const std::size_t RA = Rank(A), RB = Rank(B);
        return RA != RB ? RA < RB : A < B;
    });
    std::set<std::string> Names;
    std::string Uses;
    Total = 0;
    Units = 0;
    for (const fs::path& P : Files) {
        std::string Name = P.stem().string();
        std::transform(Name.begin(), Name.end(), Name.begin(), ::tolower);
        if (Name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") != std::string::npos ||
            !Names.insert(Name).second)
            continue;
        std::ifstream In(P, std::ios::binary);
        const long long N = std::count(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>(), '\n');
        Uses += (Units ? ",\n  " : "\n  ") + Name + " in '" + P.string() + "'";
        Total += N;
        ++Units;
        if (Total >= Lines)
            break;
    }
    return Folder.Write("BenchMain.dpr", "program BenchMain;\n\nuses" + Uses + ";\n\nbegin\nend.\n");
}

// Time between events processed on the GUI thread, sampled by a 5 ms timer.
class TProbe {
public:
    TProbe()
    {
        FTimer.setInterval(5);
        QObject::connect(&FTimer, &QTimer::timeout, [this] { Tick(); });
    }
    void Start()
    {
        FGaps.clear();
        FHopGaps.clear();
        FLast = Clock::now();
        FHopSeen = false;
        FTimer.start();
    }
    // The stretch since the last tick is a gap too: a Run during which the
    // timer never fired is one gap of the whole Run.
    void Stop()
    {
        FTimer.stop();
        Record();
    }
    // Called from any thread when the analysis reports progress.
    void Progress()
    {
        if (std::this_thread::get_id() != FGuiThread)
            FHopSeen = true;
    }
    void Tick()
    {
        Record();
        if (OnTick)
            OnTick();
    }
    static double Percentile(std::vector<double> V, double P)
    {
        if (V.empty())
            return 0;
        std::sort(V.begin(), V.end());
        return V[std::min(V.size() - 1, static_cast<std::size_t>(P * double(V.size())))];
    }
    static double Max(const std::vector<double>& V) { return V.empty() ? 0 : *std::max_element(V.begin(), V.end()); }

    std::vector<double> FGaps, FHopGaps;
    std::function<void()> OnTick;

private:
    void Record()
    {
        const Clock::time_point Now = Clock::now();
        (FHopSeen ? FHopGaps : FGaps).push_back(Ms(Now - FLast));
        FHopSeen = false;
        FLast = Now;
    }

    QTimer FTimer;
    Clock::time_point FLast;
    std::atomic<bool> FHopSeen{false};
    std::thread::id FGuiThread = std::this_thread::get_id();
};

class TProbeNotifier : public TInterfacedObject, public IqlProgressNotifier {
public:
    explicit TProbeNotifier(TProbe& Probe) : FProbe(Probe) {}
    void Notify(const std::string& Name, TParserState Stage, bool&) override
    {
        FProbe.Progress();
        std::lock_guard<std::mutex> Lock(Mutex);
        Calls.push_back({Clock::now(), Name + (Stage == psrFull ? " (implementation)" : " (interface)")});
    }
    struct TCall {
        Clock::time_point At;
        std::string What;
    };
    std::mutex Mutex;
    std::vector<TCall> Calls;

private:
    TProbe& FProbe;
};

long PeakKb()
{
    rusage Usage{};
    getrusage(RUSAGE_SELF, &Usage);
    return Usage.ru_maxrss;
}

}  // namespace

bool ReadRoundsOption(int Argc, char** Argv, int& Rounds)
{
    for (int I = 1; I < Argc; ++I) {
        if (!std::strcmp(Argv[I], "--rounds") && I + 1 < Argc) {
            Rounds = std::max(1, std::atoi(Argv[++I]));
        } else {
            std::fprintf(stderr, "usage: qldesktopbench %s [--rounds N]\n", Argv[0]);
            return false;
        }
    }
    return true;
}

int main(int argc, char** argv)
{
    if (argc > 1 && !std::strcmp(argv[1], "reports"))
        return RunReportBench(argc - 1, argv + 1);
    if (argc > 1 && !std::strcmp(argv[1], "plugins"))
        return RunPluginBench(argc - 1, argv + 1);
    if (argc > 1 && !std::strcmp(argv[1], "fetch"))
        return RunFetchBench(argc - 1, argv + 1);
    long long Lines = 400000;
    std::string Corpus = QUILLET_FPCSRC;
    std::string WriteMain;
    for (int I = 1; I < argc; ++I) {
        if (!std::strcmp(argv[I], "--lines") && I + 1 < argc)
            Lines = std::atoll(argv[++I]);
        else if (!std::strcmp(argv[I], "--corpus") && I + 1 < argc)
            Corpus = argv[++I];
        else if (!std::strcmp(argv[I], "--write-main") && I + 1 < argc)
            WriteMain = argv[++I];
        else {
            std::fprintf(stderr, "usage: qldesktopbench [--lines N] [--corpus DIR] [--write-main FILE]\n");
            return 2;
        }
    }
    if (!WriteMain.empty()) {
        TTestFolder Scratch;
        long long Total = 0;
        int Units = 0;
        fs::copy_file(WriteMainProgram(Scratch, Corpus, Lines, Total, Units), WriteMain,
                      fs::copy_options::overwrite_existing);
        std::printf("corpus_units=%d corpus_lines=%lld main=%s\n", Units, Total, WriteMain.c_str());
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    TQuietPrompts Prompts;
    qlSetPromptHandler(&Prompts);
    TTestFolder Folder;

    auto* Form = new TMainForm({}, QString::fromStdString(Folder.Path()));
    Form->show();
    QApplication::processEvents();
    std::printf("startup_ms=%.1f\n", Ms(Clock::now() - ProgramStart));

    long long Total = 0;
    int Units = 0;
    const std::string Main = WriteMainProgram(Folder, Corpus, Lines, Total, Units);
    std::printf("corpus_units=%d corpus_lines=%lld main=%s\n", Units, Total, Main.c_str());
    const std::string ProjectFile = Folder.Write("bench.xml", "[general]\r\nfiletoanalyze=" + Main + "\r\n");

    // The analysis alone, as qlbench analyze runs it, on a project of its own.
    {
        Ref<IqlProject> Window = gqlProject;
        Ref<TqlProject> Bare(new TqlProject(Folder.Path()));
        gqlProject = Ref<IqlProject>(Bare.get());
        Bare->GetOptions()->SetFileToAnalyze(Main);
        const Clock::time_point T = Clock::now();
        Bare->Analyze(true);
        std::printf("bare_analyze_ms=%.1f messages=%d\n", Ms(Clock::now() - T), Bare->GetMessages()->GetCount());
        gqlProject = Window;
    }
    std::printf("peak_kb_after_bare=%ld\n", PeakKb());

    if (!Form->OpenDocument(ProjectFile)) {
        std::fprintf(stderr, "cannot open %s\n", ProjectFile.c_str());
        return 1;
    }
    TProbe Probe;
    Ref<TProbeNotifier> Notifier(new TProbeNotifier(Probe));
    gqlProject->AddProgressNotifier(Ref<IqlProgressNotifier>(Notifier.get()));
    Probe.Start();
    Clock::time_point T = Clock::now();
    Form->Run();
    const double RunMs = Ms(Clock::now() - T);
    Probe.Stop();
    std::printf("run_ms=%.1f probe_gaps=%zu gap_p99_ms=%.1f gap_max_ms=%.1f hop_gaps=%zu hop_gap_max_ms=%.1f\n",
                RunMs, Probe.FGaps.size(), TProbe::Percentile(Probe.FGaps, 0.99), TProbe::Max(Probe.FGaps),
                Probe.FHopGaps.size(), TProbe::Max(Probe.FHopGaps));
    if (qEnvironmentVariableIsSet("QLDESKTOPBENCH_GAPS")) {
        // The longest stretches between two progress reports of the analysis.
        std::vector<std::pair<double, std::string>> Stretches;
        for (std::size_t I = 1; I < Notifier->Calls.size(); ++I)
            Stretches.push_back({Ms(Notifier->Calls[I].At - Notifier->Calls[I - 1].At), Notifier->Calls[I - 1].What});
        if (!Notifier->Calls.empty())
            Stretches.push_back({Ms(Clock::now() - Notifier->Calls.back().At), "after the last report"});
        std::sort(Stretches.rbegin(), Stretches.rend());
        for (std::size_t I = 0; I < Stretches.size() && I < 8; ++I)
            std::printf("  stretch %.1f ms after %s\n", Stretches[I].first, Stretches[I].second.c_str());
        std::printf("  reports=%zu\n", Notifier->Calls.size());
    }
    T = Clock::now();
    Form->RefreshViews(false);
    QApplication::processEvents();
    std::printf("refresh_ms=%.1f\n", Ms(Clock::now() - T));
    std::printf("peak_kb_after_run=%ld\n", PeakKb());

    // Find without a match over the whole tree (an empty text would match
    // the first symbol).
    Form->FindForm()->FindEdit->setText("zzNoSuchNamezz");
    T = Clock::now();
    Form->FindNext(nullptr);
    std::printf("find_no_match_ms=%.1f\n", Ms(Clock::now() - T));

    // Cancel a third into a second run.
    Clock::time_point Clicked{};
    const Clock::time_point RunStart = Clock::now();
    const auto ClickAfter = std::chrono::duration<double, std::milli>(RunMs / 3);
    Probe.OnTick = [&] {
        if (Clicked == Clock::time_point{} && Clock::now() - RunStart > ClickAfter) {
            Clicked = Clock::now();
            Form->actCancel->trigger();
        }
    };
    Probe.Start();
    Form->Run();
    const Clock::time_point Returned = Clock::now();
    Probe.Stop();
    Probe.OnTick = nullptr;
    if (Clicked != Clock::time_point{})
        std::printf("cancel_return_ms=%.1f\n", Ms(Returned - Clicked));
    else
        std::printf("cancel_return_ms=n/a (the run ended first)\n");
    gqlProject->RemoveProgressNotifier(Ref<IqlProgressNotifier>(Notifier.get()));

    // 100000 messages: refill and sort.
    Form->NewDocument("");
    TqlFileNameList* Files = gqlProject->GetFileNames();
    const int FileA = Files->Add(Main, true, -1);
    const int FileB = Files->Add(ProjectFile, true, -1);
    Ref<IqlMessageList> Messages = gqlProject->GetMessages();
    for (int I = 0; I < 100000; ++I)
        Messages->Add("Message " + std::to_string((I * 7919) % 100000), I % 2 ? FileA : FileB, I % 80 + 1,
                      I % 5000 + 1, I % 3 == 0);
    Form->pgcBottom->setCurrentWidget(Form->lvMessages);
    T = Clock::now();
    Form->RefreshViews(false);
    QApplication::processEvents();
    std::printf("messages_refill_ms=%.1f rows=%d\n", Ms(Clock::now() - T), Form->lvMessages->model()->rowCount());
    T = Clock::now();
    emit Form->lvMessages->header()->sectionClicked(0);
    QApplication::processEvents();
    std::printf("messages_sort_ms=%.1f\n", Ms(Clock::now() - T));

    std::printf("peak_kb=%ld\n", PeakKb());
    Form->Shutdown();
    delete Form;
    qlSetPromptHandler(nullptr);
    return 0;
}
