// In-place quicksort over any indexed collection.
#pragma once

#include "base/qlInterface.h"

// The item contract of QuickSort.
class IqlQuickSortable : public virtual IInterface {
public:
    static constexpr TGUID IID{0xA458994D, 0x0A86, 0x40DA, {0x93, 0xF7, 0x0D, 0x5C, 0xC7, 0xBB, 0xC3, 0xEA}};
    virtual void Exchange(int Index1, int Index2) = 0;
    // Negative when the item at Index1 sorts before the one at Index2, 0 when
    // equal, positive after.
    virtual int Compare(int Index1, int Index2) = 0;
};

// Sorts the items L to R inclusive (not stable). A range with R < L does
// nothing. The item at the pivot index is never compared with itself.
void QuickSort(IqlQuickSortable* Sortable, int L, int R);
