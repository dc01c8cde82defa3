// One check of a report, switched on or off for project units and for
// library units.
#pragma once

#include "model/uqlClasses.h"

class TqlSetting : public TInterfacedObject, public IqlSetting {
public:
    TqlSetting(const std::string& Name, const std::string& CategoryName, bool Project,
               bool Library);

    std::string GetCategoryName() override { return FCategoryName; }
    bool GetLibrary() override { return FLibrary; }
    std::string GetName() override { return FName; }
    bool GetProject() override { return FProject; }
    void SetLibrary(bool Value) override { FLibrary = Value; }
    void SetProject(bool Value) override { FProject = Value; }

private:
    std::string FName;
    std::string FCategoryName;
    bool FProject;
    bool FLibrary;
};
