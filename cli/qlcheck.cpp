// qlcheck: analyses one main source file (program, package or unit) and every
// unit it reaches, printing a progress line before each unit's interface and
// implementation, then runs the reports that "projectoptions.ini" beside the
// program lists as visible.
#include "base/uqlPathUtils.h"
#include "analysis/uqlProject.h"
#include "reports/uqlBuiltInReports.h"
#include "settings/uqlFileSettings.h"
#include "settings/uqlStringList.h"

#include <cstdio>
#include <exception>
#include <string>

namespace {

const char* const StageWords[] = {"", "Interface", "", "Implementation"};

// Writes one line per announced parse: the file name and the stage word.
class TProgressIndicator : public TInterfacedObject, public IqlProgressNotifier {
public:
    void Notify(const std::string& Name, TParserState Stage, bool&) override
    {
        std::fputs(Name.c_str(), stdout);
        std::fputc(' ', stdout);
        std::fputs(StageWords[Stage], stdout);
        std::fputc('\n', stdout);
    }
};

void ReleaseGlobals()
{
    gqlProject = nullptr;
    gqlQuilletOptions = nullptr;
}

int Run(const std::string& FileToAnalyze)
{
    gqlQuilletOptions =
        Ref<IqlFileSettings>(new TqlFileSettings(qlChangeFileExt(qlProgramFolder() + "qlcheck", ".ini")));
    gqlProject = Ref<IqlProject>(new TqlProject);
    gqlProject->AddProgressNotifier(Ref<IqlProgressNotifier>(new TProgressIndicator));
    RegisterBuiltInReports();
    gqlProject->GetOptions()->SetFileToAnalyze(FileToAnalyze);
    gqlProject->Analyze(true);

    Ref<IqlStringList> Visible(new TqlStringList);
    gqlProject->GetProjectSettingsFile()->ReadSection("VisibleReports", Visible);
    Ref<IqlReports> Reports = gqlProject->GetReports();
    for (int i = 0; i < Visible->GetCount(); ++i)
        if (Ref<IqlReport> Report = Reports->FindByName(Visible->GetString(i)))
            Report->Run();
    ReleaseGlobals();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string Arg = argc > 1 ? argv[1] : "";
    if (Arg.empty() || !qlIsRegularFile(Arg)) {
        std::printf("usage qlcheck [projectfilename] : could not find : %s\n", Arg.c_str());
        return 1;
    }
    try {
        return Run(Arg);
    } catch (const std::exception& E) {
        std::fflush(stdout);
        try {
            ReleaseGlobals();
        } catch (...) {
        }
        std::fprintf(stderr, "%s\n", E.what());
        return 1;
    } catch (...) {
        std::fflush(stdout);
        std::fprintf(stderr, "Unknown exception\n");
        return 1;
    }
}
