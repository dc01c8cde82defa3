// The parser chain over every Pascal source of the Free Pascal tree: no
// crash, hang or sanitizer report. Files are shared out among worker
// processes (each with a project of its own, since the model's hubs are
// process-wide); a worker that dies or stalls fails the test.
#include "AnalysisTestSupport.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::vector<std::string> CorpusFiles()
{
    std::vector<std::string> Files;
    std::error_code Ec;
    for (auto It = std::filesystem::recursive_directory_iterator(QUILLET_FPCSRC, Ec);
         !Ec && It != std::filesystem::recursive_directory_iterator(); It.increment(Ec)) {
        if (!It->is_regular_file())
            continue;
        const std::string Ext = qlLowerCase(It->path().extension().string());
        if (Ext == ".pas" || Ext == ".pp" || Ext == ".dpr" || Ext == ".lpr" || Ext == ".inc")
            Files.push_back(It->path().string());
    }
    std::sort(Files.begin(), Files.end());
    return Files;
}

// Parses one file with the units of its own folder; returns whether the
// parse ended in a fatal syntax error.
bool ParseOne(const std::string& File, size_t& Units, size_t& Messages)
{
    TAnalysisScope P;
    struct TCount {
        TAnalysisScope& P;
        size_t& Units;
        size_t& Messages;
        ~TCount()
        {
            Units += size_t(P->GetUnits()->GetCount());
            Messages += size_t(P->GetMessages()->GetCount());
        }
    } Count{P, Units, Messages};
    try {
        P->Analyze(File, false);
    } catch (const ESyntaxError&) {
        // A fatal syntax error is a clear message, not a failure here.
        return true;
    } catch (const EAssertionFailed& E) {
        std::fprintf(stderr, "assertion in %s: %s\n", File.c_str(), E.what());
        _exit(3);
    }
    return false;
}

} // namespace

TEST(CorpusAnalysis, EveryFreePascalSourceParses)
{
    const std::vector<std::string> Files = CorpusFiles();
    if (Files.empty())
        GTEST_SKIP() << "no Free Pascal sources at " << QUILLET_FPCSRC;
    const int Workers = 8;
    std::vector<pid_t> Pids;
    for (int W = 0; W < Workers; ++W) {
        pid_t Pid = fork();
        ASSERT_GE(Pid, 0);
        if (Pid == 0) {
            alarm(600);
            size_t Fatal = 0, Count = 0, Units = 0, Messages = 0;
            for (size_t i = size_t(W); i < Files.size(); i += size_t(Workers), ++Count)
                Fatal += ParseOne(Files[i], Units, Messages) ? 1 : 0;
            std::fprintf(stderr,
                         "worker %d: %zu files, %zu fatal syntax errors, %zu units, %zu messages\n",
                         W, Count, Fatal, Units, Messages);
            _exit(0);
        }
        Pids.push_back(Pid);
    }
    for (pid_t Pid : Pids) {
        int Status = 0;
        waitpid(Pid, &Status, 0);
        EXPECT_TRUE(WIFEXITED(Status) && WEXITSTATUS(Status) == 0)
            << "worker " << Pid << " ended with status " << Status;
    }
    std::printf("%zu files parsed\n", Files.size());
}
