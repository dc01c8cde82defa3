// What a with statement brings into scope, worked out from the tree of its
// expressions and the code model of the last analysis: the class or record
// of the value each expression yields. The with-statement refactorings and
// the renamer read with statements through these.
#pragma once

#include "Refactorings/Common/uqlPluginSupport.h"

#include <vector>

// The with statement's expressions, between "with" and "do", in the order
// written.
std::vector<TqlVariableReferenceNode*> qlWithExpressions(TqlStatementNode* With);

// Follows type names to the type they stand for (TMyList = TList); stops at
// an array, a pointer or a class or record.
TqlSymbol* qlReduceAliases(TqlSymbol* Type);

// The tokens of the node's subtree, in text order (no junk or comments).
void qlExpressionTokens(const TqlNode* Node, std::vector<const TqlTokenNode*>& Tokens);

// The class or record of the value that a with-expression yields: the type
// of Symbol, which its container identifier (Identifier) names, then each
// index or dereference written after that identifier (and a function's
// arguments). Nil when a step leads to something else (a default property
// of a pointer type, a character of a string) or is not understood.
// ThroughProperty: a property gives the value (or an element of it).
TqlSymbol* qlWithValueType(const TqlVariableReferenceNode* Expression, const TqlCodeNode* Identifier,
                           TqlSymbol* Symbol, bool& ThroughProperty);

// The outermost routine body around Node; nil outside one.
TqlMethodImplementationNode* qlOutermostMethod(const TqlNode* Node);
// The class of a method body written Class.Method; nil for a plain routine.
TqlClass* qlMethodClass(TqlUnit* Unit, const TqlMethodImplementationNode* Method);

// The class or record whose members Expression brings into scope in Unit
// (Self included); nil when the analysis does not tell it. Uses: the uses
// of Unit's own file.
TqlSymbol* qlWithExpressionType(TqlUnit* Unit, const TqlUseIndex& Uses, TqlVariableReferenceNode* Expression);
// The same for every expression of a with statement, innermost (last)
// first; Unknown is set when the type of one is not known.
std::vector<TqlSymbol*> qlWithScopeTypes(TqlUnit* Unit, const TqlUseIndex& Uses, TqlStatementNode* With,
                                         bool& Unknown);
