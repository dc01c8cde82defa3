// Whole settings files written byte for byte, compared with the files in
// tests/settings/data.
#include "settings/uqlCodingConventions.h"
#include "settings/uqlFileSettings.h"
#include "settings/uqlOptions.h"
#include "settings/uqlRefactorOptions.h"
#include "settings/uqlSettings.h"
#include "settings/uqlStringList.h"
#include "settings/uqlSystemOptions.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

// Compares the file with the golden file; on a difference the actual bytes
// are left beside the test program for inspection.
void ExpectGolden(const std::string& FileName, const std::string& Golden)
{
    const std::string Actual = ReadFileBytes(FileName);
    const std::string Expected = ReadFileBytes(TestData(Golden));
    if (Actual != Expected || Expected.empty()) {
        WriteFileBytes("actual-" + Golden, Actual);
        ADD_FAILURE() << Golden << " differs; the output is in actual-" << Golden;
    }
}

} // namespace

TEST(Golden, DefaultCodingConventions)
{
    TTempDir Dir;
    const std::string Name = Dir.File("codeconventions.ql");
    auto C = MakeRef<TqlCodingConventions>(Name);
    C->Load();
    C->Save();
    ExpectGolden(Name, "codeconventions_defaults.ql");

    // Saving again changes nothing, and loading it back gives the same file.
    C->Save();
    ExpectGolden(Name, "codeconventions_defaults.ql");
    auto D = MakeRef<TqlCodingConventions>(Name);
    D->Load();
    EXPECT_EQ(D->GetComponentPrefixes()->GetCount(), 161);
    D->Save();
    ExpectGolden(Name, "codeconventions_defaults.ql");
}

TEST(Golden, ProjectOptionsWithReportSettings)
{
    TTempDir Dir;
    const std::string Name = Dir.File("projectoptions.ini");
    auto File = MakeRef<TqlFileSettings>(Name);

    auto O = MakeRef<TqlOptions>();
    O->SetFileToAnalyze("C:\\Projects\\Inventory\\Inventory.dpr");
    O->GetProjectSearchPath()->Add("C:\\Projects\\Common");
    O->GetProjectSearchPath()->Add("..\\Shared Units");
    O->GetDefines()->Add("DEBUG");
    O->GetAliases()->Add("WinTypes=Windows");
    O->GetAliases()->Add("DbiTypes=BDE");
    O->Save(File);

    auto Visible = MakeRef<TqlStringList>();
    Visible->Add("Ridizo Dedu");
    Visible->Add("Code Metrics");
    File->WriteSection("VisibleReports", Visible);

    auto Metrics = MakeRef<TqlSettings>("Code Metrics");
    Metrics->AddSetting("Units", true, false);
    Metrics->AddSetting("Routines", true, true);
    auto Lint = MakeRef<TqlSettings>("Ridizo Dedu");
    Lint->AddSetting("Unused", true, false);
    auto Naming = Lint->AddCategory("Naming");
    Naming->AddSetting("ClassTypes", true, false);
    Metrics->Save(File);
    Lint->Save(File);

    // A second save of changed options keeps every section in its place.
    O->GetProjectSearchPath()->Clear();
    O->GetProjectSearchPath()->Add("C:\\Projects\\Common");
    O->Save(File);
    ExpectGolden(Name, "projectoptions.ini");
}

TEST(Golden, SystemOptions)
{
    TTempDir Dir;
    const std::string Name = Dir.File("options.ql");
    auto File = MakeRef<TqlFileSettings>(Name);
    auto S = MakeRef<TqlSystemOptions>();
    S->GetLibrarySearchPath()->Add("$(DELPHI)\\Lib");
    S->GetLibrarySearchPath()->Add("$(DELPHI)\\Imports");
    S->GetLibrarySearchPath()->Add("C:\\Components\\VirtualTreeView\\Source");
    S->GetRefactorOptions()->SetFolderComparisonExe("C:\\Program Files\\Compare\\compare.exe");
    S->GetRefactorOptions()->SetFolderComparisonExeParams("/dirs \"%1\" \"%2\"");
    S->GetRefactorOptions()->SetRefactorings({"WithUnwinder.bpl", "UnitSweeper.bpl",
                                              "SymbolRenamer.bpl", "NodeInspector.bpl"});
    S->Save(File);
    S->GetRefactorOptions()->SetRefactorings({"WithUnwinder.bpl", "UnitSweeper.bpl"});
    S->Save(File);
    ExpectGolden(Name, "options.ql");
}

TEST(Golden, HandWrittenFileKeepsItsLayout)
{
    TTempDir Dir;
    const std::string Name = Dir.File("codeconventions.ql");
    WriteFileBytes(Name, ReadFileBytes(TestData("handwritten_lf.ql")));
    auto C = MakeRef<TqlCodingConventions>(Name);
    C->Load();
    // Both lines of the equal keys btn and BTN are read; saving folds them.
    EXPECT_EQ(C->GetComponentPrefixes()->GetCount(), 3);
    EXPECT_EQ(C->GetNamingConventions()->GetConstants(), "c[A-Z].*");
    EXPECT_EQ(C->GetNamingConventions()->GetLocalVariables(), "l[A-Z].*");
    C->GetComponentPrefixes()->Add("edt[A-Z].+", "TEdit");
    C->GetIndentationConventions()->SetSpacesPerIndent(3);
    C->Save();
    ExpectGolden(Name, "handwritten_lf.expected.ql");
}
