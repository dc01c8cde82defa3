// Helpers that the refactoring plug-ins share: finding the leaf of a tree and
// the recorded use of the code model at one position without walking the
// tree or the unit's uses once per lookup, and small node tests.
#pragma once

#include "Refactorings/uqlRefactorNodes.h"
#include "model/uqlClasses.h"

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

uint64_t qlPointKey(int X, int Y);

// Calls Visit for every leaf below Root, depth first, that holds text from the
// source file: a code node without children, or one whose text an edit set.
void qlForEachSourceLeaf(TqlNode* Root, const std::function<void(TqlCodeNode*)>& Visit);

// The leaves of one tree by their 1-based column and line. Only leaves with
// text count (an empty rule node shares its point with the token after it),
// and of several at one point the first in depth-first order wins. Nodes that
// an edit detached or dropped are not answered.
class TqlLeafIndex {
public:
    // With Wanted (keys of qlPointKey), only leaves at those points are kept:
    // the places a caller can ask for, so that a big tree costs little.
    explicit TqlLeafIndex(TqlModuleNode* Tree, const std::unordered_set<uint64_t>* Wanted = nullptr);
    TqlLeafIndex(TqlModuleNode* Tree, const std::unordered_set<uint64_t>& Wanted)
        : TqlLeafIndex(Tree, &Wanted)
    {
    }
    TqlCodeNode* Find(int X, int Y) const;
    // The same without the check that the leaf is still in the tree, which
    // costs a search of every parent's children: only while the tree has not
    // changed since the index was built.
    TqlCodeNode* FindUnchanged(int X, int Y) const;
    TqlModuleNode* Tree() const { return FTree; }

private:
    TqlModuleNode* FTree;
    std::unordered_map<uint64_t, TqlCodeNode*> FLeaves;
};

// The uses that the analysis recorded in one unit's own source file (not in
// its include or form files), by column and line; the first recorded wins.
class TqlUseIndex {
public:
    explicit TqlUseIndex(TqlUnit* Unit);
    // The points of the indexed uses (keys of qlPointKey).
    std::unordered_set<uint64_t> Points() const;
    TqlUsedByLocation* Find(int X, int Y) const;
    TqlUsedByLocation* Find(const TqlCodeNode* Node) const;

private:
    std::unordered_map<uint64_t, TqlUsedByLocation*> FUses;
};

// The node is still part of the tree under Root (not detached or dropped).
bool qlIsAttached(const TqlNode* Node, const TqlNode* Root);
bool qlIsJunk(const TqlNode* Node);
// Junk, comment or directive: nodes that carry no token.
bool qlIsTrivia(const TqlNode* Node);
bool qlIsToken(const TqlNode* Node, TptTokenKind Kind);
// The last leaf of Node's subtree (Node itself when it has no children).
TqlNode* qlLastLeaf(TqlNode* Node);
// The subtree holds a compiler directive node.
bool qlHoldsDirective(const TqlNode* Node);
// The analysis of Unit left Name unresolved somewhere in the unit.
bool qlIsUnresolvedName(const TqlUnit* Unit, const std::string& Name);
// The first identifier under Root, in text order, that has no use in Uses
// and whose name the analysis of Unit left unresolved; Skip, when given,
// passes over some. Nil when there is none.
TqlCodeNode* qlFirstUnresolvedName(const TqlUnit* Unit, TqlNode* Root, const TqlUseIndex& Uses,
                                   const std::function<bool(const TqlCodeNode*)>& Skip = nullptr);
// Text without regard to case (ASCII letters).
bool qlSameName(const std::string& A, const std::string& B);
// Adds the identifier-like words of Text, in lower case, to Words.
void qlAddWords(const std::string& Text, std::unordered_set<std::string>& Words);
// A posted finding of a plug-in: text and 1-based column and line.
using TqlMessageSink = std::function<void(const std::string& Text, int X, int Y)>;
std::string qlFormat(const std::string& Pattern, const std::string& Value);

// Posts a finding of Refactoring to the host, when there is one, as a
// message at the column and line of the file.
void qlPostMessage(IqlRefactoring* Refactoring, const std::string& Text, int FileIndex, int X, int Y);
// The sink that posts a refactoring's findings in one unit's file.
TqlMessageSink qlUnitMessageSink(IqlRefactoring* Refactoring, int FileIndex);

// The host to register with; raises when there is none.
IqlRefactoringHost* qlRequireHost();

// The counted references that a plug-in keeps of the refactorings it
// registered, in registration order.
class TqlPluginRegistrations {
public:
    // Registers a new refactoring with the host under Group.
    void Register(IqlRefactoring* Refactoring, const std::string& Group);
    // Unregisters them all while the host is there, then lets them go.
    void UnregisterAll() noexcept;

private:
    std::vector<Ref<IqlRefactoring>> FItems;
};

// The registrations of the plug-in module at hand (each module links its own
// copy of these helpers), and its finalisation: unregister them all.
TqlPluginRegistrations& qlPluginRegistrations();
void qlFinalizePlugin();
