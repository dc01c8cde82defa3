// The path layer and the uses-clause preprocessing.
#include "AnalysisTestSupport.h"
#include "analysis/uqlPreprocessImpl.h"
#include "analysis/uqlPreprocessor.h"

#include <fcntl.h>
#include <sys/stat.h>

TEST(PathUtils, ResolvesWithoutRegardToCaseAndBothSeparators)
{
    TTempFolder T;
    T.Write("Src/Sub/Unit1.PAS", "x");
    EXPECT_EQ(qlResolveFile(T.Path(), "src\\SUB/unit1.pas"), T.Path() + "/Src/Sub/Unit1.PAS");
    EXPECT_EQ(qlResolveFile(T.Path() + "/Src/Sub", "..\\..\\SRC\\sub\\UNIT1.pas"),
              T.Path() + "/Src/Sub/Unit1.PAS");
    EXPECT_EQ(qlResolveFile(T.Path(), "Src/Sub"), "") << "a folder is not a file";
    EXPECT_EQ(qlResolveFolder(T.Path(), "SRC\\sub"), T.Path() + "/Src/Sub");
    EXPECT_EQ(qlResolveFile(T.Path(), "Src/Missing.pas"), "");
}

TEST(PathUtils, ExactMatchFirstThenFirstInSortedOrder)
{
    TTempFolder T;
    T.Write("ab.pas", "1");
    T.Write("AB.pas", "2");
    T.Write("Ab.pas", "3");
    EXPECT_EQ(qlResolveFile(T.Path(), "Ab.pas"), T.Path() + "/Ab.pas");
    EXPECT_EQ(qlResolveFile(T.Path(), "aB.PAS"), T.Path() + "/AB.pas");
    TqlFolderIndex Index;
    Index.AddFolder("", T.Path(), false);
    TqlFolderIndex::TEntry E;
    ASSERT_TRUE(Index.Find("AB.PAS", E));
    EXPECT_EQ(E.FullFileName, T.Path() + "/AB.pas");
}

TEST(PathUtils, ListingsKeptForAnAnalysisResolveAsFreshOnes)
{
    TTempFolder T;
    T.Write("Src/Sub/Unit1.PAS", "x");
    T.Write("Src/ab.inc", "1");
    T.Write("Src/AB.inc", "2");
    T.Write("Src/Dir.inc/x", "a folder");
    TqlFolderListings Listings;
    for (int Round = 0; Round < 2; ++Round)
        for (const char* Path : {"src\\SUB/unit1.pas", "Src/Sub/Unit1.PAS", "SRC/sub/../SUB/UNIT1.pas", "src/aB.INC",
                                 "src/ab.inc", "src/dir.inc", "src/sub/.", "src/missing.inc", "Src/Sub/.."})
            EXPECT_EQ(qlResolveFile(T.Path(), Path, &Listings), qlResolveFile(T.Path(), Path)) << Path;
    // A file that comes later is still found under its own name.
    T.Write("Src/New.inc", "3");
    EXPECT_EQ(qlResolveFile(T.Path(), "Src/New.inc", &Listings), T.Path() + "/Src/New.inc");
}

TEST(PathUtils, AKeptListingIsReadAgainOnceItsFolderChanges)
{
    TTempFolder T;
    T.Write("Old/A.inc", "1");
    const std::string Old = T.Path() + "/Old";
    // A folder last changed long ago: its listing is kept.
    const timespec Past[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, Old.c_str(), Past, 0), 0);
    TqlFolderListings Listings;
    EXPECT_EQ(qlResolveFile(Old, "a.INC", &Listings), Old + "/A.inc");
    EXPECT_EQ(qlResolveFile(Old, "b.INC", &Listings), "");
    T.Write("Old/B.inc", "2");
    EXPECT_EQ(qlResolveFile(Old, "b.INC", &Listings), Old + "/B.inc");
}

TEST(PathUtils, DriveLettersAndUncPathsAreNotFound)
{
    EXPECT_EQ(qlResolveFile("/", "C:\\Windows\\win.ini"), "");
    EXPECT_EQ(qlResolveFile("/", "c:Foo.pas"), "");
    EXPECT_EQ(qlResolveFile("/", "\\\\server\\share\\a.pas"), "");
    EXPECT_EQ(qlResolveFile("/", ""), "");
    EXPECT_EQ(qlExtractUnitName("..\\Src\\Foo.pas"), "Foo");
    EXPECT_EQ(qlExtractFileExt("a.b\\c"), "");
    EXPECT_EQ(qlChangeFileExt("x\\Main.pas", ".dfm"), "x\\Main.dfm");
}

TEST(PathUtils, FirstFolderWins)
{
    TTempFolder T;
    T.Write("one/Same.pas", "1");
    T.Write("two/same.PAS", "2");
    TqlFolderIndex Index;
    Index.AddFolder(T.Path(), "ONE", false);
    Index.AddFolder(T.Path(), "two", true);
    TqlFolderIndex::TEntry E;
    ASSERT_TRUE(Index.Find("same.pas", E));
    EXPECT_EQ(E.FullFileName, T.Path() + "/one/Same.pas");
    EXPECT_FALSE(E.IsLibrary);
}

TEST(Preprocessor, CollectsNamesAndInPathsInOrder)
{
    TTempFolder T;
    const std::string F = T.Write(
        "p.dpr", "program P;\nuses A, B in '..\\b\\B.pas', a in 'x.pas';\nbegin\nend.\n");
    Ref<IVxPreProcessorInfo> Info = GetPreProcessorInfo(F);
    ASSERT_EQ(Info->GetUsedUnitCount(), 2);
    EXPECT_EQ(Info->GetUsedUnits()->GetItems(0)->GetName(), "A");
    EXPECT_EQ(Info->GetUsedUnits()->GetItems(0)->GetInPath(), "'x.pas'");
    EXPECT_EQ(Info->GetUsedUnits()->GetItems(1)->GetInPath(), "'..\\b\\B.pas'");
    std::string In = "unchanged";
    Info->GetUnitInPath("c", In);
    EXPECT_EQ(In, "unchanged");
    Info->GetUnitInPath("b", In);
    EXPECT_EQ(In, "'..\\b\\B.pas'");
    EXPECT_EQ(GetPreProcessorInfo(T.Path() + "/none.dpr")->GetUsedUnitCount(), 0);
}

TEST(Preprocessor, IncludesAndSyntaxErrorsDoNotMakeTheScanFatal)
{
    TTempFolder T;
    T.Write("inc/Units.INC", "A, B,");
    const std::string F =
        T.Write("p.dpr", "program P;\nuses {$I inc\\units.inc} C;\nbegin\n  if then then ( ;\n");
    TNameValueList Lines;
    EXPECT_NO_THROW(ScanUsedUnits(F, &Lines));
    ASSERT_EQ(Lines.size(), 3u);
    EXPECT_EQ(Lines[2].first, "C");
    TAnalysisScope P;
    EXPECT_NO_THROW(GetPreProcessorInfo(F));
}

// An include file named again is scanned again, from the one text read, each
// time with the symbols defined at that point.
TEST(Preprocessor, RepeatedIncludeIsScannedEachTime)
{
    TTempFolder T;
    T.Write("u.inc", "{$IFDEF SECOND}B,{$ELSE}A,{$ENDIF}");
    const std::string F = T.Write(
        "p.dpr", "program P;\nuses {$I u.inc} {$DEFINE SECOND}{$I u.inc} {$I u.inc} C;\nbegin\nend.\n");
    TNameValueList Lines;
    EXPECT_EQ(ScanUsedUnits(F, &Lines), 3);
    ASSERT_EQ(Lines.size(), 3u);
    EXPECT_EQ(Lines[0].first, "A");
    EXPECT_EQ(Lines[1].first, "B");
    EXPECT_EQ(Lines[2].first, "C");
}
