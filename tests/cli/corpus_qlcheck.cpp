// qlcheck over real Object Pascal: for each of several folders of the Free
// Pascal tree, a generated program uses every unit of the folder (through
// in-paths), with the library search path pointing into the tree. Each run
// must end by itself with exit code 0 or with a message and exit code 1 -
// never by a signal, a hang or a sanitizer report.
#include "CliTestSupport.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <thread>

namespace fs = std::filesystem;

namespace {

const std::string Fpc = QUILLET_FPCSRC;

const char* const Folders[] = {
    "packages/fcl-db/src/dbase", "packages/pasjpeg/src",    "packages/regexpr/src",
    "packages/winunits-jedi/src", "rtl/objpas",             "packages/fcl-base/src",
    "packages/fcl-xml/src",      "packages/fcl-passrc/src", "packages/fcl-json/src",
    "packages/fcl-image/src",    "packages/fcl-process/src", "packages/fcl-web/src/base"};

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

// "program CorpusMain; uses A in '/.../a.pas', ...; begin end."
std::string MainProgram(const std::string& Folder, int& Units)
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
    Units = static_cast<int>(Files.size());
    return Text + "\nbegin\nend.\n";
}

bool SanitizerReport(const std::string& Err)
{
    return Err.find("Sanitizer") != std::string::npos || Err.find("runtime error:") != std::string::npos;
}

} // namespace

TEST(CorpusQlcheck, PackageFoldersAnalyseToTheEnd)
{
    std::string Options = "[LibrarySearchPath]\n";
    for (const char* L : LibraryFolders)
        Options += Fpc + "/" + L + "=\n";
    TQlcheck Q(std::nullopt, Options);

    std::vector<std::string> Work;
    for (const char* F : Folders)
        if (fs::is_directory(Fpc + "/" + F))
            Work.push_back(F);
    ASSERT_GE(Work.size(), 5u);

    std::mutex Lock;
    size_t Next = 0;
    int Done = 0;
    auto Worker = [&] {
        for (;;) {
            std::string Folder;
            {
                std::lock_guard<std::mutex> G(Lock);
                if (Next >= Work.size())
                    return;
                Folder = Work[Next++];
            }
            TCliFolder Temp;
            int Units = 0;
            Temp.Write("CorpusMain.dpr", MainProgram(Fpc + "/" + Folder, Units));
            const TQlcheckRun R = Q.Run({"CorpusMain.dpr"}, Temp.Path(), 300);
            size_t Lines = static_cast<size_t>(std::count(R.Out.begin(), R.Out.end(), '\n'));
            std::lock_guard<std::mutex> G(Lock);
            SCOPED_TRACE(Folder);
            EXPECT_FALSE(R.TimedOut);
            EXPECT_EQ(R.Signal, 0);
            EXPECT_FALSE(SanitizerReport(R.Err)) << R.Err.substr(0, 4000);
            EXPECT_TRUE(R.ExitCode == 0 || (R.ExitCode == 1 && !R.Err.empty())) << R.Err;
            if (R.ExitCode == 0) {
                // Each unit found gives two lines; the folder's own units
                // are found (a few may share a name with a unit met earlier).
                EXPECT_EQ(Lines % 2, 0u);
                EXPECT_GE(Lines, size_t(Units));
                EXPECT_EQ(R.Out.substr(0, Temp.Path().size()), Temp.Path());
            } else {
                std::printf("%s: %s", Folder.c_str(), R.Err.c_str());
            }
            std::printf("%s: %d units, %zu progress lines, exit %d\n", Folder.c_str(), Units, Lines,
                        R.ExitCode);
            ++Done;
        }
    };
    // Several runs at a time, each in a process of its own.
    std::vector<std::thread> Threads;
    for (int i = 0; i < 4; ++i)
        Threads.emplace_back(Worker);
    for (std::thread& T : Threads)
        T.join();
    EXPECT_EQ(Done, static_cast<int>(Work.size()));
}
