// A real project for the report tests: Pascal sources written to a
// temporary folder, analysed by TqlProject (installed as gqlProject for the
// test's lifetime, with its settings files in a temporary folder of its
// own), and the built-in reports registered and run over the result.
#pragma once

#include "tests/TestFolder.h"

#include <gtest/gtest.h>

#include "analysis/uqlProject.h"
#include "reports/uqlBuiltInReports.h"
#include "reports/uqlReportData.h"
#include "settings/uqlStringList.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using Strings = std::vector<std::string>;

using TTempFolder = TTestFolder;

class TAnalysedProject {
public:
    TAnalysedProject() : FProject(new TqlProject(FSettings.Path() + "/"))
    {
        gqlProject = Ref<IqlProject>(FProject.get());
        RegisterBuiltInReports();
    }
    ~TAnalysedProject()
    {
        gqlProject = nullptr;
    }
    TAnalysedProject(const TAnalysedProject&) = delete;
    TAnalysedProject& operator=(const TAnalysedProject&) = delete;

    TqlProject* operator->() const { return FProject.get(); }
    const TTempFolder& Sources() const { return FSources; }
    std::string Write(const std::string& Rel, const std::string& Text) const
    {
        return FSources.Write(Rel, Text);
    }
    void AddLibraryPath(const std::string& Folder)
    {
        FProject->GetSystemOptions()->GetLibrarySearchPath()->Add(Folder);
    }
    // Analyses the file (a path, or a name in the source folder).
    void Analyze(const std::string& MainFile)
    {
        const std::string Path =
            std::filesystem::path(MainFile).is_absolute() ? MainFile : FSources.Path() + "/" + MainFile;
        FProject->GetOptions()->SetFileToAnalyze(Path);
        FProject->Analyze(true);
    }

    Ref<IqlReport> Report(const std::string& Name)
    {
        Ref<IqlReport> R = FProject->GetReports()->FindByName(Name);
        if (!R)
            throw std::runtime_error("no report " + Name);
        return R;
    }
    void SetFlags(const std::string& ReportName, const std::string& Setting, bool Project,
                  bool Library)
    {
        Ref<IqlSettings> S = Report(ReportName)->GetSettings();
        for (int I = 0; I < S->GetSettingCount(); ++I)
            if (S->GetSetting(I)->GetName() == Setting) {
                S->GetSetting(I)->SetProject(Project);
                S->GetSetting(I)->SetLibrary(Library);
                return;
            }
        throw std::runtime_error("no setting " + Setting);
    }

    // Runs the report; each row's values joined by "|".
    Strings Rows(const std::string& ReportName)
    {
        Ref<IqlReport> R = Report(ReportName);
        R->Run();
        Strings Out;
        Ref<IqlReportData> D = R->GetData();
        auto* Data = dynamic_cast<TqlReportData*>(D.get());
        for (int Row = 0; Row < D->GetRowCount(); ++Row) {
            std::string Line;
            for (int C = 1; C <= Data->GetValueCount(Row); ++C) {
                Variant V;
                D->GetValue(Row, C, V);
                if (C > 1)
                    Line += "|";
                Line += V.AsString();
            }
            Out.push_back(Line);
        }
        return Out;
    }
    // The Ridizo Dedu rows that contain Part.
    Strings Lint(const std::string& Part)
    {
        Strings Out;
        for (const std::string& Row : Rows("Ridizo Dedu"))
            if (Row.find(Part) != std::string::npos)
                Out.push_back(Row);
        return Out;
    }
    // The messages the analysis raised, for diagnostics.
    std::string Messages()
    {
        std::string Out;
        Ref<IqlMessageList> L = FProject->GetMessages();
        for (int I = 0; I < L->GetCount(); ++I)
            Out += L->GetItems(I)->GetMessageText() + "\n";
        return Out;
    }

private:
    TTempFolder FSettings;
    TTempFolder FSources;
    Ref<TqlProject> FProject;
};

// One unit "Main" analysed on its own: Interface and Implementation are
// the bodies of its two sections.
inline std::string UnitText(const std::string& Name, const std::string& Interface,
                            const std::string& Implementation)
{
    return "unit " + Name + ";\n\ninterface\n\n" + Interface + "\nimplementation\n\n" +
           Implementation + "\nend.\n";
}
