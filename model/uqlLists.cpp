#include "model/uqlClasses.h"

#include "lexer/lxPasLexTypes.h"

#include <algorithm>
#include <cstring>
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
    std::vector<TqlBase*> Items;
    Items.swap(FItems);
    if (FOwnsObjects)
        for (TqlBase* Item : Items)
            delete Item;
}

int TqlList::Add(TqlBase* Object)
{
    FItems.push_back(Object);
    return GetCount() - 1;
}

TqlBase* TqlList::GetItem(int Index) const
{
    if (Index < 0 || Index >= GetCount())
        throw EListError(Index);
    return FItems[size_t(Index)];
}

void TqlList::SetItem(int Index, TqlBase* Object)
{
    if (Index < 0 || Index >= GetCount())
        throw EListError(Index);
    TqlBase*& Slot = FItems[size_t(Index)];
    if (FOwnsObjects && Slot != Object)
        delete Slot;
    Slot = Object;
}

// ---------------------------------------------------------------------------
// TqlHashedObjectList
// ---------------------------------------------------------------------------

namespace {
// The word table of a name index: a prefix kept in hash order and a short
// tail of recent additions in arrival order. A lookup searches the prefix by
// hash and scans the tail; once the tail grows past about the square root of
// the table it is sorted and merged into the prefix (stably, so entries of
// one hash keep their order of arrival). Declarations and lookups alternate
// all through an analysis; this keeps both cheap instead of sorting the whole
// table again after every addition.
class TqlNameHash : public TlxAssignAbleHash {
public:
    int AddObject(const std::string& Name, void* Object)
    {
        std::unique_ptr<TlxLexHashStringItem> Item = CreateNewItem();
        Item->Str = Name;
        Item->HashValue = HashOf(Name);
        Item->Obj = Object;
        TlxLexHashStringItem* Added = AddItem(std::move(Item));
        FHashes.push_back(Added->HashValue);
        const size_t Tail = FItems.size() - FSortedCount;
        if (Tail * Tail > FItems.size() && Tail > 16) {
            MergeTail();
            return Position(Added);
        }
        FSorted = FSortedCount == FItems.size();
        return Count() - 1;
    }

    // Every position holding Name, ascending.
    std::vector<int> FindAll(const std::string& Name) const
    {
        std::vector<int> Result;
        FindAll(Name, Result);
        return Result;
    }

    // The same into Result, which is cleared first.
    void FindAll(const std::string& Name, std::vector<int>& Result) const
    {
        Result.clear();
        ScanMatches(Name, [&Result](size_t I) {
            Result.push_back(static_cast<int>(I));
            return false;
        });
    }

    // The first position holding Name, -1 when there is none.
    int FindFirst(const std::string& Name) const
    {
        int First = -1;
        ScanMatches(Name, [&First](size_t I) {
            First = static_cast<int>(I);
            return true;
        });
        return First;
    }

    // Calls Found with every position holding Name, ascending, until it
    // answers true: the sorted part's run of equal hashes, then the tail.
    template <class F>
    void ScanMatches(const std::string& Name, F&& Found) const
    {
        const uint32_t H = HashOf(Name);
        const uint32_t* Hashes = FHashes.data();
        const size_t Count = FHashes.size();
        size_t I = FirstInSorted(H);
        for (; I < FSortedCount && Hashes[I] == H; ++I)
            if (CompareString(FItems[I]->Str, Name) && Found(I))
                return;
        for (I = FSortedCount; I < Count; ++I)
            if (Hashes[I] == H && CompareString(FItems[I]->Str, Name) && Found(I))
                return;
    }

    void DeleteAt(int Index)
    {
        Delete(Index);
        FHashes.erase(FHashes.begin() + Index);
        if (size_t(Index) < FSortedCount)
            --FSortedCount;
        FSorted = FSortedCount == FItems.size();
    }

    void ClearAll()
    {
        Clear();
        FHashes.clear();
        FHashes.shrink_to_fit();
        FSortedCount = 0;
        FSorted = true;
    }

    void MergeTail()
    {
        auto ByHash = [](const auto& A, const auto& B) { return A->HashValue < B->HashValue; };
        const auto Mid = FItems.begin() + static_cast<std::ptrdiff_t>(FSortedCount);
        std::stable_sort(Mid, FItems.end(), ByHash);
        std::inplace_merge(FItems.begin(), Mid, FItems.end(), ByHash);
        for (size_t I = 0; I < FItems.size(); ++I)
            FHashes[I] = FItems[I]->HashValue;
        FSortedCount = FItems.size();
        FSorted = true;
    }

private:
    // The first position of the sorted prefix whose hash is not below H.
    size_t FirstInSorted(uint32_t H) const
    {
        return static_cast<size_t>(
            std::lower_bound(FHashes.begin(), FHashes.begin() + static_cast<std::ptrdiff_t>(FSortedCount), H) -
            FHashes.begin());
    }

    int Position(const TlxLexHashStringItem* Item) const
    {
        const auto Range = std::equal_range(FHashes.begin(), FHashes.end(), Item->HashValue);
        for (auto It = Range.first; It != Range.second; ++It)
            if (FItems[size_t(It - FHashes.begin())].get() == Item)
                return static_cast<int>(It - FHashes.begin());
        return -1;
    }

    // The hash of every item, position for position: searched without
    // visiting the items themselves.
    std::vector<uint32_t> FHashes;
    size_t FSortedCount = 0;
};
} // namespace

TqlHashedObjectList::TqlHashedObjectList() : FHash(std::make_unique<TqlNameHash>()) {}
TqlHashedObjectList::~TqlHashedObjectList() = default;

namespace {
TqlNameHash* NameHash(const std::unique_ptr<TlxAssignAbleHash>& Hash)
{
    return static_cast<TqlNameHash*>(Hash.get());
}
} // namespace

int TqlHashedObjectList::Add(const std::string& Name, TqlBase* Object)
{
    return NameHash(FHash)->AddObject(Name, Object);
}

bool TqlHashedObjectList::Find(const std::string& Name, int& Index)
{
    Index = NameHash(FHash)->FindFirst(Name);
    return Index >= 0;
}

std::vector<int> TqlHashedObjectList::FindAll(const std::string& Name)
{
    return NameHash(FHash)->FindAll(Name);
}

void TqlHashedObjectList::FindAll(const std::string& Name, std::vector<int>& Result)
{
    NameHash(FHash)->FindAll(Name, Result);
}

void TqlHashedObjectList::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= FHash->Count())
        throw EListError(Index);
}

TqlBase* TqlHashedObjectList::GetObject(int Index) const
{
    CheckIndex(Index);
    return static_cast<TqlBase*>(FHash->GetItems(Index)->Obj);
}

std::string TqlHashedObjectList::GetString(int Index) const
{
    CheckIndex(Index);
    return FHash->GetItems(Index)->Str;
}

void TqlHashedObjectList::SetObject(int Index, TqlBase* Object)
{
    CheckIndex(Index);
    FHash->GetItems(Index)->Obj = Object;
}

void TqlHashedObjectList::Delete(int Index)
{
    CheckIndex(Index);
    NameHash(FHash)->DeleteAt(Index);
}

int TqlHashedObjectList::Count() const { return FHash->Count(); }
void TqlHashedObjectList::Clear() { NameHash(FHash)->ClearAll(); }
void TqlHashedObjectList::Sort() { NameHash(FHash)->MergeTail(); }
