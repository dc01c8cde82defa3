#include "reports/uqlGlobalVarsReport.h"

void TRPTGlobalVars::DefineColumns()
{
    AddColumn("Unit", dtString);
    AddColumn("Variable", dtString);
    AddColumn("Used Count", dtInteger);
}

void TRPTGlobalVars::DefineSettings()
{
    FProcessVariables = AddSetting("Process Variables", true, true);
}

void TRPTGlobalVars::Execute()
{
    TqlUnitList* Units = Project().GetUnits();
    if (!Units)
        return;
    for (int U = 0; U < Units->GetCount(); ++U) {
        TqlUnit* Unit = Units->GetUnits(U);
        TqlVariablesList* Variables = Unit->GetVariables();
        for (int V = 0; V < Variables->GetCount(); ++V) {
            TqlVariable* Variable = Variables->GetVariables(V);
            TqlUsedByList* UsedBy = Variable->GetUsedBy();
            FData->AddUnitRow(Unit, FProcessVariables, Variable, UsedBy,
                              {Unit->GetName(), Variable->GetName(), UsedBy->GetCount()});
        }
    }
}
