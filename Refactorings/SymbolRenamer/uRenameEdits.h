// The edits of a rename: each place sorted into the unit whose source holds
// it, mapped to its name token in the unit's tree and given the new name; a
// uses entry of a renamed unit gets its path renamed too.
#pragma once

#include "Refactorings/uqlRefactorNodes.h"

namespace SymbolRenamer {

// The entry of a uses or contains clause; "contains" is a directive word,
// which the tree holds as an identifier.
bool IsClauseEntry(const TqlTokenNode* Token);

// The string literal after "in" that follows Token in its clause: a token of
// its own, or the one token of an expression node.
TqlTokenNode* InPathOf(const TqlTokenNode* Token);

} // namespace SymbolRenamer
