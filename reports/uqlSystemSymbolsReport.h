// The "System symbols" report: the project's own classes, legacy objects,
// interfaces and built-in types that the analysed code uses, with their use
// counts. Unused entries are left out. Its four settings are defined and
// stored like any other, but its rows are added without consulting them.
#pragma once

#include "reports/uqlReport.h"

class TRPTSystemSymbols : public TqlReport {
public:
    std::string GetName() override { return "System symbols"; }
    bool GetHasUsedBy() override { return true; }
protected:
    void DefineColumns() override;
    void DefineSettings() override;
    void Execute() override;

private:
    Ref<IqlSetting> FReportClasses;
    Ref<IqlSetting> FReportObjects;
    Ref<IqlSetting> FReportInterfaces;
    Ref<IqlSetting> FReportSymbols;
};
