// The refactoring base: output paths, open units, writing, matching nodes to
// the model, and showing the result.
#include "RefactoringTestSupport.h"

#include "model/uqlMessage.h"

#include <climits>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

const char* const Unit1 = "unit U1;\ninterface\nvar\n  Alpha: Integer;\nimplementation\nend.\n";
const char* const Unit2 = "unit U2;\ninterface\nimplementation\nend.\n";
const char* const Program = "program P;\nuses U1, U2;\nbegin\n  Alpha := 1;\nend.\n";

} // namespace

TEST_F(RefactoringTest, OutputPathsMirrorTheNormalisedAbsoluteName)
{
    struct Case {
        std::string Source;
        std::string Below; // below <run>/Generated/G/Root/
    } Cases[] = {
        {"/home/u/Src/Unit1.pas", "home/u/Src/Unit1.pas"},
        {"/U.pas", "U.pas"},
        {"/a/./b/../c/U.pas", "a/c/U.pas"},
        {"//a//b/../../../U.pas", "U.pas"},
        {"/my folder/100%1 %s/U 1.pas", "my folder/100%1 %s/U 1.pas"},
        {"/x/caf\xe9.pas", "x/caf\xe9.pas"},
        {"rel/../Sub/U.pas", Run.substr(1) + "/Sub/U.pas"},
    };
    for (const Case& C : Cases) {
        std::string Folder;
        const std::string Name = Refactoring->GetFilenameToGenerate(C.Source, "G", Folder);
        EXPECT_EQ(Name, Run + "/Generated/G/Root/" + C.Below) << C.Source;
        EXPECT_EQ(Folder, Name.substr(0, Name.find_last_of('/'))) << C.Source;
        EXPECT_TRUE(fs::is_directory(Folder)) << C.Source;
    }
    EXPECT_EQ(Refactoring->GetQualifiedBaseFolderName("{G}"), "./Generated/{G}");
    EXPECT_EQ(Refactoring->GetGroupName(), "");
    const std::string A = Refactoring->GetBaseFolderName();
    EXPECT_EQ(A.size(), 38u);
    EXPECT_EQ(A.front(), '{');
    EXPECT_EQ(A.back(), '}');
    EXPECT_NE(A, Refactoring->GetBaseFolderName());
}

TEST_F(RefactoringTest, FoldersThatCannotBeMadeAreReported)
{
    std::string Folder;
    // A file where a folder has to go.
    Folder = Run + "/Generated/G/Root/blocked";
    fs::create_directories(Run + "/Generated/G/Root");
    std::ofstream(Folder) << "x";
    EXPECT_EQ(Raised([&] { Refactoring->GetFilenameToGenerate("/blocked/U.pas", "G", Folder); }),
              "Could not create directory, " + Run + "/Generated/G/Root/blocked");
    // A name longer than the system takes.
    const std::string Long = "/" + std::string(PATH_MAX, 'a') + "/U.pas";
    EXPECT_EQ(Raised([&] { Refactoring->GetFilenameToGenerate(Long, "G", Folder); }),
              "Could not create directory, " + Run + "/Generated/G/Root/" + std::string(PATH_MAX, 'a'));
    // A current folder that cannot be written (root ignores permissions).
    if (::geteuid() != 0) {
        ::chmod(Run.c_str(), 0555);
        EXPECT_EQ(Raised([&] { Refactoring->GetFilenameToGenerate("/U.pas", "H", Folder); }),
                  "Could not create directory, " + Run + "/Generated/H/Root");
        ::chmod(Run.c_str(), 0755);
    }
}

TEST_F(RefactoringTest, UnitsOfOneFolderLandTogetherAndAreNeverOverwritten)
{
    Analyze({{"P.dpr", Program}, {"U1.pas", Unit1}, {"U2.pas", Unit2}});
    TqlUnit* U1 = Unit("U1");
    TqlUnit* U2 = Unit("U2");
    ASSERT_TRUE(U1 && U2);
    const std::string G = Refactoring->GetBaseFolderName();
    Refactoring->BeginRefactoring(G, U1);
    Refactoring->BeginRefactoring(G, U2);
    EXPECT_TRUE(Refactoring->GetLocked(U1));
    EXPECT_NE(Refactoring->GetModuleNode(U1), nullptr);
    EXPECT_EQ(Raised([&] { Refactoring->BeginRefactoring(G, U1); }), "Unit is already being refactored.");
    Refactoring->EndRefactorings(G);
    EXPECT_FALSE(Refactoring->GetLocked(U1));
    EXPECT_EQ(ReadAll(Output(G, "U1.pas")), Unit1);
    EXPECT_EQ(ReadAll(Output(G, "U2.pas")), Unit2);
    EXPECT_EQ(Host->RefactoredUnits, (std::vector<TqlUnit*>{U1, U2}));
    EXPECT_EQ(Raised([&] { Refactoring->CheckRefactoringUnit(U1); }), "Unit, U1, is not being refactored.");
    EXPECT_EQ(Raised([&] { Refactoring->CancelRefactoring(U1); }), "Unit, U1, is not being refactored.");

    // The same unit twice in one run: the first output stays.
    Refactoring->BeginRefactoring(G, U1);
    Refactoring->GetModuleNode(U1)->GetFirstTokenNode(ptUnit)->SetCode("UNIT");
    EXPECT_EQ(Raised([&] { Refactoring->EndRefactoring(G, U1); }),
              "Attempt to overwrite file, " + Output(G, "U1.pas") + ".");
    EXPECT_TRUE(Refactoring->GetLocked(U1)) << "a failed end leaves the unit open";
    EXPECT_EQ(ReadAll(Output(G, "U1.pas")), Unit1);
    Refactoring->CancelRefactoring(U1);
    EXPECT_FALSE(Refactoring->GetLocked(U1));

    // A link at the target is not written through.
    const std::string Other = Refactoring->GetBaseFolderName();
    const std::string Target = Folder.Path() + "/elsewhere.txt";
    std::string OutFolder;
    Refactoring->GetFilenameToGenerate(U2->GetFullFileName(), Other, OutFolder);
    fs::create_symlink(Target, Output(Other, "U2.pas"));
    Refactoring->BeginRefactoring(Other, U2);
    EXPECT_EQ(Raised([&] { Refactoring->EndRefactoring(Other, U2); }),
              "Attempt to overwrite file, " + Output(Other, "U2.pas") + ".");
    EXPECT_FALSE(fs::exists(Target));
    EXPECT_TRUE(fs::is_symlink(Output(Other, "U2.pas")));
}

TEST_F(RefactoringTest, SourcesLeaveByteForByteAndEditsFollowTheFileLineBreaks)
{
    struct Case {
        const char* Name;
        std::string Text;
        std::string Edited; // with "Alpha" renamed "Beta" and a var section added to Run
    } Cases[] = {
        {"LF", "unit U1;\ninterface\nvar\n  Alpha: Integer;\nimplementation\nprocedure Run;\nbegin\nend;\nend.",
         "unit U1;\ninterface\nvar\n  Beta: Integer;\nimplementation\nprocedure Run;\nvar\n  X: T;\nbegin\nend;\nend.\n"},
        {"CRLF", "unit U1;\r\ninterface\r\nvar\r\n  Alpha: Integer;\r\nimplementation\r\nprocedure Run;\r\nbegin\r\nend;\r\nend.\r\n",
         "unit U1;\r\ninterface\r\nvar\r\n  Beta: Integer;\r\nimplementation\r\nprocedure Run;\r\nvar\r\n  X: T;\r\nbegin\r\nend;\r\nend.\r\n"},
        {"CR", "unit U1;\rinterface\rvar\r  Alpha: Integer;\rimplementation\rprocedure Run;\rbegin\rend;\rend.\r",
         "unit U1;\rinterface\rvar\r  Beta: Integer;\rimplementation\rprocedure Run;\rvar\r  X: T;\rbegin\rend;\rend.\r"},
        {"mixed", "unit U1;\ninterface\r\nvar\r  Alpha: Integer;\nimplementation\r\nprocedure Run;\rbegin\nend;\r\nend.",
         "unit U1;\ninterface\r\nvar\r  Beta: Integer;\nimplementation\r\nprocedure Run;\rvar\n  X: T;\nbegin\nend;\r\nend.\n"},
    };
    for (const Case& C : Cases) {
        Folder.Write("U1.pas", C.Text);
        Project->GetOptions()->SetFileToAnalyze(Folder.Path() + "/U1.pas");
        Project->Analyze(true);
        TqlUnit* U = Unit("U1");
        ASSERT_NE(U, nullptr) << C.Name;
        const std::string G = Refactoring->GetBaseFolderName();
        Refactoring->BeginRefactoring(G, U);
        Refactoring->EndRefactoring(G, U);
        const bool Ends = C.Text.back() == '\n' || C.Text.back() == '\r';
        EXPECT_EQ(ReadAll(Output(G, "U1.pas")), Ends ? C.Text : C.Text + (C.Name == std::string("CR") ? "\r" : "\n"))
            << C.Name;

        const std::string H = Refactoring->GetBaseFolderName();
        Refactoring->BeginRefactoring(H, U);
        TqlModuleNode* Root = Refactoring->GetModuleNode(U);
        TqlCodeLocation Alpha(U->GetFileIndex(), 3, 4);
        TqlTokenNode* Token = TqlRefactoring::FindTokenNodeForLocation(Root, &Alpha);
        ASSERT_NE(Token, nullptr) << C.Name;
        EXPECT_EQ(Token->Code(), "Alpha");
        Token->SetCode("Beta");
        auto* Impl = Root->GetFirstNodeClass<TqlImplementationSectionNode>();
        auto* Method = Impl ? Impl->GetFirstNodeClass<TqlMethodImplementationNode>() : nullptr;
        ASSERT_TRUE(Method && Method->Block()) << C.Name;
        Method->Block()->AddVariableSectionCode()->AddVariableCode("X", "T");
        Refactoring->EndRefactoring(H, U);
        EXPECT_EQ(ReadAll(Output(H, "U1.pas")), C.Edited) << C.Name;
    }
}

TEST_F(RefactoringTest, ExecuteAlwaysEndsWithNoUnitOpen)
{
    Analyze({{"P.dpr", Program}, {"U1.pas", Unit1}, {"U2.pas", Unit2}});
    int Runs = 0;
    Refactoring->Body = [&](TTestRefactoring& R) {
        ++Runs;
        R.BeginRefactoring("G", Unit("U1"));
        throw Exception("failed half way");
    };
    for (int I = 0; I < 2; ++I)
        EXPECT_EQ(Raised([&] { qlExecuteRefactoring(Refactoring); }), "failed half way");
    EXPECT_EQ(Runs, 2);
    EXPECT_EQ(Refactoring->RefactoringList()->Count(), 0);
    EXPECT_EQ(Host->RefactoredUnits.size(), 2u) << "each cancel is told";
    // A new analysis frees the units; nothing may still point at them.
    Project->Analyze(true);
    Refactoring->Body = [](TTestRefactoring& R) { R.BeginRefactoring("G", nullptr); };
    qlExecuteRefactoring(Refactoring);
    EXPECT_EQ(Refactoring->RefactoringList()->Count(), 0);
}

// The unit that stands for the run-time library is opened by no
// refactoring: the run is refused with a finding that names it, and what it
// wrote before is taken back.
TEST_F(RefactoringTest, TheRunTimeLibraryUnitRefusesTheWholeRun)
{
    Analyze({{"P.dpr", "program P;\nuses U1;\nbegin\n  Alpha := 1;\nend.\n"},
             {"U1.pas", Unit1},
             {"QuilletSystem.pas", "unit QuilletSystem;\ninterface\ntype\n  TObject = class\n  end;\n"
                                   "implementation\nend.\n"}});
    TqlUnit* System = Unit("QuilletSystem");
    ASSERT_NE(System, nullptr);
    bool Passed = false;
    Refactoring->Body = [&](TTestRefactoring& R) {
        const std::string G = R.GetBaseFolderName();
        R.BeginRefactoring(G, Unit("U1"));
        R.EndRefactoring(G, Unit("U1"));
        ASSERT_TRUE(fs::exists(Output(G, "U1.pas")));
        R.BeginRefactoring(G, System);
        Passed = true;
        R.EndRefactoring(G, System);
    };
    EXPECT_EQ(Raised([&] { qlExecuteRefactoring(Refactoring); }), "(nothing raised)");
    EXPECT_FALSE(Passed);
    EXPECT_FALSE(fs::exists(Run + "/Generated"));
    EXPECT_EQ(Refactoring->RefactoringList()->Count(), 0);
    ASSERT_EQ(Host->Messages.size(), 1u);
    EXPECT_EQ(Host->Messages[0]->GetMessageText(),
              "Test: Unit, QuilletSystem, stands for the run-time library; no refactoring changes it.");
    EXPECT_EQ(Host->Messages[0]->GetCodeLocation()->GetFileIndex(), System->GetFileIndex());
    EXPECT_EQ(Host->Messages[0]->GetCodeLocation()->GetY(), 1);
}

TEST_F(RefactoringTest, UnitsWithoutASourceOpenWithoutATreeAndWriteNothing)
{
    Analyze({{"P.dpr", "program P;\nuses Missing;\nbegin\nend.\n"}});
    TqlUnit* Missing = Unit("Missing");
    ASSERT_NE(Missing, nullptr);
    const std::string G = Refactoring->GetBaseFolderName();
    Refactoring->BeginRefactoring(G, Missing);
    EXPECT_TRUE(Refactoring->GetLocked(Missing));
    EXPECT_EQ(Refactoring->GetModuleNode(Missing), nullptr);
    Refactoring->EndRefactoring(G, Missing);
    EXPECT_FALSE(Refactoring->GetLocked(Missing));
    EXPECT_FALSE(fs::exists(Run + "/Generated/" + G));
    EXPECT_EQ(Host->RefactoredUnits, std::vector<TqlUnit*>{Missing});
}

TEST_F(RefactoringTest, BrokenAndChangedSourcesOpenNothing)
{
    Analyze({{"P.dpr", Program}, {"U1.pas", Unit1}, {"U2.pas", Unit2}});
    TqlUnit* U2 = Unit("U2");
    // A fatal syntax error: the exception goes on and nothing stays (ASan).
    Folder.Write("U2.pas", "unit U2;\ninterface\nimplementation\nbegin\n  X := " + std::string(1100, '(') + "\nend.\n");
    EXPECT_EQ(Raised([&] { Refactoring->BeginRefactoring("G", U2); }),
              "Unit, U2, has changed since the last analysis.");
    // As if the analysis had not read it.
    Project->GetFileNames()->GetItems(U2->GetFileIndex())->Size = -1;
    EXPECT_ANY_THROW(Refactoring->BeginRefactoring("G", U2));
    EXPECT_FALSE(Refactoring->GetLocked(U2));
    EXPECT_ANY_THROW(Refactoring->TryCreateModuleNode(U2));

    // Same size, other bytes.
    TqlUnit* U1 = Unit("U1");
    std::string Changed = Unit1;
    Changed[Changed.find("Alpha")] = 'B';
    Folder.Write("U1.pas", Changed);
    EXPECT_EQ(Raised([&] { Refactoring->TryCreateModuleNode(U1); }),
              "Unit, U1, has changed since the last analysis.");
}

TEST_F(RefactoringTest, NodesMatchOnlyUsesInTheUnitsOwnFile)
{
    Analyze({{"P.dpr", Program}, {"U1.pas", Unit1}, {"U2.pas", Unit2}});
    TqlUnit* U1 = Unit("U1");
    auto Root = Refactoring->TryCreateModuleNode(U1);
    ASSERT_NE(Root, nullptr);
    // "Alpha" in U1 sits at column 3, line 4. A use in an include file of
    // U1 and one in its form file sit at the same place.
    TqlFileNameList* Files = Project->GetFileNames();
    const int UnitIndex = Files->GetItems(U1->GetFileIndex())->GetUnitIndex();
    const int Include = Files->Add(Folder.Path() + "/defs.inc", true, UnitIndex);
    const int Form = Files->Add(Folder.Path() + "/U1.dfm", true, UnitIndex);
    TqlUsedByList Uses(nullptr);
    Uses.AddUsedBy(UsedByInfo(Include, false, 3, 4));
    Uses.AddUsedBy(UsedByInfo(Form, false, 3, 4));
    TqlCodeLocation InInclude(Include, 3, 4);
    TqlCodeLocation InUnit(U1->GetFileIndex(), 3, 4);
    TqlCodeNode* Node = TqlRefactoring::FindNodeForLocation(Root.get(), &InUnit);
    ASSERT_NE(Node, nullptr);
    EXPECT_EQ(Node->Code(), "Alpha");
    EXPECT_EQ(TqlRefactoring::FindNodeForLocation(Root.get(), &InInclude), nullptr);
    EXPECT_EQ(TqlRefactoring::FindTokenNodeForLocation(Root.get(), &InInclude), nullptr);
    EXPECT_EQ(TqlRefactoring::FindCodeLocationForNode(U1, Node), nullptr);
    Uses.AddUsedBy(UsedByInfo(U1->GetFileIndex(), false, 3, 4));
    TqlCodeLocation* Found = TqlRefactoring::FindCodeLocationForNode(U1, Node);
    ASSERT_NE(Found, nullptr);
    EXPECT_EQ(Found->GetFileIndex(), U1->GetFileIndex());
    // The units go before the list that the unit's entries point into.
    Project->Clear();
}

TEST_F(RefactoringTest, AnEmptyRuleNodeAnswersTheLocationButNotAsAToken)
{
    Folder.Write("E.pas", "unit E;\ninterface\nimplementation\nprocedure Run;\nbegin\n  ;X\nend;\nend.\n");
    Project->GetOptions()->SetFileToAnalyze(Folder.Path() + "/E.pas");
    Project->Analyze(true);
    auto Root = Refactoring->TryCreateModuleNode(Unit("E"));
    ASSERT_NE(Root, nullptr);
    // The empty statement before ";" starts where ";" does.
    TqlCodeLocation At(Root->FileIndex(), 3, 6);
    TqlCodeNode* Any = TqlRefactoring::FindNodeForLocation(Root.get(), &At);
    TqlTokenNode* Token = TqlRefactoring::FindTokenNodeForLocation(Root.get(), &At);
    ASSERT_TRUE(Any && Token);
    EXPECT_EQ(Any->Code(), "");
    EXPECT_EQ(Token->Code(), ";");
}

TEST(ComparisonParams, OnePassFirstOccurrencesQuotesGroup)
{
    struct Case {
        std::string Template, Source, Output;
        std::vector<std::string> Words;
    } Cases[] = {
        {"\"%1\" \"%2\" %1", "/s", "/o", {"/s", "/o", "%1"}},
        {"%1 %2", "/my src", "/a%2b", {"/my src", "/a%2b"}},
        {"-x \"a b\" %2%1", "/s\"q", "/$(x)", {"-x", "a b", "/$(x)/s\"q"}},
        {"  \"\"  %3 ", "/s", "/o", {"", "%3"}},
        {"", "/s", "/o", {}},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(qlSplitComparisonParams(C.Template, C.Source, C.Output), C.Words) << C.Template;
}

TEST_F(RefactoringTest, ViewStartsTheComparisonToolOrOpensTheFolder)
{
    Analyze({{"my src/P.dpr", Program}});
    const std::string G = Refactoring->GetBaseFolderName();
    const std::string Out = Run + "/Generated/" + G + "/Root" + Folder.Path() + "/my src";
    // Some unit of the run was written, though not in that folder.
    Folder.Write("run/Generated/" + G + "/Root/other/U.pas", "unit U;\n");
    Refactoring->ViewRefactoring(G);
    ASSERT_EQ(Host->Launches.size(), 1u);
    EXPECT_EQ(Host->Launches[0], (std::vector<std::string>{"xdg-open", Out}));
    EXPECT_TRUE(fs::is_directory(Out));

    Ref<IqlRefactorOptions> Options = Project->GetSystemOptions()->GetRefactorOptions();
    Options->SetFolderComparisonExe("meld");
    Options->SetFolderComparisonExeParams("\"%1\" \"%2\" %1 $(x)");
    Refactoring->ViewRefactoring(G);
    EXPECT_EQ(Host->Launches[1],
              (std::vector<std::string>{"meld", Folder.Path() + "/my src", Out, "%1", "$(x)"}));

    // The output is there all the same: a message that says where, no
    // failure.
    Host->LaunchSucceeds = false;
    EXPECT_EQ(Raised([&] { Refactoring->ViewRefactoring(G); }), "(nothing raised)");
    ASSERT_EQ(Host->Messages.size(), 1u);
    EXPECT_EQ(Host->Messages[0]->GetMessageText(), "Test: Could not start meld. The output is in " + Out + ".");

    // No file to analyse: the run folder.
    Host->LaunchSucceeds = true;
    Options->SetFolderComparisonExe("");
    Project->GetOptions()->SetFileToAnalyze("");
    Refactoring->ViewRefactoring(G);
    EXPECT_EQ(Host->Launches.back(), (std::vector<std::string>{"xdg-open", Run + "/Generated/" + G}));
}

TEST(ProgramLauncher, StartsDetachedAndTellsFailure)
{
    EXPECT_TRUE(qlStartDetached({"true"}));
    EXPECT_FALSE(qlStartDetached({"/nonexistent/quillet-program"}));
    EXPECT_FALSE(qlStartDetached({}));
    // Nothing is left to reap: the started program is not our child.
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

TEST_F(RefactoringTest, DefinesOfIncludeFilesPickTheAnalysisBranches)
{
    const std::string Text = "unit U;\ninterface\n{$I defs.inc}\nimplementation\n"
                             "{$IFDEF FEATURE}\nprocedure Run;\nbegin\nend;\n{$ELSE}\nprocedure Other;\nbegin\nend;\n{$ENDIF}\n"
                             "{$IFDEF DEEP}\nprocedure Deep;\nbegin\nend;\n{$ENDIF}\nend.\n";
    Analyze({{"U.pas", Text}, {"defs.inc", "{$DEFINE FEATURE}\n{$I inc/more.inc}\n"},
             {"inc/more.inc", "{$IFDEF FEATURE}{$DEFINE DEEP}{$ENDIF}"}});
    TqlUnit* U = Unit("U");
    ASSERT_NE(U, nullptr);
    auto Root = Refactoring->TryCreateModuleNode(U);
    ASSERT_NE(Root, nullptr);
    EXPECT_EQ(Root->GetText(), Text);
    std::vector<std::string> Methods;
    Root->IterateNodes(false, [&](TqlNode* N) {
        if (auto* M = dynamic_cast<TqlMethodImplementationNode*>(N))
            Methods.push_back(M->GetFirstTokenNode(ptIdentifier) ? M->GetFirstTokenNode(ptIdentifier)->Code()
                                                                   : M->GetCode(false));
    });
    EXPECT_EQ(Methods, (std::vector<std::string>{"Run", "Deep"}));
    // The directive stays one node.
    int Includes = 0;
    Root->IterateNodes(false, [&](TqlNode* N) {
        if (auto* D = dynamic_cast<TqlDirectiveNode*>(N))
            Includes += D->Code() == "{$I defs.inc}";
    });
    EXPECT_EQ(Includes, 1);
}

// What an execution leaves below ./Generated: all its output when it
// succeeds, nothing when it fails part way or changes nothing.
TEST_F(RefactoringTest, ExecutionsLeaveAllTheirOutputOrNone)
{
    Analyze({{"P.dpr", Program}, {"U1.pas", Unit1}, {"U2.pas", Unit2}});
    const struct {
        const char* Name;
        bool WriteU1, FailAfter, Wrote;
        std::vector<std::string> Messages;
        size_t Launches;
    } Cases[] = {
        {"written", true, false, true, {}, 1},
        {"failed after one unit", true, true, false, {}, 0},
        {"failed before any", false, true, false, {}, 0},
        {"nothing changed", false, false, false, {"Test: Nothing was changed."}, 0},
    };
    for (const auto& C : Cases) {
        Host->Messages.clear();
        Host->Launches.clear();
        std::string G;
        Refactoring->Body = [&](TTestRefactoring& R) {
            G = R.GetBaseFolderName();
            R.BeginRefactoring(G, Unit("U1"));
            if (C.WriteU1)
                R.EndRefactoring(G, Unit("U1"));
            else
                R.CancelRefactoring(Unit("U1"));
            if (C.FailAfter) {
                // U2 cannot be written: its output is in the way.
                std::string Ignored;
                R.GetFilenameToGenerate(Unit("U2")->GetFullFileName(), G, Ignored);
                Folder.Write("run/Generated/" + G + "/Root" + Folder.Path() + "/U2.pas", "");
                R.BeginRefactoring(G, Unit("U2"));
                R.EndRefactoring(G, Unit("U2"));
            }
            R.ViewRefactoring(G);
        };
        const std::string Raise = Raised([&] { qlExecuteRefactoring(Refactoring); });
        EXPECT_EQ(Raise, C.FailAfter ? "Attempt to overwrite file, " + Output(G, "U2.pas") + "."
                                     : "(nothing raised)")
            << C.Name;
        EXPECT_EQ(fs::exists(Output(G, "U1.pas")), C.Wrote) << C.Name;
        EXPECT_EQ(fs::exists(Run + "/Generated"), C.Wrote) << C.Name << ": no empty folders stay";
        std::vector<std::string> Texts;
        for (const Ref<IqlMessage>& M : Host->Messages)
            Texts.push_back(M->GetMessageText());
        EXPECT_EQ(Texts, C.Messages) << C.Name;
        EXPECT_EQ(Host->Launches.size(), C.Launches) << C.Name;
        EXPECT_EQ(Refactoring->RefactoringList()->Count(), 0) << C.Name;
        std::error_code Ec;
        fs::remove_all(Run + "/Generated", Ec);
    }
    // Folders made for output that never came go at the end.
    Host->Messages.clear();
    Refactoring->Body = [&](TTestRefactoring& R) {
        const std::string G = R.GetBaseFolderName();
        std::string Ignored;
        R.GetFilenameToGenerate(Unit("U1")->GetFullFileName(), G, Ignored);
        R.ViewRefactoring(G);
    };
    qlExecuteRefactoring(Refactoring);
    EXPECT_FALSE(fs::exists(Run + "/Generated"));
    EXPECT_EQ(Host->Messages.size(), 1u);
    // A "Generated" folder that was there before stays, with what it held.
    Folder.Write("run/Generated/keep.txt", "x");
    Refactoring->Body = [&](TTestRefactoring& R) {
        const std::string G = R.GetBaseFolderName();
        std::string Ignored;
        R.GetFilenameToGenerate(Unit("U1")->GetFullFileName(), G, Ignored);
        throw Exception("stop");
    };
    EXPECT_EQ(Raised([&] { qlExecuteRefactoring(Refactoring); }), "stop");
    EXPECT_EQ(std::distance(fs::directory_iterator(Run + "/Generated"), fs::directory_iterator()), 1);
}

// A unit whose name is as long as a file name may be is written: the text
// goes first into a short temporary name beside it.
TEST_F(RefactoringTest, LongestFileNamesAreWritten)
{
    const std::string Name(246, 'L');
    const std::string Text = "unit " + Name + ";\ninterface\nimplementation\nend.\n";
    Analyze({{Name + ".pas", Text}});
    TqlUnit* U = Unit(Name);
    ASSERT_NE(U, nullptr);
    const std::string G = Refactoring->GetBaseFolderName();
    Refactoring->BeginRefactoring(G, U);
    EXPECT_EQ(Raised([&] { Refactoring->EndRefactoring(G, U); }), "(nothing raised)");
    EXPECT_EQ(ReadAll(Output(G, Name + ".pas")), Text);
    // Nothing else is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(Output(G, Name + ".pas")).parent_path()),
                            fs::directory_iterator()),
              1);
}
