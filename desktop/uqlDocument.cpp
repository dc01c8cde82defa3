#include "desktop/uqlDocument.h"

#include <unistd.h>

#include <filesystem>

TDocument::TDocument(const Ref<IvxPersist>& Persist) : FPersist(Persist)
{
    New();
}

void TDocument::New()
{
    FPersist->New();
    FFileName.clear();
    FModified = false;
}

bool TDocument::Open()
{
    if (FFileName.empty())
        return false;
    bool Result = FPersist->LoadFromFile(FFileName);
    FModified = false;
    return Result;
}

void TDocument::OpenURL(const std::string& Address)
{
    if (Address.empty())
        return;
    FModified = false;
}

void TDocument::Save()
{
    if (FFileName.empty())
        return;
    FPersist->SaveToFile(FFileName);
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
