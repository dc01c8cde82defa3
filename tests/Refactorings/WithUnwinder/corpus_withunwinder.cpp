// The with refactorings over the Delphi-mode Free Pascal packages, as a user
// runs the all-units commands: the units of a folder that build are analysed
// together (with the compiler's own defines), each command runs over every
// one of them, and what it wrote is built with fpc in a copy of the folder.
// Where a program of the fixtures exercises a folder, it must print after
// each command what it printed before. "Qualify All then Remove" runs Remove
// over a fresh analysis of what Qualify All wrote. Remove must leave no with
// statement without saying why.
#include "tests/Refactorings/PluginCorpusSupport.h"
#include "tests/Refactorings/FpcRunSupport.h"

#include "Refactorings/WithUnwinder/uWithUnwinder.h"

#include <cstdio>
#include <regex>
#include <set>

namespace {

struct TFolder {
    const char* Path;    // below packages/
    const char* Program; // in data/with_corpus_programs; nil for none
};

const TFolder Folders[] = {
    {"pasjpeg/src", "jpegcheck.dpr"},   {"fcl-db/src/dbase", nullptr},
    {"regexpr/src", "regexprcheck.dpr"}, {"hash/src", "hashcheck.dpr"},
    {"fcl-image/src", nullptr},          {"fcl-xml/src", "xmlcheck.dpr"},
    {"fcl-json/src", "jsoncheck.dpr"},
};

enum TCommand {
    cmAddLocalVars,
    cmQualifyMembers,
    cmQualifyAll,
    cmRemove,
    cmQualifyAllRemove,
    cmCount
};
const char* const CommandNames[cmCount] = {"Add Local Vars", "Qualify With Members", "Qualify All",
                                           "Remove", "Qualify All then Remove"};

// The defines of the compiler that builds the outputs, so that the analysis
// and the trees read the branches it compiles.
const char* const CompilerDefines[] = {"FPC",    "FPC_DELPHI",    "UNIX",         "LINUX",
                                       "CPU64",  "CPUX86_64",     "ENDIAN_LITTLE", "VER3",
                                       "VER3_2", "VER3_2_2",      "FPC_HAS_TYPE_EXTENDED"};

const char* const ProgramName = "qlwithcorpus";

struct TCommandTotals {
    int Tried = 0;   // with statements in the units it ran over
    int Units = 0;   // units written
    int Removed = 0; // with statements gone
    std::map<std::string, int> Refusals; // by the finding's text without its name
    int Built = 0, BuildFailed = 0, SameOutput = 0, OtherOutput = 0;
};

struct TFolderRun {
    const TFolder* Folder = nullptr;
    fs::path Work;
    std::vector<std::string> Units; // unit names that build, in file order
    std::string Was;                // what the folder's program printed
    bool Changed[cmCount] = {};
};

// The compiler's errors in a build log, each with the line of the source it
// names (found in Sources).
std::string Problems(const fs::path& Log, const fs::path& Sources)
{
    static const std::regex Place(R"(^([^\s(]+)\((\d+),\d+\) (Error|Fatal):)");
    std::istringstream In(qlReadFile(Log));
    std::string Result;
    for (std::string Line; std::getline(In, Line);) {
        if (Line.find("Error:") == std::string::npos && Line.find("Fatal:") == std::string::npos)
            continue;
        Result += Line + "\n";
        std::smatch M;
        if (!std::regex_search(Line, M, Place))
            continue;
        std::istringstream Source(qlReadFile(Sources / fs::path(M[1].str()).filename()));
        std::string Text;
        for (int N = std::stoi(M[2].str()); N > 0 && std::getline(Source, Text); --N) {
        }
        Result += "    " + Text + "\n";
    }
    return Result;
}

// The text's first word, after blanks, comments and directives, is "unit".
bool IsUnitSource(const std::string& Text)
{
    size_t I = 0;
    while (I < Text.size()) {
        if (std::isspace(static_cast<unsigned char>(Text[I]))) {
            ++I;
        } else if (Text[I] == '{') {
            I = Text.find('}', I);
            I = I == std::string::npos ? Text.size() : I + 1;
        } else if (Text.compare(I, 2, "(*") == 0) {
            I = Text.find("*)", I + 2);
            I = I == std::string::npos ? Text.size() : I + 2;
        } else if (Text.compare(I, 2, "//") == 0) {
            I = Text.find('\n', I);
        } else {
            break;
        }
    }
    return I + 4 < Text.size() && qlSameName(Text.substr(I, 4), "unit") &&
           std::isspace(static_cast<unsigned char>(Text[I + 4]));
}

void WriteUsesProgram(const fs::path& Folder, const std::vector<std::string>& Units)
{
    std::string Text = std::string("program ") + ProgramName + ";\r\n\r\nuses\r\n";
    for (size_t I = 0; I < Units.size(); ++I)
        Text += "  " + Units[I] + (I + 1 < Units.size() ? ",\r\n" : ";\r\n");
    Text += "\r\nbegin\r\nend.\r\n";
    std::ofstream(Folder / (std::string(ProgramName) + ".dpr"), std::ios::binary) << Text;
}

// Copies the folder's sources, and finds the units among them that fpc
// builds: a program that uses them all is built, and a unit the compiler
// stops at is left out until the rest builds.
void Prepare(TFolderRun& Run)
{
    const fs::path Source = fs::path(QUILLET_FPCSRC) / "packages" / Run.Folder->Path;
    const fs::path Src = Run.Work / "src";
    fs::create_directories(Src);
    std::vector<fs::path> Files;
    for (const auto& E : fs::directory_iterator(Source))
        if (E.is_regular_file())
            Files.push_back(E.path());
    std::sort(Files.begin(), Files.end());
    for (const fs::path& F : Files) {
        const std::string Ext = F.extension().string();
        const bool IsUnit = (Ext == ".pas" || Ext == ".pp") && IsUnitSource(qlReadFile(F));
        // The analysis looks for a unit's file with ".pas" added.
        fs::copy_file(F, Src / (IsUnit ? F.stem().string() + ".pas" : F.filename().string()));
        if (IsUnit)
            Run.Units.push_back(F.stem().string());
    }
    const std::regex Stop(R"((^|\n)([^\s(]+)\(\d+,\d+\) (Error|Fatal):)");
    for (size_t Tries = 0; !Run.Units.empty() && Tries <= Files.size(); ++Tries) {
        const fs::path Base = Run.Work / ("base" + std::to_string(Tries));
        fs::create_directories(Base);
        WriteUsesProgram(Base, Run.Units);
        if (qlFpcBuild(Base, std::string(ProgramName) + ".dpr", Src))
            break;
        const std::string Log = qlReadFile(Base / "build.log");
        std::smatch M;
        std::string Failed;
        if (std::regex_search(Log, M, Stop))
            Failed = fs::path(M[2].str()).stem().string();
        if (Failed.empty()) {
            Run.Units.clear();
            break;
        }
        // The unit goes, and so do those that name it (it may be one that
        // went before, built again for a unit that uses it).
        const std::regex Named("\\b" + Failed + "\\b", std::regex::icase);
        const size_t Count = Run.Units.size();
        std::erase_if(Run.Units, [&](const std::string& U) {
            return qlSameName(U, Failed) ||
                   std::regex_search(qlReadFile(Src / (U + ".pas")), Named);
        });
        if (Run.Units.size() == Count) {
            Run.Units.clear();
            break;
        }
    }
    WriteUsesProgram(Src, Run.Units);
    if (Run.Folder->Program) {
        const fs::path Folder = Run.Work / "program0";
        fs::create_directories(Folder);
        fs::copy_file(qlCaseFolder("with_corpus_programs") / Run.Folder->Program,
                      Folder / Run.Folder->Program);
        if (qlFpcBuild(Folder, Run.Folder->Program, Src))
            Run.Was = qlRunBuilt(Folder, Run.Folder->Program);
        else
            ADD_FAILURE() << Run.Folder->Program << " does not build:\n"
                          << Problems(Folder / "build.log", Src);
    }
}

std::unique_ptr<TqlModuleNode> BuildTree(const std::string& File, const std::string& Defines)
{
    auto Root = std::make_unique<TqlModuleNode>();
    TqlNodeBuilder Builder(Root.get(), Defines, GlobalKeyHashTable, GlobalDirectiveHash);
    Builder.Run(File, nullptr);
    return Root;
}

int CountWithStatements(TqlNode* Node)
{
    int Count = WithUnwinder::IsWithStatement(Node) ? 1 : 0;
    for (int I = 0; I < Node->Count(); ++I)
        Count += CountWithStatements(Node->GetNode(I));
    return Count;
}

// A finding without the name it carries: "Type, %s is a record; ...".
std::string Reason(const std::string& Text)
{
    static const std::regex Name(R"(^(\w+), (.*?)(,| is | has ))");
    return std::regex_replace(Text, Name, "$1, %s$3", std::regex_constants::format_first_only);
}

// Analyses the program in Sources and runs Command over every unit that
// builds; what it changed is written into Out, a copy of Sources.
void RunCommand(TFolderRun& Run, const fs::path& Sources, TCommand Command, const fs::path& Out,
                TCommandTotals& Totals)
{
    fs::create_directories(Out);
    for (const auto& E : fs::directory_iterator(Sources))
        if (E.is_regular_file())
            fs::copy_file(E.path(), Out / E.path().filename());
    std::string Defines;
    TAnalysedProject Project;
    // The compiler's own names, as the programs see them: the unit that
    // ships beside the programs, read from the sources.
    Project->GetSystemOptions()->GetLibrarySearchPath()->Add(std::string(QUILLET_SOURCE_DIR) +
                                                             "/QuilletSystem");
    for (const char* D : CompilerDefines) {
        Project->GetOptions()->GetDefines()->Add(D);
        Defines += std::string(D) + "\n";
    }
    const fs::path Main = Sources / (std::string(ProgramName) + ".dpr");
    Project->GetOptions()->SetFileToAnalyze(Main.string());
    try {
        Project->Analyze(true);
    } catch (const ESyntaxError& E) {
        ADD_FAILURE() << Run.Folder->Path << ": the analysis stopped: " << E.what();
        return;
    }
    const std::set<std::string> Building(Run.Units.begin(), Run.Units.end());
    TqlUnitList* Units = Project->GetUnits();
    for (int I = 0; I < Units->GetCount(); ++I) {
        TqlUnit* Unit = Units->GetUnits(I);
        const fs::path File = Unit->GetFullFileName();
        if (File.parent_path() != Sources || !Building.count(File.stem().string()))
            continue;
        std::unique_ptr<TqlModuleNode> Tree;
        try {
            Tree = BuildTree(File.string(), Defines);
        } catch (const ESyntaxError&) {
            continue; // the builder stops where the analysis went on
        }
        const int Before = CountWithStatements(Tree.get());
        Totals.Tried += Before;
        int Refused = 0;
        const TqlMessageSink Sink = [&](const std::string& Text, int, int) {
            ++Totals.Refusals[Reason(Text)];
            ++Refused;
        };
        bool Changed = false;
        try {
            TqlWithUnwinder W(Unit, Tree.get(), Sink);
            switch (Command) {
            case cmAddLocalVars: Changed = W.AddLocalVars(); break;
            case cmQualifyMembers: Changed = W.QualifyWithStatements(true); break;
            case cmQualifyAll: Changed = W.QualifyWithStatements(false); break;
            default: Changed = W.RemoveWithStatements(); break;
            }
        } catch (const std::exception& E) {
            ADD_FAILURE() << File << " " << CommandNames[Command] << ": " << E.what();
            continue;
        }
        const int After = CountWithStatements(Tree.get());
        Totals.Removed += Before - After;
        if (Command == cmRemove || Command == cmQualifyAllRemove) {
            EXPECT_EQ(After, Refused) << File << " " << CommandNames[Command]
                                      << ": a with statement stayed without a finding";
        }
        if (!Changed)
            continue;
        ++Totals.Units;
        Run.Changed[Command] = true;
        const fs::path Written = Out / File.filename();
        fs::remove(Written);
        Tree->Generate(Written.string(), true);
        EXPECT_NO_THROW(BuildTree(Written.string(), Defines)) << Written;
    }
}

} // namespace

TEST(CorpusWithUnwinder, CommandsOverDelphiPackages)
{
    if (!qlFpcInstalled())
        GTEST_SKIP() << "fpc is not installed";
    TTestFolder Work;
    std::vector<TFolderRun> Runs(std::size(Folders));
    for (size_t I = 0; I < Runs.size(); ++I) {
        Runs[I].Folder = &Folders[I];
        Runs[I].Work = fs::path(Work.Path()) / std::to_string(I);
    }
    qlInParallel(Runs.size(), [&](size_t I) { Prepare(Runs[I]); });

    // The analyses share the project hub: one at a time.
    TCommandTotals Totals[cmCount];
    auto Output = [](const TFolderRun& Run, int Command) {
        return Run.Work / ("command" + std::to_string(Command));
    };
    int Analysed = 0;
    for (TFolderRun& Run : Runs) {
        if (Run.Units.empty())
            continue;
        Analysed += int(Run.Units.size());
        const fs::path Src = Run.Work / "src";
        for (int C = cmAddLocalVars; C <= cmRemove; ++C)
            RunCommand(Run, Src, TCommand(C), Output(Run, C), Totals[C]);
        RunCommand(Run, Output(Run, cmQualifyAll), cmQualifyAllRemove,
                   Output(Run, cmQualifyAllRemove), Totals[cmQualifyAllRemove]);
    }

    // What each command wrote, built and run.
    struct TJob {
        TFolderRun* Run;
        int Command;
        bool Built = false;
        std::string Printed;
    };
    std::vector<TJob> Jobs;
    for (TFolderRun& Run : Runs)
        for (int C = 0; C < cmCount; ++C)
            if (Run.Changed[C])
                Jobs.push_back({&Run, C, false, {}});
    qlInParallel(Jobs.size(), [&](size_t I) {
        TJob& J = Jobs[I];
        const fs::path Folder = J.Run->Work / ("build" + std::to_string(J.Command));
        fs::create_directories(Folder);
        fs::copy_file(Output(*J.Run, J.Command) / (std::string(ProgramName) + ".dpr"),
                      Folder / (std::string(ProgramName) + ".dpr"));
        J.Built = qlFpcBuild(Folder, std::string(ProgramName) + ".dpr", Output(*J.Run, J.Command));
        if (!J.Built || !J.Run->Folder->Program)
            return;
        const fs::path Program = J.Run->Work / ("program" + std::to_string(J.Command + 1));
        fs::create_directories(Program);
        fs::copy_file(qlCaseFolder("with_corpus_programs") / J.Run->Folder->Program,
                      Program / J.Run->Folder->Program);
        if (qlFpcBuild(Program, J.Run->Folder->Program, Output(*J.Run, J.Command)))
            J.Printed = qlRunBuilt(Program, J.Run->Folder->Program);
        else
            J.Printed = "<build failed>\n" +
                        Problems(Program / "build.log", Output(*J.Run, J.Command));
    });
    for (const TJob& J : Jobs) {
        TCommandTotals& T = Totals[J.Command];
        if (!J.Built) {
            ++T.BuildFailed;
            ADD_FAILURE() << J.Run->Folder->Path << ": what " << CommandNames[J.Command]
                          << " wrote does not build:\n"
                          << Problems(J.Run->Work / ("build" + std::to_string(J.Command)) /
                                          "build.log",
                                      Output(*J.Run, J.Command));
            continue;
        }
        ++T.Built;
        if (!J.Run->Folder->Program)
            continue;
        if (J.Printed == J.Run->Was) {
            ++T.SameOutput;
        } else {
            ++T.OtherOutput;
            ADD_FAILURE() << J.Run->Folder->Path << ": after " << CommandNames[J.Command] << " "
                          << J.Run->Folder->Program << " printed\n"
                          << J.Printed << "\ninstead of\n"
                          << J.Run->Was;
        }
    }

    std::printf("%d units that build, in %zu folders\n", Analysed, Runs.size());
    for (int C = 0; C < cmCount; ++C) {
        const TCommandTotals& T = Totals[C];
        std::printf("%s: %d with statements tried, %d units written, %d with statements removed; "
                    "folders built %d, failed %d; programs printed the same %d, otherwise %d\n",
                    CommandNames[C], T.Tried, T.Units, T.Removed, T.Built, T.BuildFailed,
                    T.SameOutput, T.OtherOutput);
        for (const auto& [Text, Count] : T.Refusals)
            std::printf("  %5d  %s\n", Count, Text.c_str());
    }
    EXPECT_GT(Analysed, 140);
    EXPECT_GT(Totals[cmRemove].Tried, 300);
    EXPECT_GT(Totals[cmAddLocalVars].Units, 0);
    EXPECT_GT(Totals[cmQualifyAll].Units, 0);
    EXPECT_GT(Totals[cmQualifyAllRemove].Removed, 100);
}
