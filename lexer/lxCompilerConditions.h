// How the Delphi 7 compiler answers the conditions of {$IF} and {$ELSEIF}:
// CompilerVersion and RTLVersion are 15.0, numbers compare by value, and
// Declared() asks the host. A lexer given none of this answers every
// comparison with False.
#pragma once

#include "lexer/lxPasLex.h"

#include <functional>
#include <string>

// The compiler's answer to the comparison One Relation Two; False when an
// operand has no value the compiler knows (an undeclared name) or the two
// cannot be compared.
bool lxDelphi7Comparison(TcdTokenKind KindOne, const std::string& One, TcdTokenKind Relation,
                         TcdTokenKind KindTwo, const std::string& Two);

// Lex answers the comparisons as the Delphi 7 compiler does, and Declared()
// with IsDeclared (False for every name when it is empty).
void lxSetDelphi7Conditions(TlxBasePasLex& Lex, std::function<bool(const std::string& Name)> IsDeclared);
