#include "settings/uqlSetting.h"

TqlSetting::TqlSetting(const std::string& Name, const std::string& CategoryName, bool Project,
                       bool Library)
    : FName(Name), FCategoryName(CategoryName), FProject(Project), FLibrary(Library)
{
}
