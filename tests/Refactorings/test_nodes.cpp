#include "Refactorings/uqlRefactorNodes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A junk node that counts its constructions and destructions.
int GCreated = 0;
int GDestroyed = 0;
class TCountedJunk : public TqlJunkNode {
public:
    TCountedJunk(const TPoint& P, int Pos) : TqlJunkNode(P, Pos) { ++GCreated; }
    ~TCountedJunk() override { ++GDestroyed; }
    QL_CODE_NODE_CREATORS(TCountedJunk)
};

TqlTokenNode* Tok(TqlNode* Parent, const std::string& Text, TptTokenKind Kind, int Index = -1)
{
    return TqlTokenNode::Create(Parent, Text, Kind, Index);
}
TqlIdentifierNode* Ident(TqlNode* Parent, const std::string& Text, int Index = -1)
{
    return TqlIdentifierNode::Create(Parent, Text, ptIdentifier, Index);
}
TqlJunkNode* Junk(TqlNode* Parent, const std::string& Text, int Index = -1)
{
    return TqlJunkNode::Create(Parent, Text, Index);
}
// An inner node made by an edit that is not Modified (its text is its children's).
template <class T>
T* Inner(TqlNode* Parent, int Index = -1)
{
    return T::Create(Parent, TPoint{-1, -1}, -1, Index);
}

std::string ReadFile(const fs::path& P)
{
    std::ifstream In(P, std::ios::binary);
    std::stringstream S;
    S << In.rdbuf();
    return S.str();
}

class TempDir {
public:
    TempDir()
    {
        char Templ[] = "/tmp/qlnodesXXXXXX";
        FPath = ::mkdtemp(Templ);
    }
    ~TempDir() { fs::remove_all(FPath); }
    fs::path operator/(const std::string& Name) const { return FPath / Name; }

private:
    fs::path FPath;
};

} // namespace

TEST(NodeTree, EditsAndTheTreeFreeEveryNodeExactlyOnce)
{
    GCreated = GDestroyed = 0;
    {
        auto Root = std::make_unique<TqlModuleNode>();
        auto* A = Inner<TqlStatementNode>(Root.get());
        for (int I = 0; I < 4; ++I)
            TCountedJunk::Create(A, std::string(1, char('a' + I)), -1);
        auto* B = Inner<TqlStatementNode>(Root.get());
        TCountedJunk::Create(B, "x", -1);
        A->GetNode(0)->Delete();                  // detached, parked
        A->GetNode(0)->Free();                    // dropped
        A->GetNode(0)->SetParentNode(B, 0);       // moved
        TqlNode::DeleteIfExists(B->GetNode(1));   // detached
        TqlNode* Detached = B->GetNode(0);
        Detached->Delete();
        Detached->SetParentNode(A, -1);           // a detached node can come back
        B->Free();                                // B and what it still holds
        B->Free();                                // twice is harmless
        EXPECT_EQ(Root->GetText(), "dc");
        EXPECT_EQ(Root->Count(), 1);
        EXPECT_EQ(GDestroyed, 0);
    }
    EXPECT_EQ(GCreated, 5);
    EXPECT_EQ(GDestroyed, 5);
}

TEST(NodeTree, DeleteKeepsTheParentLinkAndFailsForANonChild)
{
    TqlModuleNode Root;
    auto* S = Inner<TqlStatementNode>(&Root);
    auto* T = Tok(S, "x", ptIdentifier);
    T->Delete();
    EXPECT_EQ(T->Parent(), S);
    EXPECT_EQ(T->GetIndex(), -1);
    Tok(S, "z", ptIdentifier);
    EXPECT_EQ(T->GetNextPeerTokenNode(ptUnknown, true), nullptr); // no peers once detached
    S->GetNode(0)->Free();
    EXPECT_EQ(S->Count(), 0);
    EXPECT_THROW(T->Delete(), EListError);
    EXPECT_THROW(S->GetNode(0), EListError);
    EXPECT_THROW(Tok(S, "y", ptIdentifier, 5), EListError);
    EXPECT_EQ(S->Count(), 0);
    TqlCodeNodeList L;
    EXPECT_THROW(L.Delete(T), EListError);
    EXPECT_THROW(L.GetNode(0), EListError);
}

TEST(NodeTree, WalkSurvivesDetachingFreeingAndInsertingBeforeTheVisitedNode)
{
    TqlModuleNode Root;
    auto* Block = Inner<TqlBlockNode>(&Root);
    for (const char* Name : {"a", "b", "c", "d"})
        Ident(Block, Name);
    std::string Seen;
    Root.IterateNodes(false, [&](TqlNode* N) {
        auto* T = dynamic_cast<TqlIdentifierNode*>(N);
        if (!T)
            return;
        Seen += T->Code();
        if (T->Code() == "b")
            T->Delete();
        else if (T->Code() == "c")
            Ident(T->Parent(), "new", T->GetIndex()); // before the visited node
        else if (T->Code() == "d")
            T->Free();
    });
    EXPECT_EQ(Seen, "abcd");
    EXPECT_EQ(Block->GetCode(true), "anewc");

    // Children first: a callback may free the node whose children were just
    // walked, and the module node is visited last.
    std::vector<TqlNode*> Order;
    Root.IterateNodes(true, [&](TqlNode* N) {
        Order.push_back(N);
        if (N == Block)
            Block->Free();
    });
    ASSERT_EQ(Order.size(), 5u);
    EXPECT_EQ(Order[3], Block);
    EXPECT_EQ(Order[4], &Root);
    EXPECT_EQ(Root.Count(), 0);

    // Parent first: a node freed by its own callback is not entered.
    auto* S = Inner<TqlStatementNode>(&Root);
    Ident(S, "inner");
    int Visits = 0;
    Root.IterateNodes(false, [&](TqlNode* N) {
        ++Visits;
        if (N == S)
            S->Free();
    });
    EXPECT_EQ(Visits, 2);
}

TEST(NodeTree, CodeOfInnerNodesAndModifiedNodes)
{
    TqlModuleNode Root;
    auto* S = Inner<TqlStatementNode>(&Root);
    Ident(S, "X");
    Tok(S, ":=", ptAssign);
    Ident(S, "Y");
    Junk(S, "\r\n");
    EXPECT_EQ(S->GetCode(true), "X:=Y\r\n");
    EXPECT_EQ(S->GetCode(false), "X:=Y");
    EXPECT_EQ(S->DoGetCode(), "X:=Y\r\n");
    EXPECT_FALSE(S->Modified());
    auto* Outer = Inner<TqlStatementNode>(&Root, 0);
    S->SetParentNode(Outer, -1);
    // Only the outermost level leaves trailing junk out.
    EXPECT_EQ(Outer->GetCode(false), "X:=Y\r\n");
    S->SetCode("Z");
    EXPECT_TRUE(S->Modified());
    EXPECT_EQ(Outer->GetCode(true), "Z");
    EXPECT_EQ(Root.GetText(), "Z");
    EXPECT_EQ(S->GetPoint(), (TPoint{0, 0}));
    EXPECT_EQ(S->GetStartPos(), -1);
}

TEST(NodeTree, SetEndPointTakesALeafTextFromTheSource)
{
    const std::string Src = "begin end.";
    TqlModuleNode Root;
    auto* Leaf = TqlTokenNode::Create(&Root, TPoint{6, 2}, 6, -1);
    EXPECT_EQ(Leaf->GetPoint(), (TPoint{7, 3}));
    Leaf->SetEndPoint(TPoint{9, 2}, 8, Src);
    EXPECT_EQ(Leaf->Code(), "end");
    EXPECT_EQ(Leaf->GetEndPoint(), (TPoint{10, 3}));
    EXPECT_FALSE(Leaf->Modified());
    auto* Empty = TqlStatementNode::Create(&Root, TPoint{9, 2}, 9, -1);
    Empty->SetEndPoint(TPoint{9, 2}, 8, Src);
    EXPECT_EQ(Empty->Code(), "");
    auto* Past = TqlJunkNode::Create(&Root, TPoint{9, 2}, 9, -1);
    Past->SetEndPoint(TPoint{0, 0}, 400, Src); // clipped at the end of the text
    EXPECT_EQ(Past->Code(), ".");
}

TEST(NodeTree, FindersMatchTokenKindsAndExactClasses)
{
    TqlModuleNode Root;
    auto* Block = Inner<TqlBlockNode>(&Root);
    TqlCommentNode::Create(Block, "{c}", -1);
    Junk(Block, " ");
    auto* Begin = Tok(Block, "begin", ptBegin);
    auto* Stmt = Inner<TqlStatementNode>(Block);
    auto* X = Ident(Stmt, "X");
    auto* End = Tok(Block, "end", ptEnd);
    EXPECT_EQ(Block->GetFirstTokenNode(ptUnknown), Begin);
    EXPECT_EQ(Block->GetFirstTokenNode(ptEnd), End);
    EXPECT_EQ(Block->GetLastTokenNode(ptUnknown), End);
    EXPECT_EQ(Block->GetNextTokenNode(2, ptEnd, false), nullptr);
    EXPECT_EQ(Block->GetNextTokenNode(2, ptEnd, true), End);
    EXPECT_EQ(Block->GetPriorTokenNode(4, ptUnknown, true), Begin);
    EXPECT_EQ(Block->GetNextTokenNode(4, ptUnknown, true), nullptr);
    EXPECT_EQ(Stmt->GetNextPeerTokenNode(ptUnknown, false), End);
    EXPECT_EQ(Stmt->GetPriorPeerTokenNode(ptEnd, true), nullptr);
    EXPECT_EQ(Root.GetNextPeerTokenNode(ptUnknown, true), nullptr);
    EXPECT_EQ(Root.GetFirstNodeClass<TqlBlockNode>(), Block);
    EXPECT_EQ(Root.GetFirstNodeClass(typeid(TqlStatementListNode)), nullptr);
    EXPECT_EQ(Block->GetNextNodeClass<TqlStatementNode>(-1, true), Stmt);
    EXPECT_EQ(Block->GetFirstNodeClass(typeid(TqlCodeNode)), nullptr);
    EXPECT_EQ(Block->GetLastNodeClass<TqlCommentNode>(), Block->GetNode(0));
    EXPECT_TRUE(X->ParentedBy(typeid(TqlBlockNode)));
    EXPECT_FALSE(X->ParentedBy(typeid(TqlStatementListNode)));
    EXPECT_TRUE(X->ParentedBy(Block));
    EXPECT_TRUE(Root.IsParentOf(X));
    EXPECT_FALSE(X->IsParentOf(X));
    EXPECT_EQ(Stmt->GetStatementKind(), ptIdentifier);
    EXPECT_EQ(Stmt->GetBlockNode(), Block);
}

TEST(NodeTree, SecondaryIndexesFollowInsertAndDelete)
{
    TqlModuleNode Root;
    auto* Uses = Inner<TqlUsesListNode>(&Root);
    auto* A = Ident(Uses, "A");
    Tok(Uses, ",", ptComma);
    auto* C = Ident(Uses, "C");
    auto* B = Ident(Uses, "B", 1);
    ASSERT_EQ(Uses->Identifiers().Count(), 3);
    EXPECT_EQ(Uses->Identifiers().GetNode(0), A);
    EXPECT_EQ(Uses->Identifiers().GetNode(1), B);
    EXPECT_EQ(Uses->Identifiers().GetNode(2), C);
    B->Delete();
    EXPECT_EQ(Uses->Identifiers().Count(), 2);

    auto* Method = Inner<TqlMethodImplementationNode>(&Root);
    auto* Block = Inner<TqlBlockNode>(Method);
    EXPECT_EQ(Method->Block(), Block);
    auto* Nested = Inner<TqlMethodImplementationNode>(Block);
    auto* Vars = Inner<TqlVariableDeclarationListNode>(Block);
    auto* S1 = Inner<TqlStatementNode>(Block);
    auto* S0 = Inner<TqlStatementNode>(Block, 0);
    ASSERT_EQ(Block->Statements().Count(), 2);
    EXPECT_EQ(Block->Statements().GetNode(0), S1); // order of insertion
    EXPECT_EQ(Block->Statements().GetNode(1), S0);
    EXPECT_EQ(Block->MethodImplementations().GetNode(0), Nested);
    EXPECT_EQ(Block->VariableSections().GetNode(0), Vars);
    S1->Free();
    Vars->SetParentNode(&Root, -1);
    EXPECT_EQ(Block->Statements().Count(), 1);
    EXPECT_EQ(Block->VariableSections().Count(), 0);
    Block->Delete();
    EXPECT_EQ(Method->Block(), nullptr);

    auto* Ref = Inner<TqlVariableReferenceNode>(&Root);
    auto* Sub = Inner<TqlVariableReferenceNode>(Ref);
    EXPECT_EQ(Ref->VariableReferences().GetNode(0), Sub);
    Sub->Delete();
    EXPECT_EQ(Ref->VariableReferences().Count(), 0);

    // Add bypasses Insert: no index sees the node.
    auto* List = Inner<TqlStatementListNode>(&Root);
    EXPECT_EQ(List->Add(std::make_unique<TqlStatementNode>(TPoint{-1, -1}, -1)), 0);
    EXPECT_EQ(List->Statements().Count(), 0);
    EXPECT_EQ(List->GetNode(0)->Parent(), List);
}

TEST(NodeTree, SetParentNodeMovesAndRefusesCycles)
{
    TqlModuleNode Root;
    auto* P = Inner<TqlStatementNode>(&Root);
    auto* A = Ident(P, "a");
    Ident(P, "b");
    A->SetParentNode(P, -1);
    EXPECT_EQ(P->GetCode(true), "ba");
    EXPECT_EQ(A->GetIndex(), 1);
    auto* Child = Inner<TqlStatementNode>(P);
    EXPECT_THROW(P->SetParentNode(Child, -1), EAssertionFailed);
    EXPECT_THROW(P->SetParentNode(P, -1), EAssertionFailed);
    EXPECT_EQ(P->Parent(), &Root);
    EXPECT_THROW(Root.Free(), EAssertionFailed);
}

TEST(NodeTree, AddVariableSectionAndDeclarations)
{
    TqlModuleNode Root;
    auto* Block = Inner<TqlBlockNode>(&Root);
    Tok(Block, "begin", ptBegin);
    Junk(Block, " ");
    Tok(Block, "end", ptEnd);
    EXPECT_EQ(Block->GetInnerMostVariableSection(), nullptr);
    auto* Section = Block->AddVariableSectionCode();
    EXPECT_EQ(Block->GetNode(0), Section);
    EXPECT_EQ(Section->GetStartPos(), -1);
    EXPECT_FALSE(Section->Modified());
    EXPECT_TRUE(Section->IsInnerMostSection());
    EXPECT_EQ(Block->GetInnerMostVariableSection(), Section);
    Section->AddVariableCode("AFoo", "TFoo");
    EXPECT_EQ(Section->GetCode(true), "var\r\n  AFoo: TFoo;\r\n");
    // A declaration follows now: the new one takes the indentation after var.
    Section->AddVariableCode("ABar", "TBar");
    EXPECT_EQ(Block->GetCode(true), "var\r\n  ABar: TBar;\r\n  AFoo: TFoo;\r\nbegin end");

    auto* Asm = Inner<TqlBlockNode>(&Root);
    Tok(Asm, "asm", ptAsm);
    EXPECT_THROW(Asm->AddVariableSectionCode(), EAssertionFailed);
    auto* Consts = Inner<TqlVariableDeclarationListNode>(&Root);
    Tok(Consts, "const", ptConst);
    Junk(Consts, " ");
    EXPECT_THROW(Consts->AddVariableCode("A", "B"), EAssertionFailed);
    EXPECT_FALSE(Consts->IsInnerMostSection());
}

TEST(NodeTree, QualifiedIdentifiersAndContainersOfReferences)
{
    TqlModuleNode Root;
    auto* Stmt = Inner<TqlStatementNode>(&Root);
    // A.B(C)
    auto* R = Inner<TqlVariableReferenceNode>(Stmt);
    auto* A = Ident(R, "A");
    Tok(R, ".", ptPoint);
    Junk(R, " ");
    auto* B = Ident(R, "B");
    Tok(R, "(", ptRoundOpen);
    auto* Arg = Inner<TqlVariableReferenceNode>(R);
    Ident(Arg, "C");
    Tok(R, ")", ptRoundClose);
    bool AsCast = false;
    EXPECT_EQ(R->GetContainerNode(AsCast), B);
    EXPECT_FALSE(AsCast);
    EXPECT_FALSE(A->IsQualified());
    EXPECT_TRUE(B->IsQualified());

    // (X as T).Y: the first identifier of a reference that follows a point.
    auto* Cast = Inner<TqlVariableReferenceNode>(Stmt);
    Tok(Cast, "(", ptRoundOpen);
    Ident(Cast, "X");
    Junk(Cast, " ");
    Tok(Cast, "as", ptAs);
    TqlCommentNode::Create(Cast, "{c}", -1);
    auto* T = Ident(Cast, "T");
    Tok(Cast, ")", ptRoundClose);
    EXPECT_EQ(Cast->GetContainerNode(AsCast), T);
    EXPECT_TRUE(AsCast);
    Tok(Cast, ".", ptPoint);
    EXPECT_EQ(Cast->GetContainerNode(AsCast), nullptr);

    Tok(Stmt, ".", ptPoint);
    auto* Tail = Inner<TqlVariableReferenceNode>(Stmt);
    auto* First = Ident(Tail, "Z");
    EXPECT_TRUE(First->IsQualified());
    auto* Empty = Inner<TqlVariableReferenceNode>(Stmt);
    EXPECT_THROW(Empty->GetContainerNode(AsCast), EAssertionFailed);
}

TEST(NodeTree, JunkWhiteSpaceTest)
{
    TqlModuleNode Root;
    EXPECT_TRUE(Junk(&Root, " \t\r\n")->IsWhiteSpaceOnly());
    EXPECT_TRUE(Junk(&Root, "")->IsWhiteSpaceOnly());
    EXPECT_FALSE(Junk(&Root, " x ")->IsWhiteSpaceOnly());
}

TEST(Generate, WritesCrLfLinesWithAFinalLineBreak)
{
    TempDir Dir;
    struct Case {
        const char* Text;
        const char* Written;
    } Cases[] = {
        {"a\nb\r\nc\rd", "a\r\nb\r\nc\r\nd\r\n"},
        {"a\r\n", "a\r\n"},
        {"a\n\n", "a\r\n\r\n"},
        {"\r", "\r\n"},
        {"a\n\rb", "a\r\n\r\nb\r\n"},
        {"", ""},
    };
    int N = 0;
    for (const Case& C : Cases) {
        TqlModuleNode Root;
        Junk(&Root, C.Text);
        const fs::path File = Dir / ("out" + std::to_string(N++) + ".pas");
        Root.Generate(File.string(), true);
        EXPECT_EQ(ReadFile(File), C.Written) << "text: " << C.Text;
    }
}

TEST(Generate, NeverOverwritesAFileOrALink)
{
    TempDir Dir;
    TqlModuleNode Root;
    Tok(&Root, "unit", ptUnit);
    const fs::path Existing = Dir / "Unit1.pas";
    std::ofstream(Existing) << "keep";
    try {
        Root.Generate(Existing.string(), true);
        FAIL() << "an existing file was overwritten";
    } catch (const Exception& E) {
        EXPECT_EQ(std::string(E.what()), "Attempt to overwrite file, " + Existing.string() + ".");
    }
    EXPECT_EQ(ReadFile(Existing), "keep");

    // A dangling link is refused too, and nothing appears where it points.
    const fs::path Link = Dir / "Link.pas";
    const fs::path Target = Dir / "Target.pas";
    fs::create_symlink(Target, Link);
    EXPECT_THROW(Root.Generate(Link.string(), true), Exception);
    EXPECT_TRUE(fs::is_symlink(Link));
    EXPECT_FALSE(fs::exists(Target));
    // Without the check a link is still not followed.
    EXPECT_THROW(Root.Generate(Link.string(), false), Exception);
    EXPECT_FALSE(fs::exists(Target));
    // Without the check a plain file is replaced.
    Root.Generate(Existing.string(), false);
    EXPECT_EQ(ReadFile(Existing), "unit\r\n");
    // A folder that does not exist is a clear error.
    EXPECT_THROW(Root.Generate((Dir / "no/such/dir.pas").string(), true), Exception);
}

namespace {

template <class... T>
struct TNodeClasses {};

using TAllNodeClasses =
    TNodeClasses<TqlCodeNode, TqlInterfaceSectionNode, TqlImplementationSectionNode,
                 TqlIdentifierListNode, TqlUsesListNode, TqlCommentNode, TqlDirectiveNode,
                 TqlJunkNode, TqlTokenNode, TqlIdentifierNode, TqlClassNode, TqlClassMemberListNode,
                 TqlClassMethodDeclarationNode, TqlClassPropertyNode, TqlMethodDeclarationNode,
                 TqlMethodImplementationNode, TqlStatementListNode, TqlBlockNode, TqlStatementNode,
                 TqlVariableDeclarationListNode, TqlConstDeclarationListNode,
                 TqlTypeDeclarationListNode, TqlParameterListNode, TqlVariableReferenceListNode,
                 TqlVariableReferenceNode>;

// Every class test of Node by kind bits against the language's own.
template <class... T>
void ExpectKindsAgree(TqlNode* Node, TNodeClasses<T...>)
{
    (
        [Node] {
            EXPECT_EQ(TqlNode::As<T>(Node), dynamic_cast<T*>(Node))
                << typeid(*Node).name() << " as " << typeid(T).name();
        }(),
        ...);
    EXPECT_EQ(TqlNode::As<TqlModuleNode>(Node), dynamic_cast<TqlModuleNode*>(Node));
}

template <class... T>
void ExpectKindsAgreeForAll(TqlNode* Root, TNodeClasses<T...> All)
{
    (ExpectKindsAgree(Inner<T>(Root), All), ...);
    ExpectKindsAgree(Root, All);
    // A class derived elsewhere is what its base is.
    ExpectKindsAgree(Inner<TCountedJunk>(Root), All);
}

} // namespace

TEST(NodeTree, KindBitsAgreeWithTheClassHierarchy)
{
    TqlModuleNode Root;
    ExpectKindsAgreeForAll(&Root, TAllNodeClasses{});
    EXPECT_EQ(TqlNode::As<TqlTokenNode>(static_cast<TqlNode*>(nullptr)), nullptr);
}

TEST(NodeTree, NodesOfASubtreeWithoutModuleAreFreedWithIt)
{
    GCreated = GDestroyed = 0;
    auto Loose = std::make_unique<TqlStatementNode>(TPoint{-1, -1}, -1);
    TCountedJunk::Create(Loose.get(), "a", -1);
    TCountedJunk::Create(Inner<TqlStatementNode>(Loose.get()), "b", -1)->Delete();
    EXPECT_EQ(Loose->GetCode(true), "a");
    Loose.reset();
    EXPECT_EQ(GCreated, 2);
    EXPECT_EQ(GDestroyed, 2);
}

TEST(NodeTree, ChildListFollowsInsertsAndDeletesAnywhere)
{
    // A node in a tree keeps its children in the tree's store, a loose one on
    // the heap; both must keep the order of a plain list through growth.
    TqlModuleNode Root;
    auto Loose = std::make_unique<TqlStatementNode>(TPoint{-1, -1}, -1);
    for (TqlNode* Parent : {static_cast<TqlNode*>(Inner<TqlStatementNode>(&Root)), static_cast<TqlNode*>(Loose.get())}) {
        std::vector<TqlNode*> Model;
        for (int I = 0; I < 40; ++I) {
            const int Index = I % 3 == 0 ? 0 : I % 3 == 1 ? static_cast<int>(Model.size()) : static_cast<int>(Model.size()) / 2;
            Model.insert(Model.begin() + Index, Junk(Parent, std::string(static_cast<size_t>(I % 20 + 1), ' '), Index));
        }
        for (int I = 0; I < 15; ++I) {
            const size_t Index = (static_cast<size_t>(I) * 7) % Model.size();
            Model[Index]->Delete();
            Model.erase(Model.begin() + static_cast<long>(Index));
        }
        ASSERT_EQ(Parent->Count(), static_cast<int>(Model.size()));
        for (int I = 0; I < Parent->Count(); ++I) {
            EXPECT_EQ(Parent->GetNode(I), Model[static_cast<size_t>(I)]);
            EXPECT_EQ(Parent->IndexOf(Model[static_cast<size_t>(I)]), I);
        }
        // A deleted node goes back in where it is put.
        TqlNode* Back = Parent->GetNode(3);
        Back->Delete();
        Parent->Insert(1, Back);
        EXPECT_EQ(Parent->GetNode(1), Back);
        EXPECT_THROW(Parent->GetNode(Parent->Count()), EListError);
    }
}

TEST(NodeTree, EditTextsLastAsLongAsTheirNodes)
{
    // A text set by an edit belongs to the node: in the tree's store for a
    // node of a tree, a copy of its own for a loose node; setting it again,
    // or closing the node on source text after all, frees nothing twice.
    const std::string Source = "unit U; end.";
    const std::string Long(100, 'x');
    TqlModuleNode Root;
    // Both start at offset 0 of Source, as a builder's leaf does.
    auto Loose = std::make_unique<TqlTokenNode>(TPoint{0, 0}, 0);
    for (TqlCodeNode* Node : {static_cast<TqlCodeNode*>(TqlTokenNode::Create(&Root, TPoint{0, 0}, 0, -1)),
                              static_cast<TqlCodeNode*>(Loose.get())}) {
        for (const std::string& Text : {Long, std::string(), std::string("b"), Long + "y"}) {
            Node->SetCode(Text);
            EXPECT_EQ(Node->Code(), Text);
            EXPECT_EQ(Node->CodeView(), Text);
            EXPECT_TRUE(Node->Modified());
        }
        Node->SetEndPoint(TPoint{4, 0}, 3, Source);
        EXPECT_EQ(Node->Code(), "unit");
    }
    EXPECT_EQ(Root.GetText(), "unit");
}

TEST(NodeTree, ABuiltTreeHoldsItsOwnCopyOfTheSource)
{
    const std::string Text = "unit U;\r\ninterface\r\n{ a comment longer than fifteen characters }\r\n"
                             "implementation\r\nend.\r\n";
    TqlModuleNode Root;
    {
        std::istringstream In(Text);
        TlxLexStream Stream;
        Stream.LoadFromStream(In);
        TqlNodeBuilder Builder(&Root, "");
        Builder.Run("U.pas", &Stream);
        // The stream's memory is overwritten and then freed: the leaves must
        // not point into it.
        std::istringstream Other(std::string(Text.size(), '#'));
        Stream.LoadFromStream(Other);
    }
    EXPECT_EQ(Root.GetText(), Text);
}
