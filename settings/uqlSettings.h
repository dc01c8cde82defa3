// The root of one report's tree of check settings, stored in an ini file.
#pragma once

#include "settings/uqlSettingsCategory.h"

class TqlSettings : public TqlSettingsCategory, public IqlSettings {
public:
    explicit TqlSettings(const std::string& Name) : TqlSettingsCategory(Name) {}

    void Load(const Ref<IqlFileSettings>& Settings) override;
    void Save(const Ref<IqlFileSettings>& Settings) override;
};
