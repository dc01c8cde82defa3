#include "desktop/uqlDocument.h"

#include "base/qlException.h"
#include "base/qlFileLimits.h"
#include "settings/uqlIniOptions.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

TDocument::TDocument(const Ref<IvxPersist>& Persist, std::string WorkingFile)
    : FPersist(Persist), FWorkingFile(std::move(WorkingFile))
{
    New();
}

void TDocument::New()
{
    FPersist->New();
    FFileName.clear();
    FModified = false;
}

std::string TDocument::CheckProjectText(const std::string& Data)
{
    if (Data.size() > MaxProjectFileSize)
        return "larger than 16 MiB";
    if (Data.find('\0') != std::string::npos)
        return "holds NUL bytes";
    // The first line that is neither blank nor a comment is a section header.
    std::size_t Pos = Data.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (Pos < Data.size()) {
        std::size_t End = Data.find('\n', Pos);
        if (End == std::string::npos)
            End = Data.size();
        const std::string Line = qlIniTrim(Data.substr(Pos, End - Pos));
        if (!Line.empty() && Line[0] != ';') {
            if (Line[0] == '[' && Line.find(']') != std::string::npos)
                return {};
            break;
        }
        Pos = End + 1;
    }
    return "no section header";
}

void TDocument::ReadProjectFile(const std::string& FileName, std::string& Data)
{
    // A FIFO or a device is refused before it is opened, which would block.
    std::string Why;
    switch (qlReadLimitedFile(FileName, MaxProjectFileSize, Data, Why)) {
    case TqlFileProblem::None:
        break;
    case TqlFileProblem::TooLarge:
        throw Exception(NotAProjectFile(FileName, "larger than 16 MiB"));
    default:
        throw Exception("Cannot open " + FileName + ": " + Why);
    }
    const std::string Reason = CheckProjectText(Data);
    if (!Reason.empty())
        throw Exception(NotAProjectFile(FileName, Reason));
}

std::string TDocument::NotAProjectFile(const std::string& Name, const std::string& Reason)
{
    return Name + " is not a Quillet project file (" + Reason + ").";
}

void TDocument::Load(const std::string& Name, const std::string& Data)
{
    if (!FWorkingFile.empty() && FWorkingFile != Name)
        qlWriteFileAtomically(FWorkingFile, Data);
    FPersist->New();
    const bool Loaded = FPersist->LoadFromFile(Name);
    FModified = false;
    if (!Loaded)
        throw Exception("Cannot open " + Name + ": the project could not load it");
}

bool TDocument::Open()
{
    if (FFileName.empty())
        return false;
    std::string Data;
    ReadProjectFile(FFileName, Data);
    Load(FFileName, Data);
    return true;
}

void TDocument::OpenURL(const std::string& Address, const std::string& Body)
{
    if (Address.empty())
        return;
    const std::string Reason = CheckProjectText(Body);
    if (!Reason.empty())
        throw Exception(NotAProjectFile(Address, Reason));
    Load(Address, Body);
}

void TDocument::Save()
{
    if (FFileName.empty())
        return;
    // The copy goes through a rename, which would replace a read-only file.
    if (!CanSave())
        throw Exception("Cannot save " + FFileName + ": the file is read-only");
    FPersist->SaveToFile(FFileName);
    if (!FWorkingFile.empty() && FWorkingFile != FFileName) {
        std::ifstream In(FWorkingFile, std::ios::binary);
        if (!In)
            throw Exception("Cannot read " + FWorkingFile);
        std::ostringstream Text;
        Text << In.rdbuf();
        qlWriteFileAtomically(FFileName, Text.str());
    }
    FModified = false;
}

bool TDocument::CanSave() const
{
    if (FFileName.empty())
        return true;
    std::error_code Ec;
    if (!std::filesystem::exists(FFileName, Ec))
        return true;
    return access(FFileName.c_str(), W_OK) == 0;
}
