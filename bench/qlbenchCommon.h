// Shared parts of the qlbench subcommands: finding the files, reading them,
// the common options and the closing line that every subcommand prints.
#pragma once

#include <string>
#include <vector>

class TlxLexStream;

struct TBenchOptions {
    std::vector<std::string> Defines;
    bool Summary = false;
    std::vector<std::string> Paths;
};

class TqlProject;

struct TBenchTotals {
    long long Files = 0;
    long long Bytes = 0;
    long long Lines = 0;
    // The lines that Seconds went through, when not all of Lines: an
    // analysis reads a unit's file only up to where its parse ends.
    long long TimedLines = -1;
    double Seconds = 0;
    long long Errors = 0;
};

// Parses "--defines A,B", "--summary" and the paths (Argv[0] is the
// subcommand). Prints the problem and returns false on a bad argument.
bool ParseBenchOptions(int Argc, char** Argv, TBenchOptions& Options);
// "A,B,,C" gives A, B, C (blanks around the names are dropped).
std::vector<std::string> ParseDefines(const std::string& Text);
// Files named on the command line are taken as they are; folders are walked
// recursively for *.pas *.pp *.dpr *.dpk *.inc (letter case ignored). A path
// that does not exist is reported on standard error and counted in Errors.
std::vector<std::string> CollectFiles(const std::vector<std::string>& Paths, long long& Errors);
bool HasPascalExtension(const std::string& Path);
// Reads a whole file; prints the reason on standard error and returns false
// when it cannot be read.
bool ReadSourceFile(const std::string& Path, TlxLexStream& Stream);
// files=N bytes=N lines=N seconds=X lines_per_s=N errors=N; lines_per_s
// divides TimedLines when they are given.
void PrintClosingLine(const TBenchTotals& Totals);
// The files an analysis read: counts them, their bytes and their whole lines
// into Totals, and answers the lines the parses went through (a unit's file
// up to where its parse ended; include and form files, read whole, whole).
long long CountAnalysedFiles(TqlProject& Project, TBenchTotals& Totals);
// Puts the --libpath folders on the project's library search path, and then
// the QuilletSystem folder shipped beside the program, as qlcheck does.
void AddLibraryFolders(TqlProject& Project, const std::vector<std::string>& Folders);
// The places of calls whose uses are marked ambiguous (a call the arguments
// did not decide is recorded on every overload it may mean, at one place).
long long CountAmbiguousCalls(TqlProject& Project);
// Takes the value that follows option Name at Argv[i] into Values, moving i
// past it: 1 when taken, 0 when Argv[i] is another word, -1 (said on
// standard error) when no value follows.
int TakeOptionValue(int Argc, char** Argv, int& i, const char* Name, const char* Needs,
                    std::vector<std::string>& Values);

// The subcommands; each takes the arguments from the subcommand name on.
int RunLex(int Argc, char** Argv);
// Full analysis of a main file (bench/qlbenchAnalyze.cpp).
int RunAnalyze(int Argc, char** Argv);
