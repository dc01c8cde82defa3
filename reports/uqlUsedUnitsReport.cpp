#include "reports/uqlUsedUnitsReport.h"

void TRPTUsedUnits::DefineColumns()
{
    AddColumn("Full Path", dtString);
    AddColumn("Unit", dtString);
    AddColumn("Used Count", dtInteger);
    AddColumn("Code Lines", dtInteger);
    AddColumn("Comment Lines", dtInteger);
    AddColumn("Empty Lines", dtInteger);
    AddColumn("Total Lines", dtInteger);
    AddColumn("Parsed [Y/N]", dtBoolean);
    AddColumn("Project Unit [Y/N]", dtBoolean);
}

void TRPTUsedUnits::DefineSettings()
{
    FReportUnits = AddSetting("Report Units", true, true);
}

void TRPTUsedUnits::Execute()
{
    TqlUnitList* Units = Project().GetUnits();
    if (!Units)
        return;
    for (int U = 0; U < Units->GetCount(); ++U) {
        TqlUnit* Unit = Units->GetUnits(U);
        TqlUsedByList* UsedBy = Unit->GetUsedBy();
        const TqlCodeStatistics& Lines = Unit->GetCodeStatistics();
        FData->AddUnitRow(Unit, FReportUnits, Unit, UsedBy,
                          {Unit->GetFullFileName(), Unit->GetName(), UsedBy->GetCount(),
                           Lines.GetCodeLines(), Lines.GetCommentLines(), Lines.GetEmptyLines(),
                           Lines.GetTotalLines(), Unit->ParserState == psrFull ? "Y" : "N",
                           Unit->IsLibraryUnit() ? "N" : "Y"});
    }
}
