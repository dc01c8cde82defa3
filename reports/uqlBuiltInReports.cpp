#include "reports/uqlBuiltInReports.h"

#include "reports/uqlClassTypesReport.h"
#include "reports/uqlCodeMetricsReport.h"
#include "reports/uqlGlobalVarsReport.h"
#include "reports/uqlPasLintReport.h"
#include "reports/uqlStringLiteralsReport.h"
#include "reports/uqlSystemSymbolsReport.h"
#include "reports/uqlUsedUnitsReport.h"

void RegisterBuiltInReports()
{
    if (!gqlProject)
        throw Exception("The built-in reports need a project, and none has been created.");
    Ref<IqlReports> Reports = gqlProject->GetReports();
    if (!Reports)
        throw Exception("The project has no report list to register the built-in reports with.");
    Reports->Add(TqlReport::Create<TRPTCodeMetrics>());
    Reports->Add(TqlReport::Create<TRPTpasLint>());
    Reports->Add(TqlReport::Create<TRPTGlobalVars>());
    Reports->Add(TqlReport::Create<TRPTUsedUnits>());
    Reports->Add(TqlReport::Create<TRPTClassTypes>());
    Reports->Add(TqlReport::Create<TRPTStringLiterals>());
    Reports->Add(TqlReport::Create<TRPTSystemSymbols>());
}
