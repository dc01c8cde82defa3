// What the parts of the renamer share: message texts filled in, the words
// of Pascal source read as text, and walks of the code model (what a unit
// declares, the scope that declares a symbol, a class's descendants, where
// a routine's body lies).
#pragma once

#include "Refactorings/Common/uqlPluginSupport.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace SymbolRenamer {

std::string Format2(const std::string& Pattern, const std::string& A, const std::string& B);
std::string Format3(const std::string& Pattern, const std::string& A, const std::string& B, const std::string& C);

TqlClass* AsClass(TqlSymbol* Symbol);

// One word of Pascal source: its text, 1-based column and line, its offset
// and whether a "." (not "..") precedes it.
struct TWord {
    std::string_view Text;
    int X;
    int Y;
    size_t Offset;
    bool Qualified;
};

// The identifiers of Pascal source Text outside comments, strings and
// directives, in order; Directive gets the text of each compiler directive.
void ScanWords(std::string_view Text, const std::function<void(const TWord&)>& Visit,
               const std::function<void(std::string_view)>& Directive = {});
// Text holds the word Name, case ignored, outside comments and strings.
bool HoldsWord(const std::string& Text, const std::string& Name);

// Visits every symbol that Unit and the containers inside it declare, with
// the container that declares it; with Labels, also the labels and each
// routine's exception handler variables.
void ForEachDeclared(TqlUnit* Unit, const std::function<void(TqlSymbolContainer*, TqlSymbol*)>& Visit,
                     bool Labels = false);
// The places (qlPointKey) in the file FileIndex where Unit, or a container
// inside it, declares something named Name, a label or a handler variable
// among them.
std::unordered_set<uint64_t> DeclaredPlaces(TqlUnit* Unit, int FileIndex, const std::string& Name);

// The scope that declares Symbol: its routine, class, record or unit (an
// enumeration's items belong to the scope around the enumeration).
TqlSymbol* HomeOf(TqlSymbol* Symbol);

// Every class below Class, each once.
std::vector<TqlClass*> DescendantsOf(TqlClass* Class);

// X1, Y1 comes before X2, Y2.
bool Before(int X1, int Y1, int X2, int Y2);
// X, Y lies in the body of Routine, where its own declarations are seen.
bool InBody(TqlRoutine* Routine, int X, int Y);
// The class whose method Routine is, nil for a plain routine.
TqlClass* MethodClass(TqlRoutine* Routine);
// The offset of 1-based column X on line Y of Text; npos past its end.
size_t OffsetOf(std::string_view Text, int X, int Y);

} // namespace SymbolRenamer
