// A named group of check settings, with subgroups.
#pragma once

#include "model/uqlClasses.h"

#include <vector>

class TqlSettingsCategory : public TInterfacedObject, public virtual IqlSettingsCategory {
public:
    explicit TqlSettingsCategory(const std::string& Name);

    Ref<IqlSettingsCategory> AddCategory(const std::string& Name) override;
    Ref<IqlSetting> AddSetting(const std::string& Name, bool ProjectDefault,
                               bool LibraryDefault) override;
    // Both raise EListError for an index out of range.
    Ref<IqlSettingsCategory> GetCategory(int Index) override;
    int GetCategoryCount() override;
    int GetSettingCount() override;
    Ref<IqlSetting> GetSetting(int Index) override;
    std::string GetName() override;

protected:
    // Writes every setting of Category into the section named after it as
    // "Project"+name and "Library"+name, then each subcategory the same way.
    static void SaveCategory(const Ref<IqlFileSettings>& Settings, IqlSettingsCategory& Category);
    // Reads the flags back, each with its current value as the default.
    static void LoadCategory(const Ref<IqlFileSettings>& Settings, IqlSettingsCategory& Category);

private:
    std::string FName;
    std::vector<Ref<IqlSetting>> FSettings;
    std::vector<Ref<IqlSettingsCategory>> FCategories;
};
