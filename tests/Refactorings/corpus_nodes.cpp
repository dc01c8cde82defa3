// Losslessness of the node tree on real code: every Pascal source of the Free
// Pascal tree is built into a node tree, and the leaves, joined, must give the
// file back byte for byte. Each file is built once as it is and once in a
// changed form (other line ends, no final line break, a byte-order mark, text
// after the end), written to a scratch folder and built with a set of target
// defines. A file that stops the parser with a fatal error must leave an
// empty root behind.
#include "Refactorings/uqlRefactorNodes.h"
#include "tests/TestFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

// Under AddressSanitizer: trees of a few million nodes are built and freed
// here, so new memory is not filled and the quarantine of freed memory is
// kept small; the unit tests run with the full defaults.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
extern "C" const char* __asan_default_options()
{
    return "max_malloc_fill_size=0:quarantine_size_mb=32:allocator_release_to_os_interval_ms=-1";
}
#endif
#endif

namespace {

std::string ReadFile(const fs::path& P)
{
    std::ifstream In(P, std::ios::binary);
    std::stringstream S;
    S << In.rdbuf();
    return S.str();
}

void WriteFile(const fs::path& P, const std::string& Data)
{
    std::ofstream Out(P, std::ios::binary | std::ios::trunc);
    Out << Data;
}

bool IsPascalSource(const fs::path& P)
{
    std::string Ext = P.extension().string();
    std::transform(Ext.begin(), Ext.end(), Ext.begin(), [](unsigned char C) { return std::tolower(C); });
    return Ext == ".pas" || Ext == ".pp" || Ext == ".dpr" || Ext == ".dpk" || Ext == ".lpr";
}

// Line ends: Style 0 CR LF, 1 CR, 2 mixed (LF, CR LF, CR in turn).
std::string ChangeLineEnds(const std::string& Text, int Style)
{
    std::string Out;
    Out.reserve(Text.size() + Text.size() / 16);
    int Line = 0;
    for (size_t I = 0; I < Text.size(); ++I) {
        char C = Text[I];
        if (C == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n')
            continue; // the LF that follows stands for the break
        if (C != '\n' && C != '\r') {
            Out += C;
            continue;
        }
        const int Kind = Style == 2 ? Line % 3 : Style + 1;
        Out += Kind == 0 ? "\n" : Kind == 1 ? "\r\n" : "\r";
        ++Line;
    }
    return Out;
}

std::string Variant(const std::string& Text, int Which)
{
    switch (Which) {
    case 0:
        return ChangeLineEnds(Text, 0);
    case 1:
        return ChangeLineEnds(Text, 1);
    case 2:
        return ChangeLineEnds(Text, 2);
    case 3: {
        std::string T = Text;
        while (!T.empty() && (T.back() == '\n' || T.back() == '\r'))
            T.pop_back();
        return T;
    }
    case 4:
        return "\xEF\xBB\xBF" + Text;
    default:
        return Text + "\r\nafter the end: 'an open string\n(* and { comments }\r\nend.\n  ";
    }
}
constexpr int VariantCount = 6;
// The changed copies are built with the defines of a 64-bit Linux target, so
// that other conditional branches are compiled and excluded than without.
const char* const TargetDefines = "FPC\nUNIX\nLINUX\nCPU64\nCPUX86_64\nENDIAN_LITTLE\nFPC_OBJFPC";
// Changed copies are made of the files up to this size (nearly all of them).
constexpr size_t VariantMaxSize = 256 * 1024;

// The leaves in tree order must cover the text without gap or overlap.
std::string CheckLeaves(const TqlModuleNode& Root, const std::string& Text)
{
    std::string Joined;
    std::string Problem;
    int Expect = 0;
    std::vector<const TqlNode*> Stack{&Root};
    while (!Stack.empty()) {
        const TqlNode* N = Stack.back();
        Stack.pop_back();
        if (N->Count() == 0) {
            const auto* Code = dynamic_cast<const TqlCodeNode*>(N);
            if (!Code)
                continue;
            if (!Code->Code().empty() && Code->GetStartPos() != Expect && Problem.empty())
                Problem = "leaf at " + std::to_string(Code->GetStartPos()) + ", expected " +
                          std::to_string(Expect);
            Joined += Code->Code();
            Expect += static_cast<int>(Code->Code().size());
            continue;
        }
        for (int I = N->Count() - 1; I >= 0; --I)
            Stack.push_back(N->GetNode(I));
    }
    if (Joined != Text) {
        size_t At = 0;
        while (At < Joined.size() && At < Text.size() && Joined[At] == Text[At])
            ++At;
        return "joined leaves differ at byte " + std::to_string(At) + " (" +
               std::to_string(Joined.size()) + " vs " + std::to_string(Text.size()) + " bytes)";
    }
    if (Root.GetText() != Text)
        return "the module text differs from the joined leaves";
    return Problem;
}

struct TResult {
    bool Fatal = false;
    std::string Problem;
};

TResult BuildAndCheck(const std::string& FileName, const std::string& Text, const std::string& Defines)
{
    TResult R;
    auto Root = std::make_unique<TqlModuleNode>();
    try {
        TqlNodeBuilder Builder(Root.get(), Defines);
        Builder.Run(FileName, nullptr);
    } catch (const ESyntaxError&) {
        R.Fatal = true;
        if (Root->Count() != 0)
            R.Problem = "a fatal error left a partial tree";
        return R;
    }
    R.Problem = CheckLeaves(*Root, Text);
    return R;
}

} // namespace

TEST(NodeTreeCorpus, LeavesGiveBackEveryFileOfTheFreePascalTree)
{
    const fs::path Tree = QUILLET_FPCSRC;
    if (!fs::is_directory(Tree))
        GTEST_SKIP() << "no Free Pascal sources at " << Tree;
    std::vector<fs::path> Files;
    for (const auto& E : fs::recursive_directory_iterator(Tree, fs::directory_options::skip_permission_denied))
        if (E.is_regular_file() && IsPascalSource(E.path()))
            Files.push_back(E.path());
    // Largest first, so that no thread is left with a big file at the end.
    std::vector<std::pair<uintmax_t, fs::path>> BySize;
    for (const fs::path& F : Files)
        BySize.emplace_back(fs::file_size(F), F);
    std::sort(BySize.begin(), BySize.end(), [](const auto& A, const auto& B) {
        return A.first != B.first ? A.first > B.first : A.second < B.second;
    });
    for (size_t I = 0; I < Files.size(); ++I)
        Files[I] = BySize[I].second;
    ASSERT_GT(Files.size(), 1000u);

    const TTestFolder ScratchFolder;
    const fs::path Scratch = ScratchFolder.Path();

    std::atomic<size_t> Next{0};
    std::atomic<int> Parsed{0}, Fatal{0}, VariantsParsed{0};
    std::mutex Lock;
    std::vector<std::string> Failures;
    // Work item 2 I is file I as it is, 2 I + 1 a changed copy of it.
    auto Worker = [&](int Id) {
        for (size_t Item = Next++; Item < 2 * Files.size(); Item = Next++) {
            const size_t I = Item / 2;
            const std::string Text = ReadFile(Files[I]);
            std::string Problem;
            if (Item % 2 == 0) {
                TResult R = BuildAndCheck(Files[I].string(), Text, "");
                (R.Fatal ? Fatal : Parsed)++;
                if (!R.Problem.empty())
                    Problem = Files[I].string() + ": " + R.Problem;
            } else if (Text.size() <= VariantMaxSize) {
                const int Which = static_cast<int>(I % VariantCount);
                const std::string Changed = Variant(Text, Which);
                const fs::path Copy = Scratch / (std::to_string(Id) + Files[I].extension().string());
                WriteFile(Copy, Changed);
                TResult V = BuildAndCheck(Copy.string(), Changed, TargetDefines);
                if (!V.Fatal)
                    VariantsParsed++;
                if (!V.Problem.empty())
                    Problem = Files[I].string() + " (variant " + std::to_string(Which) + "): " + V.Problem;
            }
            if (!Problem.empty()) {
                std::lock_guard<std::mutex> G(Lock);
                Failures.push_back(Problem);
            }
        }
    };
    const unsigned Threads = std::max(2u, std::min(8u, std::thread::hardware_concurrency()));
    std::vector<std::thread> Pool;
    for (unsigned T = 0; T < Threads; ++T)
        Pool.emplace_back(Worker, static_cast<int>(T));
    for (auto& T : Pool)
        T.join();

    std::cout << "files " << Files.size() << ", built " << Parsed << ", fatal " << Fatal
              << ", changed copies built " << VariantsParsed << "\n";
    EXPECT_GT(Parsed.load(), static_cast<int>(Files.size() / 2));
    std::sort(Failures.begin(), Failures.end());
    for (size_t I = 0; I < Failures.size() && I < 20; ++I)
        ADD_FAILURE() << Failures[I];
    EXPECT_TRUE(Failures.empty()) << Failures.size() << " files not given back";
}
