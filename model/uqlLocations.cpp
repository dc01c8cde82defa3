#include "model/uqlModelShared.h"

#include "base/uqlPathUtils.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// ---------------------------------------------------------------------------
// TqlCodeLocation
// ---------------------------------------------------------------------------

namespace {
// The current project's file of a file index; nil for a negative index or
// when no project is set.
TqlSourceFile* FileOf(int FileIndex)
{
    TqlFileNameList* Files = ProjectFiles();
    return FileIndex >= 0 && Files ? Files->GetItems(FileIndex) : nullptr;
}
} // namespace

TqlCodeLocation::TqlCodeLocation(int FileIndex, int X, int Y) : FFileIndex(FileIndex), FX(X), FY(Y) {}

std::string TqlCodeLocation::GetFileName() const
{
    const TqlSourceFile* File = FileOf(FFileIndex);
    return File ? File->GetFullFileName() : "???";
}

int TqlCodeLocation::GetUnitIndex() const
{
    const TqlSourceFile* File = FileOf(FFileIndex);
    return File ? File->GetUnitIndex() : -1;
}

TqlUnit* TqlCodeLocation::GetUnitIntf()
{
    const TqlSourceFile* File = FileOf(FFileIndex);
    return File ? File->GetUnitIntf() : nullptr;
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
// Uses
// ---------------------------------------------------------------------------

TqlUsedByList::~TqlUsedByList()
{
    Clear();
}

size_t TqlUsedByList::Room(uint32_t Count)
{
    return std::bit_ceil(size_t(Count));
}

void TqlUsedByList::Clear()
{
    if (FHasOwned) {
        const TEntry* Uses = Entries();
        for (uint32_t i = 0; i < FCount; ++i)
            if (Uses[i] & OwnedMark)
                delete static_cast<TqlOwnedUse*>(reinterpret_cast<TqlUsedByLocation*>(Uses[i] & ~OwnedMark));
    }
    if (FCount > 1)
        qlPoolRelease(FMany, Room(FCount) * sizeof(TEntry));
    FOne = 0;
    FCount = 0;
    FHasOwned = 0;
}

int TqlUsedByList::Add(TEntry Entry)
{
    const uint32_t Count = FCount;
    if (Count == 0) {
        FOne = Entry;
    } else if (Count == 1 || Count == Room(Count)) {
        // Full: an array of twice the room (two for the first).
        auto* Many = static_cast<TEntry*>(qlPoolAllocate(2 * Count * sizeof(TEntry)));
        std::memcpy(Many, Entries(), Count * sizeof(TEntry));
        if (Count > 1)
            qlPoolRelease(FMany, Count * sizeof(TEntry));
        FMany = Many;
        FMany[Count] = Entry;
    } else {
        FMany[Count] = Entry;
    }
    FCount = Count + 1;
    return static_cast<int>(Count);
}

int TqlUsedByList::AddUsedBy(const TqlUsedByInfo& Info)
{
    const TqlSourceFile* File = FileOf(Info.FileIndex);
    if (TqlUnit* Unit = File ? File->GetUnitIntf() : nullptr)
        if (TqlUsedByLocation* Use = Unit->GetUseStore().New(this, Info))
            return Add(reinterpret_cast<TEntry>(static_cast<TqlUsedByLocation*>(Use)));
    auto Owned = std::make_unique<TqlOwnedUse>(this, Info);
    static_assert(alignof(TqlOwnedUse) > OwnedMark);
    const int Index = Add(reinterpret_cast<TEntry>(static_cast<TqlUsedByLocation*>(Owned.get())) | OwnedMark);
    Owned.release();
    FHasOwned = 1;
    return Index;
}

int TqlUsedByList::RecentPosition(const TqlUsedByLocation* Use, uint32_t Within) const
{
    const TEntry* Uses = Entries();
    for (uint32_t i = FCount, Last = FCount > Within ? FCount - Within : 0; i-- > Last;)
        if (Uses[i] == reinterpret_cast<TEntry>(Use))
            return static_cast<int>(i);
    return -1;
}

void TqlUsedByList::Moved(int Position, TqlUsedByLocation* To)
{
    (FCount > 1 ? FMany : &FOne)[Position] = reinterpret_cast<TEntry>(To);
}

TqlUsedByLocation* TqlUsedByList::GetLocations(int Index) const
{
    if (static_cast<uint32_t>(Index) >= FCount)
        throw EListError(Index);
    return reinterpret_cast<TqlUsedByLocation*>(Entries()[Index] & ~OwnedMark);
}

TqlUsedByLocation::TqlUsedByLocation(const TqlUsedByInfo& Info, bool InStore, uint32_t Slot,
                                     uint32_t Place)
    : TqlCodeLocation(Info.FileIndex, Info.X, Info.Y),
      FMarks((Info.IsWrongCase ? WrongCase : 0) | (Info.IsHeading ? Heading : 0) |
             (Info.IsAmbiguous ? Ambiguous : 0) | (Info.IsUnnamed ? Unnamed : 0) | (InStore ? 0 : Owned) | (Slot << SlotShift) |
             (Place << PlaceShift))
{
}

TqlUsedByList* TqlUsedByLocation::GetUsedByList() const
{
    if (FMarks & Owned)
        return static_cast<const TqlOwnedUse*>(this)->GetList();
    return TqlUseStore::ListOf(this, (FMarks >> SlotShift) & ((1u << SlotBits) - 1),
                               (FMarks >> PlaceShift) & PlaceMask);
}

TqlOwnedUse::TqlOwnedUse(TqlUsedByList* UsedByList, const TqlUsedByInfo& Info)
    : TqlUsedByLocation(Info, false, 0, 0), FList(UsedByList)
{
    if (TqlUnit* Unit = GetUnitIntf())
        Unit->AddUsedByLocation(this);
}

TqlUsedByList* TqlUseStore::ListOf(const TqlUsedByLocation* Use, uint32_t Slot, uint32_t Place)
{
    const auto* First = reinterpret_cast<const std::byte*>(Use) - Slot * sizeof(TqlUsedByLocation);
    const TLists* Lists;
    std::memcpy(&Lists, First, sizeof Lists);
    return (*Lists)[Place];
}

TqlUsedByLocation* TqlUseStore::New(TqlUsedByList* UsedByList, const TqlUsedByInfo& Info)
{
    if (FBlocks.empty() || FBlocks.back().Used == FBlocks.back().Slots) {
        TBlock Block;
        Block.Slots = FBlocks.empty() ? FirstBlockSlots
                                      : std::min(FBlocks.back().Slots * 2, LargestBlockSlots);
        Block.Memory = std::make_unique_for_overwrite<std::byte[]>(Block.Slots * sizeof(TqlUsedByLocation));
        const TLists* Table = &FLists;
        std::memcpy(Block.Memory.get(), &Table, sizeof Table);
        FBlocks.push_back(std::move(Block));
    }
    // The list keeps its place while its last place is in this store.
    if (UsedByList->FStorePlace >= FLists.size() || FLists[UsedByList->FStorePlace] != UsedByList) {
        if (FLists.size() == MaxPlaces)
            return nullptr;
        UsedByList->FStorePlace = static_cast<uint32_t>(FLists.size());
        FLists.push_back(UsedByList);
    }
    TBlock& Block = FBlocks.back();
    auto* Use = ::new (Block.Memory.get() + Block.Used * sizeof(TqlUsedByLocation))
        TqlUsedByLocation(Info, true, static_cast<uint32_t>(Block.Used), UsedByList->FStorePlace);
    ++Block.Used;
    ++FCount;
    return Use;
}

void TqlUseStore::Trim(size_t Listed)
{
    FLists.shrink_to_fit();
    if (FBlocks.empty())
        return;
    TBlock& Last = FBlocks.back();
    const size_t Uses = Last.Used - 1;
    if (Last.Slots - Last.Used < TrimmedSlots || Listed > FCount - Uses)
        return;
    // Each use must be found among its list's latest entries first.
    std::vector<int> Positions(Uses);
    for (size_t i = 0; i < Uses; ++i) {
        const TqlUsedByLocation* Use = Last.At(i + 1);
        Positions[i] = Use->GetUsedByList()->RecentPosition(Use, MovedWithin);
        if (Positions[i] < 0)
            return;
    }
    TBlock Block;
    Block.Slots = Last.Used;
    Block.Used = Last.Used;
    Block.Memory = std::make_unique_for_overwrite<std::byte[]>(Block.Slots * sizeof(TqlUsedByLocation));
    std::memcpy(Block.Memory.get(), Last.Memory.get(), sizeof(const TLists*));
    // Each use keeps its slot, so that it still finds the table.
    for (size_t i = 0; i < Uses; ++i) {
        const TqlUsedByLocation* From = Last.At(i + 1);
        auto* To = ::new (Block.Memory.get() + (i + 1) * sizeof(TqlUsedByLocation)) TqlUsedByLocation(*From);
        From->GetUsedByList()->Moved(Positions[i], To);
    }
    Last = std::move(Block);
}

// The model holds a great many uses: each is the table pointer and three words.
// A block's places and slots both fit the marks.
static_assert(sizeof(void*) != 8 || sizeof(TqlUsedByLocation) == 24);
static_assert(alignof(TqlUsedByLocation) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);

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
// Line counts
// ---------------------------------------------------------------------------

namespace {
// The first line break or character of Stops from P on (End when there is
// none): how code, a comment, a string or the rest of a line is passed over,
// sixteen characters at a time where SSE2 is at hand, with loads that stay
// inside the text.
template <class... TStops>
const char* NextBreakOr(const char* P, const char* const End, TStops... Stops)
{
#if defined(__SSE2__)
    const __m128i Lf = _mm_set1_epi8('\n');
    const __m128i Cr = _mm_set1_epi8('\r');
    for (; End - P >= 16; P += 16) {
        const __m128i V = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P));
        __m128i M = _mm_or_si128(_mm_cmpeq_epi8(V, Lf), _mm_cmpeq_epi8(V, Cr));
        ((M = _mm_or_si128(M, _mm_cmpeq_epi8(V, _mm_set1_epi8(Stops)))), ...);
        if (const unsigned Bits = static_cast<unsigned>(_mm_movemask_epi8(M)))
            return P + __builtin_ctz(Bits);
    }
#endif
    while (P < End && *P != '\n' && *P != '\r' && ((*P != Stops) && ...))
        ++P;
    return P;
}

// Past a character of code, the first character that can change what the
// line counts as: a line break or the start of a comment or string.
const char* NextInCodeThatCounts(const char* P, const char* const End)
{
    return NextBreakOr(P, End, '{', '(', '/', '\'');
}
} // namespace

void TqlCodeStatistics::Add(const TqlCodeStatistics& Other)
{
    FAnsiCommentLines += Other.FAnsiCommentLines;
    FBorCommentLines += Other.FBorCommentLines;
    FCodeLines += Other.FCodeLines;
    FEmptyLines += Other.FEmptyLines;
    FSlashCommentLines += Other.FSlashCommentLines;
}

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
    while (P < End) {
        // One line: from P up to its line break.
        const char* const LineStart = P;
        // A comment that goes on makes this line a comment line.
        Comment = State == stBrace ? cmBrace : State == stAnsi ? cmAnsi : cmNone;
        Code = false;
        while (P < End && !LineEnd(*P)) {
            if (State == stBrace) {
                P = NextBreakOr(P, End, '}');
                if (P < End && *P == '}') {
                    State = stCode;
                    ++P;
                }
                continue;
            }
            if (State == stAnsi) {
                for (;;) {
                    P = NextBreakOr(P, End, '*');
                    if (P == End || *P != '*' || (P + 1 < End && P[1] == ')'))
                        break;
                    ++P;
                }
                if (P < End && *P == '*') {
                    State = stCode;
                    P += 2;
                }
                continue;
            }
            const char C = *P;
            const char Next = P + 1 < End ? P[1] : '\0';
            if (static_cast<unsigned char>(C) <= ' ') {
                // A run of blanks (indentation, mostly) in one go.
                do
                    ++P;
                while (P < End && static_cast<unsigned char>(*P) <= ' ' && !LineEnd(*P));
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
                P = NextBreakOr(P + 2, End);
            } else if (C == '\'') {
                // A string ends at its closing quote or at the line end.
                Code = true;
                ++P;
                P = NextBreakOr(P, End, '\'');
                if (P < End && *P == '\'')
                    ++P;
            } else {
                // Blanks and further code leave the line a line of code.
                Code = true;
                P = NextInCodeThatCounts(P + 1, End);
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
// Include files
// ---------------------------------------------------------------------------

std::string qlFindIncludeFile(const std::vector<std::string>& Beside, const std::string& FileName,
                              TqlFolderListings* Listings)
{
    for (const std::string& Folder : Beside) {
        const std::string Full = qlResolveFile(Folder, FileName, Listings);
        if (!Full.empty())
            return Full;
    }
    if (!gqlProject)
        return std::string();
    std::string Full;
    if (!qlHasFolderPart(FileName)) {
        bool IsLibrary = false;
        gqlProject->FindUnitFile(FileName, "", Full, IsLibrary);
        return Full;
    }
    TqlUnitList* Units = gqlProject->GetUnits();
    const std::string Main = Units && Units->GetCount() > 0 ? qlFolderOf(Units->GetUnits(0)->GetFullFileName())
                             : Beside.empty()               ? std::string()
                                                            : Beside.back();
    std::vector<std::string> Folders{Main};
    std::vector<Ref<IqlStringList>> Paths;
    if (Ref<IqlOptions> O = gqlProject->GetOptions())
        Paths.push_back(O->GetProjectSearchPath());
    if (Ref<IqlSystemOptions> O = gqlProject->GetSystemOptions())
        Paths.push_back(O->GetLibrarySearchPath());
    for (const Ref<IqlStringList>& List : Paths)
        for (int I = 0; List && I < List->GetCount(); ++I)
            if (const std::string F = List->GetString(I); !F.empty())
                Folders.push_back(ExpandEnvironmentPrefix(F));
    for (const std::string& Folder : Folders) {
        Full = qlResolveFile(Main, Folder + "/" + FileName, Listings);
        if (!Full.empty())
            return Full;
    }
    return Full;
}
