// Source files that are not what they seem: include and form files that are
// FIFOs, devices, too large or unreadable, include names the file-name rules
// cannot read, and a long interface chain under an address-space limit.
#include "ProjectTestSupport.h"

#include "base/qlFileLimits.h"

#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Runs the analysis as an unprivileged user when the test runs as the
// super-user, so that a file without read permission is unreadable.
class TAsUnprivileged {
public:
    explicit TAsUnprivileged(const std::string& Folder)
    {
        if (::geteuid() != 0)
            return;
        ::chmod(Folder.c_str(), 0755);
        FDropped = ::seteuid(65534) == 0;
    }
    ~TAsUnprivileged()
    {
        if (FDropped)
            (void)!::seteuid(0);
    }

private:
    bool FDropped = false;
};

bool HasMessageStartingWith(const std::vector<std::string>& Messages, const std::string& Start)
{
    for (const std::string& M : Messages)
        if (M.rfind(Start, 0) == 0)
            return true;
    return false;
}

// A unit that includes Inc, carries a form, and declares a constant after the
// include so that the analysis is seen to go on.
const char* const UnitWithIncludeAndForm = "unit U;\ninterface\n{$I %s}\nconst After = 1;\n"
                                           "implementation\n{$R *.dfm}\nend.\n";

std::string UnitText(const std::string& Include)
{
    std::string T = UnitWithIncludeAndForm;
    T.replace(T.find("%s"), 2, Include);
    return T;
}

} // namespace

TEST(HostileFiles, IncludeAndFormFilesThatCannotBeReadAreFindingsAndTheAnalysisGoesOn)
{
    struct TCase {
        const char* What;
        std::string Include; // as written in the directive
        // Makes the include file (I) and the form file (F), given their full names.
        std::function<void(const std::string& I, const std::string& F)> Make;
        std::function<std::string(const std::string& F)> IncludeMessage;
        std::function<std::string(const std::string& F)> FormMessage;
    };
    const auto Fifo = [](const std::string& N) { ASSERT_EQ(::mkfifo(N.c_str(), 0644), 0); };
    const auto Huge = [](const std::string& N) {
        std::ofstream(N) << "const Big = 1;\n";
        fs::resize_file(N, uintmax_t(qlMaxSourceFileSize) + 1);
    };
    const auto Unreadable = [](const std::string& N) {
        std::ofstream(N) << "const Hidden = 1;\n";
        ::chmod(N.c_str(), 0);
    };
    const std::vector<TCase> Cases = {
        {"FIFO", "x.inc",
         [&](const std::string& I, const std::string& F) { Fifo(I); Fifo(F); },
         [](const std::string&) { return "Include file, x.inc, does not exist: it is a FIFO, not a regular file."; },
         [](const std::string& F) { return "Form file, " + F + ", does not exist: it is a FIFO, not a regular file."; }},
        {"device", "x.inc",
         [](const std::string& I, const std::string& F) { fs::create_symlink("/dev/zero", I); fs::create_symlink("/dev/zero", F); },
         [](const std::string&) { return "Include file, x.inc, does not exist: it is a character device, not a regular file."; },
         [](const std::string& F) { return "Form file, " + F + ", does not exist: it is a character device, not a regular file."; }},
        {"over 64 MiB", "x.inc",
         [&](const std::string& I, const std::string& F) { Huge(I); Huge(F); },
         [](const std::string&) { return "Include file, x.inc, is skipped: it is larger than 64 MiB."; },
         [](const std::string& F) { return "Form file, " + F + ", is skipped: it is larger than 64 MiB."; }},
        {"unreadable", "x.inc",
         [&](const std::string& I, const std::string& F) { Unreadable(I); Unreadable(F); },
         [](const std::string&) { return "Cannot open include file, x.inc: Permission denied"; },
         [](const std::string& F) { return "Cannot open form file, " + F + ": Permission denied"; }},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.What);
        TCliFolder Dir;
        const std::string Main = Dir.Write("App.dpr", "program App;\nuses U;\nbegin\nend.\n");
        Dir.Write("U.pas", UnitText(C.Include));
        const std::string Form = Dir.Path() + "/U.dfm";
        C.Make(Dir.Path() + "/x.inc", Form);
        TProjectScope P;
        {
            TAsUnprivileged Guard(Dir.Path());
            P.Analyze(Main);
        }
        TqlUnit* U = P.Unit("U");
        ASSERT_NE(U, nullptr);
        EXPECT_EQ(U->ParserState, psrFull);
        EXPECT_NE(U->FindSymbol(U, nullptr, "After"), nullptr) << "the analysis went on after the include";
        const std::vector<std::string> M = P.Messages();
        EXPECT_EQ(P.CountMessage(C.IncludeMessage(Form)), 1) << ::testing::PrintToString(M);
        EXPECT_EQ(P.CountMessage(C.FormMessage(Form)), 1) << ::testing::PrintToString(M);
        // The form's finding is on its unit.
        Ref<IqlMessageList> L = P->GetMessages();
        for (int i = 0; i < L->GetCount(); ++i)
            if (L->GetItems(i)->GetMessageText() == C.FormMessage(Form)) {
                EXPECT_EQ(L->GetItems(i)->GetCodeLocation()->GetFileName(), Dir.Path() + "/U.pas");
            }
    }
}

TEST(HostileFiles, IncludeNamesTheFileNameRulesCannotReadAreNamedAsWritten)
{
    for (const std::string Name : {"/no/such/folder/x.inc", "'sub/my file.inc'", "%HOME%/x.inc"}) {
        SCOPED_TRACE(Name);
        TCliFolder Dir;
        const std::string Main = Dir.Write("App.dpr", "program App;\nuses U;\nbegin\nend.\n");
        Dir.Write("U.pas", UnitText(Name));
        TProjectScope P;
        P.Analyze(Main);
        const std::vector<std::string> M = P.Messages();
        EXPECT_EQ(P.CountMessage("Include file, " + Name + ", does not exist."), 1)
            << ::testing::PrintToString(M);
        EXPECT_FALSE(HasMessageStartingWith(M, "Include file, ,")) << ::testing::PrintToString(M);
        EXPECT_NE(P.Unit("U")->FindSymbol(P.Unit("U"), nullptr, "After"), nullptr);
    }
}

TEST(HostileFiles, UnitOverTheSizeLimitIsSkippedWithAMessage)
{
    TCliFolder Dir;
    const std::string Main = Dir.Write("App.dpr", "program App;\nuses Big;\nbegin\nend.\n");
    const std::string Big = Dir.Write("Big.pas", "unit Big;\ninterface\nimplementation\nend.\n");
    fs::resize_file(Big, uintmax_t(qlMaxSourceFileSize) + 1);
    TProjectScope P;
    P.Analyze(Main);
    EXPECT_EQ(P.CountMessage("Unit file, " + Big + ", is skipped: it is larger than 64 MiB."), 1)
        << ::testing::PrintToString(P.Messages());
    EXPECT_FALSE(P.FileOf(P.Unit("Big"))->Exists);
    EXPECT_EQ(P.Unit("App")->ParserState, psrFull);
}

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QL_UNDER_ASAN 1
#endif
#endif
#if !defined(__SANITIZE_ADDRESS__) && !defined(QL_UNDER_ASAN)
// (The address sanitizer reserves more address space than any such limit.)
// The fresh stacks that a long chain of interface uses needs stay few: the
// chain is analysed within a 4 GB address space.
TEST(HostileFiles, LongInterfaceChainFitsInALimitedAddressSpace)
{
    const int N = 3000;
    TCliFolder F;
    F.Write("Chain.dpr", "program Chain;\nuses U0;\nbegin\nend.\n");
    for (int i = 0; i < N; ++i)
        F.Write("U" + std::to_string(i) + ".pas",
                "unit U" + std::to_string(i) + ";\ninterface\n" +
                    (i + 1 < N ? "uses U" + std::to_string(i + 1) + ";\n" : std::string()) +
                    "implementation\nend.\n");
    TQlcheck Q;
    const TQlcheckRun R = Q.Run({"Chain.dpr"}, F.Path(), 0, 4000000LL * 1024);
    EXPECT_EQ(R.ExitCode, 0) << R.Err;
    EXPECT_EQ(R.Err, "");
    const std::string Last = F.Path() + "/U" + std::to_string(N - 1) + ".pas Implementation\n";
    ASSERT_GE(R.Out.size(), Last.size());
    EXPECT_EQ(R.Out.substr(R.Out.size() - Last.size()), Last);
}
#endif

// Settings files beside the program that are a FIFO or an endless device:
// the run neither hangs nor reads without end; a notice names each file and
// the analysis runs with the defaults.
TEST(HostileFiles, QlcheckReadsNoFifoOrDeviceAsSettings)
{
    TQlcheck Q;
    ASSERT_EQ(::mkfifo((Q.Folder() + "/projectoptions.ini").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", Q.Folder() + "/options.ql");
    fs::create_symlink("/dev/zero", Q.Folder() + "/codeconventions.ql");
    TCliFolder F;
    F.Write("App.dpr", "program App;\nbegin\nend.\n");
    const TQlcheckRun R = Q.Run({"App.dpr"}, F.Path(), 60);
    ASSERT_FALSE(R.TimedOut);
    EXPECT_EQ(R.ExitCode, 0) << R.Err;
    EXPECT_EQ(R.Out, F.Path() + "/App.dpr Interface\n" + F.Path() + "/App.dpr Implementation\n");
    for (const std::string Name : {"projectoptions.ini", "options.ql", "codeconventions.ql"}) {
        const std::string Notice = "The settings file \"" + Q.Folder() + "/" + Name + "\" is not read: ";
        EXPECT_NE(R.Err.find(Notice), std::string::npos) << R.Err;
    }
}
