// The subcommands of qldesktopbench and what they share.
#pragma once

// "qldesktopbench reports ...": the report grids and tabs
// (qldesktopbenchReports.cpp).
int RunReportBench(int Argc, char** Argv);
// "qldesktopbench plugins ...": the refactoring host
// (qldesktopbenchPlugins.cpp).
int RunPluginBench(int Argc, char** Argv);
// "qldesktopbench fetch ...": Open URL against an endless answer
// (qldesktopbenchFetch.cpp).
int RunFetchBench(int Argc, char** Argv);

// Reads "[--rounds N]" (Argv[0] is the subcommand) into Rounds, at least 1;
// prints the subcommand's usage and returns false on any other argument.
bool ReadRoundsOption(int Argc, char** Argv, int& Rounds);
