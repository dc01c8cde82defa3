// qlbench tree [--defines A,B] [--keep] PATH...
// Builds the node tree of each file (include files' directives applied) and
// times the builds. Without --keep each tree is freed before the next file;
// with it every tree is held to the end and the memory they hold is
// reported. Also names the slowest file of at least 64 KB by throughput.
// Errors counts unreadable files and files that end in the fatal syntax
// error.
#include "bench/qlbenchCommon.h"

#include "Refactorings/uqlRefactorNodes.h"
#include "model/uqlClasses.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <malloc.h>
#include <memory>

namespace {

// The heap in use: the chunks in the heap's arenas and those the heap mapped
// on their own (large pieces).
size_t HeapInUse()
{
    const struct mallinfo2 Info = ::mallinfo2();
    return Info.uordblks + Info.hblkhd;
}

} // namespace

int RunTree(int Argc, char** Argv)
{
    bool Keep = false;
    std::vector<char*> Args;
    for (int I = 0; I < Argc; ++I) {
        if (I > 0 && std::strcmp(Argv[I], "--keep") == 0)
            Keep = true;
        else
            Args.push_back(Argv[I]);
    }
    TBenchOptions Options;
    if (!ParseBenchOptions(static_cast<int>(Args.size()), Args.data(), Options)) {
        std::fprintf(stderr, "usage: qlbench tree [--defines A,B] [--keep] PATH...\n");
        return 2;
    }
    TBenchTotals Totals;
    const std::vector<std::string> Files = CollectFiles(Options.Paths, Totals.Errors);
    std::string Defines;
    for (const std::string& D : Options.Defines)
        Defines += D + "\n";

    std::vector<std::unique_ptr<TqlModuleNode>> Held;
    const size_t HeapBefore = HeapInUse();
    TlxLexStream Stream;
    std::chrono::steady_clock::duration Elapsed{};
    double SlowestRate = 0;
    std::string Slowest;
    for (const std::string& F : Files) {
        if (!ReadSourceFile(F, Stream)) {
            ++Totals.Errors;
            continue;
        }
        auto Root = std::make_unique<TqlModuleNode>();
        const auto Start = std::chrono::steady_clock::now();
        try {
            TqlNodeBuilder Builder(Root.get(), Defines, GlobalKeyHashTable, GlobalDirectiveHash);
            Builder.Run(F, &Stream);
        } catch (const ESyntaxError&) {
            ++Totals.Errors;
        }
        const auto Took = std::chrono::steady_clock::now() - Start;
        Elapsed += Took;
        const double Seconds = std::chrono::duration<double>(Took).count();
        if (Stream.Size() >= 64 * 1024 && Seconds > 0) {
            const double Rate = double(Stream.Size()) / Seconds / 1e6;
            if (Slowest.empty() || Rate < SlowestRate) {
                SlowestRate = Rate;
                Slowest = F;
            }
        }
        ++Totals.Files;
        Totals.Bytes += Stream.Size();
        Totals.Lines += std::count(Stream.Memory(), Stream.Memory() + Stream.Size(), '\n') +
                        (Stream.Size() > 0 && Stream.Memory()[Stream.Size() - 1] != '\n');
        if (Keep)
            Held.push_back(std::move(Root));
    }
    Totals.Seconds = std::chrono::duration<double>(Elapsed).count();
    if (!Slowest.empty())
        std::printf("slowest=%s slowest_mb_per_s=%.1f\n", Slowest.c_str(), SlowestRate);
    if (Keep) {
        const size_t HeapAfter = HeapInUse();
        const double HeldBytes = HeapAfter > HeapBefore ? double(HeapAfter - HeapBefore) : 0;
        std::printf("trees=%zu held_bytes=%.0f bytes_per_line=%.0f\n", Held.size(), HeldBytes,
                    Totals.Lines > 0 ? HeldBytes / double(Totals.Lines) : 0.0);
    }
    PrintClosingLine(Totals);
    return 0;
}
