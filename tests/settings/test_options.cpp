#include "settings/uqlFileSettings.h"
#include "settings/uqlOptions.h"
#include "settings/uqlSetting.h"
#include "settings/uqlSettings.h"
#include "settings/uqlStringList.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

class ProjectOptionsTest : public ::testing::Test {
protected:
    TTempDir Dir;
    std::string Name = Dir.File("projectoptions.ini");
    Ref<IqlFileSettings> Settings = MakeRef<TqlFileSettings>(Name);
    Ref<IqlOptions> Options = MakeRef<TqlOptions>();
};

std::vector<std::string> Lines(const Ref<IqlStringList>& L)
{
    return qlListLines(L);
}

} // namespace

TEST_F(ProjectOptionsTest, MissingFileGivesDefaultValueAndTheQuilletDefine)
{
    Options->Load(Settings);
    EXPECT_EQ(Options->GetFileToAnalyze(), "Default Value");
    EXPECT_EQ(Lines(Options->GetDefines()), std::vector<std::string>{"Quillet"});
    EXPECT_EQ(Options->GetProjectSearchPath()->GetCount(), 0);
    EXPECT_EQ(Options->GetAliases()->GetCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(Name));
}

TEST_F(ProjectOptionsTest, QuilletDefineIsAddedOnlyOnce)
{
    Options->GetDefines()->Add("DEBUG");
    EXPECT_EQ(Lines(Options->GetDefines()), (std::vector<std::string>{"Quillet", "DEBUG"}));
    auto Other = MakeRef<TqlOptions>();
    const Ref<IqlStringList> Defines = Other->GetDefines(); // the list itself
    Defines->Clear();
    Defines->Add("QUILLET");
    EXPECT_EQ(Lines(Other->GetDefines()), std::vector<std::string>{"QUILLET"});
}

TEST_F(ProjectOptionsTest, SaveAndLoadRoundTrip)
{
    Options->SetFileToAnalyze("C:\\Projects\\Inventory\\Inventory.dpr");
    Options->GetProjectSearchPath()->Add("C:\\Projects\\Common");
    Options->GetProjectSearchPath()->Add("..\\Shared");
    Options->GetDefines()->Add("DEBUG");
    Options->GetAliases()->Add("WinTypes=Windows");
    Options->GetAliases()->Add("WinProcs=Windows");
    Options->Save(Settings);

    auto Loaded = MakeRef<TqlOptions>();
    Loaded->Load(Settings);
    EXPECT_EQ(Loaded->GetFileToAnalyze(), "C:\\Projects\\Inventory\\Inventory.dpr");
    EXPECT_EQ(Lines(Loaded->GetProjectSearchPath()),
              (std::vector<std::string>{"C:\\Projects\\Common", "..\\Shared"}));
    EXPECT_EQ(Lines(Loaded->GetDefines()), (std::vector<std::string>{"Quillet", "DEBUG"}));
    EXPECT_EQ(Lines(Loaded->GetAliases()),
              (std::vector<std::string>{"WinTypes=Windows", "WinProcs=Windows"}));

    Loaded->Clear();
    EXPECT_EQ(Loaded->GetFileToAnalyze(), "");
    EXPECT_EQ(Loaded->GetProjectSearchPath()->GetCount(), 0);
    EXPECT_EQ(Loaded->GetAliases()->GetCount(), 0);
}

TEST_F(ProjectOptionsTest, FolderThatCannotBeAKeyIsRefusedBeforeWriting)
{
    Options->SetFileToAnalyze("a.dpr");
    Options->Save(Settings);
    const std::string Before = ReadFileBytes(Name);
    for (const char* Bad : {"C:\\a=b", "[Lib]", ";x", "C:\\one\r\nC:\\two"}) {
        auto O = MakeRef<TqlOptions>();
        O->SetFileToAnalyze("changed.dpr");
        O->GetProjectSearchPath()->Add("C:\\good");
        O->GetProjectSearchPath()->Add(Bad);
        try {
            O->Save(Settings);
            ADD_FAILURE() << "saved " << Bad;
        } catch (const Exception& E) {
            EXPECT_NE(std::string(E.what()).find("folder"), std::string::npos) << E.what();
            EXPECT_NE(std::string(E.what()).find("projectsearchpath"), std::string::npos);
        }
    }
    auto O = MakeRef<TqlOptions>();
    O->GetDefines()->Add("A=1");
    EXPECT_THROW(O->Save(Settings), Exception);
    O = MakeRef<TqlOptions>();
    O->GetAliases()->Add("[x=y");
    EXPECT_THROW(O->Save(Settings), Exception);
    EXPECT_EQ(ReadFileBytes(Name), Before);
}

TEST(CheckSettings, TreeBuildsInOrder)
{
    auto Root = MakeRef<TqlSettings>("Metrics");
    auto Depth = Root->AddSetting("Depth", true, false);
    Root->AddSetting("Depth", false, true); // names are not compared
    auto Sub = Root->AddCategory("Sub");
    EXPECT_EQ(Root->GetName(), "Metrics");
    EXPECT_EQ(Root->GetSettingCount(), 2);
    EXPECT_EQ(Root->GetCategoryCount(), 1);
    EXPECT_EQ(Root->GetSetting(0), Depth);
    EXPECT_EQ(Root->GetCategory(0), Sub);
    EXPECT_EQ(Depth->GetCategoryName(), "Metrics");
    EXPECT_EQ(Sub->AddSetting("X", false, false)->GetCategoryName(), "Sub");
    EXPECT_TRUE(Depth->GetProject());
    EXPECT_FALSE(Depth->GetLibrary());
    EXPECT_THROW(Root->GetSetting(2), EListError);
    EXPECT_THROW(Root->GetCategory(-1), EListError);
    Ref<IqlSettingsCategory> AsCategory = Root;
    EXPECT_EQ(AsCategory->GetSettingCount(), 2);
}

TEST(CheckSettings, SaveWritesSettingsBeforeSubcategories)
{
    TTempDir Dir;
    auto File = MakeRef<TqlFileSettings>(Dir.File("p.ini"));
    auto Root = MakeRef<TqlSettings>("Metrics");
    auto Sub = Root->AddCategory("Naming");
    Sub->AddSetting("Classes", false, true);
    Root->AddSetting("Depth", true, false);
    Root->Save(File);
    EXPECT_EQ(ReadFileBytes(File->GetFileName()),
              "[Metrics]\r\nProjectDepth=T\r\nLibraryDepth=F\r\n\r\n"
              "[Naming]\r\nProjectClasses=F\r\nLibraryClasses=T\r\n");
}

TEST(CheckSettings, LoadReadsFlagsWithTheCurrentValuesAsDefaults)
{
    TTempDir Dir;
    const std::string Name = Dir.File("p.ini");
    auto File = MakeRef<TqlFileSettings>(Name);
    auto Root = MakeRef<TqlSettings>("Report");
    auto A = Root->AddSetting("A", true, true);
    auto B = Root->AddSetting("B", true, true);
    auto C = Root->AddSetting("C", false, true);
    auto D = Root->AddSetting("D", true, false);
    auto Sub = Root->AddCategory("Sub");
    auto E = Sub->AddSetting("E", false, false);

    Root->Load(File); // no file: defaults stay
    EXPECT_TRUE(A->GetProject() && A->GetLibrary());
    EXPECT_FALSE(D->GetLibrary());

    WriteFileBytes(Name, "[Report]\r\nProjectA=t\r\nLibraryA=yes\r\nProjectB=F\r\n"
                         "ProjectC=T\r\n[Sub]\r\nProjectE=T\r\nLibraryE=T\r\n"
                         "[Report2]\r\nLibraryD=T\r\n");
    Root->Load(File);
    EXPECT_FALSE(A->GetProject());
    EXPECT_FALSE(A->GetLibrary());
    EXPECT_FALSE(B->GetProject());
    EXPECT_TRUE(B->GetLibrary()) << "missing key keeps the flag";
    EXPECT_TRUE(C->GetProject());
    EXPECT_FALSE(D->GetLibrary()) << "another report's section is not read";
    EXPECT_TRUE(E->GetProject() && E->GetLibrary());
}

TEST(CheckSettings, SaveNeverErasesTheSection)
{
    TTempDir Dir;
    const std::string Name = Dir.File("p.ini");
    WriteFileBytes(Name, "[Report]\r\nProjectOld=T\r\nLibraryOld=T\r\n");
    auto Root = MakeRef<TqlSettings>("report");
    Root->AddSetting("New", true, true);
    Root->Save(MakeRef<TqlFileSettings>(Name));
    EXPECT_EQ(ReadFileBytes(Name),
              "[Report]\r\nProjectOld=T\r\nLibraryOld=T\r\nProjectNew=T\r\nLibraryNew=T\r\n");
}
