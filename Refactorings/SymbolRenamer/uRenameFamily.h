// The family of a renamed method: the methods of its name that override it,
// that it overrides, that implement it or that it implements. These helpers
// find them in the code model; TqlSymbolRename::CheckFamily walks them.
#pragma once

#include "Refactorings/Common/uqlPluginSupport.h"

#include <string>
#include <string_view>
#include <vector>

namespace SymbolRenamer {

// The methods named Name that Class declares itself.
std::vector<TqlRoutine*> MethodsNamed(TqlClass* Class, const std::string& Name);
// The parameters of A and B are passed alike and are of the same types.
bool SameParameters(TqlRoutine* A, TqlRoutine* B);

// The method that a method like Like overrides, implements or calls by a
// bare inherited, looked for from class From up its ancestors: at the first
// class that declares the name, the one with Like's parameters, or the only
// one when it is not overloaded. Nil when no known class has it; Undecided
// when several have Like's parameters or only other overloads were met;
// at a class that declares only overrides of other overloads, even when
// they do not say overload, the search goes on up.
TqlRoutine* MethodAbove(TqlClass* From, TqlRoutine* Like, bool& Undecided);
// Method overrides a method of an ancestor: it says override, or, in an
// old-style object, it is declared virtual again where the ancestors have
// a virtual method of its name and parameters.
bool IsOverride(TqlRoutine* Method);

// The names of the heritage list of the class or object declared at X, Y of
// Text ("TFoo = class(TBase, IFoo)", "TBox = object(TShape)"), each without
// the unit before its dot.
std::vector<std::string> HeritageNames(std::string_view Text, int X, int Y);
// A method by its class's name and its own, "TFoo.Run".
std::string MemberName(TqlRoutine* Routine);
// The interfaces Class lists, each with the interfaces it descends from.
std::vector<TqlInterface*> ImplementedBy(TqlClass* Class);

} // namespace SymbolRenamer
