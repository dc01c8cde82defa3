// qlbench: performance measurements of Quillet's stages over real sources.
// Each subcommand ends with the line
//   files=N bytes=N lines=N seconds=X lines_per_s=N errors=N
#include "bench/qlbenchCommon.h"

#include <cstdio>
#include <cstring>

int RunParse(int Argc, char** Argv);   // bench/qlbenchParse.cpp
int RunReports(int Argc, char** Argv); // bench/qlbenchReports.cpp
int RunRefactor(int Argc, char** Argv); // bench/qlbenchRefactor.cpp
int RunTree(int Argc, char** Argv);    // bench/qlbenchTree.cpp
int RunGen(int Argc, char** Argv);     // bench/qlbenchGen.cpp

int main(int Argc, char** Argv)
{
    if (Argc >= 2) {
        const char* Cmd = Argv[1];
        if (std::strcmp(Cmd, "lex") == 0)
            return RunLex(Argc - 1, Argv + 1);
        if (std::strcmp(Cmd, "parse") == 0)
            return RunParse(Argc - 1, Argv + 1);
        if (std::strcmp(Cmd, "analyze") == 0)
            return RunAnalyze(Argc - 1, Argv + 1);
        if (std::strcmp(Cmd, "reports") == 0)
            return RunReports(Argc - 1, Argv + 1);
        if (std::strcmp(Cmd, "refactor") == 0)
            return RunRefactor(Argc - 1, Argv + 1);
        if (std::strcmp(Cmd, "tree") == 0)
            return RunTree(Argc - 1, Argv + 1);
        if (std::strcmp(Cmd, "gen") == 0)
            return RunGen(Argc - 1, Argv + 1);
    }
    std::fprintf(stderr, "usage: qlbench lex|parse [--defines A,B] [--summary] PATH...\n"
                         "       qlbench analyze MAIN_FILE [--libpath DIR...]\n"
                         "       qlbench reports MAIN_FILE [--libpath DIR...] [--checks]\n"
                         "       qlbench refactor with|sweep MAIN_FILE [--libpath DIR...]\n"
                         "       qlbench refactor rename MAIN_FILE PATH NEW_NAME [--libpath DIR...]\n"
                         "       qlbench tree [--defines A,B] [--keep] PATH...\n"
                         "       qlbench gen project N | unit LINES | chain K | missing K |\n"
                         "                   includes K BYTES | defines K  DIR\n");
    return 2;
}
