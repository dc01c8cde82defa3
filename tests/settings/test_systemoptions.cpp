#include "settings/uqlFileSettings.h"
#include "settings/uqlIniOptions.h"
#include "settings/uqlRefactorOptions.h"
#include "settings/uqlStringList.h"
#include "settings/uqlSystemOptions.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace {

class SystemOptionsTest : public ::testing::Test {
protected:
    TTempDir Dir;
    std::string Name = Dir.File("options.ql");
    Ref<IqlFileSettings> Settings = MakeRef<TqlFileSettings>(Name);
};

} // namespace

TEST_F(SystemOptionsTest, MissingFileLeavesEverythingEmptyAndFirstSaveWritesCountZero)
{
    auto S = MakeRef<TqlSystemOptions>();
    S->Load(Settings);
    EXPECT_EQ(S->GetLibrarySearchPath()->GetCount(), 0);
    EXPECT_EQ(S->GetRefactorOptions()->GetFolderComparisonExe(), "");
    EXPECT_EQ(S->GetRefactorOptions()->GetFolderComparisonExeParams(), "");
    EXPECT_TRUE(S->GetRefactorOptions()->GetRefactorings().empty());
    EXPECT_FALSE(std::filesystem::exists(Name));
    S->Save(Settings);
    EXPECT_EQ(ReadFileBytes(Name), "[FolderComparison]\r\nFolderComparisonExe=\r\n"
                                   "FolderComparisonExeParams=\r\n\r\n[Refactorings]\r\nCount=0\r\n");
}

TEST_F(SystemOptionsTest, MissingNumberedKeyGivesAnEmptyLine)
{
    WriteFileBytes(Name, "[Refactorings]\r\nCount=3\r\n0=WithUnwinder.so\r\n2=NodeInspector.so\r\n");
    auto R = MakeRef<TqlRefactorOptions>();
    R->Load(Settings);
    EXPECT_EQ(R->GetRefactorings(),
              (std::vector<std::string>{"WithUnwinder.so", "", "NodeInspector.so"}));
}

TEST_F(SystemOptionsTest, ShorterListLeavesOldKeysThatLoadIgnores)
{
    auto R = MakeRef<TqlRefactorOptions>();
    R->SetRefactorings({"a", "b", "c", "d", "e"});
    R->Save(Settings);
    R->SetRefactorings({"x", "y"});
    R->Save(Settings);
    EXPECT_EQ(Settings->ReadValue("Refactorings", "4", Variant("")), Variant("e"));
    auto Back = MakeRef<TqlRefactorOptions>();
    Back->Load(Settings);
    EXPECT_EQ(Back->GetRefactorings(), (std::vector<std::string>{"x", "y"}));
}

TEST_F(SystemOptionsTest, BadOrHugeCountIsHarmless)
{
    auto R = MakeRef<TqlRefactorOptions>();
    for (const char* Bad : {"", "three", "-5", "99999999999"}) {
        WriteFileBytes(Name, std::string("[Refactorings]\r\nCount=") + Bad + "\r\n0=a\r\n");
        R->SetRefactorings({"stale"});
        R->Load(Settings);
        EXPECT_TRUE(R->GetRefactorings().empty()) << "Count=" << Bad;
    }
    WriteFileBytes(Name, "[Refactorings]\r\nCount=2000000000\r\n0=a\r\n");
    R->Load(Settings);
    ASSERT_EQ(R->GetRefactorings().size(), size_t(TqlRefactorOptions::MaxRefactorings));
    EXPECT_EQ(R->GetRefactorings()[0], "a");
}

TEST_F(SystemOptionsTest, RoundTripAndLoadDefaults)
{
    auto S = MakeRef<TqlSystemOptions>();
    S->GetLibrarySearchPath()->Add("$(DELPHI)\\Lib");
    S->GetLibrarySearchPath()->Add("C:\\Components");
    auto R = S->GetRefactorOptions();
    R->SetFolderComparisonExe("C:\\Tools\\Compare.exe");
    R->SetFolderComparisonExeParams("\"%1\" \"%2\"");
    R->GetRefactorings().push_back("WithUnwinder.bpl");
    S->Save(Settings);

    auto Back = MakeRef<TqlSystemOptions>();
    Back->Load(Settings);
    EXPECT_EQ(qlListLines(Back->GetLibrarySearchPath()),
              (std::vector<std::string>{"$(DELPHI)\\Lib", "C:\\Components"}));
    EXPECT_EQ(Back->GetRefactorOptions()->GetFolderComparisonExe(), "C:\\Tools\\Compare.exe");
    EXPECT_EQ(Back->GetRefactorOptions()->GetFolderComparisonExeParams(), "\"%1\" \"%2\"")
        << "quotes around a value are kept";
    EXPECT_EQ(Back->GetRefactorOptions()->GetRefactorings(),
              std::vector<std::string>{"WithUnwinder.bpl"});

    Back->LoadDefaults();
    EXPECT_EQ(Back->GetLibrarySearchPath()->GetCount(), 0);
    EXPECT_EQ(Back->GetRefactorOptions()->GetFolderComparisonExe(), "");
    EXPECT_EQ(Back->GetRefactorOptions()->GetFolderComparisonExeParams(), "");
    EXPECT_EQ(Back->GetRefactorOptions()->GetRefactorings(),
              std::vector<std::string>{"WithUnwinder.bpl"})
        << "the package list survives the defaults";
}

TEST_F(SystemOptionsTest, UnstorableLibraryFolderIsRefused)
{
    auto S = MakeRef<TqlSystemOptions>();
    S->GetLibrarySearchPath()->Add("C:\\lib=old");
    try {
        S->Save(Settings);
        FAIL() << "saved";
    } catch (const Exception& E) {
        EXPECT_NE(std::string(E.what()).find("librarysearchpath"), std::string::npos) << E.what();
        EXPECT_NE(std::string(E.what()).find("C:\\lib=old"), std::string::npos) << E.what();
    }
    EXPECT_FALSE(std::filesystem::exists(Name));
}

// An options file that is not read (another encoding, one no reader gets
// through) leaves the defaults with one notice naming it, and a save writes
// nothing over it; a file read again afterwards is written as usual.
TEST_F(SystemOptionsTest, FileNotReadGivesDefaultsAndIsNeverWritten)
{
    std::string Utf16 = "\xFF\xFE";
    for (char C : std::string("[librarysearchpath]\r\nC:\\Lib=\r\n[Refactorings]\r\nCount=1\r\n0=a.so\r\n"))
        Utf16 += std::string{C, '\0'};
    for (const bool Loop : {false, true}) {
        std::filesystem::remove(Name);
        if (Loop)
            std::filesystem::create_symlink("options.ql", Name);  // a link to itself
        else
            WriteFileBytes(Name, Utf16);
        std::vector<std::string> Notices;
        const TqlIniNoticeHandler Old =
            qlSetIniNoticeHandler([&](const std::string& N) { Notices.push_back(N); });
        auto S = MakeRef<TqlSystemOptions>();
        S->GetRefactorOptions()->SetRefactorings({"stale.so"});
        S->Load(Settings);
        qlSetIniNoticeHandler(Old);
        ASSERT_EQ(Notices.size(), 1u) << (Loop ? "loop" : "UTF-16");
        EXPECT_NE(Notices[0].find(Name), std::string::npos) << Notices[0];
        EXPECT_EQ(S->NotRead(), Name);
        EXPECT_EQ(S->GetLibrarySearchPath()->GetCount(), 0);
        EXPECT_TRUE(S->GetRefactorOptions()->GetRefactorings().empty());
        S->GetLibrarySearchPath()->Add("C:\\Other");
        S->Save(Settings);
        if (Loop)
            EXPECT_EQ(std::filesystem::read_symlink(Name), "options.ql");
        else
            EXPECT_EQ(ReadFileBytes(Name), Utf16);
    }
    std::filesystem::remove(Name);
    auto S = MakeRef<TqlSystemOptions>();
    S->Load(Settings);
    EXPECT_EQ(S->NotRead(), "");
    S->GetLibrarySearchPath()->Add("C:\\Other");
    S->Save(Settings);
    EXPECT_NE(ReadFileBytes(Name).find("C:\\Other"), std::string::npos);
}
