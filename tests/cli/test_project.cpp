// The project: unit-file search, the two-phase walk, progress notices with
// the abort flag, built-in types, code viewers, and the sound handling of
// relative names, missing files and long interface chains.
#include "ProjectTestSupport.h"

#include "reports/uqlBuiltInReports.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>

namespace {

// The implicitly used units (System, SysInit, QuilletSystem), none of which
// the fixtures supply.
const int Implicit = 3;

std::string UnitText(const std::string& Name, const std::string& IntfUses = "",
                     const std::string& ImplUses = "")
{
    std::string T = "unit " + Name + ";\ninterface\n";
    if (!IntfUses.empty())
        T += "uses " + IntfUses + ";\n";
    T += "implementation\n";
    if (!ImplUses.empty())
        T += "uses " + ImplUses + ";\n";
    return T + "end.\n";
}

std::string Cwd() { return std::filesystem::current_path().string(); }

class TViewer : public TInterfacedObject, public IqlCodeViewer {
public:
    std::vector<std::string> Calls;
    void ShowCode(const std::string& FileName, int X, int Y) override
    {
        Calls.push_back(FileName + ":" + std::to_string(X) + ":" + std::to_string(Y));
    }
};

} // namespace

// Main folder, then project search path, then library search path: the
// first folder holding the name wins; the library mark follows the folder.
TEST(ProjectSearch, FirstFolderWinsInOrder)
{
    TCliFolder F;
    const std::string Main = F.Write("main/App.dpr", "program App;\nuses A, B, C;\nbegin\nend.\n");
    F.Write("main/A.pas", UnitText("A"));
    F.Write("proj/A.pas", UnitText("A"));
    F.Write("proj/B.pas", UnitText("B"));
    F.Write("lib/B.pas", UnitText("B"));
    F.Write("lib/C.pas", UnitText("C"));
    TProjectScope P;
    P->GetOptions()->GetProjectSearchPath()->Add("../proj");
    P->GetSystemOptions()->GetLibrarySearchPath()->Add(F.Path() + "/lib");
    P.Analyze(Main);
    EXPECT_EQ(P.FileOf(P.Unit("A"))->GetFullFileName(), F.Path() + "/main/A.pas");
    EXPECT_EQ(P.FileOf(P.Unit("B"))->GetFullFileName(), F.Path() + "/proj/B.pas");
    EXPECT_EQ(P.FileOf(P.Unit("C"))->GetFullFileName(), F.Path() + "/lib/C.pas");
    EXPECT_EQ(P.Unit("A")->GetUnitType(), dtProject);
    EXPECT_EQ(P.Unit("B")->GetUnitType(), dtProject);
    EXPECT_EQ(P.Unit("C")->GetUnitType(), dtLibrary);
}

TEST(ProjectSearch, CaseAliasesAndEnvironmentFolders)
{
    TCliFolder F;
    const std::string Main =
        F.Write("App.dpr", "program App;\nuses MyUnit, OldName, EnvUnit;\nbegin\nend.\n");
    F.Write("MYUNIT.PAS", UnitText("MyUnit"));
    F.Write("NewName.pas", UnitText("NewName"));
    F.Write("env/sub/EnvUnit.pas", UnitText("EnvUnit"));
    setenv("QLPROJECTTESTDIR", (F.Path() + "/env/").c_str(), 1);
    TProjectScope P;
    P->GetOptions()->GetAliases()->Add("  Unrelated=Other");
    P->GetOptions()->GetAliases()->Add(" oldname = NewName ");
    P->GetSystemOptions()->GetLibrarySearchPath()->Add("$(QLPROJECTTESTDIR)/sub");
    P.Analyze(Main);
    unsetenv("QLPROJECTTESTDIR");
    EXPECT_EQ(P.FileOf(P.Unit("MyUnit"))->GetFullFileName(), F.Path() + "/MYUNIT.PAS");
    EXPECT_EQ(P.FileOf(P.Unit("OldName"))->GetFullFileName(), F.Path() + "/NewName.pas");
    EXPECT_EQ(P.FileOf(P.Unit("EnvUnit"))->GetFullFileName(), F.Path() + "/env/sub/EnvUnit.pas");

    std::string Found;
    bool IsLibrary = false;
    P->FindUnitFile("nosuchunit", "", Found, IsLibrary);
    EXPECT_EQ(Found, "");
    // A name with a folder part is taken relative to the given folder.
    P->FindUnitFile("sub\\ENVUNIT", F.Path() + "/env", Found, IsLibrary);
    EXPECT_EQ(Found, F.Path() + "/env/sub/EnvUnit.pas");
    EXPECT_FALSE(IsLibrary);
}

// A relative name for the file to analyse gives the same model as the
// absolute one; the process's current folder is never changed.
TEST(ProjectAnalyze, RelativeFileToAnalyzeAndCurrentFolderKept)
{
    TCliFolder F;
    F.Write("sub/App.dpr", "program App;\nuses U;\nbegin\nend.\n");
    F.Write("sub/U.pas", UnitText("U"));
    const std::string Before = Cwd();
    std::vector<std::string> Results;
    {
        TProjectScope P;
        ASSERT_EQ(chdir(F.Path().c_str()), 0);
        for (const std::string& Name : {std::string("sub/App.dpr"), std::string("./sub/../sub/App.dpr"),
                                        F.Path() + "/sub/App.dpr"}) {
            P.Analyze(Name);
            EXPECT_EQ(Cwd(), F.Path());
            std::string R;
            for (int i = 0; i < P->GetUnits()->GetCount(); ++i)
                if (P.FileOf(P->GetUnits()->GetUnits(i))->Exists)
                    R += P.FileOf(P->GetUnits()->GetUnits(i))->GetFullFileName() + ";";
            Results.push_back(R);
        }
        ASSERT_EQ(chdir(Before.c_str()), 0);
    }
    EXPECT_EQ(Results[0], F.Path() + "/sub/App.dpr;" + F.Path() + "/sub/U.pas;");
    EXPECT_EQ(Results[1], Results[0]);
    EXPECT_EQ(Results[2], Results[0]);
}

// A missing main file leaves the previous model; a missing used unit has no
// parser, a file entry marked missing and state psrNone.
TEST(ProjectAnalyze, MissingFiles)
{
    TCliFolder F;
    const std::string Main = F.Write("App.dpr", "program App;\nuses Gone;\nbegin\nend.\n");
    TProjectScope P;
    P.Analyze(Main);
    TqlUnit* Gone = P.Unit("Gone");
    ASSERT_NE(Gone, nullptr);
    EXPECT_FALSE(P.FileOf(Gone)->Exists);
    EXPECT_EQ(Gone->ParserState, psrNone);
    EXPECT_EQ(P->ParserOf(Gone), nullptr);
    EXPECT_EQ(P.Unit("App")->ParserState, psrFull);
    EXPECT_EQ(P->ParserOf(P.Unit("App")), nullptr);
    P->ParseInterface(Gone);
    EXPECT_EQ(Gone->ParserState, psrInterfaceParsed);

    const int Count = P->GetUnits()->GetCount();
    P.Analyze(F.Path() + "/NoSuch.dpr");
    EXPECT_EQ(P->GetUnits()->GetCount(), Count);
    P.Analyze("");
    EXPECT_EQ(P->GetUnits()->GetCount(), Count);
    // A folder is not a file to analyse.
    P.Analyze(F.Path());
    EXPECT_EQ(P->GetUnits()->GetCount(), Count);
}

TEST(ProjectAnalyze, ParseAllReachesImplementationUses)
{
    TCliFolder F;
    const std::string Main = F.Write("App.dpr", "program App;\nuses A;\nbegin\nend.\n");
    F.Write("A.pas", UnitText("A", "B", "C"));
    F.Write("B.pas", UnitText("B", "", "D"));
    F.Write("C.pas", UnitText("C"));
    F.Write("D.pas", UnitText("D"));
    TProjectScope P;
    Ref<TRecordingNotifier> N(new TRecordingNotifier);
    P->AddProgressNotifier(N);
    P->AddProgressNotifier(N);
    P->AddProgressNotifier(nullptr);
    P.Analyze(Main, false);
    EXPECT_EQ(N->Notices, (std::vector<std::string>{"App.dpr Interface", "A.pas Interface",
                                                    "B.pas Interface", "App.dpr Implementation"}));
    EXPECT_EQ(P.Unit("C"), nullptr);
    EXPECT_EQ(P.Unit("A")->ParserState, psrInterfaceParsed);

    N->Notices.clear();
    P.Analyze(Main, true);
    EXPECT_EQ(N->Notices,
              (std::vector<std::string>{"App.dpr Interface", "A.pas Interface", "B.pas Interface",
                                        "App.dpr Implementation", "A.pas Implementation",
                                        "C.pas Interface", "B.pas Implementation",
                                        "D.pas Interface", "C.pas Implementation",
                                        "D.pas Implementation"}));
    EXPECT_EQ(P->GetMainUnit()->GetUsedUnits()->GetCount(), 1);
    EXPECT_EQ(P->GetMainUnit()->GetUsedUnits()->GetUsedUnit(0)->GetUnit(), P.Unit("App"));
}

// Abort on the first notice: the main file's interface is still parsed, no
// further notice is given, found units end in psrFull, a missing one stays
// psrNone; later notifiers are not called once the flag is set.
TEST(ProjectAnalyze, AbortOnFirstNotice)
{
    TCliFolder F;
    const std::string Main = F.Write("App.dpr", "program App;\nuses A, Gone;\nbegin\nend.\n");
    F.Write("A.pas", UnitText("A"));
    TProjectScope P;
    Ref<TRecordingNotifier> First(new TRecordingNotifier);
    Ref<TRecordingNotifier> Second(new TRecordingNotifier);
    First->AbortOnCall = 1;
    P->AddProgressNotifier(First);
    P->AddProgressNotifier(Second);
    P.Analyze(Main, true);
    EXPECT_TRUE(P->GetAborted());
    EXPECT_EQ(First->Notices, std::vector<std::string>{"App.dpr Interface"});
    EXPECT_TRUE(Second->Notices.empty());
    ASSERT_NE(P.Unit("A"), nullptr); // the main file's uses clause was read
    EXPECT_EQ(P.Unit("A")->ParserState, psrFull);
    EXPECT_EQ(P.Unit("App")->ParserState, psrFull);
    EXPECT_EQ(P.Unit("Gone")->ParserState, psrNone);
    // App, A, Gone and the implicitly used units (not found here).
    EXPECT_EQ(P->GetUnits()->GetCount(), 3 + Implicit);

    // The next analysis starts afresh.
    First->AbortOnCall = -1;
    First->Notices.clear();
    P->RemoveProgressNotifier(Second);
    P.Analyze(Main, true);
    EXPECT_FALSE(P->GetAborted());
    EXPECT_EQ(First->Notices.size(), 4u);
    EXPECT_TRUE(Second->Notices.empty());
}

TEST(ProjectAnalyze, BuiltInTypesAndClear)
{
    TCliFolder F;
    const std::string Main = F.Write("App.dpr", "program App;\nbegin\nend.\n");
    TProjectScope P;
    EXPECT_EQ(P->GetSystemType(tkInteger), nullptr);
    P.Analyze(Main);
    P.Analyze(Main);
    EXPECT_EQ(P->GetSystemSymbols()->GetCount(), 44);
    EXPECT_EQ(P->GetSystemType(tkInteger)->GetName(), "Integer");
    EXPECT_EQ(P->GetSystemType(tkNone), nullptr);
    EXPECT_EQ(P->GetSystemType(tkObject), nullptr);
    EXPECT_EQ(P->GetSystemType(tkEnum), nullptr);
    EXPECT_NE(dynamic_cast<TqlArray*>(P->GetSystemType(tkArrayOfConst)), nullptr);
    EXPECT_EQ(P->FindSystemSymbol("array of const"), P->GetSystemType(tkArrayOfConst));
    EXPECT_EQ(P->GetSystemSymbols()->GetSymbol(0)->GetName(), "Boolean");
    P->Clear();
    EXPECT_EQ(P->GetSystemSymbols()->GetCount(), 0);
    EXPECT_EQ(P->GetUnits()->GetCount(), 0);
    EXPECT_EQ(P->GetSystemType(tkInteger), nullptr);
}

TEST(ProjectAnalyze, ShowCodeCallsEachViewerOnce)
{
    TProjectScope P;
    Ref<TViewer> A(new TViewer), B(new TViewer);
    P->AddCodeViewer(A);
    P->AddCodeViewer(B);
    P->AddCodeViewer(A);
    P->ShowCode(nullptr);
    P->NotifyCodeViewers("x.pas", 3, 7);
    EXPECT_EQ(A->Calls, std::vector<std::string>{"x.pas:3:7"});
    EXPECT_EQ(B->Calls, std::vector<std::string>{"x.pas:3:7"});
    P->RemoveCodeViewer(A);
    P->NotifyCodeViewers("y.pas", 1, 1);
    EXPECT_EQ(A->Calls.size(), 1u);
    EXPECT_EQ(B->Calls.size(), 2u);
}

// An exception from a parser leaves Analyze; the current folder is intact
// and the project can analyse again.
TEST(ProjectAnalyze, FatalErrorPropagatesAndProjectRecovers)
{
    TCliFolder F;
    const std::string Main = F.Write("App.dpr", "program App;\nuses Bad;\nbegin\nend.\n");
    F.Write("Bad.pas", "unit Bad;\ninterface\nconst X = " + std::string(1200, '(') + "1" +
                           std::string(1200, ')') + ";\nimplementation\nend.\n");
    const std::string Good = F.Write("Good.dpr", "program Good;\nbegin\nend.\n");
    const std::string Before = Cwd();
    TProjectScope P;
    EXPECT_THROW(P.Analyze(Main), ESyntaxError);
    EXPECT_EQ(Cwd(), Before);
    P.Analyze(Good);
    EXPECT_EQ(P->GetUnits()->GetCount(), 1 + Implicit);
    EXPECT_EQ(P.Unit("Good")->ParserState, psrFull);
}

namespace {

// Runs Action once, on the notice that the implementation of the unit
// named (by file name) is about to be parsed.
class TBeforeImplementation : public TInterfacedObject, public IqlProgressNotifier {
public:
    TBeforeImplementation(std::string File, std::function<void()> Action)
        : FFile(std::move(File)), FAction(std::move(Action))
    {
    }
    void Notify(const std::string& Name, TParserState Stage, bool&) override
    {
        if (Stage == psrFull && qlExtractFileName(Name) == FFile && FAction) {
            FAction();
            FAction = nullptr;
        }
    }

private:
    std::string FFile;
    std::function<void()> FAction;
};

} // namespace

// The unit's text is read again for the implementation: an unchanged file
// gives the same result; a file changed or gone since its interface was
// parsed stops the analysis as an unreadable file does, and the project can
// analyse again.
TEST(ProjectAnalyze, UnitFileChangedBetweenThePhases)
{
    TCliFolder F;
    const std::string Main = F.Write("App.dpr", "program App;\nuses A;\nbegin\n  Run;\nend.\n");
    const std::string Text = "unit A;\ninterface\nprocedure Run;\nimplementation\nprocedure Run;\n"
                             "begin\n  Missing;\nend;\nend.\n";
    std::string Other = Text;
    Other[Other.find("Missing")] = 'N';
    const std::string A = F.Write("A.pas", Text);
    const std::string Changed = "Cannot read file \"" + A + "\": it changed during the analysis";
    struct TCase {
        const char* Name;
        std::function<void()> Action;
        std::string Error; // "" when the analysis ends normally
    };
    const std::vector<TCase> Cases = {
        {"rewritten alike", [&] { F.Write("A.pas", Text); }, ""},
        {"same size", [&] { F.Write("A.pas", Other); }, Changed},
        {"longer", [&] { F.Write("A.pas", Text + "\n"); }, Changed},
        {"shorter", [&] { F.Write("A.pas", Text.substr(0, Text.size() - 2)); }, Changed},
        {"removed", [&] { std::filesystem::remove(A); },
         "Cannot open file \"" + A + "\": " + std::strerror(ENOENT)},
    };
    TProjectScope P;
    P.Analyze(Main);
    const std::vector<std::string> Expected = P.Messages();
    const int Lines = P.Unit("A")->AnalysedLines;
    ASSERT_EQ(Expected.size(), 2u);
    EXPECT_EQ(Lines, 9);
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        Ref<TBeforeImplementation> N(new TBeforeImplementation("A.pas", C.Action));
        P->AddProgressNotifier(N);
        std::string Error;
        try {
            P.Analyze(Main);
        } catch (const Exception& E) {
            Error = E.what();
        }
        P->RemoveProgressNotifier(N);
        EXPECT_EQ(Error, C.Error);
        if (C.Error.empty()) {
            EXPECT_EQ(P.Messages(), Expected);
            EXPECT_EQ(P.Unit("A")->AnalysedLines, Lines);
            EXPECT_TRUE(P.Unit("A")->AnalysedToEnd);
        }
        F.Write("A.pas", Text);
        P.Analyze(Main);
        EXPECT_EQ(P.Messages(), Expected);
        EXPECT_EQ(P.Unit("A")->ParserState, psrFull);
    }
}

// Several thousand units, each using the next in its interface.
TEST(ProjectAnalyze, LongInterfaceChain)
{
    const int N = 4000;
    TCliFolder F;
    const std::string Main = F.Write("Chain.dpr", "program Chain;\nuses U0;\nbegin\nend.\n");
    for (int i = 0; i < N; ++i)
        F.Write("U" + std::to_string(i) + ".pas",
                UnitText("U" + std::to_string(i), i + 1 < N ? "U" + std::to_string(i + 1) : ""));
    TProjectScope P;
    P.Analyze(Main);
    ASSERT_EQ(P->GetUnits()->GetCount(), N + 1 + Implicit);
    for (int i = 0; i < N; ++i)
        EXPECT_EQ(P.Unit("U" + std::to_string(i))->ParserState, psrFull);
    EXPECT_TRUE(P.Messages().empty());
}

TEST(ProjectPersist, SaveAndLoadProjectFile)
{
    TCliFolder F;
    const std::string Main = F.Write("App.dpr", "program App;\nbegin\nend.\n");
    std::string Saved;
    {
        TProjectScope P;
        RegisterBuiltInReports();
        P->GetReports()->FindByName("Used Units")->SetVisible(true);
        P->GetOptions()->SetFileToAnalyze(Main);
        P->GetOptions()->GetAliases()->Add("Old=New");
        P->SaveToFile(P->GetProjectSettingsFile()->GetFileName());
        Saved = ReadAll(P->GetProjectSettingsFile()->GetFileName());
    }
    EXPECT_NE(Saved.find("[VisibleReports]"), std::string::npos);
    EXPECT_NE(Saved.find("Used Units="), std::string::npos);
    EXPECT_EQ(Saved.find("Code Metrics="), std::string::npos);
    EXPECT_NE(Saved.find("Old=New"), std::string::npos);

    TProjectScope P;
    P.Settings().Write("projectoptions.ini", Saved);
    EXPECT_TRUE(P->LoadFromFile(P->GetProjectSettingsFile()->GetFileName()));
    EXPECT_EQ(P->GetOptions()->GetFileToAnalyze(), Main);
    EXPECT_EQ(qlListLines(P->GetOptions()->GetAliases()), std::vector<std::string>{"Old=New"});
    // The file to analyse is entered as a unit, not yet parsed.
    ASSERT_NE(P.Unit("App"), nullptr);
    EXPECT_EQ(P.Unit("App")->ParserState, psrNone);
    EXPECT_TRUE(P.FileOf(P.Unit("App"))->Exists);
    P->New();
    EXPECT_EQ(P->GetUnits()->GetCount(), 0);
    EXPECT_EQ(P->GetOptions()->GetFileToAnalyze(), "");
}

TEST(ProjectAnalyze, BareIncludeNameIsFoundBesideTheIncludingUnitFirst)
{
    TCliFolder F;
    TProjectScope P;
    F.Write("Lib/Defs.INC", "const FromLib = 1;\n");
    F.Write("defs.inc", "const FromMain = 1;\n");
    F.Write("Lib/Other.pas", "unit Other;\ninterface\n{$I defs.inc}\nimplementation\nend.\n");
    F.Write("Lib/Only.pas", "unit Only;\ninterface\n{$I only.inc}\nimplementation\nend.\n");
    F.Write("only.inc", "const InMainFolder = 1;\n");
    const std::string Main = F.Write(
        "App.dpr", "program App;\nuses\n  Other in 'lib\\other.pas',\n  Only in 'LIB\\Only.pas';\n"
                   "{$I defs.inc}\nbegin\nend.\n");
    P.Analyze(Main);
    EXPECT_TRUE(P.Messages().empty()) << P.Messages().front();
    TqlUnit* Other = P.Unit("Other");
    ASSERT_NE(Other, nullptr);
    EXPECT_NE(Other->FindSymbol(Other, nullptr, "FromLib"), nullptr);
    EXPECT_EQ(Other->FindSymbol(Other, nullptr, "FromMain"), nullptr);
    // Nothing beside the unit: the project's search folders still serve.
    TqlUnit* Only = P.Unit("Only");
    ASSERT_NE(Only, nullptr);
    EXPECT_NE(Only->FindSymbol(Only, nullptr, "InMainFolder"), nullptr);
    TqlUnit* App = P.Unit("App");
    ASSERT_NE(App, nullptr);
    EXPECT_NE(App->FindSymbol(App, nullptr, "FromMain"), nullptr);
}
