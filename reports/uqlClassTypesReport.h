// The "Class Types" report: every class type of every unit (legacy object types
// are not listed), with its use count.
#pragma once

#include "reports/uqlReport.h"

class TRPTClassTypes : public TqlReport {
public:
    std::string GetName() override { return "Class Types"; }
    bool GetHasUsedBy() override { return true; }
protected:
    void DefineColumns() override;
    void DefineSettings() override;
    void Execute() override;

private:
    Ref<IqlSetting> FProcessClasses;
};
