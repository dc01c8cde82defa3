// Building Pascal programs with the Free Pascal compiler in Delphi mode, in
// scratch folders, and running them.
#pragma once

#include "tests/TestFolder.h"

#include <cstdlib>
#include <filesystem>
#include <string>

inline bool qlFpcInstalled()
{
    return std::system("command -v fpc > /dev/null 2>&1") == 0;
}

// Builds Program (a file in Folder), with Sources (when given) searched for
// units and include files; the compiler's files and "build.log" go into
// Folder.
inline bool qlFpcBuild(const std::filesystem::path& Folder, const std::string& Program,
                       const std::filesystem::path& Sources = {})
{
    std::string Command = "cd '" + Folder.string() + "' && fpc -Mdelphi -FE. -FU.";
    if (!Sources.empty())
        Command += " -Fu'" + Sources.string() + "' -Fi'" + Sources.string() + "'";
    Command += " '" + Program + "' > build.log 2>&1";
    return std::system(Command.c_str()) == 0;
}

// Runs the program built from Program in Folder and answers what it printed,
// errors included.
inline std::string qlRunBuilt(const std::filesystem::path& Folder, const std::string& Program)
{
    return qlCaptureOutput("cd '" + Folder.string() + "' && ./" +
                           std::filesystem::path(Program).stem().string() + " 2>&1");
}

// Builds Program and answers what it prints; "<build failed>" when it does
// not build.
inline std::string qlBuildAndRun(const std::filesystem::path& Folder, const std::string& Program)
{
    if (!qlFpcBuild(Folder, Program))
        return "<build failed>";
    return qlRunBuilt(Folder, Program);
}
