// Locations in source files, the uses recorded on symbols, coding errors,
// the project's source files and the line counts of a unit.
#pragma once

#include "model/uqlLists.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------
// Locations, uses, files
// ---------------------------------------------------------------------------

// A position in a source file: file index (into the project's file-name list,
// -1 for none), column X and line Y. The unit index is looked up through the
// file-name list. A plain location ends where it starts; a symbol keeps an
// end of its own (see TqlSymbol).
class TqlCodeLocation : public TqlBase {
public:
    TqlCodeLocation(int FileIndex, int X, int Y);

    int GetX() const { return FX; }
    int GetY() const { return FY; }
    virtual int GetEndX() const { return FX; }
    virtual int GetEndY() const { return FY; }
    int GetFileIndex() const { return FFileIndex; }
    // Sets X (Y) and moves the end column (line) with it.
    virtual void SetX(int Value) { FX = Value; }
    virtual void SetY(int Value) { FY = Value; }

    // "???" for a negative file index (or when no project is set), else the
    // full name of the file.
    std::string GetFileName() const;
    int GetUnitIndex() const;
    // The unit of the location's file; nil when there is none.
    TqlUnit* GetUnitIntf();
    // Same file index, X and Y; the end positions are not compared.
    bool ComparesTo(const TqlCodeLocation* Other) const;

private:
    // Three words after the table pointer: a use (below) keeps its own
    // marks in the four bytes that end the location.
    int FFileIndex = -1;
    int FX = 0;
    int FY = 0;
};

// The place of one identifier.
struct TqlUsedByInfo {
    int FileIndex = -1;
    bool IsWrongCase = false;
    // The name repeated where a declaration is completed: the method part of
    // an implementation heading, a parameter repeated there.
    bool IsHeading = false;
    // A call of an overloaded name whose arguments pick no single overload:
    // the use is recorded for every candidate.
    bool IsAmbiguous = false;
    // No name is written where the use stands: an index of a default array
    // property (F[2]) uses the property at the bracket.
    bool IsUnnamed = false;
    int X = -1;
    int Y = -1;
};
TqlUsedByInfo UsedByInfo(int FileIndex, bool IsWrongCase, int X, int Y);

class TqlUsedByLocation;
class TqlOwnedUse;
class TqlUseStore;

// The uses of one symbol, in order of recording. A use in a file of one of
// the project's units is carved from that unit's use store and goes with the
// unit; any other use belongs to the list.
//
// The model holds a list for most of its symbols, and most lists hold one
// use: a list is three words, keeps a single use in place and more in an
// array of the object pool whose size is the count rounded up to a power of
// two.
class TqlUsedByList : public TqlPoolObject {
public:
    explicit TqlUsedByList(TqlSymbol* Symbol) : FSymbol(Symbol), FOne(0) {}
    ~TqlUsedByList();
    TqlUsedByList(const TqlUsedByList&) = delete;
    TqlUsedByList& operator=(const TqlUsedByList&) = delete;

    void Clear();
    int AddUsedBy(const TqlUsedByInfo& Info);
    int GetCount() const { return static_cast<int>(FCount); }
    // Raises EListError for an index out of range.
    TqlUsedByLocation* GetLocations(int Index) const;
    TqlSymbol* GetSymbol() const { return FSymbol; }

private:
    friend class TqlUseStore;
    // The position of a use carved from a store among the list's Within
    // latest entries; -1 when it is not there.
    int RecentPosition(const TqlUsedByLocation* Use, uint32_t Within) const;
    // The use at Position, carved from a store, now lies at To.
    void Moved(int Position, TqlUsedByLocation* To);
    // An entry is the use's address; a use the list owns is marked in the
    // lowest bit, so that the list frees its own without reading the others
    // (their unit may have gone first).
    using TEntry = uintptr_t;
    static constexpr TEntry OwnedMark = 1;
    int Add(TEntry Entry);
    const TEntry* Entries() const { return FCount > 1 ? FMany : &FOne; }
    // The room of an array that holds Count uses (two or more).
    static size_t Room(uint32_t Count);

    TqlSymbol* FSymbol;
    union {
        TEntry FOne;
        TEntry* FMany;
    };
    uint32_t FCount : 31 = 0;
    // Some use is not carved from a store: the list frees it.
    uint32_t FHasOwned : 1 = 0;
    // The place the list took last in a unit's use store: its further uses
    // in that store share it.
    uint32_t FStorePlace = 0;
};

// One use of a symbol: three words, the model holds a great many. A use in a
// unit's store names its list by a place in that store, which the store's
// block gives (see TqlUseStore); any other use is a TqlOwnedUse.
class TqlUsedByLocation : public TqlCodeLocation {
public:
    bool GetIsWrongCase() const { return (FMarks & WrongCase) != 0; }
    bool GetIsHeading() const { return (FMarks & Heading) != 0; }
    bool GetIsAmbiguous() const { return (FMarks & Ambiguous) != 0; }
    bool GetIsUnnamed() const { return (FMarks & Unnamed) != 0; }
    TqlUsedByList* GetUsedByList() const;

protected:
    TqlUsedByLocation(const TqlUsedByInfo& Info, bool InStore, uint32_t Slot, uint32_t Place);

private:
    friend class TqlUseStore;
    static constexpr uint32_t WrongCase = 1;
    static constexpr uint32_t Owned = 2;
    static constexpr uint32_t SlotShift = 2;
    // Small blocks: a unit's last block is seldom full, and what it leaves
    // empty is held until the model goes.
    static constexpr uint32_t SlotBits = 7;
    static constexpr uint32_t PlaceShift = SlotShift + SlotBits;
    static constexpr uint32_t PlaceBits = 18;
    static constexpr uint32_t PlaceMask = (1u << PlaceBits) - 1;
    // Marks above the place.
    static constexpr uint32_t Unnamed = 1u << 29;
    static constexpr uint32_t Heading = 1u << 30;
    static constexpr uint32_t Ambiguous = 1u << 31;

    // The marks, the use's slot in its store block and the place of its
    // list in the store.
    uint32_t FMarks;
};

// A use that is not carved from a unit's store keeps its list itself, and
// registers itself with the unit of its file.
class TqlOwnedUse final : public TqlUsedByLocation {
public:
    TqlOwnedUse(TqlUsedByList* UsedByList, const TqlUsedByInfo& Info);
    TqlUsedByList* GetList() const { return FList; }

private:
    TqlUsedByList* FList;
};

// The uses whose file belongs to one unit, in order of recording, carved
// from blocks that grow as the unit's uses do. The uses are released with
// the blocks, without running their destructors (they free nothing).
//
// The first slot of a block holds the address of the store's list table: a
// use finds it back through its own slot number, and its list by its place
// in that table.
class TqlUseStore {
public:
    TqlUseStore() = default;
    TqlUseStore(const TqlUseStore&) = delete;
    TqlUseStore& operator=(const TqlUseStore&) = delete;

    // Nil when the store has no place left for another list (a unit that
    // uses hundreds of thousands of symbols): the use is then made apart.
    TqlUsedByLocation* New(TqlUsedByList* UsedByList, const TqlUsedByInfo& Info);
    size_t GetCount() const { return FCount; }
    // Gives back the room kept for more lists and more uses, once the unit's
    // files have been parsed. The uses of the last block move to a block of
    // their size when it is mostly empty: their lists are told, but the
    // first Listed uses, which the unit has handed out, keep their places.
    void Trim(size_t Listed);
    // Hands every use from position From on to Fn, in order.
    template <class F>
    void ForEachFrom(size_t From, F&& Fn) const
    {
        size_t First = 0;
        for (const TBlock& Block : FBlocks) {
            const size_t Uses = Block.Used - 1;
            for (size_t i = From > First ? From - First : 0; i < Uses; ++i)
                Fn(Block.At(i + 1));
            First += Uses;
        }
    }
    // The list of a use carved from a store.
    static TqlUsedByList* ListOf(const TqlUsedByLocation* Use, uint32_t Slot, uint32_t Place);

private:
    // Blocks of 16 to 128 slots: a slot number fits the use's marks.
    static constexpr size_t FirstBlockSlots = 16;
    // The empty slots of a last block that are worth a move of its uses.
    static constexpr size_t TrimmedSlots = 8;
    // How far back in its list a use that moves is looked for: a block
    // whose uses lie further back (their lists took many uses since) stays.
    static constexpr uint32_t MovedWithin = 32;
    static constexpr size_t LargestBlockSlots = size_t(1) << TqlUsedByLocation::SlotBits;

    static constexpr size_t MaxPlaces = size_t(1) << TqlUsedByLocation::PlaceBits;
    static_assert(TqlUsedByLocation::PlaceShift + TqlUsedByLocation::PlaceBits <= 29,
                  "the place lies below the heading and ambiguous marks");

    using TLists = std::vector<TqlUsedByList*>;
    struct TBlock {
        std::unique_ptr<std::byte[]> Memory;
        // Slots taken, the table's address first.
        size_t Used = 1;
        size_t Slots = 0;
        TqlUsedByLocation* At(size_t i) const
        {
            return std::launder(
                reinterpret_cast<TqlUsedByLocation*>(Memory.get() + i * sizeof(TqlUsedByLocation)));
        }
    };
    std::vector<TBlock> FBlocks;
    size_t FCount = 0;
    // The lists of the uses, by place; a list takes a new place when it
    // comes back after uses in other stores.
    TLists FLists;
};

class TqlCodeError : public TqlCodeLocation {
public:
    TqlCodeError(TCodeErrorKind ErrorKind, int FileIndex, int X, int Y);
    TCodeErrorKind GetErrorKind() const { return FErrorKind; }

private:
    TCodeErrorKind FErrorKind;
};

class TqlCodingErrorsList : public TqlList {
public:
    TqlCodingErrorsList() : TqlList(true) {}
    TqlCodeError* AddError(TCodeErrorKind ErrorKind, int FileIndex, int X, int Y);
    TqlCodeError* GetItems(int Index) const { return ItemAs<TqlCodeError>(Index); }
};

class TqlSourceFile : public TqlBase {
public:
    TqlSourceFile(const std::string& FullFileName, bool Exists, int FileIndex, int UnitIndex);
    int GetFileIndex() const { return FFileIndex; }
    const std::string& GetFullFileName() const { return FFullFileName; }
    int GetUnitIndex() const { return FUnitIndex; }
    TqlUnit* GetUnitIntf() const;

    bool Exists;
    // Size and qlHash64 of the text the analysis read; -1 until then.
    int64_t Size = -1;
    uint64_t Hash = 0;

private:
    int FFileIndex;
    std::string FFullFileName;
    int FUnitIndex;
};

// The project's files in order of entry; the position is the file index.
class TqlFileNameList : public TqlBase {
public:
    TqlFileNameList();
    ~TqlFileNameList() override;
    int Add(const std::string& FullFileName, bool Exists, int UnitIndex);
    TqlSourceFile* Find(const std::string& FullFileName);
    void Clear();
    int GetCount() const { return FFiles.GetCount(); }
    TqlSourceFile* GetItems(int Index) const;
    TqlHashedObjectList* GetFileNameList() { return &FNames; }

private:
    TqlHashedObjectList FNames;
    TqlList FFiles{true};
};

// Line counts of one unit.
class TqlCodeStatistics {
public:
    int GetAnsiCommentLines() const { return FAnsiCommentLines; }
    int GetBorCommentLines() const { return FBorCommentLines; }
    int GetCodeLines() const { return FCodeLines; }
    int GetEmptyLines() const { return FEmptyLines; }
    int GetSlashCommentLines() const { return FSlashCommentLines; }
    int GetCommentLines() const { return FAnsiCommentLines + FBorCommentLines + FSlashCommentLines; }
    int GetTotalLines() const { return GetCommentLines() + FCodeLines + FEmptyLines; }
    void IncAnsiCommentLines() { ++FAnsiCommentLines; }
    void IncBorCommentLines() { ++FBorCommentLines; }
    void IncCodeLines() { ++FCodeLines; }
    void IncEmptyLines() { ++FEmptyLines; }
    void IncSlashCommentLines() { ++FSlashCommentLines; }
    // Counts the lines of a Pascal source text. A line that holds code (any
    // token outside comments; compiler directives count as code) is a code
    // line; else a line that lies in a comment, wholly or in part, is a
    // comment line of the first kind met on it; else it is empty. Strings
    // end at the line end; a last line without a line break counts when it
    // holds anything.
    void AddText(const char* Text, size_t Size);
    // Adds the counts of another text.
    void Add(const TqlCodeStatistics& Other);

private:
    int FAnsiCommentLines = 0;
    int FBorCommentLines = 0;
    int FCodeLines = 0;
    int FEmptyLines = 0;
    int FSlashCommentLines = 0;
};

class TqlFolderListings;

// An include file as the analysis finds it: FileName taken relative to each
// folder of Beside in turn (the folder of the file that holds the directive,
// then that of its unit's file); then a name without a folder part is
// searched as a unit file is, and one with a folder part is taken relative
// to the main file's folder (without a project unit, the last of Beside) and
// to each folder of the project and library search paths. A name in another
// case is looked for in Listings, if given. Empty when no folder holds it.
std::string qlFindIncludeFile(const std::vector<std::string>& Beside, const std::string& FileName,
                              TqlFolderListings* Listings = nullptr);
