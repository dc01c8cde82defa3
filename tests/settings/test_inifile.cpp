#include "settings/uqlIniOptions.h"

#include "base/qlException.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

class IniFileTest : public ::testing::Test {
protected:
    TTempDir Dir;
    std::string Name = Dir.File("test.ini");
};

} // namespace

TEST_F(IniFileTest, ReadingNeverCreatesTheFile)
{
    TqlIniFile Ini(Name);
    EXPECT_EQ(Ini.ReadString("general", "key", "dflt"), "dflt");
    EXPECT_TRUE(Ini.ReadSection("general").empty());
    EXPECT_FALSE(Ini.SectionExists("general"));
    EXPECT_FALSE(fs::exists(Name));
}

TEST_F(IniFileTest, FirstWriteCreatesFileWithCrLf)
{
    TqlIniFile Ini(Name);
    Ini.WriteString("general", "filetoanalyze", "C:\\src\\app.dpr");
    Ini.WriteString("defines", "DEBUG", "");
    Ini.WriteString("general", "second", "2");
    EXPECT_EQ(ReadFileBytes(Name), "[general]\r\nfiletoanalyze=C:\\src\\app.dpr\r\nsecond=2\r\n"
                                   "\r\n[defines]\r\nDEBUG=\r\n");
    EXPECT_EQ(EntryCount(Dir.Path()), 1) << "no temporary file may be left behind";
}

TEST_F(IniFileTest, NamesCompareWithoutCaseAndUpdateKeepsSpellingAndPlace)
{
    WriteFileBytes(Name, "[General]\r\nFileToAnalyze=a.dpr\r\nOther=1\r\n");
    TqlIniFile Ini(Name);
    EXPECT_EQ(Ini.ReadString("GENERAL", "filetoanalyze", ""), "a.dpr");
    Ini.WriteString("general", "FILETOANALYZE", "b.dpr");
    EXPECT_EQ(ReadFileBytes(Name), "[General]\r\nFileToAnalyze=b.dpr\r\nOther=1\r\n");
}

TEST_F(IniFileTest, NewKeyGoesToTheEndOfItsSection)
{
    WriteFileBytes(Name, "[A]\na=1\n; about B\n\n[B]\nb=1\n");
    TqlIniFile Ini(Name);
    Ini.WriteString("a", "c", "3");
    Ini.WriteString("Empty", "x", "y");
    EXPECT_EQ(ReadFileBytes(Name), "[A]\na=1\nc=3\n; about B\n\n[B]\nb=1\n\n[Empty]\nx=y\n")
        << "an LF file keeps its LF line ends";
}

TEST_F(IniFileTest, AcceptsCrLfLfAndByteOrderMark)
{
    WriteFileBytes(Name, "\xEF\xBB\xBF[s]\r\n  key1 = value one  \r\nkey2=two\nkey3\r\n;k=v\r\n");
    TqlIniFile Ini(Name);
    EXPECT_EQ(Ini.ReadString("s", "key1", "?"), "value one");
    EXPECT_EQ(Ini.ReadString("s", "key2", "?"), "two");
    EXPECT_EQ(Ini.ReadString("s", "key3", "?"), "") << "a line without = is a key without value";
    EXPECT_EQ(Ini.ReadString("s", ";k", "?"), "?") << "comments are not keys";
    EXPECT_EQ(Ini.ReadSection("s"), (std::vector<std::string>{"key1", "key2", "key3"}));
    EXPECT_EQ(Ini.ReadSectionValues("s"),
              (std::vector<std::string>{"key1=value one", "key2=two", "key3="}));
    Ini.WriteString("s", "key2", "2");
    EXPECT_EQ(ReadFileBytes(Name),
              "\xEF\xBB\xBF[s]\r\n  key1 = value one  \r\nkey2=2\r\nkey3\r\n;k=v\r\n");
}

TEST_F(IniFileTest, EmptyValueIsNotTheDefault)
{
    WriteFileBytes(Name, "[s]\r\nk=\r\n");
    EXPECT_EQ(TqlIniFile(Name).ReadString("s", "k", "dflt"), "");
}

TEST_F(IniFileTest, LongValuesAreNotTruncated)
{
    std::string Long(200000, 'x');
    Long += "end";
    TqlIniFile Ini(Name);
    Ini.WriteString("s", "long", Long);
    EXPECT_EQ(Ini.ReadString("s", "long", ""), Long);
}

TEST_F(IniFileTest, UnstorableKeysAreRefusedAndLeaveTheFileAlone)
{
    TqlIniFile Ini(Name);
    Ini.WriteString("s", "k", "v");
    const std::string Before = ReadFileBytes(Name);
    for (const std::string Bad : {"[x", " ;x", "a=b", "a\nb", "a\rb", "", "   "}) {
        try {
            Ini.WriteString("s", Bad, "v");
            ADD_FAILURE() << "key accepted: " << Bad;
        } catch (const Exception& E) {
            EXPECT_NE(std::string(E.what()).find(Name), std::string::npos) << E.what();
            EXPECT_NE(std::string(E.what()).find("\"s\""), std::string::npos) << E.what();
        }
    }
    EXPECT_THROW(Ini.WriteString("s", "k", "two\r\nlines"), Exception);
    EXPECT_THROW(Ini.WriteString("a]b", "k", "v"), Exception);
    EXPECT_THROW(Ini.WriteString("", "k", "v"), Exception);
    EXPECT_THROW((Ini.ReplaceSection("s", {{"good", ""}, {";bad", ""}})), Exception);
    EXPECT_EQ(ReadFileBytes(Name), Before);
    EXPECT_TRUE(qlIsStorableIniKey("btn[A-Z].+"));
    EXPECT_FALSE(qlIsStorableIniKey("[A-Z]btn"));
}

TEST_F(IniFileTest, UpdateRemovesLaterDuplicatesOfTheKey)
{
    WriteFileBytes(Name, "[s]\r\nk=1\r\nK=2\r\nj=3\r\n[S]\r\nk=4\r\n");
    TqlIniFile Ini(Name);
    EXPECT_EQ(Ini.ReadString("s", "k", ""), "1");
    EXPECT_EQ(Ini.ReadSection("s"), (std::vector<std::string>{"k", "K", "j", "k"}));
    Ini.WriteString("s", "k", "new");
    EXPECT_EQ(ReadFileBytes(Name), "[s]\r\nk=new\r\nj=3\r\n[S]\r\n");
}

TEST_F(IniFileTest, ReplaceSectionKeepsItsPlaceAndCollapsesEqualKeys)
{
    WriteFileBytes(Name, "[Options]\r\nx=1\r\n\r\n[Prefixes]\r\nold=TOld\r\n\r\n[Last]\r\nz=1\r\n");
    TqlIniFile Ini(Name);
    Ini.ReplaceSection("prefixes", {{"clb[A-Z].+", "TCheckListbox"},
                                    {"btn[A-Z].+", "TButton"},
                                    {"CLB[A-Z].+", "TCoolBar"}});
    EXPECT_EQ(ReadFileBytes(Name), "[Options]\r\nx=1\r\n\r\n[Prefixes]\r\nclb[A-Z].+=TCoolBar\r\n"
                                   "btn[A-Z].+=TButton\r\n\r\n[Last]\r\nz=1\r\n");
    Ini.ReplaceSection("Prefixes", {});
    EXPECT_EQ(ReadFileBytes(Name), "[Options]\r\nx=1\r\n\r\n[Last]\r\nz=1\r\n");
    Ini.ReplaceSection("New", {{"a", ""}});
    EXPECT_EQ(ReadFileBytes(Name), "[Options]\r\nx=1\r\n\r\n[Last]\r\nz=1\r\n\r\n[New]\r\na=\r\n");
}

TEST_F(IniFileTest, EraseSectionRemovesEveryOccurrence)
{
    WriteFileBytes(Name, "[a]\r\nk=1\r\n[b]\r\nk=2\r\n[A]\r\nj=3\r\n");
    TqlIniFile Ini(Name);
    Ini.EraseSection("A");
    EXPECT_EQ(ReadFileBytes(Name), "[b]\r\nk=2\r\n");
    Ini.EraseSection("missing");
    EXPECT_EQ(ReadFileBytes(Name), "[b]\r\nk=2\r\n");
}

TEST_F(IniFileTest, SymbolicLinkStaysALink)
{
    const std::string Real = Dir.File("real.ini");
    WriteFileBytes(Real, "[s]\r\nk=1\r\n");
    fs::create_symlink(Real, Name);
    TqlIniFile(Name).WriteString("s", "k", "2");
    EXPECT_TRUE(fs::is_symlink(Name));
    EXPECT_EQ(ReadFileBytes(Real), "[s]\r\nk=2\r\n");
}

TEST_F(IniFileTest, WriteKeepsTheFileMode)
{
    WriteFileBytes(Name, "[s]\r\nk=1\r\n");
    ::chmod(Name.c_str(), 0640);
    TqlIniFile(Name).WriteString("s", "k", "2");
    struct stat St {};
    ASSERT_EQ(::stat(Name.c_str(), &St), 0);
    EXPECT_EQ(St.st_mode & 0777, 0640u);
}

TEST_F(IniFileTest, FailedWriteNamesTheFile)
{
    const std::string Missing = Dir.File("no/such/folder/x.ini");
    TqlIniFile Ini(Missing);
    EXPECT_EQ(Ini.ReadString("s", "k", "d"), "d");
    try {
        Ini.WriteString("s", "k", "v");
        FAIL() << "write into a missing folder succeeded";
    } catch (const Exception& E) {
        EXPECT_NE(std::string(E.what()).find(Missing), std::string::npos) << E.what();
    }
}

TEST_F(IniFileTest, UnchangedValueLeavesTheLineAlone)
{
    WriteFileBytes(Name, "[s]\r\n  Key = same  \r\nOther = old\r\n");
    TqlIniFile Ini(Name);
    Ini.WriteString("s", "key", "same");
    EXPECT_EQ(ReadFileBytes(Name), "[s]\r\n  Key = same  \r\nOther = old\r\n");
    Ini.WriteString("s", "other", "new");
    EXPECT_EQ(ReadFileBytes(Name), "[s]\r\n  Key = same  \r\nOther=new\r\n");
}
