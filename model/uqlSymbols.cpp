#include "model/uqlModelShared.h"
#include "model/uqlNameLookup.h"
#include "model/uqlReach.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <type_traits>
#include <utility>

namespace {
uint32_t NextSerial()
{
    // Atomic so that models built on several threads (corpus runs) stay sound.
    static std::atomic<uint32_t> Serial{0};
    return Serial.fetch_add(1, std::memory_order_relaxed) + 1;
}

// Marks a symbol as being walked for the time of one call; a second entry
// while the first is active means the walk has come round in a cycle.
class TqlWalkGuard {
public:
    explicit TqlWalkGuard(bool& Flag) : FFlag(Flag), FEntered(!Flag) { FFlag = true; }
    ~TqlWalkGuard()
    {
        if (FEntered)
            FFlag = false;
    }
    TqlWalkGuard(const TqlWalkGuard&) = delete;
    TqlWalkGuard& operator=(const TqlWalkGuard&) = delete;
    bool Cycle() const { return !FEntered; }

private:
    bool& FFlag;
    bool FEntered;
};
} // namespace

// ---------------------------------------------------------------------------
// TqlSymbol
// ---------------------------------------------------------------------------

TqlSymbol::TqlSymbol(const std::string& Name, TVisibilityKind Visibility, TqlTypeKind TypeKind,
                     int FileIndex, int X, int Y)
    : TqlCodeLocation(FileIndex, X, Y), FTypeKind(TypeKind), FVisibility(Visibility), FName(Name),
      FSerial(NextSerial()), FEndX(X), FEndY(Y)
{
}

void TqlSymbol::SetX(int Value)
{
    TqlCodeLocation::SetX(Value);
    FEndX = Value;
}

void TqlSymbol::SetY(int Value)
{
    TqlCodeLocation::SetY(Value);
    FEndY = Value;
}

TqlSymbol::~TqlSymbol() = default;

TqlSymbol::TExtras& TqlSymbol::Extras()
{
    if (!FExtras)
        FExtras = std::make_unique<TExtras>();
    return *FExtras;
}

const std::string& TqlSymbol::GetPointerTypeName() const
{
    static const std::string None;
    return FExtras ? FExtras->PointerTypeName : None;
}

const std::string& TqlSymbol::GetWrittenTypeName() const
{
    static const std::string None;
    return FExtras ? FExtras->WrittenTypeName : None;
}

void TqlSymbol::SetWrittenTypeName(const std::string& Value)
{
    if (FExtras || !Value.empty())
        Extras().WrittenTypeName = Value;
}

void TqlSymbol::SetPointerTypeName(const std::string& Value)
{
    if (FExtras || !Value.empty())
        Extras().PointerTypeName = Value;
}

void TqlSymbol::SetPredefinedArrayType(TqlSymbol* Value)
{
    if (FExtras || Value)
        Extras().PredefinedArrayType = Value;
}

TqlSymbol* TqlSymbol::GetTypeIntf() { return FType ? FType : this; }
void TqlSymbol::SetTypeIntf(TqlSymbol* Symbol) { FType = Symbol; }
TqlTypeKind TqlSymbol::GetTypeKind() { return FTypeKind; }

TqlSymbol* TqlSymbol::FindSymbol(TqlUnit*, TqlClass*, const std::string&, bool,
                                 const TqlUsedByInfo&)
{
    return nullptr;
}

TqlSymbol* TqlSymbol::FindSymbol(TqlUnit* Unit, TqlClass* Class, const std::string& Name)
{
    return FindSymbol(Unit, Class, Name, false, UsedByInfo(-1, false, -1, -1));
}

bool TqlSymbol::TypeRequired() { return true; }

void TqlSymbol::SetTypeKind(TqlTypeKind Value)
{
    QL_ASSERT(!dynamic_cast<TqlRecord*>(this) && !dynamic_cast<TqlClass*>(this),
              "A record or class has a fixed type kind");
    FTypeKind = Value;
}

TqlUsedByList* TqlSymbol::GetUsedBy()
{
    if (!FUsedBy)
        FUsedBy = std::make_unique<TqlUsedByList>(this);
    return FUsedBy.get();
}

void TqlSymbol::SetUsedBy(TqlUsedByList*)
{
    QL_ASSERT(false, "The uses list of a symbol cannot be replaced");
}

bool TqlSymbol::ComparesTo(const TqlSymbol* Other) const
{
    return Other && FName == Other->FName && TqlCodeLocation::ComparesTo(Other);
}

void TqlSymbol::RecordUse(TqlSymbol* Found, const std::string& Name, bool AddReference,
                          const TqlUsedByInfo& Info)
{
    if (!Found || !AddReference)
        return;
    TqlUsedByInfo Place = Info;
    Place.IsWrongCase = Name != Found->GetName();
    Found->GetUsedBy()->AddUsedBy(Place);
}

void TqlSymbol::ReportFinding(const std::string& Text)
{
    if (FFindingReported)
        return;
    FFindingReported = true;
    if (!gqlProject)
        return;
    if (Ref<IqlMessageList> Messages = gqlProject->GetMessages())
        Messages->Add(Text, GetFileIndex(), GetX(), GetY(), GetVisibility() == vkInterface);
}

void TqlSymbol::SetNameCase(const std::string& Name)
{
    QL_ASSERT(lxSameText(Name, FName), "uqlClasses");
    FName = Name;
}

TqlSymbol* TqlSymbol::FindContainer()
{
    // Every symbol the walk has passed; meeting one again means the type
    // declarations form a cycle (A = B; B = A, or a pointer or array chain
    // that comes back), which ends the walk with a finding.
    // Most walks are a step or two: those stay in the first few places.
    TqlSymbol* FirstSeen[8];
    size_t SeenCount = 0;
    std::vector<TqlSymbol*> MoreSeen;
    auto Visit = [&](TqlSymbol* S) {
        const size_t InFirst = std::min(SeenCount, std::size(FirstSeen));
        if (std::find(FirstSeen, FirstSeen + InFirst, S) != FirstSeen + InFirst ||
            std::find(MoreSeen.begin(), MoreSeen.end(), S) != MoreSeen.end()) {
            S->ReportFinding("Type, " + S->GetName() + ", refers to itself through a cycle.");
            return false;
        }
        if (SeenCount < std::size(FirstSeen))
            FirstSeen[SeenCount] = S;
        else
            MoreSeen.push_back(S);
        ++SeenCount;
        return true;
    };

    TqlSymbol* Current = GetPredefinedArrayType();
    if (!Current)
        Current = GetTypeIntf();
    while (Current) {
        // Reduce: pointer targets, then array element types, until neither.
        for (;;) {
            bool Moved = false;
            while (Current && Current->GetPointerType()) {
                TqlSymbol* Target = Current->GetTypeIntf();
                if (Target == Current) {
                    Current = nullptr;
                    break;
                }
                if (!Target)
                    break;
                if (!Visit(Current))
                    return nullptr;
                Current = Target;
                Moved = true;
            }
            while (Current) {
                auto* Array = qlAsArray(Current);
                if (!Array)
                    break;
                TqlSymbol* Element = Array->GetArrayType();
                if (Element == Current) {
                    Current = nullptr;
                    break;
                }
                if (!Visit(Current))
                    return nullptr;
                Current = Element;
                Moved = true;
            }
            if (!Moved || !Current)
                break;
        }
        if (!Current)
            return nullptr;
        TqlSymbol* Type = Current->GetTypeIntf();
        if (qlAsContainer(Type))
            return Type;
        if (Type == Current)
            return nullptr;
        if (!Visit(Current))
            return nullptr;
        Current = Type;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------
// Containers
// ---------------------------------------------------------------------------

TqlSymbolContainer::TqlSymbolContainer(const std::string& Name, TVisibilityKind Visibility,
                                       int FileIndex, int X, int Y)
    : TqlSymbol(Name, Visibility, tkNone, FileIndex, X, Y),
      FSymbols(std::make_unique<TqlHashedObjectList>(qlSymbolName))
{
    AddKindMark(kmContainer);
}

TqlSymbolContainer::~TqlSymbolContainer() = default;

TqlSymbol* TqlSymbolContainer::FindSymbol(TqlUnit*, TqlClass*, const std::string& Name,
                                          bool AddReference, const TqlUsedByInfo& Info)
{
    int Index;
    TqlSymbol* Found = nullptr;
    if (FSymbols->Find(Name, Index))
        Found = static_cast<TqlSymbol*>(FSymbols->GetObject(Index));
    RecordUse(Found, Name, AddReference, Info);
    return Found;
}

void TqlSymbolContainer::AddSymbol(TqlSymbol* Symbol)
{
    QL_ASSERT(Symbol != nullptr);
    FSymbols->Add(Symbol->GetName(), Symbol);
    SymbolAdded(Symbol);
}

TqlSymbol* TqlSymbolContainer::GetSymbol(int Index) const
{
    return static_cast<TqlSymbol*>(FSymbols->GetObject(Index));
}

int TqlSymbolContainer::GetSymbolCount() const { return FSymbols->Count(); }

TqlEnumeration::TqlEnumeration(const std::string& Name, TVisibilityKind Visibility, int FileIndex,
                               int X, int Y)
    : TqlEnumerationMemberContainer(Name, Visibility, FileIndex, X, Y),
      FItems(std::make_unique<TqlSymbolList>(true))
{
}

TqlEnumeration::~TqlEnumeration() = default;
TqlSymbolList* TqlEnumeration::GetItems() { return FItems.get(); }

TqlSet::TqlSet(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X, int Y)
    : TqlEnumerationMemberContainer(Name, Visibility, FileIndex, X, Y)
{
}

TqlSet::~TqlSet() = default;

TqlSymbolList* TqlSet::GetItems()
{
    if (FEnumeration)
        return FEnumeration->GetItems();
    if (!FItems)
        FItems = std::make_unique<TqlSymbolList>(true);
    return FItems.get();
}

void TqlSet::SetEnumeration(TqlEnumeration* Value)
{
    QL_ASSERT(!FItems, "The set already has members of its own");
    FEnumeration = Value;
}

TqlVarContainer::TqlVarContainer(const std::string& Name, TVisibilityKind Visibility,
                                 int FileIndex, int X, int Y)
    : TqlSymbolContainer(Name, Visibility, FileIndex, X, Y)
{
}

TqlVarContainer::~TqlVarContainer() = default;

TqlVarContainer::TLists::~TLists() = default;

TqlVarContainer::TLists& TqlVarContainer::Lists()
{
    if (!FLists)
        FLists = std::make_unique<TLists>();
    return *FLists;
}

void TqlVarContainer::TrimLists()
{
    FSymbols->Trim();
    if (!FLists)
        return;
    const TLists& L = *FLists;
    for (TqlList* List : std::initializer_list<TqlList*>{
             L.Enumerations.get(), L.Arrays.get(), L.Constants.get(), L.Labels.get(), L.Records.get(),
             L.Sets.get(), L.Variables.get(), L.Classes.get(), L.Objects.get(), L.Interfaces.get(),
             L.Routines.get(), L.Types.get()})
        if (List)
            List->Trim();
    if (L.ForwardPointerTypes)
        L.ForwardPointerTypes->Trim();
}

template <class L>
L* TqlVarContainer::Lazy(std::unique_ptr<L> TLists::*List)
{
    std::unique_ptr<L>& Held = Lists().*List;
    if (!Held) {
        // The declaration lists know their container; labels and forward
        // pointer types need not.
        if constexpr (std::is_same_v<L, TqlLabelsList> || std::is_same_v<L, TqlHashedObjectList>)
            Held = std::make_unique<L>();
        else
            Held = std::make_unique<L>(this);
    }
    return Held.get();
}

TqlEnumerationList* TqlVarContainer::GetEnumerations() { return Lazy(&TLists::Enumerations); }
TqlArrayList* TqlVarContainer::GetArrays() { return Lazy(&TLists::Arrays); }
TqlVariablesList* TqlVarContainer::GetConstants() { return Lazy(&TLists::Constants); }
TqlRecordsList* TqlVarContainer::GetRecords() { return Lazy(&TLists::Records); }
TqlSetList* TqlVarContainer::GetSets() { return Lazy(&TLists::Sets); }
TqlTypesList* TqlVarContainer::GetTypes() { return Lazy(&TLists::Types); }
TqlVariablesList* TqlVarContainer::GetVariables() { return Lazy(&TLists::Variables); }
TqlOwnedClassList* TqlVarContainer::GetClasses() { return Lazy(&TLists::Classes); }
TqlOwnedObjectList* TqlVarContainer::GetObjects() { return Lazy(&TLists::Objects); }
TqlOwnedInterfaceList* TqlVarContainer::GetInterfaces() { return Lazy(&TLists::Interfaces); }
TqlRoutineList* TqlVarContainer::GetRoutines() { return Lazy(&TLists::Routines); }

TqlLabelsList* TqlVarContainer::GetLabels() { return Lazy(&TLists::Labels); }

void TqlVarContainer::AddForwardPointerType(TqlSymbol* PointerType)
{
    QL_ASSERT(PointerType != nullptr);
    Lazy(&TLists::ForwardPointerTypes)->Add(PointerType->GetPointerTypeName(), PointerType);
}

TqlSymbol* TqlVarContainer::FindForwardPointerType(const std::string& Name)
{
    int Index;
    TqlHashedObjectList* Types = FLists ? FLists->ForwardPointerTypes.get() : nullptr;
    if (!Types || !Types->Find(Name, Index))
        return nullptr;
    return static_cast<TqlSymbol*>(Types->GetObject(Index));
}

// ---------------------------------------------------------------------------
// Records and classes
// ---------------------------------------------------------------------------

TqlRecord::TqlRecord(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X,
                     int Y)
    : TqlVarContainer(Name, Visibility, FileIndex, X, Y),
      FFieldList(std::make_unique<TqlVariablesList>(this))
{
}

TqlRecord::~TqlRecord() = default;

void TqlRecord::SetTypeIntf(TqlSymbol*)
{
    QL_ASSERT(false, "A record has no separate type");
}

TqlClass::TqlClass(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X, int Y)
    : TqlVarContainer(Name, Visibility, FileIndex, X, Y), FDescendants(std::make_unique<TqlList>(false)),
      FProperties(std::make_unique<TqlPropertyList>(this))
{
    AddKindMark(kmClass);
}

TqlClass::~TqlClass() = default;

void TqlClass::SetTypeIntf(TqlSymbol*)
{
    QL_ASSERT(false, "A class has no separate type");
}

void TqlClass::SetInheritsFromClass(TqlClass* Value)
{
    QL_ASSERT(!FInheritsFromClass, "The class already has an ancestor");
    // Ancestors are set only here and only once, and never in a circle, so
    // every chain ends at a class without an ancestor. This class has none
    // yet: the new ancestry would be circular exactly when the new ancestor's
    // chain ends here.
    TqlClass* Top = Value ? Value->ChainTop() : nullptr;
    if (Top == this) {
        ReportFinding("Class, " + GetName() + ", is its own ancestor.");
        return;
    }
    FInheritsFromClass = Value;
    FChainTop = Top;
}

TqlClass* TqlClass::ChainTop()
{
    TqlClass* Top = this;
    while (Top->FChainTop)
        Top = Top->FChainTop;
    // Shorten the path for the next walk.
    for (TqlClass* C = this; C != Top;) {
        TqlClass* Next = C->FChainTop;
        C->FChainTop = Top;
        C = Next;
    }
    return Top;
}

TqlSymbol* TqlClass::FindSymbol(TqlUnit* Unit, TqlClass* Class, const std::string& Name,
                                bool AddReference, const TqlUsedByInfo& Info)
{
    return FindMember(Unit, Class, Name, TqlNameHash::HashOf(Name), AddReference, Info);
}

TqlSymbol* TqlClass::FindMember(TqlUnit* Unit, TqlClass* Class, const std::string& Name,
                                uint32_t Hash, bool AddReference, const TqlUsedByInfo& Info)
{
    TqlWalkGuard Guard(FInLookup);
    if (Guard.Cycle()) {
        ReportFinding("Class, " + GetName() + ", is its own ancestor.");
        return nullptr;
    }
    TqlSymbol* Found = nullptr;
    int Index;
    if (FSymbols->Find(Name, Hash, Index))
        Found = static_cast<TqlSymbol*>(FSymbols->GetObject(Index));
    // A member that the code (in Unit, in a method of Class, nil outside
    // methods) cannot reach hides nothing: an ancestor's member of the name
    // may be in reach. The one found there is checked again through each
    // descendant the lookup came down.
    if (Found && qlMemberOutOfReach(Found, this, Unit, Class))
        Found = nullptr;
    if (!Found && FInheritsFromClass)
        Found = FInheritsFromClass->FindMember(Unit, Class, Name, Hash, false, Info);
    if (Found && qlMemberOutOfReach(Found, this, Unit, Class))
        Found = nullptr;
    RecordUse(Found, Name, AddReference, Info);
    return Found;
}

namespace {

// The chain of ancestors from C comes round to a class met before.
bool AncestryLoops(TqlClass* C)
{
    // Brent's walk: a second pointer waits at ever longer distances.
    TqlClass* Waiting = C;
    TqlClass* Walker = C->GetInheritsFromClass();
    for (size_t Power = 1, Steps = 1; Walker; ++Steps, Walker = Walker->GetInheritsFromClass()) {
        if (Walker == Waiting)
            return true;
        if (Steps == Power) {
            Waiting = Walker;
            Power *= 2;
            Steps = 0;
        }
    }
    return false;
}

} // namespace

TqlProperty* TqlClass::GetDefaultProperty()
{
    if (!AncestryLoops(this)) {
        for (TqlClass* C = this; C; C = C->FInheritsFromClass)
            if (C->FDefaultProperty)
                return C->FDefaultProperty;
        return nullptr;
    }
    std::vector<TqlClass*> Seen;
    for (TqlClass* C = this; C; C = C->FInheritsFromClass) {
        if (std::find(Seen.begin(), Seen.end(), C) != Seen.end()) {
            C->ReportFinding("Class, " + C->GetName() + ", is its own ancestor.");
            return nullptr;
        }
        Seen.push_back(C);
        if (C->FDefaultProperty)
            return C->FDefaultProperty;
    }
    return nullptr;
}

void TqlClass::AddVisibilitySpecifier(int Line, TVisibilityKind Visibility)
{
    FVisibilitySpecifiers.push_back({Line, Visibility});
}

int TqlClass::GetVisibilitySpecifierLine(int Index) const
{
    if (Index < 0 || Index >= GetVisibilitySpecifierCount())
        throw EListError(Index);
    return FVisibilitySpecifiers[size_t(Index)].Line;
}

TVisibilityKind TqlClass::GetVisibilitySpecifierVisibility(int Index) const
{
    if (Index < 0 || Index >= GetVisibilitySpecifierCount())
        throw EListError(Index);
    return FVisibilitySpecifiers[size_t(Index)].Visibility;
}

void TqlClass::GetMembersWithVisibility(std::unique_ptr<TqlSymbolList>& List,
                                        TVisibilityKindSet Visibilities)
{
    List = std::make_unique<TqlSymbolList>(false);
    TqlVariablesList* Fields = GetVariables();
    for (int i = 0; i < Fields->GetCount(); ++i)
        if (Visibilities.Contains(Fields->GetVariables(i)->GetVisibility()))
            List->AddSymbol(Fields->GetVariables(i));
    TqlRoutineList* Routines = GetRoutines();
    for (int i = 0; i < Routines->GetCount(); ++i)
        if (Visibilities.Contains(Routines->GetRoutine(i)->GetVisibility()))
            List->AddSymbol(Routines->GetRoutine(i));
    for (int i = 0; i < FProperties->GetCount(); ++i)
        if (Visibilities.Contains(FProperties->GetProperties(i)->GetVisibility()))
            List->AddSymbol(FProperties->GetProperties(i));
}

// The classes a walk has met: a short list, hashed once it grows long.
struct TqlClass::TSeenClasses {
    std::vector<const TqlClass*> List;
    std::unordered_set<const TqlClass*> Set;
    // False when C was met before.
    bool Add(const TqlClass* C)
    {
        if (!Set.empty())
            return Set.insert(C).second;
        if (std::find(List.begin(), List.end(), C) != List.end())
            return false;
        List.push_back(C);
        if (List.size() > 32)
            Set.insert(List.begin(), List.end());
        return true;
    }
};

bool TqlClass::IsDescendant(TqlClass* Class)
{
    if (!Class)
        return false;
    TSeenClasses Seen;
    return IsDescendantWalk(Class, Seen);
}

bool TqlClass::HasKnownAncestry() const
{
    // A chain of ancestors never comes round (SetInheritsFromClass refuses
    // that).
    for (const TqlClass* C = this; C; C = C->FInheritsFromClass)
        if (C->FAncestorUnknown)
            return false;
    return true;
}

bool TqlClass::DescendsFrom(const TqlClass* Ancestor) const
{
    // A chain of ancestors never comes round (SetInheritsFromClass refuses
    // that), and a class is its ancestor's descendant exactly when the class
    // parser has entered it in the ancestor's list: the answer is
    // IsDescendant's, read from the other end.
    for (const TqlClass* C = FInheritsFromClass; C; C = C->FInheritsFromClass)
        if (C->ComparesTo(Ancestor))
            return true;
    return false;
}

bool TqlClass::IsDescendantWalk(TqlClass* Class, TSeenClasses& Seen)
{
    if (!Seen.Add(this)) {
        ReportFinding("Class, " + GetName() + ", is its own ancestor.");
        return false;
    }
    for (int i = 0; i < FDescendants->GetCount(); ++i) {
        auto* D = static_cast<TqlClass*>(FDescendants->GetItem(i));
        if (!D)
            continue;
        if (D->ComparesTo(Class) || D->IsDescendantWalk(Class, Seen))
            return true;
    }
    return false;
}

bool TqlClass::IsSymbolFromInterface(const std::string& Name)
{
    TqlOwnedInterfaceList* Interfaces = GetInterfaces();
    for (int i = 0; i < Interfaces->GetCount(); ++i) {
        TqlInterface* Intf = Interfaces->GetInterfaces(i);
        if (Intf && Intf->FindSymbol(Intf->GetUnitIntf(), Intf, Name))
            return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Routines and units
// ---------------------------------------------------------------------------

TqlRoutine::TqlRoutine(TqlRoutineList* RoutineList, const std::string& Name,
                       TVisibilityKind Visibility, TRoutineKind RoutineKind, int FileIndex, int X,
                       int Y)
    : TqlVarContainer(Name, Visibility, FileIndex, X, Y),
      FParameters(std::make_unique<TqlParameterList>(this)), FRoutineKind(RoutineKind),
      FRoutineList(RoutineList)
{
    AddKindMark(kmRoutine);
}

TqlRoutine::~TqlRoutine() = default;

TqlSymbol* TqlRoutine::GetTypeIntf() { return FReturnType ? FReturnType->GetTypeIntf() : nullptr; }

void TqlRoutine::SetReturnType(TqlVariable* Value)
{
    if (FReturnType.get() != Value)
        FReturnType.reset(Value);
}

void TqlRoutine::SetRoutineType(TqlVariable* Value)
{
    if (FRoutineType.get() != Value)
        FRoutineType.reset(Value);
}

bool TqlRoutine::GetIsUsedFromDFM()
{
    TqlUnit* Unit = GetUnitIntf();
    for (int I = 0; Unit && I < Unit->GetFormCount(); ++I)
        if (Unit->GetForms(I)->HasPropertyWithIdentifier(GetName()))
            return true;
    return false;
}

TqlUnit::TqlUnit(int FileIndex, const std::string& Name)
    : TqlVarContainer(Name, vkInterface, FileIndex, 0, 0),
      FCodingErrorsList(std::make_unique<TqlCodingErrorsList>()),
      FDFMResource(std::make_unique<TqlDFMResource>()),
      FStringLiterals(std::make_unique<TqlSymbolList>(true)),
      FUsedUnits(std::make_unique<TqlUsedUnitList>()),
      FUsedByLocations(std::make_unique<TqlList>(false))
{
}

TqlUnit::~TqlUnit() = default;

void TqlUnit::LoadFormResource(const std::string& FileName)
{
    if (FormResource.empty() || lxSameText(FormResource, FileName)) {
        FormResource = FileName;
        return;
    }
    for (const std::string& Known : FurtherFormResources)
        if (lxSameText(Known, FileName))
            return;
    FurtherFormResources.push_back(FileName);
}

TqlDFMResource* TqlUnit::GetForms(int Index) const
{
    if (Index == 0)
        return FDFMResource.get();
    if (Index < 0 || Index > static_cast<int>(FFurtherForms.size()))
        throw EListError(Index);
    return FFurtherForms[size_t(Index - 1)].get();
}

TqlDFMResource* TqlUnit::AddFurtherForm()
{
    FFurtherForms.push_back(std::make_unique<TqlDFMResource>());
    return FFurtherForms.back().get();
}

void TqlUnit::SetHeadingName(const std::string& Name)
{
    if (lxSameText(Name, GetName()))
        SetNameCase(Name);
}

TqlVariable* TqlUnit::AddHandlerVariable(const std::string& Name, int FileIndex, int X, int Y)
{
    if (!FHandlerVariables)
        FHandlerVariables = std::make_unique<TqlSymbolList>(true);
    auto* V = new TqlVariable(Name, vkNone, false, FileIndex, X, Y);
    FHandlerVariables->AddSymbol(V);
    return V;
}

TqlParameter* TqlUnit::AddProceduralParameter(const std::string& Name, int FileIndex, int X, int Y)
{
    if (!FProceduralParameters)
        FProceduralParameters = std::make_unique<TqlSymbolList>(true);
    auto* P = new TqlParameter(Name, pkNone, FileIndex, X, Y);
    FProceduralParameters->AddSymbol(P);
    return P;
}

TqlRoutine* TqlUnit::AddProceduralSignature(TRoutineKind Kind, int FileIndex, int X, int Y)
{
    if (!FProceduralSignatures)
        FProceduralSignatures = std::make_unique<TqlSymbolList>(true);
    auto* R = new TqlRoutine(nullptr, std::string(), vkNone, Kind, FileIndex, X, Y);
    FProceduralSignatures->AddSymbol(R);
    return R;
}

TqlList* TqlUnit::GetUsedByLocations()
{
    FUseStore.ForEachFrom(FListedUses, [this](TqlUsedByLocation* Use) { FUsedByLocations->Add(Use); });
    FListedUses = FUseStore.GetCount();
    return FUsedByLocations.get();
}

void TqlUnit::AddUsedByLocation(TqlUsedByLocation* Location)
{
    GetUsedByLocations()->Add(Location);
}

TqlSymbol* TqlUnit::FindSymbol(TqlUnit* Unit, TqlClass*, const std::string& Name, bool AddReference,
                               const TqlUsedByInfo& Info)
{
    // Of several declarations of the name that count, the one declared last
    // wins (overloads, a forward declaration and its body).
    TqlSymbol* Found = nullptr;
    // Looked up for every unit in scope on most identifiers: the positions go
    // into a buffer kept between calls (the loop below does not come back
    // here).
    __attribute__((tls_model("initial-exec"))) thread_local std::vector<int> Positions;
    FSymbols->FindAll(Name, Positions);
    for (int Index : Positions) {
        auto* S = static_cast<TqlSymbol*>(FSymbols->GetObject(Index));
        QL_ASSERT(S != nullptr, "Empty entry in the name index of unit " + GetName());
        if (S->GetVisibility() == vkNone)
            continue;
        if (S->GetVisibility() == vkImplementation && Unit != this)
            continue;
        if (!Found || S->CreatedAfter(Found))
            Found = S;
    }
    RecordUse(Found, Name, AddReference, Info);
    return Found;
}

TqlSymbol* TqlUnit::FindReferencedSymbol(TqlClass* Class, const std::string& Name,
                                         bool AddReference, const TqlUsedByInfo& Info)
{
    if (TqlSymbol* Own = FindSymbol(this, Class, Name, AddReference, Info))
        return Own;
    for (int i = FUsedUnits->GetCount() - 1; i >= 0; --i) {
        TqlUnit* Used = FUsedUnits->GetUsedUnit(i)->GetUnit();
        if (!Used || Used == this)
            continue;
        if (TqlSymbol* Found = Used->FindSymbol(this, Class, Name, false, Info)) {
            RecordUse(Found, Name, AddReference, Info);
            return Found;
        }
    }
    return nullptr;
}

void TqlUnit::SetNameIndex(TqlUnitNameIndex* Index)
{
    FNameIndex = Index;
    if (Index)
        Index->AddUnit(this);
}

void TqlUnit::SymbolAdded(TqlSymbol* Symbol)
{
    if (FNameIndex)
        FNameIndex->SymbolAdded(this, Symbol);
}

void TqlUnit::AddUnresolvedName(const std::string& Name)
{
    std::string Upper = Name;
    for (char& C : Upper)
        if (C >= 'a' && C <= 'z')
            C = static_cast<char>(C - 'a' + 'A');
    FUnresolvedNames.insert(std::move(Upper));
}

bool TqlUnit::IsLibraryUnit() const { return FUnitType == dtLibrary || ParserState != psrFull; }

bool qlStandsForRunTimeLibrary(const TqlUnit* Unit) { return Unit && lxSameText(Unit->GetName(), "QuilletSystem"); }

std::string TqlUnit::GetFullFileName() const
{
    TqlFileNameList* Files = ProjectFiles();
    if (GetFileIndex() < 0 || !Files)
        return std::string();
    return Files->GetItems(GetFileIndex())->GetFullFileName();
}

// ---------------------------------------------------------------------------
// Types, variables and the rest
// ---------------------------------------------------------------------------

TqlType::TqlType(const std::string& Name, TqlTypeKind TypeKind, TVisibilityKind Visibility,
                 int FileIndex, int X, int Y, bool TypeRequired)
    : TqlSymbol(Name, Visibility, TypeKind, FileIndex, X, Y), FTypeRequired(TypeRequired)
{
}

TqlArray::TqlArray(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X, int Y)
    : TqlType(Name, tkArray, Visibility, FileIndex, X, Y, true)
{
    AddKindMark(kmArray);
}

TqlArray::~TqlArray() = default;

void TqlArray::SetArrayType(TqlSymbol* Value)
{
    QL_ASSERT(!FArrayType, "The array already has an element type");
    FArrayType = Value;
}

void TqlArray::AddDimension(TqlSymbol* Symbol)
{
    if (!FDimensions)
        FDimensions = std::make_unique<TqlList>(false);
    FDimensions->Add(Symbol);
}

int TqlArray::GetDimensionCount() const { return FDimensions ? FDimensions->GetCount() : 0; }

TqlSymbol* TqlArray::GetDimensions(int Index) const
{
    if (!FDimensions)
        throw EListError(Index);
    return static_cast<TqlSymbol*>(FDimensions->GetItem(Index));
}

TqlVariable::TqlVariable(const std::string& Name, TVisibilityKind Visibility, bool IsConst,
                         int FileIndex, int X, int Y)
    : TqlSymbol(Name, Visibility, tkNone, FileIndex, X, Y), FIsConst(IsConst)
{
}

TqlRoutineNameVariable::TqlRoutineNameVariable(TqlRoutine* Routine, int FileIndex, int X, int Y)
    : TqlVariable(Routine->GetName(), vkPublic, false, FileIndex, X, Y), FRoutine(Routine)
{
}

TqlProperty::TqlProperty(const std::string& Name, TVisibilityKind Visibility, TqlClass* OwnerClass,
                         int FileIndex, int X, int Y)
    : TqlVariable(Name, Visibility, false, FileIndex, X, Y), FOwnerClass(OwnerClass)
{
    AddKindMark(kmProperty);
}

void TqlProperty::SetDefaultProperty(bool Value)
{
    FDefaultProperty = Value;
    if (Value && FOwnerClass)
        FOwnerClass->SetDefaultProperty(this);
}

TqlLabel::TqlLabel(const std::string& Name, bool IsIntLabel, int FileIndex, int X, int Y)
    : TqlSymbol(Name, vkPublic, tkNone, FileIndex, X, Y), FIsIntLabel(IsIntLabel)
{
}

TqlParameter::TqlParameter(const std::string& Name, TParamKind ParamKind, int FileIndex, int X,
                           int Y)
    : TqlSymbol(Name, vkNone, tkNone, FileIndex, X, Y), FParamKind(ParamKind)
{
    AddKindMark(kmParameter);
}
