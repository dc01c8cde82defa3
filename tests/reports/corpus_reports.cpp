// All seven reports over real Object Pascal: for several folders of the Free
// Pascal tree, a generated program uses every unit of the folder (through
// in-paths), with the library search path pointing into the tree; the
// analysis runs in full and every report must run to its end over the
// result.
#include "AnalysedProject.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace fs = std::filesystem;

namespace {

const std::string Fpc = QUILLET_FPCSRC;

const char* const Folders[] = {"packages/fcl-db/src/dbase", "rtl/objpas", "packages/fcl-base/src",
                               "packages/fcl-passrc/src", "packages/fcl-xml/src"};

const char* const LibraryFolders[] = {"rtl/objpas", "rtl/objpas/sysutils", "rtl/objpas/classes",
                                      "rtl/inc", "rtl/unix", "rtl/linux",
                                      "packages/fcl-base/src", "packages/rtl-objpas/src/inc"};

bool IsIdentifier(const std::string& S)
{
    if (S.empty() || std::isdigit(static_cast<unsigned char>(S[0])))
        return false;
    return std::all_of(S.begin(), S.end(),
                       [](char C) { return std::isalnum(static_cast<unsigned char>(C)) || C == '_'; });
}

std::string MainProgram(const std::string& Folder)
{
    std::vector<fs::path> Files;
    for (const fs::directory_entry& E : fs::directory_iterator(Folder)) {
        std::string Ext = E.path().extension().string();
        std::transform(Ext.begin(), Ext.end(), Ext.begin(), ::tolower);
        if (E.is_regular_file() && (Ext == ".pas" || Ext == ".pp") &&
            IsIdentifier(E.path().stem().string()))
            Files.push_back(E.path());
    }
    std::sort(Files.begin(), Files.end());
    std::string Text = "program CorpusMain;\n\nuses\n";
    for (size_t i = 0; i < Files.size(); ++i)
        Text += "  " + Files[i].stem().string() + " in '" + Files[i].string() + "'" +
                (i + 1 < Files.size() ? ",\n" : ";\n");
    return Text + "\nbegin\nend.\n";
}

} // namespace

TEST(CorpusReports, EveryReportOverPackageFolders)
{
    int Done = 0;
    for (const char* Folder : Folders) {
        if (!fs::is_directory(Fpc + "/" + Folder))
            continue;
        SCOPED_TRACE(Folder);
        TAnalysedProject P;
        for (const char* L : LibraryFolders)
            P.AddLibraryPath(Fpc + "/" + L);
        P.Write("CorpusMain.dpr", MainProgram(Fpc + "/" + Folder));
        P.Analyze("CorpusMain.dpr");
        const int Units = P->GetUnits()->GetCount();
        ASSERT_GT(Units, 1);
        std::string Counts;
        Ref<IqlReports> Reports = P->GetReports();
        ASSERT_EQ(Reports->GetCount(), 7);
        for (int i = 0; i < Reports->GetCount(); ++i) {
            Ref<IqlReport> R = Reports->GetItem(i);
            ASSERT_NO_THROW(R->Run()) << R->GetName();
            const int Rows = R->GetData()->GetRowCount();
            Counts += " " + R->GetName() + "=" + std::to_string(Rows);
            if (R->GetName() == "Used Units") {
                EXPECT_EQ(Rows, Units);
            }
            // The export of every row must go through as well.
            EXPECT_EQ(R->AsCSV(true, true)->GetCount(), Rows + 1) << R->GetName();
        }
        EXPECT_FALSE(P.Lint("").empty());
        std::printf("%s: %d units;%s\n", Folder, Units, Counts.c_str());
        ++Done;
    }
    EXPECT_GE(Done, 3);
}
