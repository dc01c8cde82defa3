#include "Refactorings/uqlRefactorNodes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class TempDir {
public:
    TempDir()
    {
        char Templ[] = "/tmp/qlbuilderXXXXXX";
        FPath = ::mkdtemp(Templ);
    }
    ~TempDir() { fs::remove_all(FPath); }
    fs::path operator/(const std::string& Name) const { return FPath / Name; }

private:
    fs::path FPath;
};

std::string ReadFile(const fs::path& P)
{
    std::ifstream In(P, std::ios::binary);
    std::stringstream S;
    S << In.rdbuf();
    return S.str();
}

class BuilderTest : public ::testing::Test {
protected:
    std::unique_ptr<TqlModuleNode> Build(const std::string& Text, const std::string& Defines = "")
    {
        const fs::path File = Dir / ("src" + std::to_string(++FCount) + ".pas");
        std::ofstream(File, std::ios::binary) << Text;
        auto Root = std::make_unique<TqlModuleNode>();
        TqlNodeBuilder Builder(Root.get(), Defines);
        Builder.Run(File.string(), nullptr);
        EXPECT_EQ(Root->GetText(), Text);
        return Root;
    }
    TempDir Dir;

private:
    int FCount = 0;
};

// Every node in depth-first order.
std::vector<TqlNode*> AllNodes(TqlNode* Root)
{
    std::vector<TqlNode*> Out;
    std::vector<TqlNode*> Stack{Root};
    while (!Stack.empty()) {
        TqlNode* N = Stack.back();
        Stack.pop_back();
        Out.push_back(N);
        for (int I = N->Count() - 1; I >= 0; --I)
            Stack.push_back(N->GetNode(I));
    }
    return Out;
}

template <class T>
std::vector<T*> NodesOf(TqlNode* Root)
{
    std::vector<T*> Out;
    for (TqlNode* N : AllNodes(Root))
        if (auto* X = dynamic_cast<T*>(N))
            Out.push_back(X);
    return Out;
}

// The first leaf whose text is Text.
TqlCodeNode* Leaf(TqlNode* Root, const std::string& Text)
{
    for (TqlNode* N : AllNodes(Root))
        if (auto* C = dynamic_cast<TqlCodeNode*>(N); C && C->Count() == 0 && C->Code() == Text)
            return C;
    return nullptr;
}

} // namespace

TEST_F(BuilderTest, AFileOfOnlyCommentsAndBlanks)
{
    const std::string Text = "  {one}\r\n// two\n(* three *)\n\n";
    auto Root = Build(Text);
    ASSERT_GT(Root->Count(), 0);
    for (int I = 0; I < Root->Count(); ++I) {
        TqlNode* N = Root->GetNode(I);
        EXPECT_TRUE(dynamic_cast<TqlJunkNode*>(N) || dynamic_cast<TqlCommentNode*>(N));
        EXPECT_EQ(N->Count(), 0);
    }
    EXPECT_EQ(NodesOf<TqlCommentNode>(Root.get()).size(), 3u);
    const fs::path Out = Dir / "out.pas";
    Root->Generate(Out.string(), true);
    EXPECT_EQ(ReadFile(Out), Text) << "an unedited file leaves byte for byte";
}

TEST_F(BuilderTest, TextAfterTheFinalEndIsTheLastJunkNode)
{
    auto Root = Build("unit A;\ninterface\nimplementation\nend.\ngarbage 'here\n{ open");
    auto* Last = dynamic_cast<TqlJunkNode*>(Root->GetNode(Root->Count() - 1));
    ASSERT_NE(Last, nullptr);
    EXPECT_EQ(Last->Code(), "garbage 'here\n{ open");
    EXPECT_EQ(Last->GetPoint(), (TPoint{1, 5}));
}

TEST_F(BuilderTest, SectionsUsesListsAndIdentifierNodes)
{
    auto Root = Build("unit A;\n\ninterface\n\nuses B, C;\n\nprocedure P; forward;\n\n"
                      "implementation\n\nprocedure P;\nbegin\nend;\n\nend.\n");
    auto* Intf = Root->GetFirstNodeClass<TqlInterfaceSectionNode>();
    ASSERT_NE(Intf, nullptr);
    EXPECT_EQ(Intf->GetPoint(), (TPoint{1, 3}));
    auto* Uses = Intf->GetFirstNodeClass<TqlUsesListNode>();
    ASSERT_NE(Uses, nullptr);
    EXPECT_EQ(Uses->GetCode(false), "B, C");
    ASSERT_EQ(Uses->Identifiers().Count(), 2);
    EXPECT_EQ(Uses->Identifiers().GetNode(1)->Code(), "C");
    EXPECT_NE(Intf->GetFirstTokenNode(ptUses), nullptr);
    EXPECT_NE(Intf->GetFirstTokenNode(ptSemiColon), nullptr);
    // The unit name is expected as an identifier; the directive word forward
    // is taken as a plain token.
    auto* Name = Leaf(Root.get(), "A");
    ASSERT_NE(Name, nullptr);
    EXPECT_EQ(typeid(*Name), typeid(TqlIdentifierNode));
    auto* Forward = Leaf(Root.get(), "forward");
    ASSERT_NE(Forward, nullptr);
    EXPECT_EQ(typeid(*Forward), typeid(TqlTokenNode));
    EXPECT_EQ(static_cast<TqlTokenNode*>(Forward)->TokenKind(), ptIdentifier);
    EXPECT_EQ(NodesOf<TqlMethodDeclarationNode>(Root.get()).size(), 1u);
    auto Impls = NodesOf<TqlMethodImplementationNode>(Root.get());
    ASSERT_EQ(Impls.size(), 1u);
    ASSERT_NE(Impls[0]->Block(), nullptr);
    EXPECT_EQ(Impls[0]->Block()->GetFirstTokenNode(ptUnknown)->TokenKind(), ptBegin);
    EXPECT_NE(Root->GetFirstNodeClass<TqlImplementationSectionNode>(), nullptr);
}

TEST_F(BuilderTest, StatementsKeepTheirTrailingComments)
{
    auto Root = Build("program P;\nbegin\n  A {after A}\n  ;\n  begin B := C.D end\n  ;\n  ;\nend.\n");
    auto Statements = NodesOf<TqlStatementNode>(Root.get());
    ASSERT_EQ(Statements.size(), 4u);
    // The comment follows the last token of the first statement.
    auto Comments = NodesOf<TqlCommentNode>(Root.get());
    ASSERT_EQ(Comments.size(), 1u);
    EXPECT_TRUE(Statements[0]->IsParentOf(Comments[0]));
    EXPECT_EQ(Statements[0]->GetCode(true), "A {after A}\n  ");
    // Trailing junk that is a direct child is left out on request.
    EXPECT_EQ(Statements[1]->GetCode(true), "begin B := C.D end\n  ");
    EXPECT_EQ(Statements[1]->GetCode(false), "begin B := C.D end");
    EXPECT_EQ(Statements[1]->GetStatementKind(), ptBegin);
    EXPECT_EQ(Statements[1]->Statements().Count(), 1);
    EXPECT_EQ(Statements[2]->GetCode(true), "B := C.D ");
    EXPECT_EQ(Statements[2]->GetBlockNode(), Root->GetFirstNodeClass<TqlBlockNode>());
    auto Refs = NodesOf<TqlVariableReferenceNode>(Statements[2]);
    ASSERT_EQ(Refs.size(), 2u);
    bool AsCast = false;
    EXPECT_EQ(Refs[1]->GetContainerNode(AsCast)->Code(), "D");
    EXPECT_FALSE(AsCast);
    EXPECT_TRUE(static_cast<TqlIdentifierNode*>(Refs[1]->GetContainerNode(AsCast))->IsQualified());
    // The empty statement: no children, no text, the point of the next token.
    auto* Empty = Statements[3];
    EXPECT_EQ(Empty->Count(), 0);
    EXPECT_EQ(Empty->Code(), "");
    EXPECT_EQ(Empty->GetPoint(), (TPoint{3, 7}));
    EXPECT_EQ(Empty->GetStatementKind(), ptUnknown);
}

TEST_F(BuilderTest, BlocksDeclarationSectionsAndLabels)
{
    auto Root = Build("program P;\nlabel 1;\nvar X: Integer;\nconst C = 1;\ntype T = class\n"
                      "  F: Integer;\n  procedure M(A: Integer);\n  property Q: Integer read F;\nend;\n"
                      "begin\n  with X do ;\nend.\n");
    auto* Block = Root->GetFirstNodeClass<TqlBlockNode>();
    ASSERT_NE(Block, nullptr);
    EXPECT_EQ(Block->GetFirstTokenNode(ptUnknown)->TokenKind(), ptLabel);
    EXPECT_THROW(Block->AddVariableSectionCode(), EAssertionFailed);
    ASSERT_EQ(Block->VariableSections().Count(), 1);
    EXPECT_TRUE(Block->GetFirstNodeClass<TqlConstDeclarationListNode>() != nullptr);
    EXPECT_EQ(NodesOf<TqlClassNode>(Root.get()).size(), 1u);
    EXPECT_EQ(NodesOf<TqlClassMemberListNode>(Root.get()).size(), 1u);
    EXPECT_EQ(NodesOf<TqlClassMethodDeclarationNode>(Root.get()).size(), 1u);
    EXPECT_EQ(NodesOf<TqlClassPropertyNode>(Root.get()).size(), 1u);
    EXPECT_EQ(NodesOf<TqlParameterListNode>(Root.get()).size(), 1u);
    auto Statements = NodesOf<TqlStatementNode>(Root.get());
    ASSERT_FALSE(Statements.empty());
    EXPECT_EQ(Statements[0]->GetStatementKind(), ptWith);
    // A block that starts with begin takes a new var section before it.
    auto Root2 = Build("program P;\nbegin\nend.\n");
    auto* Block2 = Root2->GetFirstNodeClass<TqlBlockNode>();
    Block2->AddVariableSectionCode()->AddVariableCode("AFoo", "TFoo");
    EXPECT_EQ(Root2->GetText(), "program P;\nvar\r\n  AFoo: TFoo;\r\nbegin\nend.\n");
}

TEST_F(BuilderTest, ConditionalBranchesFollowTheDefines)
{
    const std::string Text = "program P;\nbegin\n{$IFDEF X} A {$ELSE} B {$ENDIF}\nend.\n";
    auto With = Build(Text, "Y\nX");
    auto* A = Leaf(With.get(), "A");
    ASSERT_NE(A, nullptr);
    EXPECT_NE(dynamic_cast<TqlIdentifierNode*>(A), nullptr);
    EXPECT_EQ(Leaf(With.get(), "B"), nullptr);
    auto Without = Build(Text);
    EXPECT_EQ(Leaf(Without.get(), "A"), nullptr);
    EXPECT_NE(Leaf(Without.get(), "B"), nullptr);
    // The skipped branch lies inside the directive node that starts it.
    auto Directives = NodesOf<TqlDirectiveNode>(Without.get());
    ASSERT_FALSE(Directives.empty());
    EXPECT_EQ(Directives[0]->Code(), "{$IFDEF X} A {$ELSE}");
}

TEST_F(BuilderTest, LineEndsAndByteOrderMarkAreKept)
{
    for (const std::string& Text :
         {std::string("unit A;\r\ninterface\r\nimplementation\r\nend."),
          std::string("unit A;\rinterface\rimplementation\rend.\r"),
          std::string("unit A;\ninterface\r\nimplementation\rend.\n\r\n"),
          std::string("\xEF\xBB\xBFunit A;\ninterface\nimplementation\nend.\n"),
          std::string(""), std::string("\n"), std::string("x")}) {
        auto Root = Build(Text);
        EXPECT_EQ(Root->GetText(), Text);
    }
    auto Root = Build("unit A;\ninterface\n\nimplementation\nend.");
    EXPECT_EQ(Root->GetFirstNodeClass<TqlImplementationSectionNode>()->GetPoint(), (TPoint{1, 4}));
}

namespace {

// A builder whose statements stop the parse, as a fatal syntax error does.
class TFailingBuilder : public TqlNodeBuilder {
public:
    using TqlNodeBuilder::TqlNodeBuilder;

protected:
    void Statement() override
    {
        TqlNodeBuilder::Statement();
        throw ESyntaxError("stop");
    }
};

} // namespace

TEST_F(BuilderTest, AFatalErrorLeavesNothingBehind)
{
    const fs::path File = Dir / "fatal.pas";
    std::ofstream(File) << "program P;\nvar X: Integer;\nbegin\n  if X then\n    begin X := 1 end;\nend.\n";
    TqlModuleNode Root;
    TFailingBuilder Builder(&Root, "");
    EXPECT_THROW(Builder.Run(File.string(), nullptr), ESyntaxError);
    EXPECT_EQ(Root.Count(), 0);
    EXPECT_EQ(Builder.CurrentNode(), nullptr);
    // The same builder builds the next file normally.
    const fs::path Good = Dir / "good.pas";
    std::ofstream(Good) << "unit G;\ninterface\nimplementation\nend.\n";
    TqlNodeBuilder Next(&Root, "");
    Next.Run(Good.string(), nullptr);
    EXPECT_EQ(Root.GetText(), "unit G;\ninterface\nimplementation\nend.\n");

    TqlModuleNode Missing;
    TqlNodeBuilder NoFile(&Missing, "");
    EXPECT_ANY_THROW(NoFile.Run((Dir / "nothere.pas").string(), nullptr));
    EXPECT_EQ(Missing.Count(), 0);
}

TEST_F(BuilderTest, NestingTooDeepForTheParserLeavesNothingBehind)
{
    const fs::path File = Dir / "deep.pas";
    std::ofstream(File) << "program P;\nbegin\n  X := " << std::string(5000, '(') << "1"
                        << std::string(5000, ')') << ";\nend.\n";
    TqlModuleNode Root;
    TqlNodeBuilder Builder(&Root, "");
    EXPECT_THROW(Builder.Run(File.string(), nullptr), ESyntaxError);
    EXPECT_EQ(Root.Count(), 0);
    // Just below the parser's limit the deep tree is built, walked and freed.
    int Depth = 1;
    while (true) {
        const std::string Text = "program P;\nbegin\n  X := " + std::string(Depth, '(') + "1" +
                                 std::string(Depth, ')') + ";\nend.\n";
        const fs::path Deep = Dir / ("deep" + std::to_string(Depth) + ".pas");
        std::ofstream(Deep) << Text;
        auto Tree = std::make_unique<TqlModuleNode>();
        try {
            TqlNodeBuilder B(Tree.get(), "");
            B.Run(Deep.string(), nullptr);
        } catch (const ESyntaxError&) {
            break;
        }
        EXPECT_EQ(Tree->GetText(), Text);
        int Nodes = 0;
        Tree->IterateNodes(true, [&](TqlNode*) { ++Nodes; });
        EXPECT_GT(Nodes, Depth);
        Depth *= 2;
    }
    EXPECT_GT(Depth, 64);
}

namespace {

const char* const Sample =
    "\xEF\xBB\xBF{$mode delphi}\r\nunit Sample; // a unit\n\ninterface\r\n\r\nuses SysUtils, Classes;\n"
    "type\n  TFoo = class(TObject)\n  private\n    FA: Integer;\n  public\n"
    "    constructor Create(const A: Integer; var B: string);\n"
    "    property A: Integer read FA write FA default 0;\n  end;\n\n"
    "const\n  K = 'it''s' + #13#10;\n  R: array[0..1] of Byte = (1, 2);\n\n"
    "{$IFDEF WINDOWS} procedure Win; {$ELSE} procedure Lin; {$ENDIF}\n\n"
    "implementation\n\n(* an (* old *) comment *)\n"
    "constructor TFoo.Create(const A: Integer; var B: string);\nvar\n  I: Integer;\n"
    "begin\n  inherited Create;\n  with Self do\n    for I := 0 to A - 1 do\n"
    "      if (B <> '') and (I mod 2 = 0) then B := B + IntToStr(I) else Exit;\n"
    "  try\n    FA := A;\n  except\n    on E: Exception do raise;\n  end;\n"
    "  case A of 1, 2: ; else FA := -1; end;\nend;\n\n"
    "procedure Lin;\nasm\n  mov eax, 1\n  @@end: ret\nend;\n\nend.\ntrailing {";

// Builds Text from memory and tells whether the leaves give it back.
std::string BuildText(const std::string& Text)
{
    TlxLexStream Stream;
    std::istringstream In(Text);
    Stream.LoadFromStream(In);
    TqlModuleNode Root;
    try {
        TqlNodeBuilder Builder(&Root, "");
        Builder.Run("memory.pas", &Stream);
    } catch (const ESyntaxError&) {
        return Root.Count() == 0 ? Text : "partial tree";
    }
    return Root.GetText();
}

} // namespace

TEST(BuilderStress, EveryPrefixAndDamagedCopyIsGivenBack)
{
    const std::string Text = Sample;
    EXPECT_EQ(BuildText(Text), Text);
    // Cut anywhere: inside comments, strings, directives, words and line breaks.
    for (size_t Len = 0; Len <= Text.size(); ++Len) {
        const std::string Cut = Text.substr(0, Len);
        ASSERT_EQ(BuildText(Cut), Cut) << "prefix of " << Len << " bytes";
    }
    // Damaged copies: bytes replaced by characters that open or close things.
    const char Noise[] = {'{', '}', '(', '*', ')', '\'', '\0', '\r', '$', '#', '/', '\xA0'};
    uint32_t Seed = 12345;
    for (int Round = 0; Round < 400; ++Round) {
        std::string Damaged = Text;
        for (int K = 0; K < 3; ++K) {
            Seed = Seed * 1103515245u + 12345u;
            const size_t At = (Seed >> 8) % Damaged.size();
            Damaged[At] = Noise[(Seed >> 20) % sizeof Noise];
        }
        ASSERT_EQ(BuildText(Damaged), Damaged) << "round " << Round;
    }
}
