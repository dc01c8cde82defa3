// qlbench parse [--defines A,B] [--summary] PATH...
// Parses each file with the syntax-only parser (directives acted on, the
// given symbols defined, include files not followed) and times the parse.
// Errors counts unreadable files and files that end in the fatal syntax
// error; --summary also prints the number of syntax messages.
#include "bench/qlbenchCommon.h"

#include "lexer/lxSimplePasPar.h"

#include <chrono>
#include <cstdio>

int RunParse(int Argc, char** Argv)
{
    TBenchOptions Options;
    if (!ParseBenchOptions(Argc, Argv, Options)) {
        std::fprintf(stderr, "usage: qlbench parse [--defines A,B] [--summary] PATH...\n");
        return 2;
    }
    TBenchTotals Totals;
    const std::vector<std::string> Files = CollectFiles(Options.Paths, Totals.Errors);

    const TlxPasHash Keys;
    const TlxDirectiveHash Dirs;
    TlxSimplePasPar Parser(&Keys, &Dirs);
    long long Messages = 0;
    long long FilesWithMessages = 0;
    long long Fatal = 0;
    Parser.SetOnMessage([&](void*, const std::string&, int, int) { ++Messages; });
    TlxLexStream Stream;
    std::chrono::steady_clock::duration Elapsed{};

    for (const std::string& F : Files) {
        if (!ReadSourceFile(F, Stream)) {
            ++Totals.Errors;
            continue;
        }
        Parser.Lexer().DefinedList()->Clear();
        for (const std::string& D : Options.Defines)
            Parser.Lexer().DefinedList()->AddSorted(D);
        Parser.Lexer().SetFileName(F);
        const long long Before = Messages;
        const auto Start = std::chrono::steady_clock::now();
        try {
            Parser.Run(F, &Stream);
        } catch (const ESyntaxError&) {
            ++Fatal;
        }
        Elapsed += std::chrono::steady_clock::now() - Start;
        FilesWithMessages += Messages > Before;
        ++Totals.Files;
        Totals.Bytes += Stream.Size();
        // Lines the parse went through (a parse that stops early, or the
        // text after the final "end.", is not counted).
        if (Stream.Size() > 0)
            Totals.Lines += Parser.Lexer().LineNumber() + 1;
    }
    Totals.Seconds = std::chrono::duration<double>(Elapsed).count();
    Totals.Errors += Fatal;
    if (Options.Summary)
        std::printf("messages=%lld files_with_messages=%lld fatal=%lld\n", Messages,
                    FilesWithMessages, Fatal);
    PrintClosingLine(Totals);
    return 0;
}
