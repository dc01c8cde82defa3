// Binary search over any sorted sequence of strings.
#pragma once

#include "base/qlInterface.h"

#include <string>

// The item contract of Find: a sorted, indexed sequence of strings.
class IqlFindable : public virtual IInterface {
public:
    static constexpr TGUID IID{0x364D3ED9, 0x800C, 0x427D, {0x9F, 0x3A, 0xBC, 0xFC, 0xE8, 0x11, 0x16, 0x04}};
    virtual int GetCount() = 0;
    virtual std::string GetString(int Index) = 0;
};

// Searches Text in Findable, which must be sorted ascending under the
// comparison used (ordinal character values; with CaseSensitive false the
// letters a to z are folded to upper case). Index receives the position of the
// first item not less than Text: the first of several equal items when found,
// the insertion point when not.
bool Find(IqlFindable* Findable, const std::string& Text, int& Index, bool CaseSensitive);
