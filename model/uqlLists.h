// The root of the code model, its list of objects and its name index.
#pragma once

#include "model/uqlInterfaces.h"

#include <memory>
#include <string>
#include <vector>

class TlxAssignAbleHash;

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

// Root of every object that the model's lists hold.
class TqlBase {
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
    int Add(TqlBase* Object);
    int GetCount() const { return static_cast<int>(FItems.size()); }
    TqlBase* GetItem(int Index) const;
    void SetItem(int Index, TqlBase* Object);

protected:
    template <class T>
    T* ItemAs(int Index) const
    {
        return static_cast<T*>(GetItem(Index));
    }

private:
    std::vector<TqlBase*> FItems;
    bool FOwnsObjects;
};

// A name index of (name, object) pairs with hashed, case-insensitive lookup
// (Windows-1252 letters fold as well). Never owns the objects. Entries are
// kept in hash order; Add returns the new entry's position, and positions
// shift as further entries arrive.
class TqlHashedObjectList : public TqlBase {
public:
    TqlHashedObjectList();
    ~TqlHashedObjectList() override;
    TqlHashedObjectList(const TqlHashedObjectList&) = delete;
    TqlHashedObjectList& operator=(const TqlHashedObjectList&) = delete;

    int Add(const std::string& Name, TqlBase* Object);
    bool Find(const std::string& Name, int& Index);
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

private:
    void CheckIndex(int Index) const;
    std::unique_ptr<TlxAssignAbleHash> FHash;
};
