// Which units declare a name that other units can see. A unit that uses
// thousands of others would otherwise ask each of them in turn for every
// name it meets; with this index it asks only the few units that declare
// the name at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

class TqlSymbol;
class TqlUnit;

class TqlUnitNameIndex {
public:
    // The units that declare one name, in the order of their first such
    // declaration. A unit may appear more than once when its declarations of
    // the name were interleaved with another unit's.
    struct TEntry {
        TqlUnit* First = nullptr;
        // The units after the first; nil while there is only one.
        std::vector<TqlUnit*>* More = nullptr;
        size_t Count() const { return 1 + (More ? More->size() : 0); }
        TqlUnit* Unit(size_t Index) const { return Index == 0 ? First : (*More)[Index - 1]; }
    };

    TqlUnitNameIndex() = default;
    TqlUnitNameIndex(const TqlUnitNameIndex&) = delete;
    TqlUnitNameIndex& operator=(const TqlUnitNameIndex&) = delete;

    // A unit joins the index. Until the index is put to use it only notes
    // its units: a project whose uses lists are all short never needs it.
    void AddUnit(TqlUnit* Unit);
    bool Active() const { return FActive; }
    // Records the declarations of every unit joined so far; from then on
    // each new one is recorded as it is made.
    void Activate();
    // A declaration of the unit that other units may see: neither hidden
    // nor of the implementation section. Others are not recorded, nor any
    // while the index is not active.
    void SymbolAdded(TqlUnit* Unit, const TqlSymbol* Symbol);
    // The units that declare Name (without regard to case) visibly; nil when
    // none does. Valid until the next declaration is recorded.
    const TEntry* Find(std::string_view Name) const;
    // Forgets every unit (before the units go) and is no longer active.
    void Clear();
    size_t NameCount() const { return FNames.size(); }

    // The case-insensitive hash and comparison of the name indexes.
    struct THash {
        size_t operator()(std::string_view S) const;
    };
    struct TEqual {
        bool operator()(std::string_view A, std::string_view B) const;
    };

private:
    // One name: the first declaration recorded under it gives its text (the
    // symbols outlive the index's use, see Clear), so no name is copied.
    struct TName {
        const TqlSymbol* Symbol;
        TEntry Entry;
    };
    // A place of the table: the name's hash and its position in FNames plus
    // one (zero: free).
    struct TSlot {
        uint32_t Hash = 0;
        uint32_t Name = 0;
    };

    void AddDeclarations(TqlUnit* Unit);
    TSlot* Lookup(std::string_view Name, uint32_t Hash) const;
    void Grow();

    // Open addressing with linear probing; a power of two long, at most
    // three quarters full.
    std::vector<TSlot> FSlots;
    // The names in the order they came; a deque, so that entries stay put.
    std::deque<TName> FNames;
    // The lists of further units; a deque, so that entries keep their lists
    // while the table grows.
    std::deque<std::vector<TqlUnit*>> FMore;
    std::vector<TqlUnit*> FUnits;
    bool FActive = false;
};
