// The last check before a refactoring writes: the sources analysed again
// with the edited units in their place must resolve as the sources did, and
// the project's own model stays as it was.
#include "RefactoringTestSupport.h"

#include "model/uqlMessage.h"

namespace fs = std::filesystem;

namespace {

const char* const ShapesUnit =
    "unit UShapes;\ninterface\ntype\n"
    "  TShape = class\n    function Area: Integer; virtual;\n    function Scale(F: Integer): Integer; virtual;\n  end;\n"
    "  TBase = object\n    function Size: Integer; virtual;\n  end;\n"
    "var\n  Count: Integer;\n"
    "procedure Bump;\n"
    "implementation\n"
    "function TShape.Area: Integer;\nbegin\n  Result := 1;\nend;\n\n"
    "function TShape.Scale(F: Integer): Integer;\nbegin\n  Result := F;\nend;\n\n"
    "function TBase.Size: Integer;\nbegin\n  Result := 1;\nend;\n\n"
    "procedure Bump;\nbegin\n  Inc(Count);\nend;\n\nend.\n";

const char* const BoxUnit =
    "unit UBox;\ninterface\nuses UShapes;\ntype\n"
    "  TBox = class(TShape)\n    function Area: Integer; override;\n    function Scale(F: Integer): Integer; override;\n  end;\n"
    "  TCrate = object(TBase)\n    function Size: Integer; virtual;\n  end;\n"
    "procedure Run;\n"
    "implementation\n"
    "function TBox.Area: Integer;\nbegin\n  Result := 11;\nend;\n\n"
    "function TBox.Scale(F: Integer): Integer;\nbegin\n  Result := F * 2;\nend;\n\n"
    "function TCrate.Size: Integer;\nbegin\n  Result := 11;\nend;\n\n"
    "procedure Run;\nbegin\n  Bump;\n  Count := Count + 1;\nend;\n\nend.\n";

const char* const MainProgram = "program Shapes;\nuses UShapes, UBox;\nbegin\n  Run;\nend.\n";

std::string Replaced(std::string Text, const std::string& From, const std::string& To)
{
    const size_t At = Text.find(From);
    EXPECT_NE(At, std::string::npos) << From;
    if (At != std::string::npos)
        Text.replace(At, From.size(), To);
    return Text;
}

class OutputCheckTest : public RefactoringTest {
protected:
    void SetUp() override
    {
        Analyze({{"Shapes.dpr", MainProgram}, {"UShapes.pas", ShapesUnit}, {"UBox.pas", BoxUnit}});
    }
    std::string File(const std::string& Name) const { return Folder.Path() + "/" + Name; }
};

} // namespace

// Outputs that change nothing the compiler reads pass; each kind of fault is
// refused at its first place in the output.
TEST_F(OutputCheckTest, FaultsOfTheOutputAreFoundAtTheirFirstPlace)
{
    const struct {
        const char* Name;
        std::vector<TqlOutputText> Outputs;
        const char* Fault;  // "" when the output passes
        const char* FaultFile;
        int Line;
    } Cases[] = {
        {"blanks and comments only",
         {{File("UBox.pas"), Replaced(BoxUnit, "  Bump;\n", "  { first }\n  Bump;\n\n"), ""}},
         "", "", 0},
        {"a name renamed everywhere",
         {{File("UShapes.pas"), Replaced(Replaced(ShapesUnit, "procedure Bump;\nimp", "procedure Kick;\nimp"),
                                         "procedure Bump;\nbegin", "procedure Kick;\nbegin"), ""},
          {File("UBox.pas"), Replaced(BoxUnit, "  Bump;\n", "  Kick;\n"), ""}},
         "", "", 0},
        {"a call left behind by a rename",
         {{File("UShapes.pas"), Replaced(Replaced(ShapesUnit, "procedure Bump;\nimp", "procedure Kick;\nimp"),
                                         "procedure Bump;\nbegin", "procedure Kick;\nbegin"), ""}},
         "Symbol, Bump, not found in project", "UBox.pas", 31},
        {"a used unit swept away",
         {{File("UBox.pas"), Replaced(BoxUnit, "uses UShapes;\n", ""), ""}},
         "not found", "UBox.pas", 0},
        {"a syntax error",
         {{File("UBox.pas"), Replaced(BoxUnit, "  Count := Count + 1;", "  Count := (Count + 1;"), ""}},
         "The output was not written: its analysis says", "UBox.pas", 32},
        {"an override whose ancestor's method was renamed alone",
         {{File("UShapes.pas"), Replaced(Replaced(ShapesUnit, "function Area: Integer; virtual;",
                                                  "function Surface: Integer; virtual;"),
                                         "function TShape.Area", "function TShape.Surface"), ""}},
         "TBox.Area would no longer override a method of an ancestor", "UBox.pas", 6},
        {"an override whose parameters no longer match",
         {{File("UShapes.pas"), Replaced(Replaced(ShapesUnit, "Scale(F: Integer): Integer; virtual;",
                                                  "Scale(F, G: Integer): Integer; virtual;"),
                                         "TShape.Scale(F: Integer)", "TShape.Scale(F, G: Integer)"), ""}},
         "TBox.Scale would no longer override a method of an ancestor", "UBox.pas", 7},
        {"an object's virtual method whose ancestor's was renamed alone",
         {{File("UShapes.pas"), Replaced(Replaced(ShapesUnit, "function Size: Integer; virtual;",
                                                  "function Volume: Integer; virtual;"),
                                         "function TBase.Size", "function TBase.Volume"), ""}},
         "TCrate.Size would no longer override a method of an ancestor", "UBox.pas", 10},
    };
    for (const auto& C : Cases) {
        TqlOutputFault Fault;
        const bool Found = qlFindOutputFault(C.Outputs, Fault);
        EXPECT_EQ(Found, *C.Fault != 0) << C.Name << ": " << Fault.Text;
        if (!Found || !*C.Fault)
            continue;
        EXPECT_NE(Fault.Text.find(C.Fault), std::string::npos) << C.Name << ": " << Fault.Text;
        ASSERT_GE(Fault.FileIndex, 0) << C.Name;
        EXPECT_EQ(fs::path(Project->GetFileNames()->GetItems(Fault.FileIndex)->GetFullFileName()).filename(),
                  C.FaultFile)
            << C.Name;
        if (C.Line) {
            EXPECT_EQ(Fault.Y, C.Line) << C.Name << ": " << Fault.Text;
        }
    }
}

// A unit renamed with its file: its users find it under the new name.
TEST_F(OutputCheckTest, ARenamedUnitIsFoundByItsNewName)
{
    const std::string Shapes = Replaced(ShapesUnit, "unit UShapes;", "unit UFigures;");
    const std::string Box = Replaced(BoxUnit, "uses UShapes;", "uses UFigures;");
    const std::string Main = Replaced(MainProgram, "uses UShapes, UBox;", "uses UFigures, UBox;");
    TqlOutputFault Fault;
    EXPECT_FALSE(qlFindOutputFault({{File("UShapes.pas"), Shapes, "UFigures.pas"},
                                    {File("UBox.pas"), Box, ""},
                                    {File("Shapes.dpr"), Main, ""}},
                                   Fault))
        << Fault.Text;
    // A user left with the old name is not.
    EXPECT_TRUE(qlFindOutputFault({{File("UShapes.pas"), Shapes, "UFigures.pas"}, {File("Shapes.dpr"), Main, ""}},
                                  Fault));
}

// The check analyses into a model of its own: the project's units, symbols
// and messages are the same objects afterwards, and gqlProject is the
// project again.
TEST_F(OutputCheckTest, TheProjectsModelStaysAsItWas)
{
    TqlUnit* Box = Unit("UBox");
    ASSERT_NE(Box, nullptr);
    const int Units = Project->GetUnits()->GetCount();
    const int Messages = Project->GetMessages()->GetCount();
    const int Files = Project->GetFileNames()->GetCount();
    TqlOutputFault Fault;
    EXPECT_TRUE(qlFindOutputFault({{File("UBox.pas"), Replaced(BoxUnit, "  Bump;\n", "  Bumped;\n"), ""}}, Fault));
    EXPECT_EQ(gqlProject.get(), static_cast<IqlProject*>(Project.get()));
    EXPECT_EQ(Unit("UBox"), Box);
    EXPECT_EQ(Project->GetUnits()->GetCount(), Units);
    EXPECT_EQ(Project->GetMessages()->GetCount(), Messages);
    EXPECT_EQ(Project->GetFileNames()->GetCount(), Files);
    EXPECT_EQ(Box->GetFullFileName(), File("UBox.pas"));
    EXPECT_TRUE(Box->GetUnresolvedNames().empty());
}

// A planted fault in what a run writes: the run is refused with the fault's
// place, and nothing of it stays on disk; the same run without the fault
// writes its unit.
TEST_F(OutputCheckTest, ARunWhoseOutputWouldNotResolveWritesNothing)
{
    for (const bool Plant : {true, false}) {
        Host->Messages.clear();
        std::string G;
        Refactoring->Body = [&](TTestRefactoring& R) {
            G = R.GetBaseFolderName();
            TqlUnit* Box = Unit("UBox");
            R.BeginRefactoring(G, Box);
            TqlModuleNode* Root = R.GetModuleNode(Box);
            TqlTokenNode* Call = nullptr;
            Root->IterateNodes(false, [&](TqlNode* N) {
                auto* T = dynamic_cast<TqlTokenNode*>(N);
                if (T && T->Code() == "Bump")
                    Call = T;
            });
            ASSERT_NE(Call, nullptr);
            Call->SetCode(Plant ? "Bumped" : "UShapes.Bump");
            R.EndRefactoring(G, Box);
            R.CheckWrittenOutput();
            R.ViewRefactoring(G);
        };
        EXPECT_EQ(Raised([&] { qlExecuteRefactoring(Refactoring); }), "(nothing raised)");
        EXPECT_EQ(fs::exists(Output(G, "UBox.pas")), !Plant);
        EXPECT_EQ(fs::exists(Run + "/Generated"), !Plant);
        if (Plant) {
            ASSERT_EQ(Host->Messages.size(), 1u);
            EXPECT_EQ(Host->Messages[0]->GetMessageText(),
                      "Test: The output was not written: its analysis says \"Symbol, Bumped, not found in "
                      "project\", which that of the sources did not.");
            EXPECT_EQ(Host->Messages[0]->GetCodeLocation()->GetFileIndex(), Unit("UBox")->GetFileIndex());
        } else {
            EXPECT_TRUE(Host->Messages.empty());
        }
        std::error_code Ec;
        fs::remove_all(Run + "/Generated", Ec);
    }
}

// A library folder that was on the search path for the analysis only (the
// desktop adds the shipped system unit's folder so) is searched by the
// check's analysis as well.
TEST_F(RefactoringTest, TheCheckSearchesTheFoldersTheAnalysisSearched)
{
    Folder.Write("lib/ULib.pas", "unit ULib;\ninterface\nprocedure Bump;\nimplementation\nprocedure Bump;\n"
                                 "begin\nend;\nend.\n");
    const Ref<IqlStringList> Library = Project->GetSystemOptions()->GetLibrarySearchPath();
    const std::string Was = Library->GetText();
    Library->Add(Folder.Path() + "/lib");
    const std::string Main = "program P;\nuses ULib;\nbegin\n  Bump;\nend.\n";
    Analyze({{"P.dpr", Main}});
    ASSERT_EQ(Project->GetMessages()->GetCount(), 0);
    Library->SetText(Was);
    TqlOutputFault Fault;
    EXPECT_FALSE(qlFindOutputFault({{Folder.Path() + "/P.dpr", Replaced(Main, "  Bump;", "  Bump; Bump;"), ""}},
                                   Fault))
        << Fault.Text;
}

namespace {

// A chunk writer over a stream class of a unit that is not on the path: the
// analysis does not know TStream, so any name read inside "with TheStream
// do" may be one of its members and is noted unresolved.
const char* const ChunkProgram = "program Chunks;\nuses UChunks;\nbegin\nend.\n";

const char* const OutputUnit =
    "unit UOutput;\n\ninterface\n\n"
    "procedure Emit(Value: Integer); overload;\nprocedure Emit(const Text: string); overload;\n"
    "procedure Note(Value: Integer); overload;\nprocedure Note(const Text: string); overload;\n\n"
    "implementation\n\n"
    "procedure Emit(Value: Integer);\nbegin\nend;\n\nprocedure Emit(const Text: string);\nbegin\nend;\n\n"
    "procedure Note(Value: Integer);\nbegin\nend;\n\nprocedure Note(const Text: string);\nbegin\nend;\n\n"
    "end.\n";

const char* const ChunkUnit =
    "unit UChunks;\n\ninterface\n\nuses\n  Classes;\n\ntype\n"
    "  TChunk = record\n    ALength: Integer;\n    Data: array[0..15] of Byte;\n    Crc: Longword;\n  end;\n\n"
    "  TSink = class\n    Total: Integer;\n  end;\n\n"
    "  TChunkWriter = class\n  private\n    FChunk: TChunk;\n    FSize: Integer;\n  public\n"
    "    procedure WriteChunk(TheStream: TStream);\n    procedure Flush(TheStream: TStream);\n"
    "    procedure Count(Sink: TSink);\n  end;\n\n"
    "implementation\n\nuses\n  UOutput;\n\n"
    "procedure TChunkWriter.WriteChunk(TheStream: TStream);\nbegin\n  with FChunk do\n  begin\n"
    "    Inc(FSize, ALength);\n    with TheStream do\n    begin\n"
    "      Write(Data[0], ALength);\n      Write(Crc, SizeOf(Crc));\n    end;\n  end;\nend;\n\n"
    "procedure TChunkWriter.Flush(TheStream: TStream);\nbegin\n  with TheStream do\n  begin\n  end;\nend;\n\n"
    "procedure TChunkWriter.Count(Sink: TSink);\nbegin\n  with Sink do\n  begin\n    Emit(2.5);\n"
    "    Note(Total);\n  end;\nend;\n\nend.\n";

} // namespace

// A name that the output leaves unresolved is no new fault where it only
// takes over the doubt of a with statement over an unknown type from the
// names it qualifies; a with statement over a known type, or one whose body
// had nothing unresolved, or one that the sources did not have, still
// refuses it.
TEST_F(RefactoringTest, AnUnknownWithsDoubtPassesToTheNamesThatQualifyInIt)
{
    Analyze({{"Chunks.dpr", ChunkProgram}, {"UChunks.pas", ChunkUnit}, {"UOutput.pas", OutputUnit}});
    ASSERT_NE(Unit("UChunks"), nullptr);
    ASSERT_FALSE(Unit("UChunks")->GetUnresolvedNames().empty());
    const struct {
        const char* Name;
        std::string Text;
        const char* Refused;  // the name the refusal gives; "" when the output passes
    } Cases[] = {
        {"the members qualified inside the unknown with",
         Replaced(Replaced(Replaced(ChunkUnit, "Inc(FSize, ALength);", "Inc(FSize, FChunk.ALength);"),
                           "      Write(Data[0], ALength);", "      Write(FChunk.Data[0], FChunk.ALength);"),
                  "Write(Crc, SizeOf(Crc));", "Write(FChunk.Crc, SizeOf(FChunk.Crc));"),
         ""},
        {"a name moved into an unknown with whose body had no name",
         Replaced(ChunkUnit, "  with TheStream do\n  begin\n  end;", "  with TheStream do\n  begin\n    FSize := 0;\n  end;"),
         "FSize"},
        {"a name in an unknown with that the sources did not have",
         Replaced(ChunkUnit, "begin\n  with FChunk do", "begin\n  with TheStream do\n    FSize := 0;\n  with FChunk do"),
         "FSize"},
        {"a call that no longer fits inside a with over a known type",
         Replaced(ChunkUnit, "    Note(Total);", "    Note(2.5);"), "Note"},
    };
    for (const auto& C : Cases) {
        TqlOutputFault Fault;
        const bool Found = qlFindOutputFault({{Folder.Path() + "/UChunks.pas", C.Text, ""}}, Fault);
        EXPECT_EQ(Found, *C.Refused != 0) << C.Name << ": " << Fault.Text;
        if (Found && *C.Refused) {
            EXPECT_TRUE(qlSameText(Fault.Text, std::string("The output was not written: ") + C.Refused +
                                                   " no longer resolves in it."))
                << C.Name << ": " << Fault.Text;
        }
    }
}
