#include "settings/uqlSettingsCategory.h"

#include "settings/uqlSetting.h"

TqlSettingsCategory::TqlSettingsCategory(const std::string& Name) : FName(Name) {}

Ref<IqlSettingsCategory> TqlSettingsCategory::AddCategory(const std::string& Name)
{
    Ref<IqlSettingsCategory> C = MakeRef<TqlSettingsCategory>(Name);
    FCategories.push_back(C);
    return C;
}

Ref<IqlSetting> TqlSettingsCategory::AddSetting(const std::string& Name, bool ProjectDefault,
                                                bool LibraryDefault)
{
    Ref<IqlSetting> S = MakeRef<TqlSetting>(Name, FName, ProjectDefault, LibraryDefault);
    FSettings.push_back(S);
    return S;
}

Ref<IqlSettingsCategory> TqlSettingsCategory::GetCategory(int Index)
{
    if (Index < 0 || Index >= GetCategoryCount())
        throw EListError(Index);
    return FCategories[static_cast<size_t>(Index)];
}

int TqlSettingsCategory::GetCategoryCount()
{
    return static_cast<int>(FCategories.size());
}

int TqlSettingsCategory::GetSettingCount()
{
    return static_cast<int>(FSettings.size());
}

Ref<IqlSetting> TqlSettingsCategory::GetSetting(int Index)
{
    if (Index < 0 || Index >= GetSettingCount())
        throw EListError(Index);
    return FSettings[static_cast<size_t>(Index)];
}

std::string TqlSettingsCategory::GetName()
{
    return FName;
}

void TqlSettingsCategory::SaveCategory(const Ref<IqlFileSettings>& Settings,
                                       IqlSettingsCategory& Category)
{
    const std::string Section = Category.GetName();
    for (int I = 0; I < Category.GetSettingCount(); ++I) {
        const Ref<IqlSetting> S = Category.GetSetting(I);
        Settings->WriteValue(Section, "Project" + S->GetName(), Variant(S->GetProject()));
        Settings->WriteValue(Section, "Library" + S->GetName(), Variant(S->GetLibrary()));
    }
    for (int I = 0; I < Category.GetCategoryCount(); ++I)
        SaveCategory(Settings, *Category.GetCategory(I));
}

void TqlSettingsCategory::LoadCategory(const Ref<IqlFileSettings>& Settings,
                                       IqlSettingsCategory& Category)
{
    const std::string Section = Category.GetName();
    for (int I = 0; I < Category.GetSettingCount(); ++I) {
        const Ref<IqlSetting> S = Category.GetSetting(I);
        S->SetProject(
            Settings->ReadValue(Section, "Project" + S->GetName(), Variant(S->GetProject()))
                .AsBoolean());
        S->SetLibrary(
            Settings->ReadValue(Section, "Library" + S->GetName(), Variant(S->GetLibrary()))
                .AsBoolean());
    }
    for (int I = 0; I < Category.GetCategoryCount(); ++I)
        LoadCategory(Settings, *Category.GetCategory(I));
}
