// A project for the report-view tests: settings in a scratch folder, the
// desktop ini beside them, the built-in reports registered, and a stand-in
// report whose rows the test chooses.
#pragma once

#include "DesktopTestSupport.h"
#include "analysis/uqlProject.h"
#include "reports/uqlBuiltInReports.h"
#include "reports/uqlReport.h"

#include <functional>

class TStandInReport : public TqlReport {
public:
    std::string GetName() override { return "Stand-in"; }
    bool GetSortable() override { return Sortable; }
    bool GetHasUsedBy() override { return HasUsedBy; }

    int Rows = 0;
    bool Sortable = true;
    bool HasUsedBy = false;
    // A row with only its first value: reading its other cells raises.
    int ShortRow = -1;

protected:
    void DefineSettings() override
    {
        FSettings->AddCategory("Group")->AddSetting("Inner", true, false);
        AddSetting("Outer", false, true);
    }
    void DefineColumns() override
    {
        AddColumn("Name", dtString);
        AddColumn("Count", dtInteger);
        AddColumn("Ratio", dtDouble);
        AddColumn("Flag", dtBoolean);
    }
    void Execute() override
    {
        for (int I = 0; I < Rows; ++I) {
            if (I == ShortRow)
                FData->AddValueRow({Variant("short")});
            else
                FData->AddValueRow({Variant("Row" + std::to_string(I)), Variant(I % 7),
                                    Variant(I / 4.0), Variant(I % 2 ? "Y" : "N")});
        }
    }
};

class TProjectFixture {
public:
    TProjectFixture() : Ini(Folder), Project(new TqlProject(Folder.Path()))
    {
        gqlProject = Ref<IqlProject>(Project.get());
        RegisterBuiltInReports();
        StandIn = TqlReport::Create<TStandInReport>();
        gqlProject->GetReports()->Add(StandIn);
    }
    ~TProjectFixture()
    {
        StandIn = nullptr;
        gqlProject = nullptr;
    }
    void AnalyzeSample()
    {
        gqlProject->GetOptions()->SetFileToAnalyze(QUILLET_SOURCE_DIR "/samples/Inventory/Inventory.dpr");
        qlAddShippedSystemFolder(gqlProject->GetSystemOptions()->GetLibrarySearchPath());
        gqlProject->Analyze(true);
    }
    Ref<IqlReport> Report(const char* Name) { return gqlProject->GetReports()->FindByName(Name); }

    TTestFolder Folder;
    TDesktopIni Ini;
    Ref<TqlProject> Project;
    Ref<TStandInReport> StandIn;
};
