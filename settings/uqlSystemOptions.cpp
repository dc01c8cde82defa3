#include "settings/uqlSystemOptions.h"

#include "settings/uqlIniOptions.h"
#include "settings/uqlOptions.h"
#include "settings/uqlRefactorOptions.h"
#include "settings/uqlStringList.h"

#include <cstdio>

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
    // it cannot read at all raises. Either way nothing of it is used.
    bool Refused = false;
    std::string Failure;
    {
        TqlIniNoticeHandler Previous;
        Previous = qlSetIniNoticeHandler([&](const std::string& Notice) {
            Refused = true;
            if (Previous)
                Previous(Notice);
            else
                std::fprintf(stderr, "%s\n", Notice.c_str());
        });
        struct TRestore {
            TqlIniNoticeHandler& Handler;
            ~TRestore() { qlSetIniNoticeHandler(Handler); }
        } Restore{Previous};
        try {
            Settings->ReadSection(SecLibrarySearchPath, FLibrarySearchPath);
            FRefactorOptions->Load(Settings);
        } catch (const std::exception& E) {
            Failure = E.what();
        }
    }
    if (!Refused && Failure.empty())
        return;
    FNotRead = Settings->GetFileName();
    LoadDefaults();
    FRefactorOptions->SetRefactorings({});
    if (!Failure.empty())
        qlIniNotice(Failure);
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
