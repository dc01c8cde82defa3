// The root of the code model, its list of objects and its name index.
#pragma once

#include "base/qlObjectPool.h"
#include "model/uqlInterfaces.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// ===========================================================================
// The code model
// ===========================================================================

class TqlClass;
class TqlRecord;
class TqlRoutine;
class TqlVarContainer;
class TqlProperty;
class TqlVariable;
class TqlDFMResource;

// Root of every object that the model's lists hold. The model holds a great
// many small objects: they come from the object pool, which keeps no header
// per object (the size comes back with the delete).
class TqlBase : public TqlPoolObject {
public:
    virtual ~TqlBase() = default;
};

// A list of model objects in insertion order; owning or not. Index errors
// raise EListError.
class TqlList : public TqlBase {
public:
    explicit TqlList(bool OwnsObjects = true);
    ~TqlList() override;
    TqlList(const TqlList&) = delete;
    TqlList& operator=(const TqlList&) = delete;

    bool GetOwnsObjects() const { return FOwnsObjects; }
    virtual void Clear();
    // Gives back the room kept for growth (a list that is complete).
    virtual void Trim() { FItems.shrink_to_fit(); }
    int Add(TqlBase* Object)
    {
        FItems.push_back(Object);
        return GetCount() - 1;
    }
    int GetCount() const { return static_cast<int>(FItems.size()); }
    TqlBase* GetItem(int Index) const
    {
        if (static_cast<size_t>(Index) >= FItems.size())
            IndexError(Index);
        return FItems[static_cast<size_t>(Index)];
    }
    void SetItem(int Index, TqlBase* Object);

protected:
    template <class T>
    T* ItemAs(int Index) const
    {
        return static_cast<T*>(GetItem(Index));
    }

private:
    [[noreturn]] static void IndexError(int Index);
    std::vector<TqlBase*, TqlPoolAllocator<TqlBase*>> FItems;
    bool FOwnsObjects;
};

// The word table of a name index: a prefix kept in hash order and a short
// tail of recent additions in arrival order. A lookup searches the prefix by
// hash and scans the tail; once the tail grows past about the square root of
// the table it is sorted and merged into the prefix (stably, so entries of
// one hash keep their order of arrival). Declarations and lookups alternate
// all through an analysis; this keeps both cheap instead of sorting the whole
// table again after every addition. An entry costs no allocation of its own:
// an index of symbols reads the names from them, any other keeps the names
// one after another in one string.
//
// The order of the positions, and so the order in which a container lists
// its members (and reports list what they find in them), follows from when
// the merges happen: the rule above is part of what the model shows.
class TqlNameHash {
public:
    // Where an index of symbols finds an entry's name: in the object itself,
    // so that the index keeps no copy. Nil: the index keeps the names.
    using TNameOf = std::string_view (*)(const TqlBase* Object);

    explicit TqlNameHash(TNameOf NameOf = nullptr) : FNameOf(NameOf) {}

    int AddObject(const std::string& Name, TqlBase* Object);
    // Every position holding Name, ascending.
    std::vector<int> FindAll(const std::string& Name) const;
    // The same into Result, which is cleared first.
    void FindAll(const std::string& Name, std::vector<int>& Result) const;
    // The first position holding Name, -1 when there is none.
    int FindFirst(const std::string& Name) const;
    // The same for a name whose HashOf is known: a lookup that asks several
    // indexes hashes the name once.
    int FindFirst(const std::string& Name, uint32_t Hash) const;
    static uint32_t HashOf(std::string_view Name);
    void DeleteAt(int Index);
    void ClearAll();
    void MergeTail();
    // Gives back the room kept for growth.
    void Trim();

    int Count() const { return static_cast<int>(FEntries.size()); }
    TqlBase* GetObject(int Index) const { return FEntries[size_t(Index)].Object; }
    // An index that reads names from its objects takes only an object of the
    // same name.
    void SetObject(int Index, TqlBase* Object);
    std::string GetString(int Index) const;

private:
    struct TEntry {
        TqlBase* Object;
        uint32_t Hash;
        // Where the name lies in FNames (its length first) when the index
        // keeps names.
        uint32_t NameStart;
    };

    template <class F>
    void ScanMatches(const std::string& Name, uint32_t H, F&& Found) const;
    std::string_view NameAt(const TEntry& Entry) const;
    static uint32_t ClassBit(uint32_t Hash) { return uint32_t(1) << ((Hash ^ (Hash >> 16)) & 31); }
    size_t FirstInSorted(uint32_t H) const;
    int PositionOfLast(uint32_t Hash) const;

    std::vector<TEntry, TqlPoolAllocator<TEntry>> FEntries;
    // Nil until a kept name comes: the model holds a great many indexes
    // that read their names from their symbols.
    std::unique_ptr<std::string> FNames;
    uint32_t FSortedCount = 0;
    // One bit per hash class of the tail's entries: a lookup whose class
    // has no bit passes the tail over.
    uint32_t FTailClasses = 0;
    TNameOf FNameOf;
};

// A name index of (name, object) pairs with hashed, case-insensitive lookup
// (Windows-1252 letters fold as well). Never owns the objects. Entries are
// kept in hash order; Add returns the new entry's position, and positions
// shift as further entries arrive.
class TqlHashedObjectList : public TqlBase {
public:
    explicit TqlHashedObjectList(TqlNameHash::TNameOf NameOf = nullptr);
    ~TqlHashedObjectList() override;
    TqlHashedObjectList(const TqlHashedObjectList&) = delete;
    TqlHashedObjectList& operator=(const TqlHashedObjectList&) = delete;

    int Add(const std::string& Name, TqlBase* Object);
    bool Find(const std::string& Name, int& Index);
    // Find with Name's TqlNameHash::HashOf.
    bool Find(const std::string& Name, uint32_t Hash, int& Index);
    // Every position holding Name (without regard to case), ascending.
    std::vector<int> FindAll(const std::string& Name);
    // The same into Result (cleared first), without allocating when Result
    // already has room.
    void FindAll(const std::string& Name, std::vector<int>& Result);
    TqlBase* GetObject(int Index) const;
    std::string GetString(int Index) const;
    void SetObject(int Index, TqlBase* Object);
    void Delete(int Index);
    int Count() const;
    void Clear();
    void Sort();
    void Trim() { FHash.Trim(); }

private:
    void CheckIndex(int Index) const;
    TqlNameHash FHash;
};
