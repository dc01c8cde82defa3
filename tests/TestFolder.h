// A scratch folder for one test, removed with everything in it when the test
// ends, and a way to write files into it.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

class TTestFolder {
public:
    TTestFolder()
    {
        std::string Templ = (std::filesystem::temp_directory_path() / "qltestXXXXXX").string();
        if (!mkdtemp(Templ.data()))
            throw std::runtime_error("cannot create a temporary folder");
        FPath = Templ;
    }
    ~TTestFolder()
    {
        std::error_code Ec;
        std::filesystem::remove_all(FPath, Ec);
    }
    TTestFolder(const TTestFolder&) = delete;
    TTestFolder& operator=(const TTestFolder&) = delete;

    const std::string& Path() const { return FPath; }
    // Writes Text to the file at Rel (below the folder, sub-folders made as
    // needed) and answers its full name.
    std::string Write(const std::string& Rel, const std::string& Text) const
    {
        const std::filesystem::path P = std::filesystem::path(FPath) / Rel;
        std::filesystem::create_directories(P.parent_path());
        std::ofstream(P, std::ios::binary) << Text;
        return P.string();
    }

private:
    std::string FPath;
};

// Runs Command through the shell and answers what it wrote on standard
// output.
inline std::string qlCaptureOutput(const std::string& Command)
{
    std::string Output;
    if (FILE* Pipe = popen(Command.c_str(), "r")) {
        char Buffer[4096];
        while (size_t N = fread(Buffer, 1, sizeof Buffer, Pipe))
            Output.append(Buffer, N);
        pclose(Pipe);
    }
    return Output;
}
