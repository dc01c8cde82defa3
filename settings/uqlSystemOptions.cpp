#include "settings/uqlSystemOptions.h"

#include "settings/uqlOptions.h"
#include "settings/uqlRefactorOptions.h"
#include "settings/uqlStringList.h"

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
    Settings->ReadSection(SecLibrarySearchPath, FLibrarySearchPath);
    FRefactorOptions->Load(Settings);
}

void TqlSystemOptions::LoadDefaults()
{
    FLibrarySearchPath->Clear();
    FRefactorOptions->LoadDefaults();
}

void TqlSystemOptions::Save(const Ref<IqlFileSettings>& Settings)
{
    qlCheckStorableKeys(FLibrarySearchPath, "folder", SecLibrarySearchPath, Settings);
    Settings->WriteSection(SecLibrarySearchPath, FLibrarySearchPath);
    FRefactorOptions->Save(Settings);
}
