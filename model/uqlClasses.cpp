#include "model/uqlClasses.h"

#include "base/qlFileLimits.h"

#include "lexer/lxPasLexTypes.h"
#include "model/uqlNameLookup.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <utility>

// ---------------------------------------------------------------------------
// Variant
// ---------------------------------------------------------------------------

namespace {
const char* KindName(Variant::Kind K)
{
    switch (K) {
    case Variant::Kind::Empty: return "Empty";
    case Variant::Kind::Boolean: return "Boolean";
    case Variant::Kind::Integer: return "Int64";
    case Variant::Kind::Double: return "Double";
    case Variant::Kind::String: return "String";
    }
    return "?";
}

[[noreturn]] void ConvertError(Variant::Kind From, const char* To)
{
    throw Exception(std::string("Could not convert variant of type (") + KindName(From) +
                    ") into type (" + To + ")");
}

std::string Trimmed(const std::string& S)
{
    size_t B = 0, E = S.size();
    while (B < E && (S[B] == ' ' || S[B] == '\t'))
        ++B;
    while (E > B && (S[E - 1] == ' ' || S[E - 1] == '\t'))
        --E;
    return S.substr(B, E - B);
}

bool SameText(const std::string& A, const char* B)
{
    const size_t N = std::strlen(B);
    if (A.size() != N)
        return false;
    for (size_t i = 0; i < N; ++i) {
        char C = A[i];
        if (C >= 'a' && C <= 'z')
            C = char(C - 32);
        char D = B[i];
        if (D >= 'a' && D <= 'z')
            D = char(D - 32);
        if (C != D)
            return false;
    }
    return true;
}

bool ParseInteger(const std::string& Text, int64_t& Out)
{
    const std::string T = Trimmed(Text);
    if (T.empty())
        return false;
    const char* B = T.data();
    const char* E = B + T.size();
    if (*B == '+')
        ++B;
    auto [P, Ec] = std::from_chars(B, E, Out);
    return Ec == std::errc() && P == E;
}

bool ParseDouble(const std::string& Text, double& Out)
{
    const std::string T = Trimmed(Text);
    if (T.empty())
        return false;
    const char* B = T.data();
    const char* E = B + T.size();
    if (*B == '+')
        ++B;
    auto [P, Ec] = std::from_chars(B, E, Out);
    return Ec == std::errc() && P == E;
}
} // namespace

bool Variant::AsBoolean() const
{
    switch (GetKind()) {
    case Kind::Empty: return false;
    case Kind::Boolean: return std::get<bool>(FValue);
    case Kind::Integer: return std::get<int64_t>(FValue) != 0;
    case Kind::Double: return std::get<double>(FValue) != 0.0;
    case Kind::String: {
        const std::string T = Trimmed(std::get<std::string>(FValue));
        if (SameText(T, "True"))
            return true;
        if (SameText(T, "False"))
            return false;
        double D;
        if (ParseDouble(T, D))
            return D != 0.0;
        ConvertError(Kind::String, "Boolean");
    }
    }
    return false;
}

int64_t Variant::AsInteger() const
{
    switch (GetKind()) {
    case Kind::Empty: return 0;
    case Kind::Boolean: return std::get<bool>(FValue) ? 1 : 0;
    case Kind::Integer: return std::get<int64_t>(FValue);
    case Kind::Double: {
        const double D = std::get<double>(FValue);
        if (!(D > -9.2e18 && D < 9.2e18))
            ConvertError(Kind::Double, "Int64");
        return static_cast<int64_t>(D < 0 ? D - 0.5 : D + 0.5);
    }
    case Kind::String: {
        int64_t I;
        if (ParseInteger(std::get<std::string>(FValue), I))
            return I;
        ConvertError(Kind::String, "Int64");
    }
    }
    return 0;
}

double Variant::AsDouble() const
{
    switch (GetKind()) {
    case Kind::Empty: return 0.0;
    case Kind::Boolean: return std::get<bool>(FValue) ? 1.0 : 0.0;
    case Kind::Integer: return static_cast<double>(std::get<int64_t>(FValue));
    case Kind::Double: return std::get<double>(FValue);
    case Kind::String: {
        double D;
        if (ParseDouble(std::get<std::string>(FValue), D))
            return D;
        ConvertError(Kind::String, "Double");
    }
    }
    return 0.0;
}

std::string Variant::AsString() const
{
    switch (GetKind()) {
    case Kind::Empty: return std::string();
    case Kind::Boolean: return std::get<bool>(FValue) ? "True" : "False";
    case Kind::Integer: return std::to_string(std::get<int64_t>(FValue));
    case Kind::Double: {
        char Buf[64];
        auto [P, Ec] = std::to_chars(Buf, Buf + sizeof Buf, std::get<double>(FValue));
        return Ec == std::errc() ? std::string(Buf, P) : std::string();
    }
    case Kind::String: return std::get<std::string>(FValue);
    }
    return std::string();
}

// ---------------------------------------------------------------------------
// Global hubs and shared word tables
// ---------------------------------------------------------------------------

Ref<IqlProject> gqlProject;
Ref<IqlFileSettings> gqlQuilletOptions;
Ref<IqlRefactoringHost> gqlRefactoringHost;

TlxPasHash* GlobalKeyHashTable = nullptr;
TlxDirectiveHash* GlobalDirectiveHash = nullptr;

void qlCreateGlobalTables()
{
    if (!GlobalKeyHashTable)
        GlobalKeyHashTable = new TlxPasHash();
    if (!GlobalDirectiveHash)
        GlobalDirectiveHash = new TlxDirectiveHash();
}

void qlReleaseGlobals()
{
    // The hubs first: the project owns the parsers, and a parser may use the
    // word tables until it is gone.
    gqlRefactoringHost = nullptr;
    gqlQuilletOptions = nullptr;
    gqlProject = nullptr;
    delete std::exchange(GlobalKeyHashTable, nullptr);
    delete std::exchange(GlobalDirectiveHash, nullptr);
}

namespace {
// Creates the word tables when QuilletBase is loaded and releases everything
// in the safe order when it is unloaded. Defined after the hubs, so it is
// destroyed before them.
struct TqlGlobalsLifetime {
    TqlGlobalsLifetime() { qlCreateGlobalTables(); }
    ~TqlGlobalsLifetime() { qlReleaseGlobals(); }
    TqlGlobalsLifetime(const TqlGlobalsLifetime&) = delete;
    TqlGlobalsLifetime& operator=(const TqlGlobalsLifetime&) = delete;
} GlobalsLifetime;
} // namespace

// ---------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------

namespace {
TqlFileNameList* ProjectFiles()
{
    return gqlProject ? gqlProject->GetFileNames() : nullptr;
}

TqlUnitList* ProjectUnits()
{
    return gqlProject ? gqlProject->GetUnits() : nullptr;
}

bool SameTextAnsi(const std::string& A, const std::string& B)
{
    if (A.size() != B.size())
        return false;
    for (size_t i = 0; i < A.size(); ++i)
        if (lxUpper(A[i]) != lxUpper(B[i]))
            return false;
    return true;
}

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

uint64_t NextSerial()
{
    // Atomic so that models built on several threads (corpus runs) stay sound.
    static std::atomic<uint64_t> Serial{0};
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
// TqlCodeLocation
// ---------------------------------------------------------------------------

TqlCodeLocation::TqlCodeLocation(int FileIndex, int X, int Y) : FFileIndex(FileIndex)
{
    SetX(X);
    SetY(Y);
}

void TqlCodeLocation::SetX(int Value)
{
    FX = Value;
    FEndX = Value;
}

void TqlCodeLocation::SetY(int Value)
{
    FY = Value;
    FEndY = Value;
}

std::string TqlCodeLocation::GetFileName() const
{
    TqlFileNameList* Files = ProjectFiles();
    if (FFileIndex < 0 || !Files)
        return "???";
    return Files->GetItems(FFileIndex)->GetFullFileName();
}

int TqlCodeLocation::GetUnitIndex()
{
    if (FUnitIndex == -1 && FFileIndex >= 0)
        if (TqlFileNameList* Files = ProjectFiles())
            FUnitIndex = Files->GetItems(FFileIndex)->GetUnitIndex();
    return FUnitIndex;
}

TqlUnit* TqlCodeLocation::GetUnitIntf()
{
    const int Index = GetUnitIndex();
    TqlUnitList* Units = ProjectUnits();
    if (Index < 0 || !Units)
        return nullptr;
    return Units->GetUnits(Index);
}

bool TqlCodeLocation::ComparesTo(const TqlCodeLocation* Other) const
{
    return Other && FFileIndex == Other->FFileIndex && FX == Other->FX && FY == Other->FY;
}

TqlUsedByInfo UsedByInfo(int FileIndex, bool IsWrongCase, int X, int Y)
{
    TqlUsedByInfo Info;
    Info.FileIndex = FileIndex;
    Info.IsWrongCase = IsWrongCase;
    Info.X = X;
    Info.Y = Y;
    return Info;
}

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
// Uses
// ---------------------------------------------------------------------------

TqlUsedByList::TqlUsedByList(TqlSymbol* Symbol) : TqlList(true), FSymbol(Symbol) {}

int TqlUsedByList::AddUsedBy(const TqlUsedByInfo& Info)
{
    auto Location = std::make_unique<TqlUsedByLocation>(this, Info);
    const int Index = Add(Location.get());
    Location.release();
    return Index;
}

TqlUsedByLocation* TqlUsedByList::GetLocations(int Index) const
{
    return ItemAs<TqlUsedByLocation>(Index);
}

TqlUsedByLocation::TqlUsedByLocation(TqlUsedByList* UsedByList, const TqlUsedByInfo& Info)
    : TqlCodeLocation(Info.FileIndex, Info.X, Info.Y), FIsWrongCase(Info.IsWrongCase),
      FUsedByList(UsedByList)
{
    if (TqlUnit* Unit = GetUnitIntf())
        Unit->GetUsedByLocations()->Add(this);
}

TqlCodeError::TqlCodeError(TCodeErrorKind ErrorKind, int FileIndex, int X, int Y)
    : TqlCodeLocation(FileIndex, X, Y), FErrorKind(ErrorKind)
{
}

TqlCodeError* TqlCodingErrorsList::AddError(TCodeErrorKind ErrorKind, int FileIndex, int X, int Y)
{
    auto Error = std::make_unique<TqlCodeError>(ErrorKind, FileIndex, X, Y);
    Add(Error.get());
    return Error.release();
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

    // Sorts the tail by hash and merges it into the sorted part; equal
    // hashes keep their order of addition. The hashes kept beside the items
    // are compared, so the items themselves are not visited.
    void MergeTail()
    {
        const size_t Count = FItems.size();
        if (FSortedCount < Count) {
            std::vector<std::pair<uint32_t, std::unique_ptr<TlxLexHashStringItem>>> Tail;
            Tail.reserve(Count - FSortedCount);
            for (size_t I = FSortedCount; I < Count; ++I)
                Tail.emplace_back(FHashes[I], std::move(FItems[I]));
            std::stable_sort(Tail.begin(), Tail.end(),
                             [](const auto& A, const auto& B) { return A.first < B.first; });
            // From the back: of equal hashes, the tail's items go last.
            size_t I = FSortedCount, J = Tail.size(), K = Count;
            while (J > 0) {
                --K;
                if (I > 0 && FHashes[I - 1] > Tail[J - 1].first) {
                    --I;
                    FItems[K] = std::move(FItems[I]);
                    FHashes[K] = FHashes[I];
                } else {
                    --J;
                    FItems[K] = std::move(Tail[J].second);
                    FHashes[K] = Tail[J].first;
                }
            }
        }
        FSortedCount = Count;
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

// ---------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------

TqlSourceFile::TqlSourceFile(const std::string& FullFileName, bool Exists, int FileIndex,
                             int UnitIndex)
    : Exists(Exists), FFileIndex(FileIndex), FFullFileName(FullFileName), FUnitIndex(UnitIndex)
{
}

TqlUnit* TqlSourceFile::GetUnitIntf() const
{
    TqlUnitList* Units = ProjectUnits();
    if (FUnitIndex < 0 || !Units)
        return nullptr;
    return Units->GetUnits(FUnitIndex);
}

TqlFileNameList::TqlFileNameList() = default;
TqlFileNameList::~TqlFileNameList() = default;

int TqlFileNameList::Add(const std::string& FullFileName, bool Exists, int UnitIndex)
{
    const int Index = FFiles.GetCount();
    auto File = std::make_unique<TqlSourceFile>(FullFileName, Exists, Index, UnitIndex);
    FFiles.Add(File.get());
    FNames.Add(FullFileName, File.release());
    return Index;
}

TqlSourceFile* TqlFileNameList::Find(const std::string& FullFileName)
{
    int Index;
    if (!FNames.Find(FullFileName, Index))
        return nullptr;
    return static_cast<TqlSourceFile*>(FNames.GetObject(Index));
}

void TqlFileNameList::Clear()
{
    FNames.Clear();
    FFiles.Clear();
}

TqlSourceFile* TqlFileNameList::GetItems(int Index) const
{
    return static_cast<TqlSourceFile*>(FFiles.GetItem(Index));
}

// ---------------------------------------------------------------------------
// TqlSymbol
// ---------------------------------------------------------------------------

TqlSymbol::TqlSymbol(const std::string& Name, TVisibilityKind Visibility, TqlTypeKind TypeKind,
                     int FileIndex, int X, int Y)
    : TqlCodeLocation(FileIndex, X, Y), FTypeKind(TypeKind), FVisibility(Visibility), FName(Name),
      FSerial(NextSerial())
{
}

TqlSymbol::~TqlSymbol() = default;

const std::string& TqlSymbol::GetPointerTypeName() const
{
    static const std::string None;
    return FPointerTypeName ? *FPointerTypeName : None;
}

void TqlSymbol::SetPointerTypeName(const std::string& Value)
{
    if (FPointerTypeName)
        *FPointerTypeName = Value;
    else if (!Value.empty())
        FPointerTypeName = std::make_unique<std::string>(Value);
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

TqlSymbol* TqlSymbol::FindContainer()
{
    // Every symbol the walk has passed; meeting one again means the type
    // declarations form a cycle (A = B; B = A, or a pointer or array chain
    // that comes back), which ends the walk with a finding.
    std::vector<TqlSymbol*> Seen;
    auto Visit = [&Seen](TqlSymbol* S) {
        if (std::find(Seen.begin(), Seen.end(), S) != Seen.end()) {
            S->ReportFinding("Type, " + S->GetName() + ", refers to itself through a cycle.");
            return false;
        }
        Seen.push_back(S);
        return true;
    };

    TqlSymbol* Current = FPredefinedArrayType ? FPredefinedArrayType : GetTypeIntf();
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
      FSymbols(std::make_unique<TqlHashedObjectList>())
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

namespace {
template <class L>
L* Lazy(std::unique_ptr<L>& List, TqlVarContainer* Container)
{
    if (!List)
        List = std::make_unique<L>(Container);
    return List.get();
}
} // namespace

TqlEnumerationList* TqlVarContainer::GetEnumerations() { return Lazy(FEnumerations, this); }
TqlArrayList* TqlVarContainer::GetArrays() { return Lazy(FArrays, this); }
TqlVariablesList* TqlVarContainer::GetConstants() { return Lazy(FConstants, this); }
TqlRecordsList* TqlVarContainer::GetRecords() { return Lazy(FRecords, this); }
TqlSetList* TqlVarContainer::GetSets() { return Lazy(FSets, this); }
TqlTypesList* TqlVarContainer::GetTypes() { return Lazy(FTypes, this); }
TqlVariablesList* TqlVarContainer::GetVariables() { return Lazy(FVariables, this); }
TqlOwnedClassList* TqlVarContainer::GetClasses() { return Lazy(FClasses, this); }
TqlOwnedObjectList* TqlVarContainer::GetObjects() { return Lazy(FObjects, this); }
TqlOwnedInterfaceList* TqlVarContainer::GetInterfaces() { return Lazy(FInterfaces, this); }
TqlRoutineList* TqlVarContainer::GetRoutines() { return Lazy(FRoutines, this); }

TqlLabelsList* TqlVarContainer::GetLabels()
{
    if (!FLabels)
        FLabels = std::make_unique<TqlLabelsList>();
    return FLabels.get();
}

void TqlVarContainer::AddForwardPointerType(TqlSymbol* PointerType)
{
    QL_ASSERT(PointerType != nullptr);
    if (!FForwardPointerTypes)
        FForwardPointerTypes = std::make_unique<TqlHashedObjectList>();
    FForwardPointerTypes->Add(PointerType->GetPointerTypeName(), PointerType);
}

TqlSymbol* TqlVarContainer::FindForwardPointerType(const std::string& Name)
{
    int Index;
    if (!FForwardPointerTypes || !FForwardPointerTypes->Find(Name, Index))
        return nullptr;
    return static_cast<TqlSymbol*>(FForwardPointerTypes->GetObject(Index));
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
    TqlWalkGuard Guard(FInLookup);
    if (Guard.Cycle()) {
        ReportFinding("Class, " + GetName() + ", is its own ancestor.");
        return nullptr;
    }
    TqlSymbol* Found = nullptr;
    int Index;
    if (FSymbols->Find(Name, Index))
        Found = static_cast<TqlSymbol*>(FSymbols->GetObject(Index));
    else if (FInheritsFromClass)
        Found = FInheritsFromClass->FindSymbol(Unit, Class, Name, false, Info);

    if (Found) {
        switch (Found->GetVisibility()) {
        case vkProtected:
            if (!(Class == nullptr || (Unit && Unit->GetUnitIndex() == GetUnitIndex()) ||
                  ComparesTo(Class) || IsDescendant(Class)))
                Found = nullptr;
            break;
        case vkPrivate:
            if (!(Unit && Unit->GetUnitIndex() == GetUnitIndex()))
                Found = nullptr;
            break;
        default:
            break;
        }
    }
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
    return Unit && Unit->GetDFMResource()->HasPropertyWithIdentifier(GetName());
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

TqlSymbol* TqlUnit::FindSymbol(TqlUnit* Unit, TqlClass*, const std::string& Name, bool AddReference,
                               const TqlUsedByInfo& Info)
{
    // Of several declarations of the name that count, the one declared last
    // wins (overloads, a forward declaration and its body).
    TqlSymbol* Found = nullptr;
    // Looked up for every unit in scope on most identifiers: the positions go
    // into a buffer kept between calls (the loop below does not come back
    // here).
    thread_local std::vector<int> Positions;
    FSymbols->FindAll(Name, Positions);
    for (int Index : Positions) {
        auto* S = static_cast<TqlSymbol*>(FSymbols->GetObject(Index));
        QL_ASSERT(S != nullptr, "Empty entry in the name index of unit " + GetName());
        if (S->GetVisibility() == vkNone)
            continue;
        if (S->GetVisibility() == vkImplementation && Unit != this)
            continue;
        if (!Found || S->GetSerial() > Found->GetSerial())
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
        FIndex = std::make_unique<TqlHashedObjectList>();
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
        FIndex = std::make_unique<TqlHashedObjectList>();
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
        SameTextAnsi(Pointer->GetPointerTypeName(), Symbol->GetName()))
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

// ---------------------------------------------------------------------------
// Form model
// ---------------------------------------------------------------------------

TqlComponentProperty* TqlComponentPropertiesList::AddProperty(const std::string& Name)
{
    auto Property = std::make_unique<TqlComponentProperty>(Name);
    FProperties.Add(Property.get());
    TqlComponentProperty* Result = Property.release();
    FNames.Add(Name, Result);
    return Result;
}

void TqlComponentPropertiesList::AddIdentifierName(const std::string& Identifier,
                                                   TqlComponentProperty* Property)
{
    FIdentifiers.Add(Identifier, Property);
}

bool TqlComponentPropertiesList::HasProperty(const std::string& Name)
{
    int Index;
    return FNames.Find(Name, Index);
}

bool TqlComponentPropertiesList::HasWithIdentifier(const std::string& Identifier)
{
    int Index;
    return FIdentifiers.Find(Identifier, Index);
}

TqlComponent* TqlComponentList::AddComponent(const std::string& Name, const std::string& ClassName)
{
    auto Component = std::make_unique<TqlComponent>(Name, ClassName);
    Add(Component.get());
    return Component.release();
}

TqlComponent* TqlComponentList::GetComponents(int Index) const { return ItemAs<TqlComponent>(Index); }

TqlComponent::TqlComponent(const std::string& Name, const std::string& ClassName)
    : FClassName(ClassName), FName(Name)
{
}

bool TqlComponent::HasProperty(const std::string& Name)
{
    if (FProperties.HasProperty(Name))
        return true;
    for (int i = 0; i < FChildComponents.GetCount(); ++i)
        if (FChildComponents.GetComponents(i)->GetProperties()->HasProperty(Name))
            return true;
    return false;
}

bool TqlComponent::HasPropertyWithIdentifier(const std::string& Identifier)
{
    // Iterative, depth first, own properties before the children's.
    std::vector<TqlComponent*> Stack{this};
    while (!Stack.empty()) {
        TqlComponent* C = Stack.back();
        Stack.pop_back();
        if (C->FProperties.HasWithIdentifier(Identifier))
            return true;
        for (int i = C->FChildComponents.GetCount() - 1; i >= 0; --i)
            Stack.push_back(C->FChildComponents.GetComponents(i));
    }
    return false;
}

bool TqlDFMResource::HasProperty(const std::string& Name)
{
    for (int i = 0; i < FComponents.GetCount(); ++i)
        if (FComponents.GetComponents(i)->HasProperty(Name))
            return true;
    return false;
}

bool TqlDFMResource::HasPropertyWithIdentifier(const std::string& Identifier)
{
    for (int i = 0; i < FComponents.GetCount(); ++i)
        if (FComponents.GetComponents(i)->HasPropertyWithIdentifier(Identifier))
            return true;
    return false;
}

// ---------------------------------------------------------------------------
// Line counts
// ---------------------------------------------------------------------------

void TqlCodeStatistics::AddText(const char* Text, size_t Size)
{
    enum TState { stCode, stBrace, stAnsi };
    enum TComment { cmNone, cmAnsi, cmBrace, cmSlash };
    TState State = stCode;
    bool Code = false;
    TComment Comment = cmNone;
    const char* P = Text;
    const char* const End = Text + Size;
    auto LineEnd = [](char C) { return C == '\n' || C == '\r'; };
    // Characters that stop a scan: in code (blanks, line breaks, the
    // starts of comments and strings), in a brace comment, in a string.
    static const auto Stops = [] {
        struct TTables {
            bool Code[256] = {}, Brace[256] = {}, Quote[256] = {};
        } T;
        for (int C = 0; C <= ' '; ++C)
            T.Code[C] = true;
        for (unsigned char C : {'{', '(', '/', '\''})
            T.Code[C] = true;
        for (unsigned char C : {'\n', '\r', '}'})
            T.Brace[C] = true;
        for (unsigned char C : {'\n', '\r', '\''})
            T.Quote[C] = true;
        return T;
    }();
    auto Skip = [&P, End](const bool (&Table)[256]) {
        while (P < End && !Table[static_cast<unsigned char>(*P)])
            ++P;
    };
    while (P < End) {
        // One line: from P up to its line break.
        const char* const LineStart = P;
        // A comment that goes on makes this line a comment line.
        Comment = State == stBrace ? cmBrace : State == stAnsi ? cmAnsi : cmNone;
        Code = false;
        while (P < End && !LineEnd(*P)) {
            if (State == stBrace) {
                Skip(Stops.Brace);
                if (P < End && *P == '}') {
                    State = stCode;
                    ++P;
                }
                continue;
            }
            if (State == stAnsi) {
                while (P < End && !LineEnd(*P) && !(*P == '*' && P + 1 < End && P[1] == ')'))
                    ++P;
                if (P < End && *P == '*') {
                    State = stCode;
                    P += 2;
                }
                continue;
            }
            const char C = *P;
            const char Next = P + 1 < End ? P[1] : '\0';
            if (static_cast<unsigned char>(C) <= ' ') {
                ++P;
            } else if (C == '{') {
                if (Next == '$')
                    Code = true;
                else if (Comment == cmNone)
                    Comment = cmBrace;
                State = stBrace;
                ++P;
            } else if (C == '(' && Next == '*') {
                if (P + 2 < End && P[2] == '$')
                    Code = true;
                else if (Comment == cmNone)
                    Comment = cmAnsi;
                State = stAnsi;
                P += 2;
            } else if (C == '/' && Next == '/') {
                if (Comment == cmNone)
                    Comment = cmSlash;
                while (P < End && !LineEnd(*P))
                    ++P;
            } else if (C == '\'') {
                // A string ends at its closing quote or at the line end.
                Code = true;
                ++P;
                Skip(Stops.Quote);
                if (P < End && *P == '\'')
                    ++P;
            } else {
                Code = true;
                ++P;
                Skip(Stops.Code);
            }
        }
        const bool Empty = P == LineStart;
        if (P < End) {
            // The line break: CR LF, LF or a lone CR.
            if (*P == '\r' && P + 1 < End && P[1] == '\n')
                ++P;
            ++P;
        } else if (Empty) {
            break; // no last line after a final line break
        }
        if (Code)
            IncCodeLines();
        else if (Comment == cmAnsi)
            IncAnsiCommentLines();
        else if (Comment == cmBrace)
            IncBorCommentLines();
        else if (Comment == cmSlash)
            IncSlashCommentLines();
        else
            IncEmptyLines();
    }
}

// ---------------------------------------------------------------------------
// Form text reader
// ---------------------------------------------------------------------------

namespace {
enum TFormToken : int { toEOF = 0, toSymbol = 1, toString = 2, toInteger = 3, toFloat = 4 };

[[noreturn]] void FormError(const std::string& Msg, int Line)
{
    throw EParserError(Msg + " on line " + std::to_string(Line));
}

// Tokens of the form text: identifiers, strings ('...' and #n runs), integers
// (decimal, $hex), floats, and single characters.
class TqlFormParser {
public:
    explicit TqlFormParser(std::string Text) : FText(std::move(Text)) { NextToken(); }

    int Token() const { return FToken; }
    const std::string& TokenString() const { return FTokenString; }
    int64_t TokenInt() const { return FTokenInt; }
    double TokenFloat() const { return FTokenFloat; }
    int SourceLine() const { return FLine; }
    bool IsChar(char C) const { return FToken == static_cast<unsigned char>(C) + 256; }
    bool IsSymbol(const char* Word) const { return FToken == toSymbol && SameTextAnsi(FTokenString, Word); }
    [[noreturn]] void Error(const std::string& Msg) const { FormError(Msg, FLine); }

    void CheckSymbol()
    {
        if (FToken != toSymbol)
            Error("Identifier expected");
    }
    void CheckChar(char C)
    {
        if (!IsChar(C))
            Error(std::string("'") + C + "' expected");
    }

    // Extends the current identifier by ".Name" parts that follow at once.
    void TokenComponentIdent()
    {
        CheckSymbol();
        while (FPos < FText.size() && FText[FPos] == '.') {
            ++FPos;
            if (FPos >= FText.size() || !IsIdentStart(FText[FPos]))
                Error("Identifier expected");
            const size_t Start = FPos;
            while (FPos < FText.size() && IsIdentChar(FText[FPos]))
                ++FPos;
            FTokenString += '.';
            FTokenString.append(FText, Start, FPos - Start);
        }
    }

    // Skips binary data up to and including '}' and reads the next token.
    void SkipBinary()
    {
        while (FPos < FText.size() && FText[FPos] != '}') {
            if (FText[FPos] == '\n')
                ++FLine;
            ++FPos;
        }
        if (FPos < FText.size())
            ++FPos;
        NextToken();
    }

    void NextToken()
    {
        while (FPos < FText.size() && static_cast<unsigned char>(FText[FPos]) <= ' ') {
            if (FText[FPos] == '\n')
                ++FLine;
            ++FPos;
        }
        FTokenString.clear();
        if (FPos >= FText.size()) {
            FToken = toEOF;
            return;
        }
        const char C = FText[FPos];
        if (IsIdentStart(C)) {
            const size_t Start = FPos;
            while (FPos < FText.size() && IsIdentChar(FText[FPos]))
                ++FPos;
            FTokenString.assign(FText, Start, FPos - Start);
            FToken = toSymbol;
        } else if (C == '\'' || C == '#') {
            ReadString();
        } else if (C == '$') {
            ++FPos;
            const size_t Start = FPos;
            while (FPos < FText.size() && std::isxdigit(static_cast<unsigned char>(FText[FPos])))
                ++FPos;
            if (FPos == Start)
                Error("Invalid number");
            FTokenString.assign(FText, Start, FPos - Start);
            uint64_t V = 0;
            auto [P, Ec] = std::from_chars(FTokenString.data(),
                                           FTokenString.data() + FTokenString.size(), V, 16);
            if (Ec != std::errc())
                Error("Invalid number");
            FTokenInt = static_cast<int64_t>(V);
            FToken = toInteger;
        } else if (std::isdigit(static_cast<unsigned char>(C)) ||
                   (C == '-' && FPos + 1 < FText.size() &&
                    std::isdigit(static_cast<unsigned char>(FText[FPos + 1])))) {
            ReadNumber();
        } else {
            ++FPos;
            FTokenString.assign(1, C);
            FToken = static_cast<unsigned char>(C) + 256;
        }
    }

private:
    static bool IsIdentStart(char C)
    {
        return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
    }
    static bool IsIdentChar(char C) { return IsIdentStart(C) || (C >= '0' && C <= '9'); }
    static int HexValue(char C)
    {
        if (C >= '0' && C <= '9')
            return C - '0';
        if (C >= 'a' && C <= 'f')
            return C - 'a' + 10;
        return C - 'A' + 10;
    }

    void ReadString()
    {
        std::string S;
        for (;;) {
            if (FPos < FText.size() && FText[FPos] == '#') {
                ++FPos;
                int64_t Code = 0;
                const size_t Start = FPos;
                if (FPos < FText.size() && FText[FPos] == '$') {
                    ++FPos;
                    while (FPos < FText.size() &&
                           std::isxdigit(static_cast<unsigned char>(FText[FPos])) && Code <= 0xFFFF)
                        Code = Code * 16 + HexValue(FText[FPos++]);
                } else {
                    while (FPos < FText.size() && std::isdigit(static_cast<unsigned char>(FText[FPos])) &&
                           Code <= 0xFFFF)
                        Code = Code * 10 + (FText[FPos++] - '0');
                }
                if (FPos == Start || Code > 0xFFFF)
                    Error("Invalid string constant");
                // Characters beyond the 8-bit range have no place in the
                // model's strings.
                S += Code <= 0xFF ? static_cast<char>(Code) : '?';
            } else if (FPos < FText.size() && FText[FPos] == '\'') {
                ++FPos;
                for (;;) {
                    if (FPos >= FText.size() || FText[FPos] == '\r' || FText[FPos] == '\n')
                        Error("Unterminated string");
                    if (FText[FPos] == '\'') {
                        if (FPos + 1 < FText.size() && FText[FPos + 1] == '\'') {
                            S += '\'';
                            FPos += 2;
                            continue;
                        }
                        ++FPos;
                        break;
                    }
                    S += FText[FPos++];
                }
            } else
                break;
        }
        FTokenString = std::move(S);
        FToken = toString;
    }

    void ReadNumber()
    {
        const size_t Start = FPos;
        if (FText[FPos] == '-')
            ++FPos;
        auto Digits = [this] {
            while (FPos < FText.size() && std::isdigit(static_cast<unsigned char>(FText[FPos])))
                ++FPos;
        };
        Digits();
        bool IsFloat = false;
        if (FPos < FText.size() && FText[FPos] == '.') {
            IsFloat = true;
            ++FPos;
            Digits();
        }
        if (FPos < FText.size() && (FText[FPos] == 'e' || FText[FPos] == 'E')) {
            IsFloat = true;
            ++FPos;
            if (FPos < FText.size() && (FText[FPos] == '+' || FText[FPos] == '-'))
                ++FPos;
            Digits();
        }
        FTokenString.assign(FText, Start, FPos - Start);
        if (IsFloat) {
            // A type suffix (single, currency, date) may follow a float.
            if (FPos < FText.size() && std::strchr("cCdDsS", FText[FPos]) && FText[FPos] != '\0')
                ++FPos;
            double D = 0;
            auto [P, Ec] = std::from_chars(FTokenString.data(),
                                           FTokenString.data() + FTokenString.size(), D);
            if (Ec != std::errc() || P != FTokenString.data() + FTokenString.size())
                Error("Invalid number");
            FTokenFloat = D;
            FToken = toFloat;
        } else {
            int64_t V = 0;
            auto [P, Ec] = std::from_chars(FTokenString.data(),
                                           FTokenString.data() + FTokenString.size(), V);
            if (Ec != std::errc() || P != FTokenString.data() + FTokenString.size())
                Error("Invalid number");
            FTokenInt = V;
            FToken = toInteger;
        }
    }

    std::string FText;
    size_t FPos = 0;
    int FLine = 1;
    int FToken = toEOF;
    std::string FTokenString;
    int64_t FTokenInt = 0;
    double FTokenFloat = 0;
};

// Reads one form text into a form model, recording the uses it names.
class TqlFormReader {
public:
    TqlFormReader(TqlDFMResource* Resource, TqlUnit* Unit, int FileIndex, std::string Text)
        : FResource(Resource), FUnit(Unit), FFileIndex(FileIndex), FParser(std::move(Text))
    {
    }

    void Read() { ReadObject(nullptr); }

private:
    class TDepth {
    public:
        explicit TDepth(TqlFormReader& R) : FR(R)
        {
            if (++FR.FDepth > TqlDFMResource::MaxNesting)
                FR.FParser.Error("Form nesting too deep");
        }
        ~TDepth() { --FR.FDepth; }
        TDepth(const TDepth&) = delete;
        TDepth& operator=(const TDepth&) = delete;

    private:
        TqlFormReader& FR;
    };

    TqlUsedByInfo Place() const { return UsedByInfo(FFileIndex, false, 1, FParser.SourceLine()); }

    void ReadObject(TqlComponent* Parent)
    {
        TDepth Depth(*this);
        bool Inherited = false, Inline = false;
        if (FParser.IsSymbol("INHERITED"))
            Inherited = true;
        else if (FParser.IsSymbol("INLINE"))
            Inline = true;
        else if (!FParser.IsSymbol("OBJECT")) {
            FParser.NextToken();
            return;
        }
        FParser.NextToken();
        FParser.CheckSymbol();
        std::string Name;
        std::string ClassName = FParser.TokenString();
        FParser.NextToken();
        if (FParser.IsChar(':')) {
            FParser.NextToken();
            FParser.CheckSymbol();
            Name = ClassName;
            ClassName = FParser.TokenString();
            FParser.NextToken();
        }
        TqlComponent* Component;
        if (Parent)
            Component = Parent->GetChildComponents()->AddComponent(Name, ClassName);
        else {
            Component = FResource->GetComponents()->AddComponent(Name, ClassName);
            FFormClass = FUnit ? FUnit->GetClasses()->Find(ClassName) : nullptr;
        }
        Component->SetIsInherited(Inherited);
        Component->SetIsInline(Inline);
        if (FParser.IsChar('[')) {
            FParser.NextToken();
            if (FParser.Token() != toInteger)
                FParser.Error("Number expected");
            const int64_t Pos = FParser.TokenInt();
            if (Pos < INT32_MIN || Pos > INT32_MAX)
                FParser.Error("Number out of range");
            Component->SetPosition(static_cast<int>(Pos));
            FParser.NextToken();
            FParser.CheckChar(']');
            FParser.NextToken();
        } else
            Component->SetPosition(-1);

        if (!Name.empty() && FFormClass)
            FFormClass->FindSymbol(FUnit, FFormClass, Name, true, Place());

        while (FParser.Token() != toEOF && !FParser.IsSymbol("END") && !FParser.IsSymbol("OBJECT") &&
               !FParser.IsSymbol("INHERITED") && !FParser.IsSymbol("INLINE"))
            ReadProperty(Component);
        while (FParser.Token() != toEOF && !FParser.IsSymbol("END"))
            ReadObject(Component);
        FParser.NextToken();
    }

    void ReadProperty(TqlComponent* Component)
    {
        if (FParser.Token() != toSymbol) {
            FParser.NextToken();
            return;
        }
        TqlComponentProperty* Property = Component->GetProperties()->AddProperty(FParser.TokenString());
        FParser.NextToken();
        while (FParser.IsChar('.')) {
            FParser.NextToken();
            FParser.CheckSymbol();
            FParser.NextToken();
        }
        if (FParser.IsChar('=')) {
            FParser.NextToken();
            ReadValue(Component, Property);
        }
    }

    // A name the form gives that resolves to nothing is noted on the unit:
    // a declaration of that name may be what the form means.
    void Resolve(const std::string& Ident)
    {
        const size_t Dot = Ident.find('.');
        if (Dot == std::string::npos) {
            if (!(FFormClass && FFormClass->FindSymbol(FUnit, FFormClass, Ident, true, Place())) && FUnit)
                FUnit->AddUnresolvedName(Ident);
            return;
        }
        if (!FUnit)
            return;
        const std::string Head = Ident.substr(0, Dot), Rest = Ident.substr(Dot + 1);
        TqlSymbol* Found = FUnit->FindReferencedSymbol(FFormClass, Head, true, Place());
        if (!Found)
            FUnit->AddUnresolvedName(Head);
        if (!(Found && Found->GetTypeIntf() &&
              Found->GetTypeIntf()->FindSymbol(FUnit, FFormClass, Rest, true, Place())))
            FUnit->AddUnresolvedName(Rest);
    }

    void ReadValue(TqlComponent* Component, TqlComponentProperty* Property)
    {
        TDepth Depth(*this);
        switch (FParser.Token()) {
        case toString: {
            std::string S = FParser.TokenString();
            FParser.NextToken();
            while (FParser.IsChar('+')) {
                FParser.NextToken();
                if (FParser.Token() != toString)
                    FParser.Error("String expected");
                S += FParser.TokenString();
                FParser.NextToken();
            }
            if (Property) {
                Property->SetValueType(dptString);
                Property->SetValue(S);
            }
            return;
        }
        case toSymbol: {
            FParser.TokenComponentIdent();
            const std::string Ident = FParser.TokenString();
            Resolve(Ident);
            if (Property) {
                Property->SetValueType(dptIdentifier);
                Property->SetValue(Ident);
                Component->GetProperties()->AddIdentifierName(Ident, Property);
            }
            FParser.NextToken();
            return;
        }
        case toInteger:
            if (Property) {
                Property->SetValueType(dptInteger);
                Property->SetValue(FParser.TokenInt());
            }
            FParser.NextToken();
            return;
        case toFloat:
            if (Property) {
                Property->SetValueType(dptFloat);
                Property->SetValue(FParser.TokenFloat());
            }
            FParser.NextToken();
            return;
        default:
            break;
        }
        if (FParser.IsChar('(')) {
            FParser.NextToken();
            while (!FParser.IsChar(')'))
                ReadValue(Component, nullptr);
            FParser.NextToken();
        } else if (FParser.IsChar('<')) {
            FParser.NextToken();
            while (!FParser.IsChar('>')) {
                if (!FParser.IsSymbol("item"))
                    FParser.Error("item expected");
                FParser.NextToken();
                while (FParser.Token() != toEOF && !FParser.IsSymbol("end"))
                    ReadProperty(Component);
                FParser.NextToken();
            }
            FParser.NextToken();
        } else if (FParser.IsChar('[')) {
            FParser.NextToken();
            if (!FParser.IsChar(']')) {
                for (;;) {
                    if (FParser.Token() != toInteger && FParser.Token() != toSymbol)
                        FParser.Error("Invalid property");
                    FParser.NextToken();
                    if (FParser.IsChar(']'))
                        break;
                    FParser.CheckChar(',');
                    FParser.NextToken();
                }
            }
            FParser.NextToken();
        } else if (FParser.IsChar('{')) {
            FParser.SkipBinary();
        } else
            FParser.Error("Invalid property");
    }

    TqlDFMResource* FResource;
    TqlUnit* FUnit;
    int FFileIndex;
    TqlFormParser FParser;
    TqlClass* FFormClass = nullptr;
    int FDepth = 0;
};
} // namespace

void TqlDFMResource::ReadDFM(TqlUnit* Unit, std::istream& Stream)
{
    std::string Text((std::istreambuf_iterator<char>(Stream)), std::istreambuf_iterator<char>());
    // A text form saved as UTF-8 may start with a byte-order mark.
    if (Text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        Text.erase(0, 3);
    TqlFormReader Reader(this, Unit, FFileIndex, std::move(Text));
    Reader.Read();
}

bool TqlDFMResource::IsBinary(std::istream& Stream)
{
    Stream.clear();
    const std::streampos Saved = Stream.tellg();
    Stream.seekg(0);
    char Head[3] = {0, 0, 0};
    Stream.read(Head, 3);
    const std::streamsize Got = Stream.gcount();
    Stream.clear();
    Stream.seekg(Saved);
    if (Got < 3)
        throw EParserError("Unable to read from stream.");
    return static_cast<unsigned char>(Head[0]) == 0xFF && Head[1] == 0x0A && Head[2] == 0x00;
}

void TqlDFMResource::ReadStream(TqlUnit* Unit, std::istream& Stream)
{
    if (IsBinary(Stream)) {
        std::string Binary((std::istreambuf_iterator<char>(Stream)), std::istreambuf_iterator<char>());
        std::istringstream Text(qlObjectBinaryToText(Binary));
        ReadDFM(Unit, Text);
    } else
        ReadDFM(Unit, Stream);
}

void TqlDFMResource::ReadResource(TqlUnit* Unit, const std::string& FileName)
{
    FUnitIndex = Unit ? Unit->GetUnitIndex() : -1;
    FFileName = FileName;
    std::error_code Ec;
    const bool Exists = std::filesystem::is_regular_file(FileName, Ec);
    if (TqlFileNameList* Files = ProjectFiles())
        FFileIndex = Files->Add(FileName, Exists, FUnitIndex);
    // A form that cannot be read is a finding on its unit; the analysis goes on.
    std::string Text, Why;
    std::string Problem;
    switch (qlReadLimitedFile(FileName, qlMaxSourceFileSize, Text, Why)) {
    case TqlFileProblem::None: break;
    case TqlFileProblem::Missing: return; // no form, no finding
    case TqlFileProblem::NotRegular: Problem = "Form file, " + FileName + ", does not exist: " + Why + "."; break;
    case TqlFileProblem::TooLarge: Problem = "Form file, " + FileName + ", is skipped: " + Why + "."; break;
    case TqlFileProblem::Unreadable: Problem = "Cannot open form file, " + FileName + ": " + Why; break;
    }
    if (!Problem.empty()) {
        if (gqlProject && Unit)
            if (Ref<IqlMessageList> Messages = gqlProject->GetMessages())
                Messages->Add(Problem, Unit->GetFileIndex(), 1, 1, false);
        return;
    }
    std::istringstream File(std::move(Text));
    ReadStream(Unit, File);
}

// ---------------------------------------------------------------------------
// Binary form to text
// ---------------------------------------------------------------------------

namespace {
enum TValueType : uint8_t {
    vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue,
    vaBinary, vaSet, vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString,
    vaInt64, vaUTF8String, vaDouble
};

// Writes the text form of a binary form. Every read is checked against the
// bytes that remain; nesting is capped.
class TqlBinaryFormConverter {
public:
    explicit TqlBinaryFormConverter(const std::string& Data) : FData(Data) {}

    std::string Convert()
    {
        if (FData.size() >= 3 && static_cast<unsigned char>(FData[0]) == 0xFF && FData[1] == 0x0A &&
            FData[2] == 0x00) {
            // Resource header: type, name (zero-terminated), flags, size.
            FPos = 3;
            while (ReadByte() != 0) {
            }
            Need(6);
            FPos += 6;
        }
        Need(4);
        if (FData.compare(FPos, 4, "TPF0") != 0)
            Error("Invalid stream format");
        FPos += 4;
        ConvertObject(0);
        return std::move(FOut);
    }

private:
    [[noreturn]] void Error(const std::string& Msg) const
    {
        throw EParserError(Msg + " (binary form, offset " + std::to_string(FPos) + ")");
    }

    void Need(uint64_t Count) const
    {
        if (Count > FData.size() - FPos)
            Error("Form file is truncated");
    }

    uint8_t ReadByte()
    {
        Need(1);
        return static_cast<uint8_t>(FData[FPos++]);
    }

    uint8_t PeekByte() const
    {
        Need(1);
        return static_cast<uint8_t>(FData[FPos]);
    }

    uint64_t ReadLE(int Bytes)
    {
        Need(uint64_t(Bytes));
        uint64_t V = 0;
        for (int i = 0; i < Bytes; ++i)
            V |= uint64_t(static_cast<uint8_t>(FData[FPos + size_t(i)])) << (8 * i);
        FPos += size_t(Bytes);
        return V;
    }

    std::string ReadBytes(uint64_t Count)
    {
        Need(Count);
        std::string S = FData.substr(FPos, size_t(Count));
        FPos += size_t(Count);
        return S;
    }

    std::string ReadShortString() { return ReadBytes(ReadByte()); }

    int64_t ReadInteger()
    {
        switch (ReadByte()) {
        case vaInt8: return static_cast<int8_t>(ReadLE(1));
        case vaInt16: return static_cast<int16_t>(ReadLE(2));
        case vaInt32: return static_cast<int32_t>(ReadLE(4));
        case vaInt64: return static_cast<int64_t>(ReadLE(8));
        default: Error("Integer value expected");
        }
    }

    void Enter()
    {
        if (++FDepth > TqlDFMResource::MaxNesting)
            Error("Form nesting too deep");
    }

    void Indent(int Level) { FOut.append(size_t(Level) * 2, ' '); }

    void ConvertObject(int Level)
    {
        Enter();
        uint8_t Flags = 0;
        int64_t Position = 0;
        if ((PeekByte() & 0xF0) == 0xF0) {
            Flags = ReadByte() & 0x0F;
            if (Flags & 2)
                Position = ReadInteger();
        }
        const std::string ClassName = ReadShortString();
        const std::string ObjectName = ReadShortString();
        Indent(Level);
        FOut += (Flags & 1) ? "inherited " : (Flags & 4) ? "inline " : "object ";
        if (!ObjectName.empty())
            FOut += ObjectName + ": ";
        FOut += ClassName;
        if (Flags & 2)
            FOut += " [" + std::to_string(Position) + "]";
        FOut += "\r\n";
        while (PeekByte() != vaNull)
            ConvertProperty(Level + 1);
        ReadByte();
        while (PeekByte() != vaNull)
            ConvertObject(Level + 1);
        ReadByte();
        Indent(Level);
        FOut += "end\r\n";
        --FDepth;
    }

    void ConvertProperty(int Level)
    {
        Indent(Level);
        FOut += ReadShortString();
        FOut += " = ";
        ConvertValue(Level);
        FOut += "\r\n";
    }

    void WriteFloat(double D)
    {
        if (!std::isfinite(D))
            D = 0;
        char Buf[64];
        auto [P, Ec] = std::to_chars(Buf, Buf + sizeof Buf, D);
        std::string S = Ec == std::errc() ? std::string(Buf, P) : std::string("0");
        if (S.find_first_of(".e") == std::string::npos)
            S += ".0";
        FOut += S;
    }

    void WriteString(const std::string& S)
    {
        // Printable runs in quotes, everything else as #n.
        bool InQuote = false;
        if (S.empty())
            FOut += "''";
        for (unsigned char C : S) {
            if (C >= ' ' && C < 127) {
                if (!InQuote) {
                    FOut += '\'';
                    InQuote = true;
                }
                if (C == '\'')
                    FOut += '\'';
                FOut += static_cast<char>(C);
            } else {
                if (InQuote) {
                    FOut += '\'';
                    InQuote = false;
                }
                FOut += '#';
                FOut += std::to_string(C);
            }
        }
        if (InQuote)
            FOut += '\'';
    }

    void WriteWideString(uint64_t Length)
    {
        Need(Length * 2);
        std::string S;
        for (uint64_t i = 0; i < Length; ++i) {
            const auto W = static_cast<uint16_t>(ReadLE(2));
            if (W < 256)
                S += static_cast<char>(W);
            else {
                WriteString(S);
                S.clear();
                FOut += '#';
                FOut += std::to_string(W);
            }
        }
        if (!S.empty() || Length == 0)
            WriteString(S);
    }

    static double ExtendedToDouble(const std::string& B)
    {
        uint64_t Mantissa = 0;
        for (int i = 0; i < 8; ++i)
            Mantissa |= uint64_t(static_cast<uint8_t>(B[size_t(i)])) << (8 * i);
        const unsigned SignExp = static_cast<uint8_t>(B[8]) | (unsigned(static_cast<uint8_t>(B[9])) << 8);
        const int Exponent = int(SignExp & 0x7FFF);
        if (Exponent == 0x7FFF)
            return 0; // infinities and NaNs have no text form
        double D = std::ldexp(static_cast<double>(Mantissa), Exponent - 16383 - 63);
        return (SignExp & 0x8000) ? -D : D;
    }

    void ConvertValue(int Level)
    {
        Enter();
        const uint8_t Type = ReadByte();
        switch (Type) {
        case vaList:
            FOut += "(\r\n";
            while (PeekByte() != vaNull) {
                Indent(Level + 1);
                ConvertValue(Level + 1);
                FOut += "\r\n";
            }
            ReadByte();
            Indent(Level);
            FOut += ")";
            break;
        case vaInt8: FOut += std::to_string(static_cast<int8_t>(ReadLE(1))); break;
        case vaInt16: FOut += std::to_string(static_cast<int16_t>(ReadLE(2))); break;
        case vaInt32: FOut += std::to_string(static_cast<int32_t>(ReadLE(4))); break;
        case vaInt64: FOut += std::to_string(static_cast<int64_t>(ReadLE(8))); break;
        case vaExtended: WriteFloat(ExtendedToDouble(ReadBytes(10))); break;
        case vaSingle: {
            const auto Bits = static_cast<uint32_t>(ReadLE(4));
            float F;
            std::memcpy(&F, &Bits, sizeof F);
            WriteFloat(F);
            break;
        }
        case vaDouble:
        case vaDate: {
            const uint64_t Bits = ReadLE(8);
            double D;
            std::memcpy(&D, &Bits, sizeof D);
            WriteFloat(D);
            break;
        }
        case vaCurrency: WriteFloat(static_cast<double>(static_cast<int64_t>(ReadLE(8))) / 10000.0); break;
        case vaString: WriteString(ReadShortString()); break;
        case vaLString:
        case vaUTF8String: WriteString(ReadBytes(ReadLE(4))); break;
        case vaWString: WriteWideString(ReadLE(4)); break;
        case vaIdent: {
            const std::string Ident = ReadShortString();
            if (Ident.empty())
                Error("Invalid identifier");
            FOut += Ident;
            break;
        }
        case vaFalse: FOut += "False"; break;
        case vaTrue: FOut += "True"; break;
        case vaNil: FOut += "nil"; break;
        case vaBinary: {
            const std::string Data = ReadBytes(ReadLE(4));
            static const char Hex[] = "0123456789ABCDEF";
            FOut += "{";
            for (size_t i = 0; i < Data.size(); ++i) {
                if (i % 32 == 0) {
                    FOut += "\r\n";
                    Indent(Level + 1);
                }
                FOut += Hex[static_cast<uint8_t>(Data[i]) >> 4];
                FOut += Hex[static_cast<uint8_t>(Data[i]) & 15];
            }
            FOut += "}";
            break;
        }
        case vaSet: {
            FOut += "[";
            bool First = true;
            for (;;) {
                const std::string Element = ReadShortString();
                if (Element.empty())
                    break;
                if (!First)
                    FOut += ", ";
                FOut += Element;
                First = false;
            }
            FOut += "]";
            break;
        }
        case vaCollection:
            FOut += "<";
            while (PeekByte() != vaNull) {
                FOut += "\r\n";
                const uint8_t Next = PeekByte();
                if (Next == vaInt8 || Next == vaInt16 || Next == vaInt32)
                    ReadInteger(); // the item's order index carries nothing for the model
                if (ReadByte() != vaList)
                    Error("Collection item expected");
                Indent(Level + 1);
                FOut += "item\r\n";
                while (PeekByte() != vaNull)
                    ConvertProperty(Level + 2);
                ReadByte();
                Indent(Level + 1);
                FOut += "end";
            }
            ReadByte();
            FOut += ">";
            break;
        default: Error("Invalid value type " + std::to_string(Type));
        }
        --FDepth;
    }

    const std::string& FData;
    size_t FPos = 0;
    int FDepth = 0;
    std::string FOut;
};
} // namespace

std::string qlObjectBinaryToText(const std::string& Binary)
{
    return TqlBinaryFormConverter(Binary).Convert();
}
