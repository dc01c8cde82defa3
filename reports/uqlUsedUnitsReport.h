// The "Used Units" report: every unit of the project with its file, use count,
// line counts and whether it was fully parsed and is a project unit.
#pragma once

#include "reports/uqlReport.h"

class TRPTUsedUnits : public TqlReport {
public:
    std::string GetName() override { return "Used Units"; }
    bool GetHasUsedBy() override { return true; }
protected:
    void DefineColumns() override;
    void DefineSettings() override;
    void Execute() override;

private:
    Ref<IqlSetting> FReportUnits;
};
