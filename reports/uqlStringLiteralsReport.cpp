#include "reports/uqlStringLiteralsReport.h"

void TRPTStringLiterals::DefineColumns()
{
    AddColumn("Unit", dtString);
    AddColumn("String", dtString);
    AddColumn("Line", dtInteger);
}

void TRPTStringLiterals::DefineSettings()
{
    FReportStrings = AddSetting("Report strings", true, true);
}

void TRPTStringLiterals::Execute()
{
    TqlUnitList* Units = Project().GetUnits();
    if (!Units)
        return;
    for (int U = 0; U < Units->GetCount(); ++U) {
        TqlUnit* Unit = Units->GetUnits(U);
        TqlSymbolList* Literals = Unit->GetStringLiterals();
        for (int S = 0; S < Literals->GetCount(); ++S) {
            TqlSymbol* Literal = Literals->GetSymbol(S);
            FData->AddUnitRow(Unit, FReportStrings, Literal, nullptr,
                              {Unit->GetName(), Literal->GetName(), Literal->GetY()});
        }
    }
}
