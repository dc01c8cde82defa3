// The "String Literals" report: every string literal recorded for every unit,
// with its line.
#pragma once

#include "reports/uqlReport.h"

class TRPTStringLiterals : public TqlReport {
public:
    std::string GetName() override { return "String Literals"; }

protected:
    void DefineColumns() override;
    void DefineSettings() override;
    void Execute() override;

private:
    Ref<IqlSetting> FReportStrings;
};
