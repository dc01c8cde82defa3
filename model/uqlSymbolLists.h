// The lists of declarations that containers hold, the used units and the
// project's units, each with its name lookup and its name-sorted view.
#pragma once

#include "model/uqlSymbols.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// ---------------------------------------------------------------------------
// Lists
// ---------------------------------------------------------------------------

// A list with a name index and a name-sorted view built on demand.
class TqlListSorted : public TqlList {
public:
    explicit TqlListSorted(bool OwnsObjects) : TqlList(OwnsObjects) {}
    ~TqlListSorted() override;
    void Clear() override;
    void DoItemAdded(const std::string& Name, TqlBase* Object);
    TqlBase* Find(const std::string& Name);
    TqlBase* GetSortedItem(int Index);

private:
    std::unique_ptr<TqlHashedObjectList> FIndex;
    std::unique_ptr<std::vector<std::pair<std::string, TqlBase*>>> FSorted;
};

// A list of declarations of one container.
class TqlContainerList : public TqlList {
public:
    TqlContainerList(TqlVarContainer* Container, bool OwnsObjects)
        : TqlList(OwnsObjects), FContainer(Container)
    {
    }
    TqlVarContainer* GetContainer() const { return FContainer; }

private:
    TqlVarContainer* FContainer;
};

class TqlContainerListSorted : public TqlContainerList {
public:
    TqlContainerListSorted(TqlVarContainer* Container, bool OwnsObjects)
        : TqlContainerList(Container, OwnsObjects)
    {
    }
    ~TqlContainerListSorted() override;
    void Clear() override;
    void Trim() override;
    // List, own name index, drop the view.
    void InternalSymbolAdded(TqlSymbol* Symbol);
    // InternalSymbolAdded, then the container's name index.
    virtual void DoSymbolAdded(TqlSymbol* Symbol);
    // InternalSymbolAdded, then the container's Types list (which owns it).
    void DoTypeAdded(TqlSymbol* Symbol);
    TqlSymbol* Find(const std::string& Name);
    TqlSymbol* GetSortedItem(int Index);

private:
    std::unique_ptr<TqlHashedObjectList> FIndex;
    std::unique_ptr<std::vector<std::pair<std::string, TqlBase*>>> FSorted;
};

class TqlSymbolList : public TqlList {
public:
    explicit TqlSymbolList(bool OwnsObjects);
    ~TqlSymbolList() override;
    void Clear() override;
    int AddSymbol(TqlSymbol* Symbol);
    TqlSymbol* AddSymbol(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X,
                         int Y);
    TqlSymbol* Find(const std::string& Name);
    TqlSymbol* GetSymbol(int Index) const { return ItemAs<TqlSymbol>(Index); }
    // In the order of the name index.
    TqlSymbol* GetSortedSymbols(int Index);

private:
    std::unique_ptr<TqlHashedObjectList> FIndex;
};

class TqlUsedUnit : public TqlBase {
public:
    explicit TqlUsedUnit(TqlUnit* Unit);
    ~TqlUsedUnit() override;
    TqlUnit* GetUnit() const { return FUnit; }
    TqlUsedByList* GetUsedBy() { return FUsedBy.get(); }

private:
    TqlUnit* FUnit;
    std::unique_ptr<TqlUsedByList> FUsedBy;
};

class TqlUsedUnitList : public TqlListSorted {
public:
    TqlUsedUnitList() : TqlListSorted(true) {}
    int AddUsedUnit(TqlUsedUnit* UsedUnit);
    TqlUsedUnit* FindUsedUnit(const std::string& Name);
    TqlUsedUnit* GetUsedUnit(int Index) const { return ItemAs<TqlUsedUnit>(Index); }
    TqlUsedUnit* GetSortedUsedUnit(int Index);
};

// The project's units; the position of a unit is its unit index.
class TqlUnitList : public TqlListSorted {
public:
    TqlUnitList() : TqlListSorted(true) {}
    int AddUnit(TqlUnit* Unit);
    TqlUnit* FindUnit(const std::string& Name);
    TqlUnit* GetUnits(int Index) const { return ItemAs<TqlUnit>(Index); }
    TqlUnit* GetSortedUnits(int Index);
};

// Whether gqlProject's built-in symbols or its system units ("System" and
// the implicit "QuilletSystem", their interfaces) declare Name: what Declared() in a conditional is answered from, the same
// for every parse of a project.
bool qlSystemDeclares(const std::string& Name);

class TqlVariablesList : public TqlContainerListSorted {
public:
    explicit TqlVariablesList(TqlVarContainer* Container) : TqlContainerListSorted(Container, true) {}
    TqlVariable* AddVariable(const std::string& Name, TVisibilityKind Visibility, bool IsConst,
                             int FileIndex, int X, int Y);
    TqlVariable* Find(const std::string& Name);
    TqlVariable* GetVariables(int Index) const { return ItemAs<TqlVariable>(Index); }
    TqlVariable* GetSortedVariables(int Index);
};

class TqlTypesList : public TqlContainerListSorted {
public:
    explicit TqlTypesList(TqlVarContainer* Container) : TqlContainerListSorted(Container, true) {}
    TqlType* AddType(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X,
                     int Y, bool TypeRequired);
    void AddType(TqlSymbol* Symbol);
    // Also completes a forward pointer type waiting for this name.
    void DoSymbolAdded(TqlSymbol* Symbol) override;
    TqlSymbol* GetTypes(int Index) const { return ItemAs<TqlSymbol>(Index); }
    TqlSymbol* GetSortedTypes(int Index) { return GetSortedItem(Index); }
};

class TqlRecordsList : public TqlContainerListSorted {
public:
    explicit TqlRecordsList(TqlVarContainer* Container) : TqlContainerListSorted(Container, false) {}
    TqlRecord* AddRecord(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X,
                         int Y);
    TqlRecord* Find(const std::string& Name);
    TqlRecord* GetRecords(int Index) const { return ItemAs<TqlRecord>(Index); }
    TqlRecord* GetSortedRecords(int Index);
};

class TqlPropertyList : public TqlContainerListSorted {
public:
    explicit TqlPropertyList(TqlVarContainer* Container) : TqlContainerListSorted(Container, true) {}
    TqlProperty* AddProperty(const std::string& Name, TVisibilityKind Visibility,
                             TqlClass* OwnerClass, int FileIndex, int X, int Y);
    TqlProperty* Find(const std::string& Name);
    TqlProperty* GetProperties(int Index) const { return ItemAs<TqlProperty>(Index); }
    TqlProperty* GetSortedProperties(int Index);
};

class TqlClassList : public TqlContainerListSorted {
public:
    explicit TqlClassList(TqlVarContainer* Container, bool OwnsObjects = true)
        : TqlContainerListSorted(Container, OwnsObjects)
    {
    }
    // Slot 3: a new class, added through slot 4.
    virtual TqlClass* AddClass(const std::string& Name, TVisibilityKind Visibility, int FileIndex,
                               int X, int Y);
    // Slot 4.
    virtual void AddClass(TqlClass* Class);
    TqlClass* Find(const std::string& Name);
    TqlClass* GetClasses(int Index) const { return ItemAs<TqlClass>(Index); }
    TqlClass* GetSortedClasses(int Index);
};

// Classes that the container's Types list owns.
class TqlOwnedClassList : public TqlClassList {
public:
    explicit TqlOwnedClassList(TqlVarContainer* Container) : TqlClassList(Container, false) {}
    using TqlClassList::AddClass;
    void AddClass(TqlClass* Class) override;
};

class TqlObjectList : public TqlClassList {
public:
    explicit TqlObjectList(TqlVarContainer* Container) : TqlClassList(Container, true) {}
    using TqlClassList::AddClass;
    TqlClass* AddClass(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X,
                       int Y) override;
};

class TqlOwnedObjectList : public TqlOwnedClassList {
public:
    explicit TqlOwnedObjectList(TqlVarContainer* Container) : TqlOwnedClassList(Container) {}
    using TqlOwnedClassList::AddClass;
    TqlClass* AddClass(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X,
                       int Y) override;
};

class TqlInterfaceList : public TqlContainerListSorted {
public:
    explicit TqlInterfaceList(TqlVarContainer* Container, bool OwnsObjects = true)
        : TqlContainerListSorted(Container, OwnsObjects)
    {
    }
    TqlInterface* AddInterface(const std::string& Name, TVisibilityKind Visibility, int FileIndex,
                               int X, int Y);
    // Slot 3.
    virtual void AddInterface(TqlInterface* Interface);
    TqlInterface* Find(const std::string& Name);
    TqlInterface* GetInterfaces(int Index) const { return ItemAs<TqlInterface>(Index); }
    TqlInterface* GetSortedInterfaces(int Index);
};

// Interfaces that the container's Types list owns; also the interfaces a
// class implements (entered with InternalSymbolAdded alone).
class TqlOwnedInterfaceList : public TqlInterfaceList {
public:
    explicit TqlOwnedInterfaceList(TqlVarContainer* Container) : TqlInterfaceList(Container, false) {}
    using TqlInterfaceList::AddInterface;
    void AddInterface(TqlInterface* Interface) override;
};

class TqlParameterList : public TqlContainerListSorted {
public:
    explicit TqlParameterList(TqlVarContainer* Container) : TqlContainerListSorted(Container, true) {}
    TqlParameter* AddParameter(const std::string& Name, TParamKind ParamKind, int FileIndex, int X,
                               int Y);
    TqlParameter* Find(const std::string& Name);
    TqlParameter* GetParameters(int Index) const { return ItemAs<TqlParameter>(Index); }
};

class TqlRoutineList : public TqlContainerListSorted {
public:
    explicit TqlRoutineList(TqlVarContainer* Container) : TqlContainerListSorted(Container, true) {}
    TqlRoutine* AddRoutine(const std::string& Name, TVisibilityKind Visibility,
                           TRoutineKind RoutineKind, int FileIndex, int X, int Y);
    TqlRoutine* Find(const std::string& Name);
    TqlRoutine* GetRoutine(int Index) const { return ItemAs<TqlRoutine>(Index); }
    TqlRoutine* GetSortedRoutines(int Index);
};

class TqlEnumerationList : public TqlContainerList {
public:
    explicit TqlEnumerationList(TqlVarContainer* Container) : TqlContainerList(Container, false) {}
    TqlEnumeration* AddItem(const std::string& Name, TVisibilityKind Visibility, int FileIndex,
                            int X, int Y);
    void AddItem(TqlEnumeration* Enumeration);
    TqlEnumeration* GetEnumeration(int Index) const { return ItemAs<TqlEnumeration>(Index); }
};

class TqlSetList : public TqlContainerList {
public:
    explicit TqlSetList(TqlVarContainer* Container) : TqlContainerList(Container, false) {}
    TqlSet* AddItem(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X,
                    int Y);
    void AddItem(TqlSet* Set);
    TqlSet* GetSet(int Index) const { return ItemAs<TqlSet>(Index); }
};

class TqlArrayList : public TqlContainerList {
public:
    explicit TqlArrayList(TqlVarContainer* Container) : TqlContainerList(Container, false) {}
    TqlArray* AddArray(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X,
                       int Y);
    TqlArray* GetArray(int Index) const { return ItemAs<TqlArray>(Index); }
};

class TqlLabelsList : public TqlList {
public:
    TqlLabelsList() : TqlList(true) {}
    TqlLabel* AddLabel(const std::string& Name, bool IsIntLabel, int FileIndex, int X, int Y);
    TqlLabel* GetLabels(int Index) const { return ItemAs<TqlLabel>(Index); }
};
