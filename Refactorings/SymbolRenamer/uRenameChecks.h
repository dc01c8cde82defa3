// What the checks of a rename read of the source text around a place: the
// word before and the character after a name, a forward heading, a
// directive word, an include directive. The checks themselves are
// TqlSymbolRename's (kind, clashes, the words of the old name, the scopes of
// the new one, hiding).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace SymbolRenamer {

// The first character after the word at X, Y that is no blank; 0 at the end.
char CharAfterWord(std::string_view Text, int X, int Y);
// The word before the one at X, Y, skipping a class name and its dot (the
// "function" of "function TFoo.Get").
std::string WordBefore(std::string_view Text, int X, int Y);
// The routine heading at X, Y ends in the directive "forward".
bool IsForwardHeading(std::string_view Text, int X, int Y);
// A word that begins a routine heading.
bool IsHeadingWord(const std::string& Word);
// The word at Offset of Text is the directive "index" of a property, an
// external routine or an exports clause, or the directive "message" of a
// method heading, not a name.
bool IsDirectiveWord(std::string_view Text, size_t Offset, std::string_view Word);
// The name of the file that an include directive names, in lower case;
// empty for any other directive.
std::string IncludedName(std::string_view D);

} // namespace SymbolRenamer
