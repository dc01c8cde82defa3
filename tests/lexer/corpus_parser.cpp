// Parses every Pascal source file of the Free Pascal source tree (read-only)
// with include files resolved relative to the including file: no crash, no
// hang, no exception other than the parser's own fatal error. Prints how
// many files parse without messages, with messages and with the fatal error,
// with the most common messages, overall and for the Delphi-mode files.
//
// Set QUILLET_CORPUS_REPORT to a file name to get every Delphi-mode file
// with its first message written there, followed by every message of every
// file.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "lexer/lxSimplePasPar.h"

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string S)
{
    for (char& C : S)
        C = char(std::tolower(static_cast<unsigned char>(C)));
    return S;
}

bool IsTopLevelSource(const fs::path& P)
{
    std::string Ext = Lower(P.extension().string());
    return Ext == ".pas" || Ext == ".pp" || Ext == ".dpr" || Ext == ".dpk" || Ext == ".lpr";
}

// Finds Name below Dir, matching each path component without regard to case.
std::string FindCaseInsensitive(const fs::path& Dir, const std::string& Name)
{
    std::string N = Name;
    std::replace(N.begin(), N.end(), '\\', '/');
    fs::path Cur = Dir;
    fs::path Rel(N);
    if (Rel.is_absolute())
        return std::string();
    std::error_code Ec;
    for (const fs::path& Part : Rel) {
        std::string S = Part.string();
        if (S.empty() || S == ".")
            continue;
        if (S == "..") {
            Cur = Cur.parent_path();
            continue;
        }
        fs::path Exact = Cur / S;
        if (fs::exists(Exact, Ec)) {
            Cur = Exact;
            continue;
        }
        bool Found = false;
        std::string LS = Lower(S);
        for (auto It = fs::directory_iterator(Cur, Ec); !Ec && It != fs::directory_iterator();
             It.increment(Ec)) {
            if (Lower(It->path().filename().string()) == LS) {
                Cur = It->path();
                Found = true;
                break;
            }
        }
        if (!Found)
            return std::string();
    }
    if (!fs::is_regular_file(Cur, Ec))
        return std::string();
    return Cur.string();
}

struct TFileResult {
    std::string File;
    bool Delphi = false;
    bool Fatal = false;
    bool OtherError = false;
    std::string ErrorText;
    std::vector<std::pair<std::string, int>> Messages; // text, line (1-based)
    long Lines = 0;
};

// A parser with an include handler: reads include files relative to the
// folder of the including file, refusing recursion.
class TCorpusParser : public TlxSimplePasPar {
public:
    explicit TCorpusParser(const std::string& MainFile)
    {
        FStack.push_back(MainFile);
        Lexer().SetOnIncludeDirect([this](TlxBasePasLex* Sender, const std::string& Name) {
            return HandlePtIncludeDirect(Sender, Name);
        });
        Lexer().SetOnIncludeEnd([this](TlxBasePasLex*) {
            if (FStack.size() > 1)
                FStack.pop_back();
        });
    }

    const char* HandlePtIncludeDirect(TlxBasePasLex*, const std::string& FileName) override
    {
        if (FileName.empty() || FileName[0] == '%' || FStack.size() > 32)
            return nullptr;
        fs::path Dir = fs::path(FStack.back()).parent_path();
        std::string Found = FindCaseInsensitive(Dir, FileName);
        if (Found.empty() && fs::path(FileName).extension().empty())
            Found = FindCaseInsensitive(Dir, FileName + ".inc");
        if (Found.empty())
            return nullptr;
        if (std::find(FStack.begin(), FStack.end(), Found) != FStack.end())
            return nullptr; // would recurse
        auto S = std::make_unique<TlxLexStream>();
        try {
            S->LoadFromFile(Found);
        } catch (const Exception&) {
            return nullptr;
        }
        FStack.push_back(Found);
        FTexts.push_back(std::move(S));
        return FTexts.back()->Memory();
    }

private:
    std::vector<std::string> FStack;
    std::vector<std::unique_ptr<TlxLexStream>> FTexts;
};

bool IsDelphiMode(const std::string& Text)
{
    std::string L = Lower(Text);
    size_t P = 0;
    bool AnyMode = false;
    while ((P = L.find("{$mode", P)) != std::string::npos) {
        AnyMode = true;
        size_t E = L.find('}', P);
        std::string Arg = L.substr(P + 6, E == std::string::npos ? 0 : E - P - 6);
        if (Arg.find("delphi") != std::string::npos)
            return true;
        P += 6;
    }
    return !AnyMode;
}

TFileResult ParseOne(const std::string& File)
{
    TFileResult R;
    R.File = File;
    TlxLexStream Main;
    try {
        Main.LoadFromFile(File);
    } catch (const Exception& E) {
        R.OtherError = true;
        R.ErrorText = std::string("load: ") + E.what();
        return R;
    }
    std::string Text(Main.Memory(), size_t(Main.Size()));
    R.Delphi = IsDelphiMode(Text);
    R.Lines = long(std::count(Text.begin(), Text.end(), '\n'));
    TCorpusParser P(File);
    P.SetOnMessage([&R](void*, const std::string& Msg, int, int Y) {
        R.Messages.push_back({Msg, Y + 1});
    });
    try {
        P.Run(File, &Main);
    } catch (const ESyntaxError& E) {
        R.Fatal = true;
        R.ErrorText = E.what();
    } catch (const std::exception& E) {
        R.OtherError = true;
        R.ErrorText = E.what();
    }
    return R;
}

struct TSummary {
    int Files = 0, Clean = 0, WithMessages = 0, Fatal = 0, Other = 0;
    long Lines = 0;
    std::map<std::string, std::pair<int, std::string>> Counts;      // every message
    std::map<std::string, std::pair<int, std::string>> FirstCounts; // first per file

    void Add(const TFileResult& R)
    {
        ++Files;
        Lines += R.Lines;
        if (R.OtherError)
            ++Other;
        else if (R.Fatal)
            ++Fatal;
        else if (R.Messages.empty())
            ++Clean;
        else
            ++WithMessages;
        for (size_t i = 0; i < R.Messages.size(); ++i) {
            std::string Where = R.File + ":" + std::to_string(R.Messages[i].second);
            auto& C = Counts[R.Messages[i].first];
            if (C.first++ == 0)
                C.second = Where;
            if (i == 0) {
                auto& F = FirstCounts[R.Messages[i].first];
                if (F.first++ == 0)
                    F.second = Where;
            }
        }
    }

    static void PrintTop(const char* Title,
                         const std::map<std::string, std::pair<int, std::string>>& M)
    {
        std::vector<std::pair<int, const std::string*>> V;
        for (auto& [Msg, C] : M)
            V.push_back({C.first, &Msg});
        std::sort(V.begin(), V.end(), [](auto& A, auto& B) { return A.first > B.first; });
        std::printf("  %s\n", Title);
        for (size_t i = 0; i < V.size() && i < 5; ++i)
            std::printf("    %6d  %s   e.g. %s\n", V[i].first, V[i].second->c_str(),
                        M.at(*V[i].second).second.c_str());
    }

    void Print(const char* Title) const
    {
        std::printf("%s: %d files, %ld lines: %d without message, %d with messages, "
                    "%d fatal, %d other errors\n",
                    Title, Files, Lines, Clean, WithMessages, Fatal, Other);
        PrintTop("most common messages:", Counts);
        PrintTop("most common first message of a file:", FirstCounts);
    }
};

TEST(CorpusParser, FpcSourceTree)
{
    const fs::path Root(QUILLET_FPCSRC);
    if (!fs::is_directory(Root))
        GTEST_SKIP() << "no Free Pascal source tree at " << Root;
    std::vector<std::string> Files;
    for (auto& E : fs::recursive_directory_iterator(Root, fs::directory_options::skip_permission_denied))
        if (E.is_regular_file() && IsTopLevelSource(E.path()))
            Files.push_back(E.path().string());
    std::sort(Files.begin(), Files.end());
    ASSERT_GT(Files.size(), 1000u);

    std::vector<TFileResult> Results(Files.size());
    std::atomic<size_t> NextIndex{0};
    unsigned N = std::max(1u, std::thread::hardware_concurrency());
    // Start time of the file each worker is on, to catch a hang.
    std::vector<std::atomic<long long>> Started(N);
    std::vector<std::atomic<size_t>> Current(N);
    std::atomic<bool> Done{false};
    auto Now = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    std::vector<std::thread> Workers;
    for (unsigned t = 0; t < N; ++t) {
        Started[t] = 0;
        Workers.emplace_back([&, t] {
            for (size_t i; (i = NextIndex++) < Files.size();) {
                Current[t] = i;
                Started[t] = Now();
                Results[i] = ParseOne(Files[i]);
                Started[t] = 0;
            }
        });
    }
    std::thread Watchdog([&] {
        while (!Done) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            for (unsigned t = 0; t < N; ++t) {
                long long S = Started[t];
                if (S && Now() - S > 60000) {
                    std::fprintf(stderr, "parser hangs on %s\n", Files[Current[t]].c_str());
                    std::abort();
                }
            }
        }
    });
    for (auto& W : Workers)
        W.join();
    Done = true;
    Watchdog.join();

    TSummary All, Delphi;
    for (auto& R : Results) {
        All.Add(R);
        if (R.Delphi)
            Delphi.Add(R);
        EXPECT_FALSE(R.OtherError) << R.File << ": " << R.ErrorText;
    }
    All.Print("All files");
    Delphi.Print("Delphi-mode files");

    if (const char* Report = std::getenv("QUILLET_CORPUS_REPORT")) {
        std::ofstream Out(Report);
        for (auto& R : Results) {
            if (!R.Delphi)
                continue;
            if (R.Fatal)
                Out << "FATAL " << R.File << ": " << R.ErrorText << "\n";
            else if (!R.Messages.empty())
                Out << "MSG " << R.File << ":" << R.Messages[0].second << ": "
                    << R.Messages[0].first << " (" << R.Messages.size() << ")\n";
        }
        // Then every message of every file.
        for (auto& R : Results)
            for (auto& M : R.Messages)
                Out << "ALL " << (R.Delphi ? "D " : "F ") << R.File << ":" << M.second << ": "
                    << M.first << "\n";
    }

    EXPECT_EQ(All.Files, int(Files.size()));
    EXPECT_EQ(All.Other, 0);
    // Sanity of the totals: most of the tree is ordinary Pascal.
    EXPECT_GT(All.Clean, All.Files / 3);
    EXPECT_LT(All.Fatal, All.Files / 10);
}

} // namespace
