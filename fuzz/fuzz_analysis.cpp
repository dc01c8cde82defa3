// libFuzzer target: the whole analysis. The input becomes the unit Fuzz, used
// by a small fixed program with an include file, a self-including include
// file, a unit with a form file, and two units that use each other in their
// implementation sections. Each run analyses the program, runs every report
// and exports each as comma-separated text.
//
// A fatal syntax error of the input and an error reading a file are expected
// outcomes. Any other exception (a failed consistency check, a list index
// out of range, ...), a crash, a sanitizer report or a hang is a finding.
#include "analysis/uqlProject.h"
#include "base/qlException.h"
#include "lexer/lxSimplePasPar.h"
#include "reports/uqlBuiltInReports.h"
#include "tests/TestFolder.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const char* const FixedFiles[][2] = {
    {"App.dpr", "program App;\n"
                "uses Fuzz, A, B;\n"
                "{$I app.inc}\n"
                "begin\n"
                "  IncProc(IncConst);\n"
                "end.\n"},
    {"app.inc", "const IncConst = 1;\n"
                "{$I self.inc}\n"
                "procedure IncProc(X: Integer);\n"
                "begin\n"
                "end;\n"},
    {"self.inc", "const SelfConst = 2;\n"
                 "{$I self.inc}\n"},
    {"A.pas", "unit A;\n"
              "interface\n"
              "uses Fuzz;\n"
              "type\n"
              "  TFormA = class(TObject)\n"
              "    Button1: TObject;\n"
              "    procedure Button1Click(Sender: TObject);\n"
              "  end;\n"
              "var\n"
              "  FormA: TFormA;\n"
              "implementation\n"
              "uses B;\n"
              "{$R *.dfm}\n"
              "procedure TFormA.Button1Click(Sender: TObject);\n"
              "begin\n"
              "  BValue := 1;\n"
              "end;\n"
              "end.\n"},
    {"A.dfm", "object FormA: TFormA\n"
              "  Left = 10\n"
              "  Caption = 'A' + 'B'\n"
              "  object Button1: TButton\n"
              "    OnClick = Button1Click\n"
              "    Font.Name = 'Arial'\n"
              "  end\n"
              "end\n"},
    {"B.pas", "unit B;\n"
              "interface\n"
              "uses Fuzz;\n"
              "var\n"
              "  BValue: Integer;\n"
              "implementation\n"
              "uses A;\n"
              "initialization\n"
              "  FormA := nil;\n"
              "end.\n"},
};

struct TFixture {
    TTestFolder Scratch;
    std::string Folder = Scratch.Path();
    std::string Settings = Folder + "/settings";

    TFixture()
    {
        fs::create_directory(Settings);
        for (const auto& F : FixedFiles)
            Scratch.Write(F[0], F[1]);
    }
};

TFixture& Fixture()
{
    static TFixture F;
    return F;
}

// Errors of reading a file name the file; they are not findings.
bool IsFileError(const Exception& E)
{
    const std::string M = E.what();
    return M.rfind("Cannot open file", 0) == 0 || M.rfind("Cannot read", 0) == 0;
}

[[noreturn]] void Finding(const char* Kind, const std::string& Message)
{
    std::fprintf(stderr, "fuzz_analysis: %s: %s\n", Kind, Message.c_str());
    std::abort();
}

void AnalyseAndReport(const TFixture& F)
{
    Ref<TqlProject> Project(new TqlProject(F.Settings));
    gqlProject = Ref<IqlProject>(Project.get());
    RegisterBuiltInReports();
    Project->GetOptions()->SetFileToAnalyze(F.Folder + "/App.dpr");
    Project->Analyze(true);
    Ref<IqlReports> Reports = Project->GetReports();
    for (int i = 0; i < Reports->GetCount(); ++i) {
        Ref<IqlReport> R = Reports->GetItem(i);
        R->Run();
        R->AsCSV(true, true);
        R->AsCSV(false, false);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size > 64 * 1024)
        return 0;
    TFixture& F = Fixture();
    std::ofstream(F.Folder + "/Fuzz.pas", std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(Data), std::streamsize(Size));
    try {
        AnalyseAndReport(F);
    } catch (const ESyntaxError&) {
        // the input's fatal syntax error
    } catch (const EAssertionFailed& E) {
        Finding("consistency check failed", E.what());
    } catch (const Exception& E) {
        if (!IsFileError(E))
            Finding("exception", E.what());
    } catch (const std::exception& E) {
        Finding("exception", E.what());
    }
    gqlProject = nullptr;
    return 0;
}
