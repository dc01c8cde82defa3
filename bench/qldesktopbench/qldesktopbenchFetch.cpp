// "qldesktopbench fetch [--rounds N]": Open URL against a loopback server
// that streams an endless body as fast as it is taken.
//
//   fetch_ms                 one fetch through the main window, from the
//                            request to its error, median of N (default 4)
//   fetch_taken_max_bytes    the most a fetch took from the server
//   fetch_peak_above_start_kb  the process's peak resident memory over all
//                            N fetches, above what it held before the first
//   fetch_resident_after_kb  the resident memory after them, above the same
//   fetch_error              the message of the last fetch
#include "TestFolder.h"
#include "bench/qldesktopbench/qldesktopbench.h"
#include "base/qlException.h"
#include "desktop/LoopbackServer.h"
#include "desktop/ProcessMemory.h"
#include "desktop/frmqlMain.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration D) { return std::chrono::duration<double, std::milli>(D).count(); }

}  // namespace

int RunFetchBench(int Argc, char** Argv)
{
    int Rounds = 4;
    if (!ReadRoundsOption(Argc, Argv, Rounds))
        return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(Argc, Argv);
    TTestFolder Folder;
    auto* Form = new TMainForm({}, QString::fromStdString(Folder.Path()));
    Form->show();
    QApplication::processEvents();

    TEndlessServer Server(4LL << 30, 120);
    const long Start = qlResidentKb();
    if (!qlResetPeakResident())
        std::fprintf(stderr, "the peak cannot be reset: it counts from the program's start\n");
    std::vector<double> Times;
    long long TakenMax = 0;
    std::string Error = "none";
    for (int R = 0; R < Rounds; ++R) {
        const long long Before = Server.Sent();
        const auto T = Clock::now();
        try {
            Form->OpenDocumentURL(Server.Url("/endless"));
        } catch (const std::exception& E) {
            Error = E.what();
        }
        Times.push_back(Ms(Clock::now() - T));
        TakenMax = std::max(TakenMax, Server.Sent() - Before);
    }
    std::sort(Times.begin(), Times.end());
    std::printf("fetch_ms=%.1f rounds=%d\n", Times[Times.size() / 2], Rounds);
    std::printf("fetch_taken_max_bytes=%lld\n", TakenMax);
    std::printf("fetch_peak_above_start_kb=%ld\n", qlPeakResidentKb() - Start);
    std::printf("fetch_resident_after_kb=%ld\n", qlResidentKb() - Start);
    std::printf("fetch_error=\"%s\"\n", Error.c_str());
    Form->Shutdown();
    delete Form;
    return 0;
}
