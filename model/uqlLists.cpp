#include "model/uqlClasses.h"

#include "lexer/lxPasLexTypes.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <utility>

// ---------------------------------------------------------------------------
// TqlList
// ---------------------------------------------------------------------------

TqlList::TqlList(bool OwnsObjects) : FOwnsObjects(OwnsObjects) {}

TqlList::~TqlList()
{
    TqlList::Clear();
}

void TqlList::Clear()
{
    decltype(FItems) Items;
    Items.swap(FItems);
    if (FOwnsObjects)
        for (TqlBase* Item : Items)
            delete Item;
}

void TqlList::IndexError(int Index)
{
    throw EListError(Index);
}

void TqlList::SetItem(int Index, TqlBase* Object)
{
    if (Index < 0 || Index >= GetCount())
        IndexError(Index);
    TqlBase*& Slot = FItems[size_t(Index)];
    if (FOwnsObjects && Slot != Object)
        delete Slot;
    Slot = Object;
}

// ---------------------------------------------------------------------------
// TqlHashedObjectList
// ---------------------------------------------------------------------------

// The case-insensitive hash the lexer's word tables use.
uint32_t TqlNameHash::HashOf(std::string_view Name)
{
    return TlxLexHashStrings::HashText(Name);
}

int TqlNameHash::AddObject(const std::string& Name, TqlBase* Object)
{
    TEntry Added{Object, HashOf(Name), 0};
    if (FNameOf) {
        // Mostly handed the object's own name: the same characters, no compare.
        const std::string_view Own = FNameOf(Object);
        QL_ASSERT((Own.data() == Name.data() && Own.size() == Name.size()) || Own == Name,
                  "An index of named objects files each under its own name");
    } else {
        if (!FNames)
            FNames = std::make_unique<std::string>();
        QL_ASSERT(FNames->size() + Name.size() + 4 <= UINT32_MAX,
                  "A name index holds at most 4 GB of names");
        Added.NameStart = static_cast<uint32_t>(FNames->size());
        const uint32_t Length = static_cast<uint32_t>(Name.size());
        FNames->append(reinterpret_cast<const char*>(&Length), sizeof Length);
        *FNames += Name;
    }
    QL_ASSERT(FEntries.size() < UINT32_MAX, "A name index holds fewer than 2^32 names");
    FEntries.push_back(Added);
    FTailClasses |= ClassBit(Added.Hash);
    const size_t Tail = FEntries.size() - FSortedCount;
    if (Tail * Tail > FEntries.size() && Tail > 16) {
        MergeTail();
        return PositionOfLast(Added.Hash);
    }
    return Count() - 1;
}

std::vector<int> TqlNameHash::FindAll(const std::string& Name) const
{
    std::vector<int> Result;
    FindAll(Name, Result);
    return Result;
}

void TqlNameHash::FindAll(const std::string& Name, std::vector<int>& Result) const
{
    Result.clear();
    ScanMatches(Name, HashOf(Name), [&Result](size_t I) {
        Result.push_back(static_cast<int>(I));
        return false;
    });
}

int TqlNameHash::FindFirst(const std::string& Name) const
{
    return FindFirst(Name, HashOf(Name));
}

int TqlNameHash::FindFirst(const std::string& Name, uint32_t Hash) const
{
    int First = -1;
    ScanMatches(Name, Hash, [&First](size_t I) {
        First = static_cast<int>(I);
        return true;
    });
    return First;
}

// Calls Found with every position holding Name (whose hash is H), ascending,
// until it answers true: the sorted part's run of equal hashes, then the tail.
template <class F>
void TqlNameHash::ScanMatches(const std::string& Name, uint32_t H, F&& Found) const
{
    const TEntry* Entries = FEntries.data();
    const size_t Count = FEntries.size();
    size_t I = FirstInSorted(H);
    for (; I < FSortedCount && Entries[I].Hash == H; ++I)
        if (lxSameText(NameAt(Entries[I]), Name) && Found(I))
            return;
    if ((FTailClasses & ClassBit(H)) == 0)
        return;
    for (I = FSortedCount; I < Count; ++I)
        if (Entries[I].Hash == H && lxSameText(NameAt(Entries[I]), Name) && Found(I))
            return;
}

std::string_view TqlNameHash::NameAt(const TEntry& Entry) const
{
    if (FNameOf)
        return FNameOf(Entry.Object);
    uint32_t Length;
    const char* Names = FNames->data();
    std::memcpy(&Length, Names + Entry.NameStart, sizeof Length);
    return std::string_view(Names + Entry.NameStart + sizeof Length, Length);
}

std::string TqlNameHash::GetString(int Index) const
{
    return std::string(NameAt(FEntries[size_t(Index)]));
}

void TqlNameHash::SetObject(int Index, TqlBase* Object)
{
    TEntry& Entry = FEntries[size_t(Index)];
    QL_ASSERT(!FNameOf || lxSameText(FNameOf(Object), FNameOf(Entry.Object)),
              "An index of named objects files each under its own name");
    Entry.Object = Object;
}

void TqlNameHash::Trim()
{
    FEntries.shrink_to_fit();
    if (FNames)
        FNames->shrink_to_fit();
}

void TqlNameHash::DeleteAt(int Index)
{
    // The name's characters stay in FNames until the table is cleared.
    FEntries.erase(FEntries.begin() + Index);
    if (size_t(Index) < FSortedCount)
        --FSortedCount;
}

void TqlNameHash::ClearAll()
{
    FEntries.clear();
    FEntries.shrink_to_fit();
    FNames.reset();
    FSortedCount = 0;
    FTailClasses = 0;
}

void TqlNameHash::MergeTail()
{
    const size_t Sorted = FSortedCount;
    const size_t Total = FEntries.size();
    FSortedCount = static_cast<uint32_t>(Total);
    FTailClasses = 0;
    const auto Mid = FEntries.begin() + static_cast<std::ptrdiff_t>(Sorted);
    std::stable_sort(Mid, FEntries.end(), [](const TEntry& A, const TEntry& B) { return A.Hash < B.Hash; });
    if (Sorted == 0 || Sorted == Total || FEntries[Sorted - 1].Hash <= FEntries[Sorted].Hash)
        return;
    // A stable merge from the back: the tail (a small part) is set aside,
    // and for each of its entries the sorted entries of higher hash move up
    // as one block. Of two equal hashes the earlier entry stays first.
    const std::vector<TEntry> Tail(Mid, FEntries.end());
    static_assert(std::is_trivially_copyable_v<TEntry>);
    TEntry* Entries = FEntries.data();
    size_t From = Sorted;
    size_t To = Total;
    for (size_t Left = Tail.size(); Left > 0; --Left) {
        const TEntry& Moving = Tail[Left - 1];
        const size_t Stay = static_cast<size_t>(
            std::upper_bound(Entries, Entries + From, Moving.Hash,
                             [](uint32_t Value, const TEntry& E) { return Value < E.Hash; }) -
            Entries);
        To -= From - Stay;
        std::memmove(Entries + To, Entries + Stay, (From - Stay) * sizeof(TEntry));
        From = Stay;
        Entries[--To] = Moving;
    }
}

// The first position of the sorted prefix whose hash is not below H.
size_t TqlNameHash::FirstInSorted(uint32_t H) const
{
    const auto End = FEntries.begin() + static_cast<std::ptrdiff_t>(FSortedCount);
    return static_cast<size_t>(
        std::lower_bound(FEntries.begin(), End, H,
                         [](const TEntry& E, uint32_t Value) { return E.Hash < Value; }) -
        FEntries.begin());
}

// The position of the entry added last, in a table that has just been wholly
// sorted: the merge is stable, so it ends the run of entries of its hash.
int TqlNameHash::PositionOfLast(uint32_t Hash) const
{
    const auto After = std::upper_bound(FEntries.begin(), FEntries.end(), Hash,
                                        [](uint32_t Value, const TEntry& E) { return Value < E.Hash; });
    return static_cast<int>(After - FEntries.begin()) - 1;
}

TqlHashedObjectList::TqlHashedObjectList(TqlNameHash::TNameOf NameOf) : FHash(NameOf) {}
TqlHashedObjectList::~TqlHashedObjectList() = default;

int TqlHashedObjectList::Add(const std::string& Name, TqlBase* Object)
{
    return FHash.AddObject(Name, Object);
}

bool TqlHashedObjectList::Find(const std::string& Name, int& Index)
{
    Index = FHash.FindFirst(Name);
    return Index >= 0;
}

bool TqlHashedObjectList::Find(const std::string& Name, uint32_t Hash, int& Index)
{
    Index = FHash.FindFirst(Name, Hash);
    return Index >= 0;
}

std::vector<int> TqlHashedObjectList::FindAll(const std::string& Name)
{
    return FHash.FindAll(Name);
}

void TqlHashedObjectList::FindAll(const std::string& Name, std::vector<int>& Result)
{
    FHash.FindAll(Name, Result);
}

void TqlHashedObjectList::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= FHash.Count())
        throw EListError(Index);
}

TqlBase* TqlHashedObjectList::GetObject(int Index) const
{
    CheckIndex(Index);
    return FHash.GetObject(Index);
}

std::string TqlHashedObjectList::GetString(int Index) const
{
    CheckIndex(Index);
    return FHash.GetString(Index);
}

void TqlHashedObjectList::SetObject(int Index, TqlBase* Object)
{
    CheckIndex(Index);
    FHash.SetObject(Index, Object);
}

void TqlHashedObjectList::Delete(int Index)
{
    CheckIndex(Index);
    FHash.DeleteAt(Index);
}

int TqlHashedObjectList::Count() const { return FHash.Count(); }
void TqlHashedObjectList::Clear() { FHash.ClearAll(); }
void TqlHashedObjectList::Sort() { FHash.MergeTail(); }
