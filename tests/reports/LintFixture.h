// The fixture of the Ridizo Dedu tests: a stand-in project with one project
// unit "Main" and the report with its default settings.
#pragma once

#include "StandInProject.h"

#include "reports/uqlPasLintReport.h"

using Strings = std::vector<std::string>;

class LintTest : public ReportsTest {
protected:
    Ref<TRPTpasLint> Lint;
    TqlUnit* U = nullptr;

    void SetUp() override
    {
        ReportsTest::SetUp();
        Lint = NewReport<TRPTpasLint>();
        U = Project->NewUnit("Main");
    }

    // Runs the report and returns the rows that contain Part.
    Strings Lines(const std::string& Part) { return RowsWith(RunRows(Lint), Part); }
    // The symbols of the rows that contain Part (after Lines ran).
    std::vector<TqlCodeLocation*> Symbols(const std::string& Part)
    {
        const Strings All = RunRows(Lint);
        auto* Data = dynamic_cast<TqlReportData*>(Lint->GetData().get());
        std::vector<TqlCodeLocation*> Out;
        for (size_t I = 0; I < All.size(); ++I)
            if (All[I].find(Part) != std::string::npos)
                Out.push_back(Data->GetSymbol(static_cast<int>(I)));
        return Out;
    }
};
