// qlbench lex [--defines A,B] [--summary] PATH...
// Tokenizes each file as a parser sees it (directives acted on, the given
// symbols defined) and times the scanning alone.
#include "bench/qlbenchCommon.h"

#include "lexer/lxPasLex.h"

#include <chrono>
#include <cstdio>

int RunLex(int Argc, char** Argv)
{
    TBenchOptions Options;
    if (!ParseBenchOptions(Argc, Argv, Options)) {
        std::fprintf(stderr, "usage: qlbench lex [--defines A,B] [--summary] PATH...\n");
        return 2;
    }
    TBenchTotals Totals;
    const std::vector<std::string> Files = CollectFiles(Options.Paths, Totals.Errors);

    const TlxPasHash Keys;
    const TlxDirectiveHash Dirs;
    TlxPasLex Lex(&Keys, &Dirs);
    long long Messages = 0;
    Lex.SetOnMessage([&](void*, const std::string&, int, int) { ++Messages; });
    long long Counts[ptTokenKindCount] = {};
    TlxLexStream Stream;
    std::chrono::steady_clock::duration Elapsed{};

    for (const std::string& F : Files) {
        if (!ReadSourceFile(F, Stream)) {
            ++Totals.Errors;
            continue;
        }
        Lex.DefinedList()->Clear();
        for (const std::string& D : Options.Defines)
            Lex.DefinedList()->AddSorted(D);
        Lex.SetFileName(F);
        const auto Start = std::chrono::steady_clock::now();
        Lex.SetOrigin(Stream.Memory(), int(Stream.Size()));
        while (Lex.TokenID() != ptNull) {
            ++Counts[Lex.TokenID()];
            if (Lex.TokenID() == ptBorDirective || Lex.TokenID() == ptAnsiDirective)
                Lex.ScannDirectives();
            else
                Lex.Next();
        }
        Elapsed += std::chrono::steady_clock::now() - Start;
        ++Totals.Files;
        Totals.Bytes += Stream.Size();
        if (Stream.Size() > 0)
            Totals.Lines += Lex.LineNumber() + 1;
    }
    Totals.Seconds = std::chrono::duration<double>(Elapsed).count();
    Totals.Errors += Messages;
    if (Options.Summary)
        for (int K = 0; K < ptTokenKindCount; ++K)
            if (Counts[K] > 0)
                std::printf("%-28s %lld\n", ptTokenName(TptTokenKind(K)).c_str(), Counts[K]);
    PrintClosingLine(Totals);
    return 0;
}
