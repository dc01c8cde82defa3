#include "reports/uqlClassTypesReport.h"

void TRPTClassTypes::DefineColumns()
{
    AddColumn("Unit", dtString);
    AddColumn("Class Name", dtString);
    AddColumn("Used Count", dtInteger);
}

void TRPTClassTypes::DefineSettings()
{
    FProcessClasses = AddSetting("Process Classes", true, true);
}

void TRPTClassTypes::Execute()
{
    TqlUnitList* Units = Project().GetUnits();
    if (!Units)
        return;
    for (int U = 0; U < Units->GetCount(); ++U) {
        TqlUnit* Unit = Units->GetUnits(U);
        TqlOwnedClassList* Classes = Unit->GetClasses();
        for (int C = 0; C < Classes->GetCount(); ++C) {
            TqlClass* Class = Classes->GetClasses(C);
            TqlUsedByList* UsedBy = Class->GetUsedBy();
            FData->AddUnitRow(Unit, FProcessClasses, Class, UsedBy,
                              {Unit->GetName(), Class->GetName(), UsedBy->GetCount()});
        }
    }
}
