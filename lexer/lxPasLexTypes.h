// Vocabulary shared by the lexer, the directive scanner and the parsers:
// token kinds, compiler-directive kinds, boolean switches, character tables,
// the hashed word tables, the defined-symbol set, the saved lexer state and
// the source stream.
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Token kinds of Object Pascal source. The order and the ordinals are part of
// the interface (stored as one byte in node trees, printed by name).
enum TptTokenKind : uint8_t {
    ptAbsolute, ptAbstract, ptAddressOp, ptAmpersand, ptAnd, ptAnsiComment, ptAnsiDirective,
    ptAnsiString, ptArray, ptAs, ptAsciiChar, ptAsm, ptAssembler, ptAssign, ptAt, ptAutomated,
    ptBegin, ptBoolean, ptBorComment, ptBorDirective, ptBraceClose, ptBraceOpen, ptByte,
    ptByteBool, ptCardinal, ptCase, ptCdecl, ptChar, ptClass, ptClassForward, ptClassFunction,
    ptClassProcedure, ptColon, ptComma, ptComp, ptCompDirect, ptConst, ptConstructor,
    ptContains, ptCRLF, ptCRLFCo, ptCurrency, ptDefault, ptDeprecated, ptDestructor, ptDispid,
    ptDispinterface, ptDiv, ptDo, ptDotDot, ptDouble, ptDoubleAddressOp, ptDownto, ptDWORD,
    ptDynamic, ptElse, ptEnd, ptEqual, ptError, ptExcept, ptExperimental, ptExport, ptExports,
    ptExtended, ptExternal, ptFar, ptFile, ptFinalization, ptFinally, ptFloat, ptFor,
    ptForward, ptFunction, ptGoto, ptGreater, ptGreaterEqual, ptHelper, ptIdentifier, ptIf,
    ptImplementation, ptImplements, ptIn, ptIndex, ptInherited, ptInitialization, ptInline,
    ptInt64, ptInteger, ptIntegerConst, ptInterface, ptInternationalIdentifier, ptIs,
    ptKeyWord, ptLabel, ptLibrary, ptLocal, ptLongBool, ptLongint, ptLongword, ptLower,
    ptLowerEqual, ptMessage, ptMinus, ptMod, ptName, ptNear, ptNil, ptNodefault, ptNone, ptNot,
    ptNotEqual, ptNull, ptObject, ptOf, ptOleVariant, ptOn, ptOr, ptOut, ptOverload,
    ptOverride, ptPackage, ptPacked, ptPascal, ptPlatform, ptPChar, ptPlus, ptPoint,
    ptPointerSymbol, ptPrivate, ptProcedure, ptProgram, ptProperty, ptProtected, ptPublic,
    ptPublished, ptRaise, ptRead, ptReadonly, ptReal, ptReal48, ptRecord, ptRegister,
    ptReintroduce, ptRepeat, ptRequires, ptResident, ptResourcestring, ptRoundClose,
    ptRoundOpen, ptSafeCall, ptSemiColon, ptSet, ptShl, ptShortint, ptShortString, ptShr,
    ptSingle, ptSlash, ptSlashesComment, ptSmallint, ptSpace, ptSquareClose, ptSquareOpen,
    ptStar, ptStdcall, ptStored, ptStrict, ptString, ptStringConst, ptStringresource, ptSymbol,
    ptThen, ptThreadvar, ptTo, ptTry, ptType, ptUnit, ptUnknown, ptUntil, ptUses, ptVar,
    ptVarargs, ptVariant, ptVirtual, ptWhile, ptWideChar, ptWideString, ptWith, ptWord,
    ptWordBool, ptWrite, ptWriteonly, ptXor
};
constexpr int ptTokenKindCount = 193;

// Token kinds inside compiler directives.
enum TcdTokenKind : uint8_t {
    cdNull, cdA, cdAOne, cdATwo, cdAFour, cdAEight, cdAPlus, cdAMinus, cdAlign, cdApptype, cdC,
    cdCPlus, cdCMinus, cdConsole, cdAssertions, cdB, cdBPlus, cdBMinus, cdBooleval, cdSoPrefix,
    cdSoSuffix, cdSoVersion, cdSoName, cdD, cdDPlus, cdDMinus, cdDebugInfo, cdDefaultFile,
    cdDefine, cdDenyPackageUnit, cdDescription, cdDesignOnly, cdElse, cdElseIf, cdEndIf, cdE,
    cdExtension, cdObjExportAll, cdX, cdXPlus, cdXMinus, cdExtendedSyntax, cdExternalSym,
    cdHints, cdHPPEmit, cdIf, cdIfDef, cdIfNDef, cdIfOpt, cdIfEnd, cdImplicitBuild, cdG,
    cdGPlus, cdGMinus, cdGUI, cdImportedData, cdI, cdIPlus, cdIMinus, cdImageBase, cdInclude,
    cdIOChecks, cdL, cdLPlus, cdLMinus, cdLink, cdLocalSymbols, cdH, cdHPlus, cdHMinus,
    cdLongStrings, cdM, cdMPlus, cdMMinus, cdMinStackSize, cdMaxStackSize, cdZ, cdZOne, cdZTwo,
    cdZFour, cdMinEnumSize, cdP, cdPPlus, cdPMinus, cdOpenStrings, cdO, cdOPlus, cdOMinus,
    cdOptimization, cdQ, cdQPlus, cdQMinus, cdOverFlowChecks, cdNoDefine, cdNoInclude, cdR,
    cdRPlus, cdRMinus, cdRangeChecks, cdRealCompatibility, cdRecordAlignment,
    cdResourceReserve, cdResource, cdRunOnly, cdTypeInfo, cdY, cdYPlus, cdYMinus, cdYD,
    cdReferenceInfo, cdDefinitionInfo, cdSafeDivide, cdSetPEFlags, cdSetPEOptFlags, cdT,
    cdTPlus, cdTMinus, cdTypedAddress, cdU, cdUPlus, cdUMinus, cdUnDef, cdV, cdVPlus, cdVMinus,
    cdVarStringChecks, cdWarn, cdWarnings, cdWeakPackageUnit, cdW, cdWPlus, cdWMinus,
    cdStackFrames, cdJ, cdJPlus, cdJMinus, cdVarPropSetter, cdWriteableConst, cdUnknownPlus,
    cdUnknownMinus, cdAnd, cdAtEnd, cdAnsiEnd, cdBorEnd, cdComma, cdCRLF, cdDeclared,
    cdDefined, cdEqual, cdFileName, cdFloat, cdGreater, cdGreaterEqual, cdIdentifier, cdLower,
    cdLowerEqual, cdNotEqual, cdNumber, cdOff, cdOn, cdOr, cdRoundOpen, cdRoundClose, cdSpace,
    cdStringConst, cdSymbol_Platform, cdSymbol_Library, cdSymbol_Deprecated, cdUnit_Deprecated,
    cdUnit_Library, cdUnit_Platform, cdUnknown
};
constexpr int cdTokenKindCount = 172;

// Boolean compiler switches.
enum TbdBooleanDirectives : uint8_t {
    bdAlign, bdAssertions, bdBooleval, bdDebugInfo, bdDenyPackageUnit, bdDesignOnly,
    bdObjExportAll, bdExtendedSyntax, bdHints, bdImplicitBuild, bdImportedData, bdIOChecks,
    bdLocalSymbols, bdLongStrings, bdOpenStrings, bdOptimization, bdOverFlowChecks,
    bdRangeChecks, bdRealCompatibility, bdRunOnly, bdTypeInfo, bdDefinitionInfo, bdSafeDivide,
    bdTypedAddress, bdVarStringChecks, bdWarn, bdWarnings, bdWeakPackageUnit, bdStackFrames,
    bdWriteableConst, bdVarPropSetter, bdSymbol_Platform, bdSymbol_Library,
    bdSymbol_Deprecated, bdUnit_Deprecated, bdUnit_Library, bdUnit_Platform, bdUnKnown
};
constexpr int bdBooleanDirectivesCount = 38;

// The set of switches that are on: five bytes, bit n stands for member n.
struct TlxBooleanDirectives {
    uint8_t Bits[5] = {0, 0, 0, 0, 0};

    bool Contains(TbdBooleanDirectives D) const { return (Bits[D >> 3] >> (D & 7)) & 1; }
    void Include(TbdBooleanDirectives D) { Bits[D >> 3] |= uint8_t(1u << (D & 7)); }
    void Exclude(TbdBooleanDirectives D) { Bits[D >> 3] &= uint8_t(~(1u << (D & 7))); }
    bool Empty() const { return !(Bits[0] | Bits[1] | Bits[2] | Bits[3] | Bits[4]); }
    friend bool operator==(const TlxBooleanDirectives& A, const TlxBooleanDirectives& B)
    {
        for (int i = 0; i < 5; ++i)
            if (A.Bits[i] != B.Bits[i])
                return false;
        return true;
    }
};

enum TlxLexState : uint8_t { lsNormal, lsSkipping };
enum TlxAppType : uint8_t { atConsole, atGUI };

// "Begin" for ptBegin: the enumeration name without its two-letter prefix.
std::string TokenName(TptTokenKind Kind);
// The enumeration names: "ptBegin", "cdIfDef".
std::string ptTokenName(TptTokenKind Kind);
std::string cdTokenName(TcdTokenKind Kind);
// Comments, directive comments, line breaks and blanks.
inline bool IsTokenIDJunk(TptTokenKind Kind)
{
    switch (Kind) {
    case ptAnsiComment:
    case ptAnsiDirective:
    case ptBorComment:
    case ptBorDirective:
    case ptCRLF:
    case ptCRLFCo:
    case ptSlashesComment:
    case ptSpace:
        return true;
    default:
        return false;
    }
}

// Character tables, indexed by the unsigned character code.
extern const std::array<bool, 256> StandardIdentifiers; // 0-9 A-Z _ a-z
extern const std::array<bool, 256> NonEnglishChars;     // Windows-1252 letters
extern const std::array<bool, 256> Identifiers;         // union of the two
extern const std::array<bool, 256> CompTable;           // kept for completeness; all false
// Upper-case folding of Windows-1252 (accented letters fold too).
extern const std::array<unsigned char, 256> lxInsensitiveHashTable;

inline unsigned char lxUpper(char C) { return lxInsensitiveHashTable[static_cast<unsigned char>(C)]; }

// Equal but for the case of letters, by the table above.
inline bool lxSameText(std::string_view A, std::string_view B)
{
    if (A.size() != B.size())
        return false;
    for (size_t I = 0; I < A.size(); ++I)
        if (lxUpper(A[I]) != lxUpper(B[I]))
            return false;
    return true;
}

// The source text of one file, followed in memory by a zero byte that is not
// part of the text (Size() is the text's length).
class TlxLexStream {
public:
    TlxLexStream();
    // Throws Exception when the file cannot be opened or read (also for a folder).
    void LoadFromFile(const std::string& FileName);
    void LoadFromStream(std::istream& Stream);
    // Writes the zero byte just past the end of the text.
    void SetTerminator();
    const char* Memory() const { return FData.data(); }
    int64_t Size() const { return FSize; }
    // Empties the stream and gives its memory back.
    void Clear();

private:
    // Leaves the characters a vector grows by uninitialised: a file's text is
    // read over them at once, and filling them first would cost a pass over
    // the whole text.
    template <class T>
    struct TReadBufferAllocator : std::allocator<T> {
        template <class U>
        struct rebind {
            using other = TReadBufferAllocator<U>;
        };
        TReadBufferAllocator() = default;
        template <class U>
        TReadBufferAllocator(const TReadBufferAllocator<U>&) noexcept
        {
        }
        template <class U>
        void construct(U* P) noexcept
        {
            ::new (static_cast<void*>(P)) U;
        }
        template <class U, class... A>
        void construct(U* P, A&&... Args)
        {
            ::new (static_cast<void*>(P)) U(std::forward<A>(Args)...);
        }
    };
    using TBuffer = std::vector<char, TReadBufferAllocator<char>>;

    TBuffer FData;
    int64_t FSize = 0;
};

// Texts that stand in for source files while a TlxSourceOverlay is alive:
// LoadFromFile of a listed name gives its text and does not touch the disk.
// A refactoring's last check analyses the sources as its output would leave
// them this way, writing nothing beside the output. Renamed maps a file name
// without folder, as a unit's uses or "in" clause names it, to the full name
// of the file whose text now stands for it (a unit that a rename gave a new
// name and file). Overlays nest; the newest one is asked.
class TlxSourceOverlay {
public:
    TlxSourceOverlay(std::vector<std::pair<std::string, std::string>> Texts,
                     std::vector<std::pair<std::string, std::string>> Renamed = {});
    ~TlxSourceOverlay();
    TlxSourceOverlay(const TlxSourceOverlay&) = delete;
    TlxSourceOverlay& operator=(const TlxSourceOverlay&) = delete;

    // The text standing in for FileName; nil when none.
    static const std::string* TextOf(const std::string& FileName);
    // The full name that a file named FileName (its folder part is not
    // looked at; case does not count) stands renamed for; "" when none.
    static std::string RenamedFile(const std::string& FileName);
    // A file of that name was renamed and is no longer there.
    static bool RenamedAway(const std::string& FileName);

private:
    std::vector<std::pair<std::string, std::string>> FTexts;
    std::vector<std::pair<std::string, std::string>> FRenamed;
    TlxSourceOverlay* FOuter;
};

// The saved state of a lexer (include files, reading ahead).
struct TlxPasLexStatus {
    TlxLexState LexState = lsNormal;
    TptTokenKind ExID = ptUnknown;
    int LineNumber = 0;
    int LinePos = 0;
    const char* Origin = nullptr;
    int RunPos = 0;
    int TokenPos = 0;
    TptTokenKind TokenID = ptUnknown;
    TlxBooleanDirectives Switches;
    int SkipDepth = 0;
    std::string FileName;
    // Length of the text when known (-1: the first zero byte ends it), so that
    // a zero byte inside a file is reported instead of cutting the file short.
    int TextLen = -1;
    // One entry per conditional opened while compiling and not yet closed:
    // '1' once one of its branches has been compiled, '0' before.
    std::string CondStack;
};

// Heap copies of saved states; the lexer's include stack.
class TlxPasLexStatusStack {
public:
    void Push(const TlxPasLexStatus& Status);
    // The top record (ownership passes to the caller); nil when empty.
    std::unique_ptr<TlxPasLexStatus> Pop();
    const TlxPasLexStatus* Peek() const;
    const TlxPasLexStatus* Items(int Index) const;
    int Count() const { return int(FItems.size()); }
    void Clear();

private:
    std::vector<std::unique_ptr<TlxPasLexStatus>> FItems;
};

// One word of a hashed word table.
class TlxLexHashStringItem {
public:
    virtual ~TlxLexHashStringItem() = default;
    uint32_t HashValue = 0;
    std::string Str;
    // A borrowed object reference (the hashed name index of the code model
    // keeps the named object here); never owned or freed by the table.
    void* Obj = nullptr;
};

class TlxPasHashItem : public TlxLexHashStringItem {
public:
    std::string UpperStr; // Str in upper case, as words are compared
    TptTokenKind TokenID = ptIdentifier;
    TptTokenKind ExID = ptIdentifier;
};

class TlxDirectiveHashItem : public TlxLexHashStringItem {
public:
    TcdTokenKind Kind = cdUnknown;
};

// Words kept in ascending (unsigned) order of their case-insensitive hash
// when Sorted; several items may share a hash, and a word may occur twice.
class TlxLexHashStrings {
public:
    TlxLexHashStrings() = default;
    TlxLexHashStrings(const TlxLexHashStrings&) = delete;
    TlxLexHashStrings& operator=(const TlxLexHashStrings&) = delete;
    virtual ~TlxLexHashStrings();

    virtual bool CompareString(const std::string& S1, const std::string& S2) const;
    virtual bool ComparePChar(const char* P, int Len, const std::string& S) const;
    virtual std::unique_ptr<TlxLexHashStringItem> CreateNewItem() const;
    virtual uint32_t HashOfPointer(int& Len, const char* P) const;
    virtual uint32_t HashOf(const std::string& S) const;
    virtual void Clear();

    // The Add operations return the stored item.
    TlxLexHashStringItem* AddItem(std::unique_ptr<TlxLexHashStringItem> Item);
    TlxLexHashStringItem* AddString(const std::string& S);
    virtual TlxLexHashStringItem* AddItemSorted(std::unique_ptr<TlxLexHashStringItem> Item);
    TlxLexHashStringItem* AddSorted(const std::string& S);
    void Insert(int Index, std::unique_ptr<TlxLexHashStringItem> Item);
    void Delete(int Index);
    virtual int Remove(const std::string& S);
    virtual int IndexOf(const std::string& S);
    bool Hash(const std::string& S) { return IndexOf(S) != -1; }
    TlxLexHashStringItem* GetItems(int Index) const;
    void Expand();
    void SetCapacity(int N);
    static int CompareValue(uint32_t A, uint32_t B) { return A < B ? -1 : (A > B ? 1 : 0); }
    int SorCompare(const TlxLexHashStringItem* Item1, const TlxLexHashStringItem* Item2) const
    {
        return CompareValue(Item1->HashValue, Item2->HashValue);
    }
    void QuickSort();

    int Count() const { return int(FItems.size()); }
    int Capacity() const { return FCapacity; }
    bool Sorted() const { return FSorted; }

    // The case-insensitive hash of a word.
    static uint32_t HashStep(uint32_t H, char C) { return H * 991u + lxUpper(C); }
    // HashStep over a whole text, four characters a step: the same value,
    // with the four multiplications independent of each other.
    static uint32_t HashText(std::string_view S)
    {
        constexpr uint32_t M1 = 991u, M2 = M1 * M1, M3 = M2 * M1, M4 = M3 * M1;
        const char* P = S.data();
        const size_t N = S.size();
        uint32_t H = 0;
        size_t I = 0;
        for (; I + 4 <= N; I += 4)
            H = H * M4 + lxUpper(P[I]) * M3 + lxUpper(P[I + 1]) * M2 + lxUpper(P[I + 2]) * M1 +
                lxUpper(P[I + 3]);
        for (; I < N; ++I)
            H = HashStep(H, P[I]);
        return H;
    }
    // Moves Run past the word at P[Run] (the characters a word table's
    // look-up reads), without looking it up.
    static void SkipWord(const char* P, int& Run);

protected:
    // Binary search for any item with hash H in a sorted table; -1 when none.
    int FindHash(uint32_t H) const;
    // The first item of the run with hash H in a sorted table, -1 when none:
    // through the index when one is built, else by binary search.
    int FirstOfHash(uint32_t H) const;
    // Builds the index of a sorted table of fixed words: a lookup then costs
    // one probe on average. Dropped again when items are added or move.
    void BuildIndex();
    void DropIndex() { FIndex.clear(); }
    // Called by Insert, Delete, Clear and QuickSort: a table with an index
    // of its own learns that the items have moved.
    virtual void ItemsChanged() {}
    // What Insert, Delete, Clear and QuickSort do before the items move: the
    // word index goes, and ItemsChanged tells a derived table.
    void ItemsMoved()
    {
        DropIndex();
        ItemsChanged();
    }
    std::vector<std::unique_ptr<TlxLexHashStringItem>> FItems;
    int FCapacity = 0;
    bool FSorted = false;

private:
    // Open-addressed, from hash to the first item of its run.
    std::vector<int32_t> FIndex;
    std::vector<uint32_t> FIndexHash; // the hash of each slot's item
    uint32_t FIndexMask = 0;
};

// The words of a table by length and first letter, in table order: a word
// read from a text is compared with the few of its length and first letter
// only, without a hash. Empty when the table cannot be kept so.
class TlxWordCandidates {
public:
    bool Empty() const { return FSpans.empty(); }
    void Clear();
    // Upper: each item's word in upper case as words are compared, or an
    // empty string for a word that must be compared another way (nothing is
    // kept then).
    void Build(const std::vector<std::unique_ptr<TlxLexHashStringItem>>& Items,
               std::string (*Upper)(const TlxLexHashStringItem&));
    // Moves Run past the word at P[Run]; the first item of that word, or nil.
    // Inline where the word tables look up (lxPasLexTypes.cpp).
    inline const TlxLexHashStringItem* Find(const char* P, int& Run) const;

private:
    // The words of one length and first letter: their items from Start on,
    // and their upper-case letters side by side in FUpper from Text on.
    struct TSpan {
        uint32_t Text = 0;
        uint16_t Start = 0;
        uint16_t Count = 0;
    };
    static constexpr size_t FirstLetters = 32;
    std::vector<TSpan> FSpans;
    std::vector<const TlxLexHashStringItem*> FItems;
    std::string FUpper;
};

// The keyword table: reserved words, directives and standard identifiers.
class TlxPasHash : public TlxLexHashStrings {
public:
    TlxPasHash();
    std::unique_ptr<TlxLexHashStringItem> CreateNewItem() const override;
    void Add(const std::string& S, TptTokenKind TokenID, TptTokenKind ExID);
    // Measures the word at P[Run] (advancing Run past its StandardIdentifiers
    // characters); for a table word sets TokenID and ExID, otherwise leaves
    // them.
    void HashRun(const char* P, int& Run, TptTokenKind& TokenID, TptTokenKind& ExID) const;
    void Init();

protected:
    void ItemsChanged() override { FCandidates.Clear(); }

private:
    // The look-up by hash, for a table whose words were not all added by Add.
    void HashRunByHash(const char* P, int& Run, TptTokenKind& TokenID, TptTokenKind& ExID) const;
    // Built by Init; empty once the items change.
    TlxWordCandidates FCandidates;
};

// The compiler-directive word table.
class TlxDirectiveHash : public TlxLexHashStrings {
public:
    TlxDirectiveHash();
    std::unique_ptr<TlxLexHashStringItem> CreateNewItem() const override;
    void Add(const std::string& S, TcdTokenKind Kind);
    void HashRun(const char* P, int& Run, TcdTokenKind& Kind) const;
    void Init();

protected:
    void ItemsChanged() override { FCandidates.Clear(); }

private:
    // Built by Init; empty once the items change.
    TlxWordCandidates FCandidates;
};

// A case-insensitive set of strings that keeps duplicates: the lexer's
// defined symbols, and the name index of the code model's hashed lists.
class TlxAssignAbleHash : public TlxLexHashStrings {
public:
    TlxAssignAbleHash() = default;
    explicit TlxAssignAbleHash(const std::vector<std::string>& List);
    // One symbol per line.
    explicit TlxAssignAbleHash(const std::string& Text);
    // Adds (sorted) every word of Other in its item order; nil does nothing.
    void Assign(const TlxAssignAbleHash* Other);
};

// The lexer's own defined symbols. Symbols added, sought and removed one by
// one (AddSorted, IndexOf, Remove) go through a hashed index kept beside the
// items, so that each costs the same however many symbols there are; the
// items then stay in the order they came (a removal moves the last item into
// the gap) instead of in hash order. Changes made otherwise drop the index,
// which the next of those calls builds anew.
class TlxDefineSet : public TlxAssignAbleHash {
public:
    using TlxAssignAbleHash::TlxAssignAbleHash;

    TlxLexHashStringItem* AddItemSorted(std::unique_ptr<TlxLexHashStringItem> Item) override;
    // The first position holding S; -1 when there is none.
    int IndexOf(const std::string& S) override;
    // Removes one item holding S and answers the position it had (the last
    // item takes that position); -1 when there is none.
    int Remove(const std::string& S) override;

protected:
    void ItemsChanged() override;

private:
    void SyncIndex();
    uint32_t HomeSlot(uint32_t Hash) const;
    uint32_t SlotOf(int Position) const;
    void IndexAdd(int Position);
    void IndexErase(uint32_t Slot);
    // Position of each item, by hash (open addressing); valid while Indexed.
    std::vector<int32_t> FIndex;
    bool FIndexed = false;
};
