// Golden tests of qlcheck's standard output and exit code on the fixture
// projects of data/.
#include "CliTestSupport.h"

namespace {

const std::string Data = QUILLET_TEST_DATA;

std::string Golden(const std::string& Name) { return ReadAll(Data + "/" + Name + ".golden"); }

std::string Shown(const TQlcheckRun& R) { return Relativize(R.Out, Data, "DATA"); }

void ExpectCleanExit(const TQlcheckRun& R)
{
    EXPECT_EQ(R.Signal, 0);
    EXPECT_EQ(R.ExitCode, 0) << R.Err;
    EXPECT_EQ(R.Err, "");
}

} // namespace

// Found, missing (no line), case-different (UNITB.PAS) units, an in-path
// (lib\SubUnit.pas) and a unit used only by an implementation section.
TEST(Qlcheck, FoundMissingCaseDifferentAndInPathUnits)
{
    TQlcheck Q;
    const TQlcheckRun R = Q.Run({"App.dpr"}, Data + "/Found");
    ExpectCleanExit(R);
    EXPECT_EQ(Shown(R), Golden("Found"));
}

// A bare, a relative and an absolute argument give the same run.
TEST(Qlcheck, RelativeAndBareArgumentsEqualTheAbsolutePath)
{
    TQlcheck Q;
    const std::string Expected = Golden("Found");
    const TQlcheckRun Bare = Q.Run({"App.dpr"}, Data + "/Found");
    const TQlcheckRun Sub = Q.Run({"Found/App.dpr"}, Data);
    const TQlcheckRun Dotted = Q.Run({"./Found/../Found/App.dpr"}, Data);
    const TQlcheckRun Up = Q.Run({"../Found/App.dpr"}, Data + "/Circular");
    const TQlcheckRun Absolute = Q.Run({Data + "/Found/App.dpr"}, "/");
    for (const TQlcheckRun* R : {&Bare, &Sub, &Dotted, &Up, &Absolute}) {
        ExpectCleanExit(*R);
        EXPECT_EQ(Shown(*R), Expected);
    }
}

TEST(Qlcheck, CircularUses)
{
    TQlcheck Q;
    const TQlcheckRun R = Q.Run({"Circ.dpr"}, Data + "/Circular");
    ExpectCleanExit(R);
    EXPECT_EQ(Shown(R), Golden("Circular"));
}

// Missing, empty and folder arguments: the usage line, exit code 1, and
// nothing else.
TEST(Qlcheck, UsageLine)
{
    TQlcheck Q;
    const std::string Usage = "usage qlcheck [projectfilename] : could not find : ";
    struct TCase {
        std::vector<std::string> Args;
        std::string Shown;
    };
    const TCase Cases[] = {{{}, ""},
                           {{""}, ""},
                           {{"NoSuchFile.dpr"}, "NoSuchFile.dpr"},
                           {{"Found"}, "Found"},
                           {{Data + "/Found/"}, Data + "/Found/"},
                           {{"Found/app.DPR"}, "Found/app.DPR"}};
    for (const TCase& C : Cases) {
        const TQlcheckRun R = Q.Run(C.Args, Data);
        EXPECT_EQ(R.Signal, 0);
        EXPECT_EQ(R.ExitCode, 1);
        EXPECT_EQ(R.Out, Usage + C.Shown + "\n");
        EXPECT_EQ(R.Err, "");
    }
    // Further arguments are ignored.
    const TQlcheckRun R = Q.Run({"App.dpr", "extra", "args"}, Data + "/Found");
    ExpectCleanExit(R);
    EXPECT_EQ(Shown(R), Golden("Found"));
}

// A fatal syntax error in a used unit: the lines printed so far, the message
// on standard error, exit code 1 and no signal.
TEST(Qlcheck, FatalSyntaxErrorInUsedUnit)
{
    TQlcheck Q;
    const TQlcheckRun R = Q.Run({"Prog.dpr"}, Data + "/Syntax");
    EXPECT_EQ(R.Signal, 0);
    EXPECT_EQ(R.ExitCode, 1);
    EXPECT_EQ(Shown(R), Golden("Syntax"));
    EXPECT_EQ(R.Err, "Nesting too deep: more than 1000 nested levels of statements, expressions "
                     "or types\n");
}

// Unknown names are skipped, names match without regard to case; the run and
// its output do not change.
TEST(Qlcheck, VisibleReportsUnknownAndCaseDifferentNames)
{
    TQlcheck Q("[VisibleReports]\r\nNo Such Report=\r\ncode METRICS=\r\nUsed Units=\r\n"
               "ridizo dedu=\r\n");
    const TQlcheckRun R = Q.Run({"App.dpr"}, Data + "/Found");
    ExpectCleanExit(R);
    EXPECT_EQ(Shown(R), Golden("Found"));
}

// Every built-in report runs over the model of each fixture.
TEST(Qlcheck, AllReportsRunOverEachFixture)
{
    TQlcheck Q("[VisibleReports]\nCode Metrics=\nRidizo Dedu=\nGlobal variables=\nUsed Units=\n"
               "Class Types=\nString Literals=\nSystem symbols=\n");
    ExpectCleanExit(Q.Run({"App.dpr"}, Data + "/Found"));
    ExpectCleanExit(Q.Run({"Circ.dpr"}, Data + "/Circular"));
    const TQlcheckRun R = Q.Run({"Prog.dpr"}, Data + "/Syntax");
    EXPECT_EQ(R.Signal, 0);
    EXPECT_EQ(R.ExitCode, 1);
}

TEST(Qlcheck, NoProjectOptionsFile)
{
    TQlcheck Q;
    ASSERT_FALSE(std::filesystem::exists(Q.Folder() + "/projectoptions.ini"));
    const TQlcheckRun R = Q.Run({"Circ.dpr"}, Data + "/Circular");
    ExpectCleanExit(R);
    EXPECT_EQ(Shown(R), Golden("Circular"));
    // Reading the settings creates nothing beside the program.
    EXPECT_FALSE(std::filesystem::exists(Q.Folder() + "/projectoptions.ini"));
}

// The library search path of options.ql beside the program is searched
// after the main file's folder; the project options are not read.
TEST(Qlcheck, LibrarySearchPathAndIgnoredProjectOptions)
{
    TCliFolder Lib;
    Lib.Write("Extra.pas", "unit Extra;\ninterface\nimplementation\nend.\n");
    TCliFolder Main;
    Main.Write("Main.dpr", "program Main;\nuses Extra, Other;\nbegin\nend.\n");
    Main.Write("Elsewhere/Other.pas", "unit Other;\ninterface\nimplementation\nend.\n");
    TQlcheck Q("[ProjectSearchPath]\n" + Main.Path() + "/Elsewhere=\n",
               "[LibrarySearchPath]\n" + Lib.Path() + "=\n");
    const TQlcheckRun R = Q.Run({"Main.dpr"}, Main.Path());
    ExpectCleanExit(R);
    EXPECT_EQ(R.Out, Main.Path() + "/Main.dpr Interface\n" + Lib.Path() + "/Extra.pas Interface\n" +
                         Main.Path() + "/Main.dpr Implementation\n" + Lib.Path() +
                         "/Extra.pas Implementation\n");
}

// Units that use each other in their interfaces in one long chain.
TEST(Qlcheck, LongInterfaceChainFinishes)
{
    const int N = 3000;
    TCliFolder F;
    F.Write("Chain.dpr", "program Chain;\nuses U0;\nbegin\nend.\n");
    for (int i = 0; i < N; ++i) {
        std::string Text = "unit U" + std::to_string(i) + ";\ninterface\n";
        if (i + 1 < N)
            Text += "uses U" + std::to_string(i + 1) + ";\n";
        Text += "const C" + std::to_string(i) + " = 1;\nimplementation\nend.\n";
        F.Write("U" + std::to_string(i) + ".pas", Text);
    }
    TQlcheck Q;
    const TQlcheckRun R = Q.Run({"Chain.dpr"}, F.Path());
    ExpectCleanExit(R);
    const std::string Last = F.Path() + "/U" + std::to_string(N - 1) + ".pas Implementation\n";
    size_t Lines = 0;
    for (char C : R.Out)
        Lines += C == '\n';
    EXPECT_EQ(Lines, size_t(2 * (N + 1)));
    ASSERT_GE(R.Out.size(), Last.size());
    EXPECT_EQ(R.Out.substr(R.Out.size() - Last.size()), Last);
}

// The unit QuilletSystem ships in a folder beside the program and is found
// with no setting at all; a QuilletSystem.pas on the library search path
// comes first.
TEST(Qlcheck, ShippedQuilletSystemBesideTheProgram)
{
    namespace fs = std::filesystem;
    const fs::path Built = fs::path(QLCHECK_EXE).parent_path() / "QuilletSystem";
    ASSERT_EQ(ReadAll((Built / "QuilletSystem.pas").string()),
              ReadAll(std::string(QUILLET_SOURCE_DIR) + "/QuilletSystem/QuilletSystem.pas"));
    TCliFolder Main;
    Main.Write("Main.dpr", "program Main;\nbegin\nend.\n");
    TCliFolder Lib;
    Lib.Write("QuilletSystem.pas", "unit QuilletSystem;\ninterface\nimplementation\nend.\n");
    const struct {
        bool WithOptions;
        std::string Expected;
    } Cases[] = {{false, "/QuilletSystem/QuilletSystem.pas Interface"},
                 {true, Lib.Path() + "/QuilletSystem.pas Interface"}};
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.WithOptions);
        TQlcheck Q(std::nullopt, C.WithOptions
                                     ? std::optional<std::string>("[LibrarySearchPath]\n" + Lib.Path() + "=\n")
                                     : std::nullopt);
        fs::copy(Built, fs::path(Q.Folder()) / "QuilletSystem", fs::copy_options::recursive);
        const TQlcheckRun R = Q.Run({"Main.dpr"}, Main.Path());
        ExpectCleanExit(R);
        const std::string Expected = (C.WithOptions ? "" : Q.Folder()) + C.Expected + "\n";
        EXPECT_EQ(R.Out.substr(R.Out.find('\n') + 1, Expected.size()), Expected) << R.Out;
    }
}
