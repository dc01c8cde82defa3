#include "settings/uqlSystemOptions.h"

#include "settings/uqlIniOptions.h"
#include "settings/uqlOptions.h"
#include "settings/uqlRefactorOptions.h"
#include "settings/uqlStringList.h"

#include <string>
#include <vector>

namespace {
const char* const SecLibrarySearchPath = "librarysearchpath";
} // namespace

TqlSystemOptions::TqlSystemOptions()
    : FRefactorOptions(MakeRef<TqlRefactorOptions>()), FLibrarySearchPath(MakeRef<TqlStringList>())
{
    LoadDefaults();
}

void TqlSystemOptions::Load(const Ref<IqlFileSettings>& Settings)
{
    FNotRead.clear();
    // A file the settings layer refuses reads as empty, with a notice; one
    // it cannot read at all raises. Either way nothing of it is used, and
    // the notices (the failure's too) are said once their handler is back.
    std::vector<std::string> Notices;
    {
        struct TRestore {
            TqlIniNoticeHandler Handler;
            ~TRestore() { qlSetIniNoticeHandler(std::move(Handler)); }
        } Restore{qlSetIniNoticeHandler([&](const std::string& Notice) { Notices.push_back(Notice); })};
        try {
            Settings->ReadSection(SecLibrarySearchPath, FLibrarySearchPath);
            FRefactorOptions->Load(Settings);
        } catch (const std::exception& E) {
            Notices.push_back(E.what());
        }
    }
    if (Notices.empty())
        return;
    FNotRead = Settings->GetFileName();
    LoadDefaults();
    FRefactorOptions->SetRefactorings({});
    for (const std::string& Notice : Notices)
        qlIniNotice(Notice);
}

void TqlSystemOptions::LoadDefaults()
{
    FLibrarySearchPath->Clear();
    FRefactorOptions->LoadDefaults();
}

void TqlSystemOptions::Save(const Ref<IqlFileSettings>& Settings)
{
    if (!FNotRead.empty() && Settings && Settings->GetFileName() == FNotRead)
        return;
    qlCheckStorableKeys(FLibrarySearchPath, "folder", SecLibrarySearchPath, Settings);
    Settings->WriteSection(SecLibrarySearchPath, FLibrarySearchPath);
    FRefactorOptions->Save(Settings);
}
