#include "Refactorings/Common/uqlPluginSupport.h"

#include "Refactorings/uqlRefactoring.h"
#include "model/uqlMessage.h"

#include <cctype>
#include <vector>

uint64_t qlPointKey(int X, int Y)
{
    return (uint64_t(uint32_t(Y)) << 32) | uint32_t(X);
}

namespace {

// The walk of qlForEachSourceLeaf, with the visitor inlined.
template <typename TVisit>
void ForEachSourceLeaf(TqlNode* Root, TVisit&& Visit)
{
    std::vector<TqlNode*> Stack{Root};
    while (!Stack.empty()) {
        TqlNode* Node = Stack.back();
        Stack.pop_back();
        // Below the root every node is a code node: the module node, the
        // only other kind, is never a child.
        auto* Code = Node == Root ? dynamic_cast<TqlCodeNode*>(Node) : static_cast<TqlCodeNode*>(Node);
        const int Count = Node->Count();
        if (Code && (Count == 0 || Code->Modified())) {
            if (!Code->Code().empty() && Code->GetStartPos() >= 0)
                Visit(Code);
            continue;
        }
        for (int I = Count - 1; I >= 0; --I)
            Stack.push_back(Node->GetNode(I));
    }
}

} // namespace

void qlForEachSourceLeaf(TqlNode* Root, const std::function<void(TqlCodeNode*)>& Visit)
{
    ForEachSourceLeaf(Root, Visit);
}

TqlLeafIndex::TqlLeafIndex(TqlModuleNode* Tree, const std::unordered_set<uint64_t>* Wanted)
    : FTree(Tree)
{
    if (!Tree)
        return;
    if (!Wanted) {
        ForEachSourceLeaf(Tree, [&](TqlCodeNode* Code) {
            FLeaves.emplace(qlPointKey(Code->GetPoint().X, Code->GetPoint().Y), Code);
        });
        return;
    }
    // Most leaves lie on lines without a wanted point: a look at the line
    // spares them the hash lookup.
    std::vector<bool> Lines;
    for (uint64_t Key : *Wanted) {
        const uint32_t Line = uint32_t(Key >> 32);
        if (Line < (1u << 24)) {
            if (Line >= Lines.size())
                Lines.resize(Line + 1);
            Lines[Line] = true;
        }
    }
    ForEachSourceLeaf(Tree, [&](TqlCodeNode* Code) {
        const uint32_t Line = uint32_t(Code->GetPoint().Y);
        if (Line < Lines.size() && !Lines[Line])
            return;
        const uint64_t Key = qlPointKey(Code->GetPoint().X, Code->GetPoint().Y);
        if (Wanted->count(Key))
            FLeaves.emplace(Key, Code);
    });
}

TqlCodeNode* TqlLeafIndex::FindUnchanged(int X, int Y) const
{
    auto It = FLeaves.find(qlPointKey(X, Y));
    return It == FLeaves.end() ? nullptr : It->second;
}

TqlCodeNode* TqlLeafIndex::Find(int X, int Y) const
{
    TqlCodeNode* Leaf = FindUnchanged(X, Y);
    return Leaf && qlIsAttached(Leaf, FTree) ? Leaf : nullptr;
}

TqlUseIndex::TqlUseIndex(TqlUnit* Unit)
{
    if (!Unit)
        return;
    TqlList* Uses = Unit->GetUsedByLocations();
    for (int I = 0; I < Uses->GetCount(); ++I) {
        auto* Use = static_cast<TqlUsedByLocation*>(Uses->GetItem(I));
        if (Use->GetFileIndex() == Unit->GetFileIndex())
            FUses.emplace(qlPointKey(Use->GetX(), Use->GetY()), Use);
    }
}

std::unordered_set<uint64_t> TqlUseIndex::Points() const
{
    std::unordered_set<uint64_t> Result;
    Result.reserve(FUses.size());
    for (const auto& Entry : FUses)
        Result.insert(Entry.first);
    return Result;
}

TqlUsedByLocation* TqlUseIndex::Find(int X, int Y) const
{
    auto It = FUses.find(qlPointKey(X, Y));
    return It == FUses.end() ? nullptr : It->second;
}

TqlUsedByLocation* TqlUseIndex::Find(const TqlCodeNode* Node) const
{
    if (!Node || Node->GetStartPos() < 0)
        return nullptr;
    return Find(Node->GetPoint().X, Node->GetPoint().Y);
}

bool qlIsAttached(const TqlNode* Node, const TqlNode* Root)
{
    for (const TqlNode* N = Node; N; N = N->Parent()) {
        if (N->Freed())
            return false;
        if (N == Root)
            return true;
        if (N->Parent() && N->Parent()->IndexOf(N) < 0)
            return false;
    }
    return false;
}

bool qlIsJunk(const TqlNode* Node)
{
    return dynamic_cast<const TqlJunkNode*>(Node) != nullptr;
}

bool qlIsTrivia(const TqlNode* Node)
{
    return dynamic_cast<const TqlJunkNode*>(Node) || dynamic_cast<const TqlCommentNode*>(Node);
}

bool qlIsToken(const TqlNode* Node, TptTokenKind Kind)
{
    auto* Token = dynamic_cast<const TqlTokenNode*>(Node);
    return Token && (Kind == ptUnknown || Token->TokenKind() == Kind);
}

TqlNode* qlLastLeaf(TqlNode* Node)
{
    while (Node->Count() > 0) {
        auto* Code = dynamic_cast<TqlCodeNode*>(Node);
        if (Code && Code->Modified())
            break;
        Node = Node->GetNode(Node->Count() - 1);
    }
    return Node;
}

bool qlHoldsDirective(const TqlNode* Node)
{
    if (dynamic_cast<const TqlDirectiveNode*>(Node))
        return true;
    for (int I = 0; I < Node->Count(); ++I)
        if (qlHoldsDirective(Node->GetNode(I)))
            return true;
    return false;
}

bool qlIsUnresolvedName(const TqlUnit* Unit, const std::string& Name)
{
    const auto& Unresolved = Unit->GetUnresolvedNames();
    if (Unresolved.empty())
        return false;
    // The unit keeps the names in ASCII capitals.
    std::string Key = Name;
    for (char& C : Key)
        if (C >= 'a' && C <= 'z')
            C = static_cast<char>(C - 'a' + 'A');
    return Unresolved.count(Key) > 0;
}

TqlCodeNode* qlFirstUnresolvedName(const TqlUnit* Unit, TqlNode* Root, const TqlUseIndex& Uses,
                                   const std::function<bool(const TqlCodeNode*)>& Skip)
{
    TqlCodeNode* Found = nullptr;
    if (Unit->GetUnresolvedNames().empty())
        return Found;
    qlForEachSourceLeaf(Root, [&](TqlCodeNode* Leaf) {
        if (!Found && qlIsToken(Leaf, ptIdentifier) && !(Skip && Skip(Leaf)) && !Uses.Find(Leaf) &&
            qlIsUnresolvedName(Unit, Leaf->Code()))
            Found = Leaf;
    });
    return Found;
}

bool qlSameName(const std::string& A, const std::string& B)
{
    if (A.size() != B.size())
        return false;
    for (size_t I = 0; I < A.size(); ++I)
        if (std::tolower(static_cast<unsigned char>(A[I])) !=
            std::tolower(static_cast<unsigned char>(B[I])))
            return false;
    return true;
}

std::string qlFormat(const std::string& Pattern, const std::string& Value)
{
    std::string Result = Pattern;
    const size_t At = Result.find("%s");
    if (At != std::string::npos)
        Result.replace(At, 2, Value);
    return Result;
}

void qlPostMessage(IqlRefactoring* Refactoring, const std::string& Text, int FileIndex, int X, int Y)
{
    if (auto* Base = dynamic_cast<TqlRefactoring*>(Refactoring))
        Base->FindingPosted();
    if (gqlRefactoringHost)
        gqlRefactoringHost->AddMessage(Ref<IqlRefactoring>(Refactoring),
                                       Ref<IqlMessage>(new TqlMessage(Text, FileIndex, X, Y, false)));
}

TqlMessageSink qlUnitMessageSink(IqlRefactoring* Refactoring, int FileIndex)
{
    return [Refactoring, FileIndex](const std::string& Text, int X, int Y) {
        qlPostMessage(Refactoring, Text, FileIndex, X, Y);
    };
}

void TqlPluginRegistrations::Register(IqlRefactoring* Refactoring, const std::string& Group)
{
    Ref<IqlRefactoring> Item(Refactoring);
    FItems.push_back(Item);
    gqlRefactoringHost->RegisterRefactoring(Item, Group);
}

void TqlPluginRegistrations::UnregisterAll() noexcept
{
    for (const Ref<IqlRefactoring>& Item : FItems)
        try {
            if (gqlRefactoringHost)
                gqlRefactoringHost->UnregisterRefactoring(Item);
        } catch (...) {
        }
    FItems.clear();
}

void qlAddWords(const std::string& Text, std::unordered_set<std::string>& Words)
{
    size_t I = 0;
    while (I < Text.size()) {
        if (std::isalpha(static_cast<unsigned char>(Text[I])) || Text[I] == '_') {
            size_t J = I;
            while (J < Text.size() &&
                   (std::isalnum(static_cast<unsigned char>(Text[J])) || Text[J] == '_'))
                ++J;
            std::string Word = Text.substr(I, J - I);
            for (char& C : Word)
                C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
            Words.insert(std::move(Word));
            I = J;
        } else {
            ++I;
        }
    }
}

IqlRefactoringHost* qlRequireHost()
{
    if (!gqlRefactoringHost)
        throw Exception("No refactoring host.");
    return gqlRefactoringHost.get();
}

TqlPluginRegistrations& qlPluginRegistrations()
{
    static TqlPluginRegistrations Items;
    return Items;
}

void qlFinalizePlugin()
{
    qlPluginRegistrations().UnregisterAll();
}
