// The "Global variables" report: every global variable of every unit, with its use count.
#pragma once

#include "reports/uqlReport.h"

class TRPTGlobalVars : public TqlReport {
public:
    std::string GetName() override { return "Global variables"; }
    bool GetHasUsedBy() override { return true; }
protected:
    void DefineColumns() override;
    void DefineSettings() override;
    void Execute() override;

private:
    Ref<IqlSetting> FProcessVariables;
};
