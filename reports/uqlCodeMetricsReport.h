// The "Code Metrics" report: counts of units, lines, routines, global
// variables, constants, classes, interfaces, records and legacy objects over
// all analysed units, split into project units and library units. Its rows
// form titled sections in a fixed order, so it is not sortable.
#pragma once

#include "reports/uqlReport.h"

class TRPTCodeMetrics : public TqlReport {
public:
    std::string GetName() override { return "Code Metrics"; }
    bool GetSortable() override { return false; }

protected:
    void DefineColumns() override;
    void DefineSettings() override;
    void Execute() override;

private:
    Ref<IqlSetting> FClasses;
    Ref<IqlSetting> FGlobalVariables;
    Ref<IqlSetting> FGlobalConstants;
    Ref<IqlSetting> FInterfaces;
    Ref<IqlSetting> FLegacyObjects;
    Ref<IqlSetting> FRecords;
    Ref<IqlSetting> FRoutines;
    Ref<IqlSetting> FSourceLines;
    Ref<IqlSetting> FUnits;
};
