// A scratch folder per test, removed when the test ends, and file helpers.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

class TTempDir {
public:
    TTempDir()
    {
        std::string Tpl = (std::filesystem::temp_directory_path() / "qlsettingsXXXXXX").string();
        if (!::mkdtemp(Tpl.data()))
            throw std::runtime_error("mkdtemp failed");
        FPath = Tpl;
    }
    ~TTempDir()
    {
        std::error_code Ec;
        std::filesystem::remove_all(FPath, Ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    std::string File(const std::string& Name) const { return (FPath / Name).string(); }

private:
    std::filesystem::path FPath;
};

inline std::string ReadFileBytes(const std::string& Name)
{
    std::ifstream In(Name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& Name, const std::string& Data)
{
    std::ofstream Out(Name, std::ios::binary | std::ios::trunc);
    Out << Data;
}

inline std::string TestData(const std::string& Name)
{
    return std::string(QUILLET_TEST_DATA) + "/" + Name;
}

// Number of entries in a folder (to see that no temporary file is left).
inline int EntryCount(const std::filesystem::path& Dir)
{
    int N = 0;
    for ([[maybe_unused]] const auto& E : std::filesystem::directory_iterator(Dir))
        ++N;
    return N;
}
