#include "model/uqlModelShared.h"

#include <algorithm>
#include <utility>

namespace {
int CompareTextAnsi(const std::string& A, const std::string& B)
{
    const size_t N = A.size() < B.size() ? A.size() : B.size();
    for (size_t i = 0; i < N; ++i) {
        const unsigned char C = lxUpper(A[i]);
        const unsigned char D = lxUpper(B[i]);
        if (C != D)
            return C < D ? -1 : 1;
    }
    return A.size() == B.size() ? 0 : (A.size() < B.size() ? -1 : 1);
}

// Builds a name-sorted view of a name index.
std::unique_ptr<std::vector<std::pair<std::string, TqlBase*>>>
BuildSortedView(TqlHashedObjectList* Index)
{
    auto View = std::make_unique<std::vector<std::pair<std::string, TqlBase*>>>();
    if (Index) {
        View->reserve(size_t(Index->Count()));
        for (int i = 0; i < Index->Count(); ++i)
            View->emplace_back(Index->GetString(i), Index->GetObject(i));
    }
    std::stable_sort(View->begin(), View->end(), [](const auto& A, const auto& B) {
        return CompareTextAnsi(A.first, B.first) < 0;
    });
    return View;
}

TqlBase* SortedViewItem(std::unique_ptr<std::vector<std::pair<std::string, TqlBase*>>>& View,
                        TqlHashedObjectList* Index, int Position)
{
    if (!View)
        View = BuildSortedView(Index);
    if (Position < 0 || size_t(Position) >= View->size())
        throw EListError(Position);
    return (*View)[size_t(Position)].second;
}
} // namespace

// ---------------------------------------------------------------------------
// Lists
// ---------------------------------------------------------------------------

TqlListSorted::~TqlListSorted() = default;

void TqlListSorted::Clear()
{
    TqlList::Clear();
    if (FIndex)
        FIndex->Clear();
    FSorted.reset();
}

void TqlListSorted::DoItemAdded(const std::string& Name, TqlBase* Object)
{
    Add(Object);
    if (!FIndex)
        FIndex = std::make_unique<TqlHashedObjectList>();
    FIndex->Add(Name, Object);
    FSorted.reset();
}

TqlBase* TqlListSorted::Find(const std::string& Name)
{
    int Index;
    if (!FIndex || !FIndex->Find(Name, Index))
        return nullptr;
    return FIndex->GetObject(Index);
}

TqlBase* TqlListSorted::GetSortedItem(int Index) { return SortedViewItem(FSorted, FIndex.get(), Index); }

TqlContainerListSorted::~TqlContainerListSorted() = default;

void TqlContainerListSorted::Trim()
{
    TqlList::Trim();
    if (FIndex)
        FIndex->Trim();
}

void TqlContainerListSorted::Clear()
{
    TqlList::Clear();
    if (FIndex)
        FIndex->Clear();
    FSorted.reset();
}

void TqlContainerListSorted::InternalSymbolAdded(TqlSymbol* Symbol)
{
    QL_ASSERT(Symbol != nullptr);
    Add(Symbol);
    if (!FIndex)
        FIndex = std::make_unique<TqlHashedObjectList>(qlSymbolName);
    FIndex->Add(Symbol->GetName(), Symbol);
    FSorted.reset();
}

void TqlContainerListSorted::DoSymbolAdded(TqlSymbol* Symbol)
{
    InternalSymbolAdded(Symbol);
    if (GetContainer())
        GetContainer()->AddSymbol(Symbol);
}

void TqlContainerListSorted::DoTypeAdded(TqlSymbol* Symbol)
{
    InternalSymbolAdded(Symbol);
    if (GetContainer())
        GetContainer()->GetTypes()->AddType(Symbol);
}

TqlSymbol* TqlContainerListSorted::Find(const std::string& Name)
{
    int Index;
    if (!FIndex || !FIndex->Find(Name, Index))
        return nullptr;
    return static_cast<TqlSymbol*>(FIndex->GetObject(Index));
}

TqlSymbol* TqlContainerListSorted::GetSortedItem(int Index)
{
    return static_cast<TqlSymbol*>(SortedViewItem(FSorted, FIndex.get(), Index));
}

TqlSymbolList::TqlSymbolList(bool OwnsObjects) : TqlList(OwnsObjects) {}
TqlSymbolList::~TqlSymbolList() = default;

void TqlSymbolList::Clear()
{
    TqlList::Clear();
    if (FIndex)
        FIndex->Clear();
}

int TqlSymbolList::AddSymbol(TqlSymbol* Symbol)
{
    QL_ASSERT(Symbol != nullptr);
    const int Index = Add(Symbol);
    if (!FIndex)
        FIndex = std::make_unique<TqlHashedObjectList>(qlSymbolName);
    FIndex->Add(Symbol->GetName(), Symbol);
    return Index;
}

TqlSymbol* TqlSymbolList::AddSymbol(const std::string& Name, TVisibilityKind Visibility,
                                    int FileIndex, int X, int Y)
{
    auto Symbol = std::make_unique<TqlSymbol>(Name, Visibility, tkNone, FileIndex, X, Y);
    AddSymbol(Symbol.get());
    return Symbol.release();
}

TqlSymbol* TqlSymbolList::Find(const std::string& Name)
{
    int Index;
    if (!FIndex || !FIndex->Find(Name, Index))
        return nullptr;
    return static_cast<TqlSymbol*>(FIndex->GetObject(Index));
}

TqlSymbol* TqlSymbolList::GetSortedSymbols(int Index)
{
    if (!FIndex)
        throw EListError(Index);
    FIndex->Sort();
    return static_cast<TqlSymbol*>(FIndex->GetObject(Index));
}

TqlUsedUnit::TqlUsedUnit(TqlUnit* Unit) : FUnit(Unit), FUsedBy(std::make_unique<TqlUsedByList>(Unit))
{
}

TqlUsedUnit::~TqlUsedUnit() = default;

int TqlUsedUnitList::AddUsedUnit(TqlUsedUnit* UsedUnit)
{
    QL_ASSERT(UsedUnit != nullptr);
    DoItemAdded(UsedUnit->GetUnit() ? UsedUnit->GetUnit()->GetName() : std::string(), UsedUnit);
    return GetCount() - 1;
}

TqlUsedUnit* TqlUsedUnitList::FindUsedUnit(const std::string& Name)
{
    return static_cast<TqlUsedUnit*>(Find(Name));
}

TqlUsedUnit* TqlUsedUnitList::GetSortedUsedUnit(int Index)
{
    return static_cast<TqlUsedUnit*>(GetSortedItem(Index));
}

int TqlUnitList::AddUnit(TqlUnit* Unit)
{
    QL_ASSERT(Unit != nullptr);
    DoItemAdded(Unit->GetName(), Unit);
    return GetCount() - 1;
}

TqlUnit* TqlUnitList::FindUnit(const std::string& Name) { return static_cast<TqlUnit*>(Find(Name)); }
TqlUnit* TqlUnitList::GetSortedUnits(int Index) { return static_cast<TqlUnit*>(GetSortedItem(Index)); }

bool qlSystemDeclares(const std::string& Name)
{
    if (!gqlProject)
        return false;
    if (gqlProject->FindSystemSymbol(Name))
        return true;
    if (TqlUnitList* Units = gqlProject->GetUnits())
        for (const char* System : {"System", "QuilletSystem"})
            if (TqlUnit* U = Units->FindUnit(System); U && U->FindSymbol(nullptr, nullptr, Name))
                return true;
    return false;
}

namespace {
// Creates a symbol, hands it to Add (which takes ownership one way or
// another) and returns it; the symbol is freed when Add fails.
template <class T, class AddFn, class... Args>
T* CreateAndAdd(AddFn&& AddIt, Args&&... A)
{
    auto Symbol = std::make_unique<T>(std::forward<Args>(A)...);
    AddIt(Symbol.get());
    return Symbol.release();
}
} // namespace

TqlVariable* TqlVariablesList::AddVariable(const std::string& Name, TVisibilityKind Visibility,
                                           bool IsConst, int FileIndex, int X, int Y)
{
    return CreateAndAdd<TqlVariable>([this](TqlSymbol* S) { DoSymbolAdded(S); }, Name, Visibility,
                                     IsConst, FileIndex, X, Y);
}

TqlVariable* TqlVariablesList::Find(const std::string& Name)
{
    return static_cast<TqlVariable*>(TqlContainerListSorted::Find(Name));
}

TqlVariable* TqlVariablesList::GetSortedVariables(int Index)
{
    return static_cast<TqlVariable*>(GetSortedItem(Index));
}

TqlType* TqlTypesList::AddType(const std::string& Name, TVisibilityKind Visibility, int FileIndex,
                               int X, int Y, bool TypeRequired)
{
    return CreateAndAdd<TqlType>([this](TqlSymbol* S) { DoSymbolAdded(S); }, Name, tkNone,
                                 Visibility, FileIndex, X, Y, TypeRequired);
}

void TqlTypesList::AddType(TqlSymbol* Symbol) { DoSymbolAdded(Symbol); }

void TqlTypesList::DoSymbolAdded(TqlSymbol* Symbol)
{
    TqlContainerListSorted::DoSymbolAdded(Symbol);
    TqlVarContainer* Container = GetContainer();
    if (!Container)
        return;
    TqlSymbol* Pointer = Container->FindForwardPointerType(Symbol->GetName());
    if (Pointer && Pointer != Symbol && Pointer->GetPointerType() &&
        lxSameText(Pointer->GetPointerTypeName(), Symbol->GetName()))
        Pointer->SetTypeIntf(Symbol);
}

TqlRecord* TqlRecordsList::AddRecord(const std::string& Name, TVisibilityKind Visibility,
                                     int FileIndex, int X, int Y)
{
    return CreateAndAdd<TqlRecord>([this](TqlSymbol* S) { DoTypeAdded(S); }, Name, Visibility,
                                   FileIndex, X, Y);
}

TqlRecord* TqlRecordsList::Find(const std::string& Name)
{
    return static_cast<TqlRecord*>(TqlContainerListSorted::Find(Name));
}

TqlRecord* TqlRecordsList::GetSortedRecords(int Index)
{
    return static_cast<TqlRecord*>(GetSortedItem(Index));
}

TqlProperty* TqlPropertyList::AddProperty(const std::string& Name, TVisibilityKind Visibility,
                                          TqlClass* OwnerClass, int FileIndex, int X, int Y)
{
    return CreateAndAdd<TqlProperty>([this](TqlSymbol* S) { DoSymbolAdded(S); }, Name, Visibility,
                                     OwnerClass, FileIndex, X, Y);
}

TqlProperty* TqlPropertyList::Find(const std::string& Name)
{
    return static_cast<TqlProperty*>(TqlContainerListSorted::Find(Name));
}

TqlProperty* TqlPropertyList::GetSortedProperties(int Index)
{
    return static_cast<TqlProperty*>(GetSortedItem(Index));
}

TqlClass* TqlClassList::AddClass(const std::string& Name, TVisibilityKind Visibility, int FileIndex,
                                 int X, int Y)
{
    return CreateAndAdd<TqlClass>([this](TqlClass* C) { AddClass(C); }, Name, Visibility, FileIndex,
                                  X, Y);
}

void TqlClassList::AddClass(TqlClass* Class) { DoSymbolAdded(Class); }

TqlClass* TqlClassList::Find(const std::string& Name)
{
    return static_cast<TqlClass*>(TqlContainerListSorted::Find(Name));
}

TqlClass* TqlClassList::GetSortedClasses(int Index)
{
    return static_cast<TqlClass*>(GetSortedItem(Index));
}

void TqlOwnedClassList::AddClass(TqlClass* Class) { DoTypeAdded(Class); }

TqlClass* TqlObjectList::AddClass(const std::string& Name, TVisibilityKind Visibility, int FileIndex,
                                  int X, int Y)
{
    return CreateAndAdd<TqlObject>([this](TqlClass* C) { AddClass(C); }, Name, Visibility,
                                   FileIndex, X, Y);
}

TqlClass* TqlOwnedObjectList::AddClass(const std::string& Name, TVisibilityKind Visibility,
                                       int FileIndex, int X, int Y)
{
    return CreateAndAdd<TqlObject>([this](TqlClass* C) { AddClass(C); }, Name, Visibility,
                                   FileIndex, X, Y);
}

TqlInterface* TqlInterfaceList::AddInterface(const std::string& Name, TVisibilityKind Visibility,
                                             int FileIndex, int X, int Y)
{
    return CreateAndAdd<TqlInterface>([this](TqlInterface* I) { AddInterface(I); }, Name,
                                      Visibility, FileIndex, X, Y);
}

void TqlInterfaceList::AddInterface(TqlInterface* Interface) { DoSymbolAdded(Interface); }

TqlInterface* TqlInterfaceList::Find(const std::string& Name)
{
    return static_cast<TqlInterface*>(TqlContainerListSorted::Find(Name));
}

TqlInterface* TqlInterfaceList::GetSortedInterfaces(int Index)
{
    return static_cast<TqlInterface*>(GetSortedItem(Index));
}

void TqlOwnedInterfaceList::AddInterface(TqlInterface* Interface) { DoTypeAdded(Interface); }

TqlParameter* TqlParameterList::AddParameter(const std::string& Name, TParamKind ParamKind,
                                             int FileIndex, int X, int Y)
{
    return CreateAndAdd<TqlParameter>([this](TqlSymbol* S) { DoSymbolAdded(S); }, Name, ParamKind,
                                      FileIndex, X, Y);
}

TqlParameter* TqlParameterList::Find(const std::string& Name)
{
    return static_cast<TqlParameter*>(TqlContainerListSorted::Find(Name));
}

TqlRoutine* TqlRoutineList::AddRoutine(const std::string& Name, TVisibilityKind Visibility,
                                       TRoutineKind RoutineKind, int FileIndex, int X, int Y)
{
    return CreateAndAdd<TqlRoutine>([this](TqlSymbol* S) { DoSymbolAdded(S); }, this, Name,
                                    Visibility, RoutineKind, FileIndex, X, Y);
}

TqlRoutine* TqlRoutineList::Find(const std::string& Name)
{
    return static_cast<TqlRoutine*>(TqlContainerListSorted::Find(Name));
}

TqlRoutine* TqlRoutineList::GetSortedRoutines(int Index)
{
    return static_cast<TqlRoutine*>(GetSortedItem(Index));
}

namespace {
// Hands a type-like symbol to the container's Types list, which owns it.
void AddToTypes(TqlVarContainer* Container, TqlSymbol* Symbol)
{
    QL_ASSERT(Container != nullptr, "A type list without a container cannot own its items");
    Container->GetTypes()->AddType(Symbol);
}
} // namespace

TqlEnumeration* TqlEnumerationList::AddItem(const std::string& Name, TVisibilityKind Visibility,
                                            int FileIndex, int X, int Y)
{
    return CreateAndAdd<TqlEnumeration>([this](TqlEnumeration* E) { AddItem(E); }, Name,
                                        Visibility, FileIndex, X, Y);
}

void TqlEnumerationList::AddItem(TqlEnumeration* Enumeration)
{
    QL_ASSERT(Enumeration != nullptr);
    AddToTypes(GetContainer(), Enumeration);
    Add(Enumeration);
}

TqlSet* TqlSetList::AddItem(const std::string& Name, TVisibilityKind Visibility, int FileIndex,
                            int X, int Y)
{
    return CreateAndAdd<TqlSet>([this](TqlSet* S) { AddItem(S); }, Name, Visibility, FileIndex, X, Y);
}

void TqlSetList::AddItem(TqlSet* Set)
{
    QL_ASSERT(Set != nullptr);
    AddToTypes(GetContainer(), Set);
    Add(Set);
}

TqlArray* TqlArrayList::AddArray(const std::string& Name, TVisibilityKind Visibility, int FileIndex,
                                 int X, int Y)
{
    return CreateAndAdd<TqlArray>(
        [this](TqlArray* A) {
            AddToTypes(GetContainer(), A);
            Add(A);
        },
        Name, Visibility, FileIndex, X, Y);
}

TqlLabel* TqlLabelsList::AddLabel(const std::string& Name, bool IsIntLabel, int FileIndex, int X,
                                  int Y)
{
    return CreateAndAdd<TqlLabel>([this](TqlLabel* L) { Add(L); }, Name, IsIntLabel, FileIndex, X, Y);
}
