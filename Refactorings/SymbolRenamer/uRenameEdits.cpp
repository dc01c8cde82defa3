#include "Refactorings/SymbolRenamer/uRenameEdits.h"

#include "Refactorings/SymbolRenamer/uRenameSupport.h"
#include "Refactorings/SymbolRenamer/uSymbolRenamer.h"

#include <filesystem>

using namespace SymbolRenamer;

namespace {

const char* const NoSource = "Symbol, %s, has no source to change";

} // namespace

namespace SymbolRenamer {

// The entry of a uses or contains clause; "contains" is a directive word,
// which the tree holds as an identifier.
bool IsClauseEntry(const TqlTokenNode* Token)
{
    const TqlNode* Parent = Token->Parent();
    for (int I = Token->GetIndex() - 1; Parent && I >= 0; --I) {
        auto* Prior = dynamic_cast<const TqlTokenNode*>(Parent->GetNode(I));
        if (!Prior)
            continue;
        if (Prior->TokenKind() == ptUses || Prior->TokenKind() == ptContains ||
            (Prior->TokenKind() == ptIdentifier && qlSameName(Prior->Code(), "contains")))
            return true;
    }
    return false;
}

// The string literal after "in" that follows Token in its clause: a token of
// its own, or the one token of an expression node.
TqlTokenNode* InPathOf(const TqlTokenNode* Token)
{
    TqlTokenNode* In = Token->GetNextPeerTokenNode(ptUnknown, true);
    if (!In || In->TokenKind() != ptIn)
        return nullptr;
    const TqlNode* Parent = In->Parent();
    for (int I = In->GetIndex() + 1; I < Parent->Count(); ++I) {
        TqlNode* Next = Parent->GetNode(I);
        if (qlIsTrivia(Next))
            continue;
        std::vector<TqlCodeNode*> Leaves;
        qlForEachSourceLeaf(Next, [&](TqlCodeNode* Leaf) {
            if (!qlIsTrivia(Leaf))
                Leaves.push_back(Leaf);
        });
        return Leaves.size() == 1 && qlIsToken(Leaves[0], ptStringConst)
                   ? static_cast<TqlTokenNode*>(Leaves[0])
                   : nullptr;
    }
    return nullptr;
}

} // namespace SymbolRenamer

std::string TqlSymbolRename::RenamePath(const std::string& Literal, const std::string& OldName,
                                        const std::string& NewName)
{
    const size_t Slash = Literal.find_last_of("\\/");
    const size_t Start = Slash == std::string::npos ? (Literal.empty() || Literal[0] != '\'' ? 0 : 1)
                                                    : Slash + 1;
    size_t End = Start;
    while (End < Literal.size() && Literal[End] != '.' && Literal[End] != '\'')
        ++End;
    if (!qlSameName(Literal.substr(Start, End - Start), OldName))
        return Literal;
    return Literal.substr(0, Start) + NewName + Literal.substr(End);
}

bool TqlSymbolRename::SortPlace(int FileIndex, int X, int Y)
{
    TqlSourceFile* File =
        FileIndex >= 0 && FileIndex < gqlProject->GetFileNames()->GetCount()
            ? gqlProject->GetFileNames()->GetItems(FileIndex)
            : nullptr;
    TqlUnit* Unit = File ? File->GetUnitIntf() : nullptr;
    if (!File || !Unit || !File->Exists) {
        Post(qlFormat(NoSource, FOldName), FileIndex, X, Y);
        return false;
    }
    if (Unit->GetFileIndex() != FileIndex) {
        // An include or form file: the rename would not reach it.
        Post(Format2("Symbol, %s, is used in %s, which is not changed", FOldName,
                     File->GetFullFileName()),
             FileIndex, X, Y);
        return false;
    }
    auto [It, New] = FPlaces.try_emplace(Unit);
    if (New)
        FUnits.push_back(Unit);
    const uint64_t Key = qlPointKey(X, Y);
    if (std::find(It->second.begin(), It->second.end(), Key) == It->second.end())
        It->second.push_back(Key);
    return true;
}

bool TqlSymbolRename::RenameIn(TqlUnit* Unit)
{
    auto It = FPlaces.find(Unit);
    if (It == FPlaces.end())
        return true;
    const std::unordered_set<uint64_t> Wanted(It->second.begin(), It->second.end());
    TqlModuleNode* Tree = FOpen(Unit);
    auto Report = [&](const std::string& Text, uint64_t Key) {
        Post(Text, Unit->GetFileIndex(), int(Key & 0xffffffffu), int(Key >> 32));
    };
    if (!Tree) {
        for (uint64_t Key : It->second)
            Report(qlFormat(NoSource, FOldName), Key);
        return FOk = false;
    }
    // One walk finds the leaves at all the unit's places.
    const TqlLeafIndex Index(Tree, Wanted);
    std::vector<TqlTokenNode*> Tokens;
    bool Mapped = true;
    for (uint64_t Key : It->second) {
        TqlCodeNode* Leaf = Index.FindUnchanged(int(Key & 0xffffffffu), int(Key >> 32));
        auto* Token = dynamic_cast<TqlTokenNode*>(Leaf);
        if (!Token || Token->TokenKind() != ptIdentifier || !qlSameName(Token->Code(), FOldName)) {
            const std::string File = std::filesystem::path(Unit->GetFullFileName()).filename().string();
            Report(Format2("Symbol, %s, has a use with no name token at " +
                               std::to_string(int(Key >> 32)) + ":" + std::to_string(int(Key & 0xffffffffu)) +
                               " of %s",
                           FOldName, File),
                   Key);
            Mapped = false;
        } else if (std::find(Tokens.begin(), Tokens.end(), Token) == Tokens.end()) {
            Tokens.push_back(Token);
        }
    }
    Mapped = Mapped && CheckScopes(Unit, Tree, Tokens);
    FOk = FOk && Mapped;
    if (FOk)
        for (TqlTokenNode* Token : Tokens)
            Rename(Token);
    return Mapped;
}

void TqlSymbolRename::Rename(TqlTokenNode* Token)
{
    Token->SetCode(FNewName);
    if (!dynamic_cast<TqlUnit*>(FSymbol))
        return;
    // A uses or contains entry "Name in 'path'" names the file too.
    if (!IsClauseEntry(Token))
        return;
    if (TqlTokenNode* Path = InPathOf(Token))
        Path->SetCode(RenamePath(Path->Code(), FOldName, FNewName));
}
