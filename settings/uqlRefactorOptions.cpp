#include "settings/uqlRefactorOptions.h"

#include <algorithm>

namespace {
const char* const SecFolderComparison = "FolderComparison";
const char* const KeyExe = "FolderComparisonExe";
const char* const KeyExeParams = "FolderComparisonExeParams";
const char* const SecRefactorings = "Refactorings";
const char* const KeyCount = "Count";
} // namespace

TqlRefactorOptions::TqlRefactorOptions()
{
    LoadDefaults();
}

void TqlRefactorOptions::Load(const Ref<IqlFileSettings>& Settings)
{
    FFolderComparisonExe =
        Settings->ReadValue(SecFolderComparison, KeyExe, Variant(FFolderComparisonExe)).AsString();
    FFolderComparisonExeParams =
        Settings->ReadValue(SecFolderComparison, KeyExeParams, Variant(FFolderComparisonExeParams))
            .AsString();
    FRefactorings.clear();
    const int64_t Count = std::clamp<int64_t>(
        Settings->ReadValue(SecRefactorings, KeyCount, Variant(0)).AsInteger(), 0, MaxRefactorings);
    for (int64_t I = 0; I < Count; ++I)
        FRefactorings.push_back(
            Settings->ReadValue(SecRefactorings, std::to_string(I), Variant(std::string()))
                .AsString());
}

void TqlRefactorOptions::LoadDefaults()
{
    FFolderComparisonExe.clear();
    FFolderComparisonExeParams.clear();
}

void TqlRefactorOptions::Save(const Ref<IqlFileSettings>& Settings)
{
    Settings->WriteValue(SecFolderComparison, KeyExe, Variant(FFolderComparisonExe));
    Settings->WriteValue(SecFolderComparison, KeyExeParams, Variant(FFolderComparisonExeParams));
    const int Count = static_cast<int>(FRefactorings.size());
    Settings->WriteValue(SecRefactorings, KeyCount, Variant(Count));
    for (int I = 0; I < Count; ++I)
        Settings->WriteValue(SecRefactorings, std::to_string(I),
                             Variant(FRefactorings[static_cast<size_t>(I)]));
}
