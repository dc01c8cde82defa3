// Building Pascal programs with the Free Pascal compiler in Delphi mode, in
// scratch folders, and running them.
#pragma once

#include <cstdio>
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
    std::string Output;
    const std::string Command = "cd '" + Folder.string() + "' && ./" +
                                std::filesystem::path(Program).stem().string() + " 2>&1";
    if (FILE* Pipe = popen(Command.c_str(), "r")) {
        char Buffer[4096];
        while (size_t N = fread(Buffer, 1, sizeof Buffer, Pipe))
            Output.append(Buffer, N);
        pclose(Pipe);
    }
    return Output;
}
