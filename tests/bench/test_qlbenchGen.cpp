// The benchmark's generated projects: valid code that the analysis reads
// without a message and resolves every name of, the same on every run.
#include "tests/TestFolder.h"

#include "analysis/uqlProject.h"
#include "settings/uqlStringList.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Runs "qlbench gen ARGS DIR" and answers its exit code.
int Generate(const std::string& Args, const std::string& Dir)
{
    const std::string Cmd = std::string("'") + QLBENCH_EXE + "' gen " + Args + " '" + Dir + "' >/dev/null";
    return std::system(Cmd.c_str());
}

std::string ReadFile(const std::filesystem::path& P)
{
    std::ifstream In(P, std::ios::binary);
    std::ostringstream S;
    S << In.rdbuf();
    return S.str();
}

struct TGenCase {
    const char* Args;
    int Units; // in the project: the program, QuilletSystem, System and SysInit included
    std::vector<const char*> Named; // units that must be among them
};

} // namespace

TEST(QlbenchGen, GeneratedProjectsAnalyseCleanly)
{
    const std::vector<TGenCase> Cases = {
        {"project 7", 11, {"U00001", "U00004", "U00007"}},
        {"unit 1500", 5, {"Big"}},
        {"chain 40", 5, {"Chain"}},
        {"missing 4", 8, {"Missing00001", "Missing00004"}},
        {"includes 3 1000", 5, {"Included"}},
        {"defines 30", 5, {"Defines"}},
        {"rename 3 60 12", 7, {"R00000", "R00002"}},
        {"sweep 6 3", 10, {"S00000", "S00005"}},
        {"withs 4 5 2", 5, {"Withs"}},
        {"protected 3 4", 8, {"Shared", "V00001", "V00003"}},
        {"public 3 4", 8, {"Shared", "V00003"}},
    };
    for (const TGenCase& C : Cases) {
        SCOPED_TRACE(C.Args);
        const TTestFolder Out, Settings;
        ASSERT_EQ(Generate(C.Args, Out.Path()), 0);
        Ref<TqlProject> Project(new TqlProject(Settings.Path()));
        gqlProject = Ref<IqlProject>(Project.get());
        Project->GetSystemOptions()->GetLibrarySearchPath()->Add(std::string(QUILLET_SOURCE_DIR) +
                                                                "/QuilletSystem");
        Project->GetOptions()->SetFileToAnalyze(Out.Path() + "/Main.dpr");
        Project->Analyze(true);
        Ref<IqlMessageList> Messages = Project->GetMessages();
        for (int i = 0; i < Messages->GetCount(); ++i)
            ADD_FAILURE() << Messages->GetItems(i)->GetMessageText();
        TqlUnitList* Units = Project->GetUnits();
        std::string Names;
        for (int i = 0; i < Units->GetCount(); ++i)
            Names += Units->GetUnits(i)->GetName() + " ";
        EXPECT_EQ(Units->GetCount(), C.Units) << Names;
        for (const char* Name : C.Named)
            EXPECT_NE(Units->FindUnit(Name), nullptr) << Name;
        // Every name of the generated units resolves (the shipped system unit
        // is not theirs to check).
        for (int i = 0; i < Units->GetCount(); ++i)
            if (Units->GetUnits(i)->GetName() != "QuilletSystem")
                for (const std::string& Name : Units->GetUnits(i)->GetUnresolvedNames())
                    ADD_FAILURE() << Units->GetUnits(i)->GetName() << ": " << Name;
        gqlProject = nullptr;
    }
}

TEST(QlbenchGen, SameOutputOnEveryRun)
{
    const TTestFolder A, B;
    ASSERT_EQ(Generate("project 5", A.Path()), 0);
    ASSERT_EQ(Generate("project 5", B.Path()), 0);
    int Files = 0;
    for (const auto& E : std::filesystem::directory_iterator(A.Path())) {
        ++Files;
        EXPECT_EQ(ReadFile(E.path()), ReadFile(std::filesystem::path(B.Path()) / E.path().filename()))
            << E.path().filename();
    }
    EXPECT_EQ(Files, 6);
}

TEST(QlbenchGen, BadArgumentsWriteNothing)
{
    const TTestFolder Out;
    for (const char* Args : {"project 0", "project x", "includes 3", "nosuch 3", "unit -5"})
        EXPECT_NE(Generate(Args, Out.Path() + "/sub"), 0) << Args;
    EXPECT_FALSE(std::filesystem::exists(Out.Path() + "/sub"));
}

// The analysing subcommands search the QuilletSystem shipped beside the
// program, as qlcheck does: without it every TObject and Exception of a
// generated project is a name not found.
TEST(QlbenchGen, AnalysisSubcommandsSearchTheShippedSystemUnit)
{
    const TTestFolder Out;
    ASSERT_EQ(Generate("project 3", Out.Path()), 0);
    for (const char* Subcommand : {"analyze", "reports"}) {
        SCOPED_TRACE(Subcommand);
        const std::string Printed = qlCaptureOutput(std::string("cd '") + Out.Path() + "' && '" +
                                                    QLBENCH_EXE + "' " + Subcommand + " Main.dpr 2>&1");
        EXPECT_NE(Printed.find("messages=0"), std::string::npos) << Printed;
        EXPECT_NE(Printed.find("errors=0"), std::string::npos) << Printed;
    }
}
