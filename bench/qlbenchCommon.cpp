#include "bench/qlbenchCommon.h"

#include "base/qlException.h"
#include "lexer/lxPasLexTypes.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

bool ParseBenchOptions(int Argc, char** Argv, TBenchOptions& Options)
{
    for (int I = 1; I < Argc; ++I) {
        const std::string A = Argv[I];
        if (A == "--defines") {
            if (I + 1 >= Argc) {
                std::fprintf(stderr, "qlbench: --defines needs a list such as A,B\n");
                return false;
            }
            for (std::string& D : ParseDefines(Argv[++I]))
                Options.Defines.push_back(std::move(D));
        } else if (A.rfind("--defines=", 0) == 0) {
            for (std::string& D : ParseDefines(A.substr(10)))
                Options.Defines.push_back(std::move(D));
        } else if (A == "--summary") {
            Options.Summary = true;
        } else if (A.size() > 1 && A[0] == '-') {
            std::fprintf(stderr, "qlbench: unknown option %s\n", A.c_str());
            return false;
        } else {
            Options.Paths.push_back(A);
        }
    }
    if (Options.Paths.empty()) {
        std::fprintf(stderr, "qlbench: no file or folder given\n");
        return false;
    }
    return true;
}

std::vector<std::string> ParseDefines(const std::string& Text)
{
    std::vector<std::string> Out;
    size_t I = 0;
    while (I <= Text.size()) {
        size_t J = Text.find(',', I);
        if (J == std::string::npos)
            J = Text.size();
        std::string D = Text.substr(I, J - I);
        const size_t B = D.find_first_not_of(" \t");
        const size_t E = D.find_last_not_of(" \t");
        if (B != std::string::npos)
            Out.push_back(D.substr(B, E - B + 1));
        I = J + 1;
    }
    return Out;
}

bool HasPascalExtension(const std::string& Path)
{
    std::string Ext = fs::path(Path).extension().string();
    std::transform(Ext.begin(), Ext.end(), Ext.begin(),
                   [](unsigned char C) { return char(std::tolower(C)); });
    return Ext == ".pas" || Ext == ".pp" || Ext == ".dpr" || Ext == ".dpk" || Ext == ".inc";
}

std::vector<std::string> CollectFiles(const std::vector<std::string>& Paths, long long& Errors)
{
    std::vector<std::string> Files;
    for (const std::string& P : Paths) {
        std::error_code Ec;
        if (fs::is_directory(P, Ec)) {
            std::vector<std::string> Found;
            for (auto It = fs::recursive_directory_iterator(P, fs::directory_options::skip_permission_denied, Ec);
                 !Ec && It != fs::recursive_directory_iterator(); It.increment(Ec)) {
                std::error_code E2;
                if (It->is_regular_file(E2) && HasPascalExtension(It->path().string()))
                    Found.push_back(It->path().string());
            }
            if (Ec) {
                std::fprintf(stderr, "qlbench: cannot walk %s: %s\n", P.c_str(), Ec.message().c_str());
                ++Errors;
            }
            std::sort(Found.begin(), Found.end());
            Files.insert(Files.end(), Found.begin(), Found.end());
        } else if (fs::exists(P, Ec)) {
            Files.push_back(P);
        } else {
            std::fprintf(stderr, "qlbench: %s does not exist\n", P.c_str());
            ++Errors;
        }
    }
    return Files;
}

bool ReadSourceFile(const std::string& Path, TlxLexStream& Stream)
{
    try {
        Stream.LoadFromFile(Path);
        return true;
    } catch (const Exception& E) {
        std::fprintf(stderr, "qlbench: %s\n", E.what());
        return false;
    }
}

void PrintClosingLine(const TBenchTotals& T)
{
    const long long Timed = T.TimedLines >= 0 ? T.TimedLines : T.Lines;
    const long long LinesPerSecond = T.Seconds > 0 ? (long long)(double(Timed) / T.Seconds) : 0;
    std::printf("files=%lld bytes=%lld lines=%lld seconds=%.3f lines_per_s=%lld errors=%lld\n", T.Files,
                T.Bytes, T.Lines, T.Seconds, LinesPerSecond, T.Errors);
    std::fflush(stdout);
}

int TakeOptionValue(int Argc, char** Argv, int& i, const char* Name, const char* Needs,
                    std::vector<std::string>& Values)
{
    if (std::strcmp(Argv[i], Name) != 0)
        return 0;
    if (i + 1 >= Argc) {
        std::fprintf(stderr, "%s needs %s\n", Name, Needs);
        return -1;
    }
    Values.push_back(Argv[++i]);
    return 1;
}
