// The registry file reader, the library-path sets, the folder walk and the
// check of search folders.
#include "TestFolder.h"
#include "desktop/uqlPathUtils.h"

#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const std::string Fixture = QUILLET_SOURCE_DIR "/tests/desktop/data/user.reg";
const std::string V7 = "Software\\Borland\\Delphi\\7.0\\Library";

std::string Joined(const std::vector<std::string>& L)
{
    std::string R;
    for (const std::string& S : L)
        R += S + "|";
    return R;
}

} // namespace

class TPathUtilsTest : public QObject {
    Q_OBJECT
private slots:
    void RegistryValues()
    {
        const TqlRegistry Reg = TqlRegistry::FromFile(Fixture);
        const struct {
            const char* Key;
            const char* Name;
            const char* Expected;
        } Cases[] = {
            {"Software\\Borland\\Delphi\\7.0\\Library", "Browsing Path",
             "$(DELPHI)\\Source\\Vcl;$(DELPHI)\\Source\\Rtl\\Common"},
            {"software\\BORLAND\\delphi\\7.0\\library\\", "searchpath", "C:\\Shared\\Lib;c:\\shared\\lib\\"},
            {"Software\\Borland\\Delphi\\7.0\\Library", "Quoted", "say \"hi\" \\\\server"},
            {"Software\\Borland\\Delphi\\7.0\\Library", "Count", ""},   // not a string
            {"Software\\Borland\\Delphi\\7.0\\Library", "Broken", ""},  // no closing quote
            {"Software\\Borland\\Delphi\\7.0\\Library", "NoValue", ""},
            {"Software\\Borland\\Delphi\\7.0\\Library", "Missing", ""},
            {"Software\\Borland\\Delphi\\6.0\\Library", "Search Path", ""},
            {"Software\\Borland\\Delphi\\5.0", "RootDir", "C:\\Program Files\\Borland\\Delphi5"},
        };
        for (const auto& C : Cases)
            QCOMPARE(Reg.ReadString(TqlRootKey::CurrentUser, C.Key, C.Name), std::string(C.Expected));
        QCOMPARE(Reg.ReadString(TqlRootKey::LocalMachine, V7, "SearchPath"), std::string());
    }

    void RegistryKeys()
    {
        const TqlRegistry Reg = TqlRegistry::FromFile(Fixture);
        const struct {
            const char* Key;
            bool Exists;
        } Cases[] = {
            {"Software\\Borland\\Delphi\\7.0\\", true},  // only keys below it are written
            {"Software\\Borland\\Delphi\\7.0", true},
            {"SOFTWARE\\borland", true},
            {"Software\\Borland\\Delphi\\5.0\\", true},
            {"Software\\Borland\\Delphi\\6.0\\", false},
            {"Software\\Borland\\Delphi\\7", false},
            {"Software\\Borland\\Delphi\\7.0\\Lib", false},
        };
        for (const auto& C : Cases)
            QVERIFY2(Reg.KeyExists(TqlRootKey::CurrentUser, C.Key) == C.Exists, C.Key);
        QVERIFY(!Reg.KeyExists(TqlRootKey::LocalMachine, "Software"));
        // No file, or a folder in its place: an empty registry.
        TTestFolder Folder;
        QCOMPARE(TqlRegistry::FromFile(Folder.Path() + "/none.reg").KeyCount(), 0);
        QCOMPARE(TqlRegistry::FromFile(Folder.Path()).KeyCount(), 0);
    }

    void UserFileFollowsWinePrefix()
    {
        const char* Old = std::getenv("WINEPREFIX");
        const std::string Saved = Old ? Old : "";
        setenv("WINEPREFIX", "/opt/wine", 1);
        QCOMPARE(TqlRegistry::UserFileName(), std::string("/opt/wine/user.reg"));
        setenv("WINEPREFIX", "", 1);
        QCOMPARE(TqlRegistry::UserFileName(), std::string(std::getenv("HOME")) + "/.wine/user.reg");
        if (Old)
            setenv("WINEPREFIX", Saved.c_str(), 1);
        else
            unsetenv("WINEPREFIX");
    }

    void LibraryPathSets()
    {
        const auto Sets = qlBuildDelphiLibraryPaths(TqlRegistry::FromFile(Fixture), "/work/here/");
        QCOMPARE(Sets.size(), size_t(2));
        QCOMPARE(Sets[0].Name, std::string("Delphi 5.0"));
        QCOMPARE(Joined(Sets[0].Folders), std::string("/work/here/QuilletSystem|"));
        QCOMPARE(Sets[1].Name, std::string("Delphi 7.0"));
        // One folder written with and without a trailing delimiter, and in
        // another case, gives one entry.
        QCOMPARE(Joined(Sets[1].Folders),
                 std::string("$(DELPHI)\\Source\\Vcl/|$(DELPHI)\\Source\\Rtl\\Common/|C:\\Shared\\Lib/|"
                             "$(DELPHI)\\Lib/|$(DELPHI)\\Bin/|$(DELPHI)\\Imports/|/work/here/QuilletSystem|"));
        QVERIFY(qlBuildDelphiLibraryPaths(TqlRegistry(), "/x").empty());
    }

    void AddFolderRules()
    {
        std::vector<std::string> L;
        AddFolders(L, " A ;;b\\;B/; a/ ;C");
        QCOMPARE(Joined(L), std::string("A/|b\\|C/|"));
        AddFolder(L, "c\\");
        QCOMPARE(L.size(), size_t(3));
    }

    void SubFoldersSortedLinksNotWalked()
    {
        TTestFolder F;
        for (const char* Dir : {"b/y", "b/x", "a", "c/deep/er"})
            fs::create_directories(fs::path(F.Path()) / Dir);
        F.Write("a/file.pas", "unit");
        // A loop (a link to the top) and a link into another folder: listed,
        // not walked.
        fs::create_directory_symlink(F.Path(), fs::path(F.Path()) / "b/loop");
        fs::create_directory_symlink(fs::path(F.Path()) / "c", fs::path(F.Path()) / "link");
        fs::create_symlink(fs::path(F.Path()) / "a/file.pas", fs::path(F.Path()) / "filelink");
        fs::create_symlink(fs::path(F.Path()) / "gone", fs::path(F.Path()) / "dangling");
        std::vector<std::string> L;
        AddSubFolders(F.Path(), L);
        const std::string P = F.Path() + "/";
        std::vector<std::string> Expected;
        for (const char* E : {"a", "b", "b/loop", "b/x", "b/y", "c", "c/deep", "c/deep/er", "link"})
            Expected.push_back(P + E);
        QCOMPARE(Joined(L), Joined(Expected));
        // A Windows-style start keeps its own delimiter.
        L.clear();
        AddSubFolders(F.Path() + "/c\\", L);
        QCOMPARE(Joined(L), P + "c\\deep|" + P + "c\\deep/er|");
        L.clear();
        AddSubFolders(F.Path() + "/missing", L);
        QVERIFY(L.empty());
    }

    void MissingFolders()
    {
        TTestFolder F;
        fs::create_directories(fs::path(F.Path()) / "Src/Units");
        fs::create_directories(fs::path(F.Path()) / "Env/Lib");
        setenv("QLTEST_ENVDIR", (F.Path() + "/Env/").c_str(), 1);
        const std::vector<std::string> Lines = {
            "src", "Nope\\One", "", "  ", "..\\NotThere", "SRC\\units\\", "$(QLTEST_ENVDIR)\\lib",
            "$(QLTEST_ENVDIR)\\Gone", F.Path() + "/Src",
        };
        QCOMPARE(qlMissingFolders(Lines, F.Path() + "/"),
                 std::string("Nope\\One\n..\\NotThere\n$(QLTEST_ENVDIR)\\Gone"));
        QCOMPARE(qlMissingFolders({"Src", "Env"}, F.Path() + "/"), std::string());
        unsetenv("QLTEST_ENVDIR");
    }
};

QTEST_GUILESS_MAIN(TPathUtilsTest)
#include "test_pathutils.moc"
