#include "settings/uqlSettings.h"

void TqlSettings::Load(const Ref<IqlFileSettings>& Settings)
{
    LoadCategory(Settings, *this);
}

void TqlSettings::Save(const Ref<IqlFileSettings>& Settings)
{
    SaveCategory(Settings, *this);
}
