// Every Pascal source of the Free Pascal tree is tokenized twice: with
// directives left unevaluated the token texts must give back the file byte for
// byte; with directives evaluated the lexer must come to the end of each file.
#include "lexer/lxPasLex.h"

#include "base/qlException.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<std::string> CorpusFiles()
{
    std::vector<std::string> Files;
    std::error_code Ec;
    if (!fs::is_directory(QUILLET_FPCSRC, Ec))
        return Files;
    for (auto It = fs::recursive_directory_iterator(QUILLET_FPCSRC, fs::directory_options::skip_permission_denied, Ec);
         It != fs::recursive_directory_iterator(); It.increment(Ec)) {
        if (Ec)
            break;
        if (!It->is_regular_file(Ec))
            continue;
        std::string Ext = It->path().extension().string();
        std::transform(Ext.begin(), Ext.end(), Ext.begin(), [](unsigned char C) { return char(std::tolower(C)); });
        if (Ext == ".pas" || Ext == ".pp" || Ext == ".inc" || Ext == ".dpr" || Ext == ".dpk" || Ext == ".lpr")
            Files.push_back(It->path().string());
    }
    std::sort(Files.begin(), Files.end());
    return Files;
}

// Returns an empty string when the file passes, else what went wrong.
std::string CheckFile(const std::string& Path, const TlxPasHash& Keys, const TlxDirectiveHash& Dirs, bool WithHandler)
{
    TlxLexStream Stream;
    try {
        Stream.LoadFromFile(Path);
    } catch (const Exception& E) {
        return E.what();
    }
    const int Size = int(Stream.Size());
    const char* Text = Stream.Memory();

    // (a) Lossless: every byte in exactly one token, in order.
    {
        TlxBasePasLex Lex(&Keys, &Dirs);
        Lex.SetOrigin(Text, Size);
        std::string Joined;
        Joined.reserve(size_t(Size));
        long Steps = 0;
        for (;;) {
            Joined.append(Lex.GetTokenPtr(), size_t(Lex.GetTokenLen()));
            if (Lex.TokenID() == ptNull)
                break;
            if (++Steps > long(Size) + 2)
                return "no progress while tokenizing";
            Lex.Next();
        }
        if (Joined.size() != size_t(Size) || Joined.compare(0, Joined.size(), Text, size_t(Size)) != 0) {
            size_t At = 0;
            while (At < Joined.size() && At < size_t(Size) && Joined[At] == Text[At])
                ++At;
            return "joined tokens differ from the file at byte " + std::to_string(At);
        }
    }

    // (b) Directives evaluated: no crash, no hang, the end is reached.
    {
        TlxPasLex Lex(&Keys, &Dirs);
        if (WithHandler)
            Lex.SetOnIncludeDirect([](TlxBasePasLex*, const std::string&) -> const char* { return nullptr; });
        Lex.SetOnMessage([](void*, const std::string&, int, int) {});
        Lex.SetOrigin(Text, Size);
        long Steps = 0;
        while (Lex.TokenID() != ptNull) {
            if (++Steps > long(Size) + 2)
                return "no progress with directives evaluated";
            Lex.NextNoJunk();
        }
        if (Lex.RunPos() > Size)
            return "read past the end of the text";
    }
    return std::string();
}

TEST(CorpusLexer, FreePascalSources)
{
    const std::vector<std::string> Files = CorpusFiles();
    ASSERT_GE(Files.size(), 1000u) << "the Free Pascal source tree " << QUILLET_FPCSRC
                                   << " is missing or incomplete (install fpc-source-3.2.2)";
    const TlxPasHash Keys;
    const TlxDirectiveHash Dirs;
    std::atomic<size_t> NextIndex{0};
    std::mutex Lock;
    std::vector<std::string> Failures;
    unsigned Workers = std::max(1u, std::min(16u, std::thread::hardware_concurrency()));
    std::vector<std::thread> Threads;
    for (unsigned W = 0; W < Workers; ++W)
        Threads.emplace_back([&] {
            for (size_t I; (I = NextIndex++) < Files.size();) {
                std::string Why = CheckFile(Files[I], Keys, Dirs, I % 2 == 0);
                if (!Why.empty()) {
                    std::lock_guard<std::mutex> G(Lock);
                    Failures.push_back(Files[I] + ": " + Why);
                }
            }
        });
    for (std::thread& T : Threads)
        T.join();
    std::sort(Failures.begin(), Failures.end());
    std::string Report;
    for (size_t I = 0; I < Failures.size() && I < 20; ++I)
        Report += Failures[I] + "\n";
    EXPECT_TRUE(Failures.empty()) << Failures.size() << " of " << Files.size() << " files failed:\n" << Report;
}

} // namespace
