#include "lexer/lxPasLexTypes.h"

#include "base/qlException.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

const char* const ptNames[ptTokenKindCount] = {
    "ptAbsolute", "ptAbstract", "ptAddressOp", "ptAmpersand", "ptAnd", "ptAnsiComment",
    "ptAnsiDirective", "ptAnsiString", "ptArray", "ptAs", "ptAsciiChar", "ptAsm",
    "ptAssembler", "ptAssign", "ptAt", "ptAutomated", "ptBegin", "ptBoolean", "ptBorComment",
    "ptBorDirective", "ptBraceClose", "ptBraceOpen", "ptByte", "ptByteBool", "ptCardinal",
    "ptCase", "ptCdecl", "ptChar", "ptClass", "ptClassForward", "ptClassFunction",
    "ptClassProcedure", "ptColon", "ptComma", "ptComp", "ptCompDirect", "ptConst",
    "ptConstructor", "ptContains", "ptCRLF", "ptCRLFCo", "ptCurrency", "ptDefault",
    "ptDeprecated", "ptDestructor", "ptDispid", "ptDispinterface", "ptDiv", "ptDo", "ptDotDot",
    "ptDouble", "ptDoubleAddressOp", "ptDownto", "ptDWORD", "ptDynamic", "ptElse", "ptEnd",
    "ptEqual", "ptError", "ptExcept", "ptExperimental", "ptExport", "ptExports", "ptExtended",
    "ptExternal", "ptFar", "ptFile", "ptFinalization", "ptFinally", "ptFloat", "ptFor",
    "ptForward", "ptFunction", "ptGoto", "ptGreater", "ptGreaterEqual", "ptHelper",
    "ptIdentifier", "ptIf", "ptImplementation", "ptImplements", "ptIn", "ptIndex",
    "ptInherited", "ptInitialization", "ptInline", "ptInt64", "ptInteger", "ptIntegerConst",
    "ptInterface", "ptInternationalIdentifier", "ptIs", "ptKeyWord", "ptLabel", "ptLibrary",
    "ptLocal", "ptLongBool", "ptLongint", "ptLongword", "ptLower", "ptLowerEqual", "ptMessage",
    "ptMinus", "ptMod", "ptName", "ptNear", "ptNil", "ptNodefault", "ptNone", "ptNot",
    "ptNotEqual", "ptNull", "ptObject", "ptOf", "ptOleVariant", "ptOn", "ptOr", "ptOut",
    "ptOverload", "ptOverride", "ptPackage", "ptPacked", "ptPascal", "ptPlatform", "ptPChar",
    "ptPlus", "ptPoint", "ptPointerSymbol", "ptPrivate", "ptProcedure", "ptProgram",
    "ptProperty", "ptProtected", "ptPublic", "ptPublished", "ptRaise", "ptRead", "ptReadonly",
    "ptReal", "ptReal48", "ptRecord", "ptRegister", "ptReintroduce", "ptRepeat", "ptRequires",
    "ptResident", "ptResourcestring", "ptRoundClose", "ptRoundOpen", "ptSafeCall",
    "ptSemiColon", "ptSet", "ptShl", "ptShortint", "ptShortString", "ptShr", "ptSingle",
    "ptSlash", "ptSlashesComment", "ptSmallint", "ptSpace", "ptSquareClose", "ptSquareOpen",
    "ptStar", "ptStdcall", "ptStored", "ptStrict", "ptString", "ptStringConst",
    "ptStringresource", "ptSymbol", "ptThen", "ptThreadvar", "ptTo", "ptTry", "ptType",
    "ptUnit", "ptUnknown", "ptUntil", "ptUses", "ptVar", "ptVarargs", "ptVariant", "ptVirtual",
    "ptWhile", "ptWideChar", "ptWideString", "ptWith", "ptWord", "ptWordBool", "ptWrite",
    "ptWriteonly", "ptXor"
};

const char* const cdNames[cdTokenKindCount] = {
    "cdNull", "cdA", "cdAOne", "cdATwo", "cdAFour", "cdAEight", "cdAPlus", "cdAMinus",
    "cdAlign", "cdApptype", "cdC", "cdCPlus", "cdCMinus", "cdConsole", "cdAssertions", "cdB",
    "cdBPlus", "cdBMinus", "cdBooleval", "cdSoPrefix", "cdSoSuffix", "cdSoVersion", "cdSoName",
    "cdD", "cdDPlus", "cdDMinus", "cdDebugInfo", "cdDefaultFile", "cdDefine",
    "cdDenyPackageUnit", "cdDescription", "cdDesignOnly", "cdElse", "cdElseIf", "cdEndIf",
    "cdE", "cdExtension", "cdObjExportAll", "cdX", "cdXPlus", "cdXMinus", "cdExtendedSyntax",
    "cdExternalSym", "cdHints", "cdHPPEmit", "cdIf", "cdIfDef", "cdIfNDef", "cdIfOpt",
    "cdIfEnd", "cdImplicitBuild", "cdG", "cdGPlus", "cdGMinus", "cdGUI", "cdImportedData",
    "cdI", "cdIPlus", "cdIMinus", "cdImageBase", "cdInclude", "cdIOChecks", "cdL", "cdLPlus",
    "cdLMinus", "cdLink", "cdLocalSymbols", "cdH", "cdHPlus", "cdHMinus", "cdLongStrings",
    "cdM", "cdMPlus", "cdMMinus", "cdMinStackSize", "cdMaxStackSize", "cdZ", "cdZOne",
    "cdZTwo", "cdZFour", "cdMinEnumSize", "cdP", "cdPPlus", "cdPMinus", "cdOpenStrings", "cdO",
    "cdOPlus", "cdOMinus", "cdOptimization", "cdQ", "cdQPlus", "cdQMinus", "cdOverFlowChecks",
    "cdNoDefine", "cdNoInclude", "cdR", "cdRPlus", "cdRMinus", "cdRangeChecks",
    "cdRealCompatibility", "cdRecordAlignment", "cdResourceReserve", "cdResource", "cdRunOnly",
    "cdTypeInfo", "cdY", "cdYPlus", "cdYMinus", "cdYD", "cdReferenceInfo", "cdDefinitionInfo",
    "cdSafeDivide", "cdSetPEFlags", "cdSetPEOptFlags", "cdT", "cdTPlus", "cdTMinus",
    "cdTypedAddress", "cdU", "cdUPlus", "cdUMinus", "cdUnDef", "cdV", "cdVPlus", "cdVMinus",
    "cdVarStringChecks", "cdWarn", "cdWarnings", "cdWeakPackageUnit", "cdW", "cdWPlus",
    "cdWMinus", "cdStackFrames", "cdJ", "cdJPlus", "cdJMinus", "cdVarPropSetter",
    "cdWriteableConst", "cdUnknownPlus", "cdUnknownMinus", "cdAnd", "cdAtEnd", "cdAnsiEnd",
    "cdBorEnd", "cdComma", "cdCRLF", "cdDeclared", "cdDefined", "cdEqual", "cdFileName",
    "cdFloat", "cdGreater", "cdGreaterEqual", "cdIdentifier", "cdLower", "cdLowerEqual",
    "cdNotEqual", "cdNumber", "cdOff", "cdOn", "cdOr", "cdRoundOpen", "cdRoundClose",
    "cdSpace", "cdStringConst", "cdSymbol_Platform", "cdSymbol_Library", "cdSymbol_Deprecated",
    "cdUnit_Deprecated", "cdUnit_Library", "cdUnit_Platform", "cdUnknown"
};

constexpr std::array<bool, 256> MakeStandardIdentifiers()
{
    std::array<bool, 256> T{};
    for (int c = '0'; c <= '9'; ++c)
        T[c] = true;
    for (int c = 'A'; c <= 'Z'; ++c)
        T[c] = true;
    for (int c = 'a'; c <= 'z'; ++c)
        T[c] = true;
    T['_'] = true;
    return T;
}

constexpr std::array<bool, 256> MakeNonEnglishChars()
{
    std::array<bool, 256> T{};
    T[170] = T[181] = T[186] = true;
    for (int c = 192; c <= 255; ++c)
        T[c] = c != 215 && c != 247;
    return T;
}

constexpr std::array<bool, 256> MakeIdentifiers()
{
    std::array<bool, 256> T = MakeStandardIdentifiers();
    std::array<bool, 256> N = MakeNonEnglishChars();
    for (int c = 0; c < 256; ++c)
        T[c] = T[c] || N[c];
    return T;
}

// Upper-casing of the Windows-1252 code page.
constexpr std::array<unsigned char, 256> MakeUpperTable()
{
    std::array<unsigned char, 256> T{};
    for (int c = 0; c < 256; ++c)
        T[c] = static_cast<unsigned char>(c);
    for (int c = 'a'; c <= 'z'; ++c)
        T[c] = static_cast<unsigned char>(c - 32);
    T[0x9A] = 0x8A; // s caron
    T[0x9C] = 0x8C; // oe
    T[0x9E] = 0x8E; // z caron
    T[0xFF] = 0x9F; // y diaeresis
    for (int c = 0xE0; c <= 0xFE; ++c)
        if (c != 0xF7)
            T[c] = static_cast<unsigned char>(c - 32);
    return T;
}

} // namespace

constexpr std::array<bool, 256> StandardIdentifiers = MakeStandardIdentifiers();
constexpr std::array<bool, 256> NonEnglishChars = MakeNonEnglishChars();
constexpr std::array<bool, 256> Identifiers = MakeIdentifiers();
constexpr std::array<bool, 256> CompTable{};
constexpr std::array<unsigned char, 256> lxInsensitiveHashTable = MakeUpperTable();

std::string ptTokenName(TptTokenKind Kind)
{
    return Kind < ptTokenKindCount ? ptNames[Kind] : std::to_string(int(Kind));
}

std::string TokenName(TptTokenKind Kind)
{
    return Kind < ptTokenKindCount ? std::string(ptNames[Kind] + 2) : std::to_string(int(Kind));
}

std::string cdTokenName(TcdTokenKind Kind)
{
    return Kind < cdTokenKindCount ? cdNames[Kind] : std::to_string(int(Kind));
}

// ---------------------------------------------------------------- TlxLexStream

TlxLexStream::TlxLexStream() { SetTerminator(); }

void TlxLexStream::Clear()
{
    FSize = 0;
    TBuffer().swap(FData);
    SetTerminator();
}

void TlxLexStream::LoadFromFile(const std::string& FileName)
{
    if (const std::string* Text = TlxSourceOverlay::TextOf(FileName)) {
        FData.assign(Text->begin(), Text->end());
        FSize = int64_t(FData.size());
        SetTerminator();
        return;
    }
    // One open, one status and the reads: a unit's text is read once for
    // each parse phase.
    struct stat St {};
    const int Fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (Fd < 0) {
        const int Error = errno;
        if (::stat(FileName.c_str(), &St) == 0 && S_ISDIR(St.st_mode))
            throw Exception("Cannot read \"" + FileName + "\": it is a folder");
        throw Exception("Cannot open file \"" + FileName + "\": " + std::strerror(Error));
    }
    struct TClose {
        int Fd;
        ~TClose() { ::close(Fd); }
    } Close{Fd};
    const bool Known = ::fstat(Fd, &St) == 0;
    if (Known && S_ISDIR(St.st_mode))
        throw Exception("Cannot read \"" + FileName + "\": it is a folder");
    // Read straight into the buffer: the size is known for regular files, and
    // whatever a growing file adds meanwhile is read in further chunks.
    TBuffer Data;
    Data.resize(Known && S_ISREG(St.st_mode) ? size_t(St.st_size) + 1 : 65536);
    size_t Used = 0;
    for (;;) {
        if (Used == Data.size())
            Data.resize(Data.size() * 2);
        const ssize_t N = ::read(Fd, Data.data() + Used, Data.size() - Used);
        if (N < 0 && errno == EINTR)
            continue;
        if (N < 0)
            throw Exception("Cannot read file \"" + FileName + "\"");
        if (N == 0)
            break;
        Used += size_t(N);
    }
    Data.resize(Used);
    FSize = int64_t(Data.size());
    FData = std::move(Data);
    SetTerminator();
}

void TlxLexStream::LoadFromStream(std::istream& Stream)
{
    FData.assign(std::istreambuf_iterator<char>(Stream), std::istreambuf_iterator<char>());
    FSize = int64_t(FData.size());
    SetTerminator();
}

void TlxLexStream::SetTerminator()
{
    FData.resize(size_t(FSize) + 1);
    FData[size_t(FSize)] = '\0';
}

// ------------------------------------------------------------ TlxSourceOverlay

namespace {

TlxSourceOverlay*& CurrentOverlay()
{
    static TlxSourceOverlay* Current = nullptr;
    return Current;
}

// The file name after the last folder delimiter of either kind.
std::string_view BareName(std::string_view Path)
{
    const size_t Cut = Path.find_last_of("/\\");
    return Cut == std::string_view::npos ? Path : Path.substr(Cut + 1);
}

bool SameBareName(std::string_view A, std::string_view B)
{
    return A.size() == B.size() &&
           std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
               return lxInsensitiveHashTable[static_cast<unsigned char>(X)] ==
                      lxInsensitiveHashTable[static_cast<unsigned char>(Y)];
           });
}

} // namespace

TlxSourceOverlay::TlxSourceOverlay(std::vector<std::pair<std::string, std::string>> Texts,
                                   std::vector<std::pair<std::string, std::string>> Renamed)
    : FTexts(std::move(Texts)), FRenamed(std::move(Renamed)), FOuter(CurrentOverlay())
{
    CurrentOverlay() = this;
}

TlxSourceOverlay::~TlxSourceOverlay() { CurrentOverlay() = FOuter; }

const std::string* TlxSourceOverlay::TextOf(const std::string& FileName)
{
    if (const TlxSourceOverlay* O = CurrentOverlay())
        for (const auto& [Name, Text] : O->FTexts)
            if (Name == FileName)
                return &Text;
    return nullptr;
}

std::string TlxSourceOverlay::RenamedFile(const std::string& FileName)
{
    if (const TlxSourceOverlay* O = CurrentOverlay())
        for (const auto& [Name, Full] : O->FRenamed)
            if (SameBareName(BareName(Name), BareName(FileName)))
                return Full;
    return std::string();
}

bool TlxSourceOverlay::RenamedAway(const std::string& FileName)
{
    if (const TlxSourceOverlay* O = CurrentOverlay())
        for (const auto& [Name, Full] : O->FRenamed)
            if (SameBareName(BareName(Full), BareName(FileName)))
                return RenamedFile(FileName).empty();
    return false;
}

// -------------------------------------------------------- TlxPasLexStatusStack

void TlxPasLexStatusStack::Push(const TlxPasLexStatus& Status)
{
    FItems.push_back(std::make_unique<TlxPasLexStatus>(Status));
}

std::unique_ptr<TlxPasLexStatus> TlxPasLexStatusStack::Pop()
{
    if (FItems.empty())
        return nullptr;
    std::unique_ptr<TlxPasLexStatus> Top = std::move(FItems.back());
    FItems.pop_back();
    return Top;
}

const TlxPasLexStatus* TlxPasLexStatusStack::Peek() const
{
    return FItems.empty() ? nullptr : FItems.back().get();
}

const TlxPasLexStatus* TlxPasLexStatusStack::Items(int Index) const
{
    return Index >= 0 && Index < Count() ? FItems[size_t(Index)].get() : nullptr;
}

void TlxPasLexStatusStack::Clear() { FItems.clear(); }

// ----------------------------------------------------------- TlxLexHashStrings

TlxLexHashStrings::~TlxLexHashStrings() = default;

bool TlxLexHashStrings::CompareString(const std::string& S1, const std::string& S2) const
{
    return lxSameText(S1, S2);
}

bool TlxLexHashStrings::ComparePChar(const char* P, int Len, const std::string& S) const
{
    return Len >= 0 && lxSameText(std::string_view(P, size_t(Len)), S);
}

std::unique_ptr<TlxLexHashStringItem> TlxLexHashStrings::CreateNewItem() const
{
    return std::make_unique<TlxLexHashStringItem>();
}

uint32_t TlxLexHashStrings::HashOfPointer(int& Len, const char* P) const
{
    uint32_t H = 0;
    int N = 0;
    while (Identifiers[static_cast<unsigned char>(P[N])]) {
        H = HashStep(H, P[N]);
        ++N;
    }
    Len = N;
    return H;
}

uint32_t TlxLexHashStrings::HashOf(const std::string& S) const
{
    return HashText(S);
}

void TlxLexHashStrings::Clear()
{
    ItemsMoved();
    FItems.clear();
    FItems.shrink_to_fit();
    FCapacity = 0;
}

TlxLexHashStringItem* TlxLexHashStrings::AddItem(std::unique_ptr<TlxLexHashStringItem> Item)
{
    Insert(Count(), std::move(Item));
    FSorted = false;
    return FItems.back().get();
}

TlxLexHashStringItem* TlxLexHashStrings::AddString(const std::string& S)
{
    std::unique_ptr<TlxLexHashStringItem> Item = CreateNewItem();
    Item->Str = S;
    Item->HashValue = HashOf(S);
    return AddItem(std::move(Item));
}

TlxLexHashStringItem* TlxLexHashStrings::AddItemSorted(std::unique_ptr<TlxLexHashStringItem> Item)
{
    // The hash is needed in both branches: an item appended unsorted must be
    // found by the lazy sort and the lookup that follow.
    Item->HashValue = HashOf(Item->Str);
    if (Count() > 2000)
        return AddItem(std::move(Item));
    if (Count() == 0) {
        FSorted = true;
        Insert(0, std::move(Item));
        return FItems[0].get();
    }
    if (!FSorted)
        QuickSort();
    const uint32_t H = Item->HashValue;
    int Lo = 0, Hi = Count() - 1, Mid = 0, Cmp = 0;
    while (Lo <= Hi) {
        Mid = (Lo + Hi) / 2;
        Cmp = CompareValue(FItems[size_t(Mid)]->HashValue, H);
        if (Cmp > 0)
            Hi = Mid - 1;
        else if (Cmp < 0)
            Lo = Mid + 1;
        else
            break;
    }
    const int At = Cmp < 0 ? Mid + 1 : Mid;
    Insert(At, std::move(Item));
    return FItems[size_t(At)].get();
}

TlxLexHashStringItem* TlxLexHashStrings::AddSorted(const std::string& S)
{
    std::unique_ptr<TlxLexHashStringItem> Item = CreateNewItem();
    Item->Str = S;
    return AddItemSorted(std::move(Item));
}

void TlxLexHashStrings::Insert(int Index, std::unique_ptr<TlxLexHashStringItem> Item)
{
    if (Index < 0 || Index > Count())
        throw Exception("List index out of bounds (" + std::to_string(Index) + ")");
    if (Count() == FCapacity)
        Expand();
    ItemsMoved();
    FItems.insert(FItems.begin() + Index, std::move(Item));
}

void TlxLexHashStrings::Delete(int Index)
{
    if (Index < 0 || Index >= Count())
        throw Exception("List index out of bounds (" + std::to_string(Index) + ")");
    ItemsMoved();
    FItems.erase(FItems.begin() + Index);
}

int TlxLexHashStrings::Remove(const std::string& S)
{
    int I = IndexOf(S);
    if (I >= 0)
        Delete(I);
    return I;
}

int TlxLexHashStrings::FindHash(uint32_t H) const
{
    int Lo = 0, Hi = Count() - 1;
    while (Lo <= Hi) {
        int Mid = (Lo + Hi) / 2;
        uint32_t V = FItems[size_t(Mid)]->HashValue;
        if (V > H)
            Hi = Mid - 1;
        else if (V < H)
            Lo = Mid + 1;
        else
            return Mid;
    }
    return -1;
}

int TlxLexHashStrings::IndexOf(const std::string& S)
{
    if (!FSorted)
        QuickSort();
    const uint32_t H = HashOf(S);
    const int Found = FindHash(H);
    if (Found < 0)
        return -1;
    for (int I = Found; I >= 0 && FItems[size_t(I)]->HashValue == H; --I)
        if (CompareString(FItems[size_t(I)]->Str, S))
            return I;
    for (int I = Found + 1; I < Count() && FItems[size_t(I)]->HashValue == H; ++I)
        if (CompareString(FItems[size_t(I)]->Str, S))
            return I;
    return -1;
}

TlxLexHashStringItem* TlxLexHashStrings::GetItems(int Index) const
{
    return Index >= 0 && Index < Count() ? FItems[size_t(Index)].get() : nullptr;
}

void TlxLexHashStrings::Expand() { SetCapacity(Count() + Count() / 10 + 1); }

void TlxLexHashStrings::SetCapacity(int N)
{
    if (N == FCapacity || N < Count())
        return;
    FItems.reserve(size_t(N));
    FCapacity = N;
}

void TlxLexHashStrings::QuickSort()
{
    if (Count() < 2)
        return;
    ItemsMoved();
    constexpr int MaxDepth = 128;
    std::pair<int, int> Stack[MaxDepth];
    int Depth = 0;
    Stack[Depth++] = {0, Count() - 1};
    while (Depth > 0) {
        auto [Lo, Hi] = Stack[--Depth];
        int J;
        do {
            int I = Lo;
            J = Hi;
            const uint32_t Pivot = FItems[size_t((Lo + Hi) / 2)]->HashValue;
            do {
                while (CompareValue(FItems[size_t(I)]->HashValue, Pivot) < 0)
                    ++I;
                while (CompareValue(FItems[size_t(J)]->HashValue, Pivot) > 0)
                    --J;
                if (I <= J) {
                    std::swap(FItems[size_t(I)], FItems[size_t(J)]);
                    ++I;
                    --J;
                }
            } while (I <= J);
            if (I < Hi) {
                if (Depth + 1 > MaxDepth)
                    throw Exception("Max depth exceeded, depth is " + std::to_string(Depth + 1));
                Stack[Depth++] = {I, Hi};
            }
            Hi = J;
        } while (Lo < J);
    }
    FSorted = true;
}

// ------------------------------------------------------------------ TlxPasHash

TlxPasHash::TlxPasHash() { Init(); }

std::unique_ptr<TlxLexHashStringItem> TlxPasHash::CreateNewItem() const
{
    return std::make_unique<TlxPasHashItem>();
}

void TlxPasHash::Add(const std::string& S, TptTokenKind TokenID, TptTokenKind ExID)
{
    auto Item = std::make_unique<TlxPasHashItem>();
    Item->Str = S;
    for (char C : S)
        Item->UpperStr += char(lxUpper(C));
    Item->HashValue = HashOf(S);
    Item->TokenID = TokenID;
    Item->ExID = ExID;
    AddItem(std::move(Item)); // drops the index until Init builds it again
}

void TlxLexHashStrings::BuildIndex()
{
    size_t Size = 1;
    while (Size < size_t(Count()) * 4)
        Size <<= 1;
    FIndex.assign(Size, -1);
    FIndexHash.assign(Size, 0);
    FIndexMask = uint32_t(Size - 1);
    // Only the first item of a run of equal hashes is entered; the lookup
    // walks the run from there.
    for (int I = 0; I < Count(); ++I) {
        uint32_t H = FItems[size_t(I)]->HashValue;
        if (I > 0 && FItems[size_t(I - 1)]->HashValue == H)
            continue;
        uint32_t Slot = (H ^ (H >> 15)) & FIndexMask;
        while (FIndex[Slot] >= 0)
            Slot = (Slot + 1) & FIndexMask;
        FIndex[Slot] = I;
        FIndexHash[Slot] = H;
    }
}

int TlxLexHashStrings::FirstOfHash(uint32_t H) const
{
    if (!FIndex.empty()) {
        for (uint32_t Slot = (H ^ (H >> 15)) & FIndexMask; FIndex[Slot] >= 0; Slot = (Slot + 1) & FIndexMask)
            if (FIndexHash[Slot] == H)
                return FIndex[Slot];
        return -1;
    }
    int First = FindHash(H);
    while (First > 0 && FItems[size_t(First - 1)]->HashValue == H)
        --First;
    return First;
}

namespace {

// One table gives both whether a character belongs to a word and its upper
// case (zero for the first character after the word).
constexpr std::array<unsigned char, 256> WordUpper = [] {
    std::array<unsigned char, 256> T{};
    for (int C = 0; C < 256; ++C)
        T[size_t(C)] = StandardIdentifiers[size_t(C)] ? lxInsensitiveHashTable[size_t(C)] : 0;
    return T;
}();

// Measures and hashes (as HashStep does) the word at P[Run], moving Run past it.
uint32_t HashWord(const char* P, int& Run)
{
    uint32_t H = 0;
    const auto* Q = reinterpret_cast<const unsigned char*>(P) + Run;
    for (unsigned char U; (U = WordUpper[*Q]) != 0; ++Q)
        H = H * 991u + U;
    Run = int(reinterpret_cast<const char*>(Q) - P);
    return H;
}

} // namespace

void TlxLexHashStrings::SkipWord(const char* P, int& Run)
{
    const auto* Q = reinterpret_cast<const unsigned char*>(P) + Run;
    while (WordUpper[*Q] != 0)
        ++Q;
    Run = int(reinterpret_cast<const char*>(Q) - P);
}

void TlxWordCandidates::Clear()
{
    FSpans.clear();
    FItems.clear();
    FUpper.clear();
}

void TlxWordCandidates::Build(const std::vector<std::unique_ptr<TlxLexHashStringItem>>& Items,
                              std::string (*Upper)(const TlxLexHashStringItem&))
{
    Clear();
    std::vector<std::string> Words;
    size_t Most = 0;
    for (const auto& Item : Items) {
        Words.push_back(Upper(*Item));
        if (Words.back().empty() || Words.back().size() > 64)
            return;
        Most = std::max(Most, Words.back().size());
    }
    if (Words.size() > UINT16_MAX)
        return;
    std::vector<std::vector<size_t>> Lists((Most + 1) * FirstLetters);
    for (size_t i = 0; i < Words.size(); ++i)
        Lists[Words[i].size() * FirstLetters + (static_cast<unsigned char>(Words[i][0]) & (FirstLetters - 1))]
            .push_back(i);
    std::vector<TSpan> Spans(Lists.size());
    for (size_t i = 0; i < Lists.size(); ++i) {
        Spans[i].Text = static_cast<uint32_t>(FUpper.size());
        Spans[i].Start = static_cast<uint16_t>(FItems.size());
        Spans[i].Count = static_cast<uint16_t>(Lists[i].size());
        for (size_t w : Lists[i]) {
            FItems.push_back(Items[w].get());
            FUpper += Words[w];
        }
    }
    FSpans = std::move(Spans);
}

inline const TlxLexHashStringItem* TlxWordCandidates::Find(const char* P, int& Run) const
{
    const auto* Word = reinterpret_cast<const unsigned char*>(P) + Run;
    const int Start = Run;
    TlxLexHashStrings::SkipWord(P, Run);
    const size_t Len = static_cast<size_t>(Run - Start);
    if (Len == 0 || Len * FirstLetters >= FSpans.size())
        return nullptr;
    const TSpan Span = FSpans[Len * FirstLetters + (WordUpper[Word[0]] & (FirstLetters - 1))];
    const auto* Upper = reinterpret_cast<const unsigned char*>(FUpper.data()) + Span.Text;
    for (size_t i = 0; i < Span.Count; ++i, Upper += Len) {
        size_t C = 0;
        while (C < Len && WordUpper[Word[C]] == Upper[C])
            ++C;
        if (C == Len)
            return FItems[Span.Start + i];
    }
    return nullptr;
}

void TlxPasHash::HashRun(const char* P, int& Run, TptTokenKind& TokenID, TptTokenKind& ExID) const
{
    if (!FCandidates.Empty()) {
        if (const auto* Item = static_cast<const TlxPasHashItem*>(FCandidates.Find(P, Run))) {
            TokenID = Item->TokenID;
            ExID = Item->ExID;
        }
        return;
    }
    HashRunByHash(P, Run, TokenID, ExID);
}

void TlxPasHash::HashRunByHash(const char* P, int& Run, TptTokenKind& TokenID, TptTokenKind& ExID) const
{
    const int Start = Run;
    const uint32_t H = HashWord(P, Run);
    const int Len = Run - Start;
    const int First = FirstOfHash(H);
    if (First < 0)
        return;
    const auto* Word = reinterpret_cast<const unsigned char*>(P) + Start;
    for (int I = First; I < Count() && FItems[size_t(I)]->HashValue == H; ++I) {
        const auto* Item = static_cast<const TlxPasHashItem*>(FItems[size_t(I)].get());
        const std::string& Upper = Item->UpperStr;
        bool Same;
        if (Upper.empty()) {
            Same = TlxLexHashStrings::ComparePChar(P + Start, Len, Item->Str); // not added by Add
        } else {
            int C = 0;
            if (size_t(Len) == Upper.size())
                while (C < Len && WordUpper[Word[C]] == static_cast<unsigned char>(Upper[size_t(C)]))
                    ++C;
            Same = size_t(C) == Upper.size();
        }
        if (Same) {
            TokenID = Item->TokenID;
            ExID = Item->ExID;
            return;
        }
    }
}

void TlxPasHash::Init()
{
    Add("If", ptIf, ptKeyWord);
    Add("Do", ptDo, ptKeyWord);
    Add("And", ptAnd, ptKeyWord);
    Add("As", ptAs, ptKeyWord);
    Add("Of", ptOf, ptKeyWord);
    Add("End", ptEnd, ptKeyWord);
    Add("In", ptIn, ptKeyWord);
    Add("Case", ptCase, ptKeyWord);
    Add("Is", ptIs, ptKeyWord);
    Add("File", ptFile, ptKeyWord);
    Add("Label", ptLabel, ptKeyWord);
    Add("Mod", ptMod, ptKeyWord);
    Add("Or", ptOr, ptKeyWord);
    Add("Asm", ptAsm, ptKeyWord);
    Add("Nil", ptNil, ptKeyWord);
    Add("To", ptTo, ptKeyWord);
    Add("Div", ptDiv, ptKeyWord);
    Add("Begin", ptBegin, ptKeyWord);
    Add("For", ptFor, ptKeyWord);
    Add("Shl", ptShl, ptKeyWord);
    Add("Packed", ptPacked, ptKeyWord);
    Add("Var", ptVar, ptKeyWord);
    Add("Else", ptElse, ptKeyWord);
    Add("Set", ptSet, ptKeyWord);
    Add("Shr", ptShr, ptKeyWord);
    Add("Then", ptThen, ptKeyWord);
    Add("Not", ptNot, ptKeyWord);
    Add("Raise", ptRaise, ptKeyWord);
    Add("Class", ptClass, ptKeyWord);
    Add("Object", ptObject, ptKeyWord);
    Add("While", ptWhile, ptKeyWord);
    Add("Xor", ptXor, ptKeyWord);
    Add("Goto", ptGoto, ptKeyWord);
    Add("With", ptWith, ptKeyWord);
    Add("Array", ptArray, ptKeyWord);
    Add("Try", ptTry, ptKeyWord);
    Add("Record", ptRecord, ptKeyWord);
    Add("Inline", ptInline, ptKeyWord);
    Add("Uses", ptUses, ptKeyWord);
    Add("Unit", ptUnit, ptKeyWord);
    Add("Repeat", ptRepeat, ptKeyWord);
    Add("Type", ptType, ptKeyWord);
    Add("Const", ptConst, ptKeyWord);
    Add("Except", ptExcept, ptKeyWord);
    Add("Until", ptUntil, ptKeyWord);
    Add("Finally", ptFinally, ptKeyWord);
    Add("Library", ptLibrary, ptKeyWord);
    Add("String", ptString, ptKeyWord);
    Add("Program", ptProgram, ptKeyWord);
    Add("Downto", ptDownto, ptKeyWord);
    Add("Threadvar", ptThreadvar, ptKeyWord);
    Add("Function", ptFunction, ptKeyWord);
    Add("Procedure", ptProcedure, ptKeyWord);
    Add("Exports", ptExports, ptKeyWord);
    Add("Dispinterface", ptDispinterface, ptKeyWord);
    Add("Finalization", ptFinalization, ptKeyWord);
    Add("Destructor", ptDestructor, ptKeyWord);
    Add("Constructor", ptConstructor, ptKeyWord);
    Add("Implementation", ptImplementation, ptKeyWord);
    Add("Initialization", ptInitialization, ptKeyWord);
    Add("Resourcestring", ptResourcestring, ptKeyWord);
    Add("Interface", ptInterface, ptInterface);
    Add("Inherited", ptInherited, ptInherited);
    Add("Property", ptProperty, ptProperty);
    Add("At", ptIdentifier, ptAt);
    Add("Far", ptIdentifier, ptFar);
    Add("Cdecl", ptIdentifier, ptCdecl);
    Add("Read", ptIdentifier, ptRead);
    Add("On", ptIdentifier, ptOn);
    Add("Char", ptIdentifier, ptChar);
    Add("Name", ptIdentifier, ptName);
    Add("Real", ptIdentifier, ptReal);
    Add("Real48", ptIdentifier, ptReal48);
    Add("Near", ptIdentifier, ptNear);
    Add("Int64", ptIdentifier, ptInt64);
    Add("Package", ptIdentifier, ptPackage);
    Add("PChar", ptIdentifier, ptPChar);
    Add("Comp", ptIdentifier, ptComp);
    Add("Byte", ptIdentifier, ptByte);
    Add("Pascal", ptIdentifier, ptPascal);
    Add("Index", ptIdentifier, ptIndex);
    Add("Out", ptIdentifier, ptOut);
    Add("Safecall", ptIdentifier, ptSafeCall);
    Add("Double", ptIdentifier, ptDouble);
    Add("Word", ptIdentifier, ptWord);
    Add("Dispid", ptIdentifier, ptDispid);
    Add("Cardinal", ptIdentifier, ptCardinal);
    Add("Public", ptIdentifier, ptPublic);
    Add("Boolean", ptIdentifier, ptBoolean);
    Add("DWORD", ptIdentifier, ptDWORD);
    Add("Single", ptIdentifier, ptSingle);
    Add("Default", ptIdentifier, ptDefault);
    Add("Message", ptIdentifier, ptMessage);
    Add("Dynamic", ptIdentifier, ptDynamic);
    Add("WideChar", ptIdentifier, ptWideChar);
    Add("Stdcall", ptIdentifier, ptStdcall);
    Add("Write", ptIdentifier, ptWrite);
    Add("Integer", ptIdentifier, ptInteger);
    Add("Extended", ptIdentifier, ptExtended);
    Add("Stored", ptIdentifier, ptStored);
    Add("Abstract", ptIdentifier, ptAbstract);
    Add("Forward", ptIdentifier, ptForward);
    Add("Variant", ptIdentifier, ptVariant);
    Add("Private", ptIdentifier, ptPrivate);
    Add("Longint", ptIdentifier, ptLongint);
    Add("LongBool", ptIdentifier, ptLongBool);
    Add("Overload", ptIdentifier, ptOverload);
    Add("Resident", ptIdentifier, ptResident);
    Add("Assembler", ptIdentifier, ptAssembler);
    Add("Readonly", ptIdentifier, ptReadonly);
    Add("Contains", ptIdentifier, ptContains);
    Add("Absolute", ptIdentifier, ptAbsolute);
    Add("ByteBool", ptIdentifier, ptByteBool);
    Add("Override", ptIdentifier, ptOverride);
    Add("Published", ptIdentifier, ptPublished);
    Add("Export", ptIdentifier, ptExport);
    Add("Nodefault", ptIdentifier, ptNodefault);
    Add("External", ptIdentifier, ptExternal);
    Add("Automated", ptIdentifier, ptAutomated);
    Add("Smallint", ptIdentifier, ptSmallint);
    Add("Register", ptIdentifier, ptRegister);
    Add("Virtual", ptIdentifier, ptVirtual);
    Add("WordBool", ptIdentifier, ptWordBool);
    Add("Protected", ptIdentifier, ptProtected);
    Add("Strict", ptIdentifier, ptStrict);
    Add("Currency", ptIdentifier, ptCurrency);
    Add("Longword", ptIdentifier, ptLongword);
    Add("Requires", ptIdentifier, ptRequires);
    Add("OleVariant", ptIdentifier, ptOleVariant);
    Add("Shortint", ptIdentifier, ptShortint);
    Add("Implements", ptIdentifier, ptImplements);
    Add("WideString", ptIdentifier, ptWideString);
    Add("AnsiString", ptIdentifier, ptAnsiString);
    Add("Reintroduce", ptIdentifier, ptReintroduce);
    Add("Writeonly", ptIdentifier, ptWriteonly);
    Add("ShortString", ptIdentifier, ptShortString);
    Add("Stringresource", ptIdentifier, ptStringresource);
    Add("Deprecated", ptIdentifier, ptDeprecated);
    Add("Experimental", ptIdentifier, ptExperimental);
    Add("Helper", ptIdentifier, ptHelper);
    Add("Platform", ptIdentifier, ptPlatform);
    Add("Varargs", ptIdentifier, ptVarargs);
    Add("local", ptIdentifier, ptLocal);
    QuickSort();
    // Words are compared by length and first letter; only a table that
    // cannot be kept so is looked up through a hash index.
    FCandidates.Build(FItems, [](const TlxLexHashStringItem& Item) {
        // A word added other than by Add is compared another way.
        const std::string& Upper = static_cast<const TlxPasHashItem&>(Item).UpperStr;
        return Upper.size() == Item.Str.size() ? Upper : std::string();
    });
    if (FCandidates.Empty())
        BuildIndex();
}

// ------------------------------------------------------------ TlxDirectiveHash

TlxDirectiveHash::TlxDirectiveHash() { Init(); }

std::unique_ptr<TlxLexHashStringItem> TlxDirectiveHash::CreateNewItem() const
{
    return std::make_unique<TlxDirectiveHashItem>();
}

void TlxDirectiveHash::Add(const std::string& S, TcdTokenKind Kind)
{
    auto Item = std::make_unique<TlxDirectiveHashItem>();
    Item->Str = S;
    Item->HashValue = HashOf(S);
    Item->Kind = Kind;
    AddItem(std::move(Item));
}

void TlxDirectiveHash::HashRun(const char* P, int& Run, TcdTokenKind& Kind) const
{
    if (!FCandidates.Empty()) {
        if (const auto* Item = static_cast<const TlxDirectiveHashItem*>(FCandidates.Find(P, Run)))
            Kind = Item->Kind;
        return;
    }
    const int Start = Run;
    const uint32_t H = HashWord(P, Run);
    const int First = FirstOfHash(H);
    if (First < 0)
        return;
    for (int I = First; I < Count() && FItems[size_t(I)]->HashValue == H; ++I) {
        const auto* Item = static_cast<const TlxDirectiveHashItem*>(FItems[size_t(I)].get());
        if (ComparePChar(P + Start, Run - Start, Item->Str)) {
            Kind = Item->Kind;
            return;
        }
    }
}

void TlxDirectiveHash::Init()
{
    Add("A", cdA);
    Add("B", cdB);
    Add("C", cdC);
    Add("D", cdD);
    Add("E", cdE);
    Add("G", cdG);
    Add("H", cdH);
    Add("I", cdI);
    Add("J", cdJ);
    Add("L", cdL);
    Add("M", cdM);
    Add("O", cdO);
    Add("P", cdP);
    Add("Q", cdQ);
    Add("R", cdR);
    Add("T", cdT);
    Add("U", cdU);
    Add("V", cdV);
    Add("W", cdW);
    Add("X", cdX);
    Add("Y", cdY);
    Add("Z", cdZ);
    Add("Z1", cdZOne);
    Add("Z2", cdZTwo);
    Add("Z4", cdZFour);
    Add("And", cdAnd);
    Add("Off", cdOff);
    Add("YD", cdYD);
    Add("On", cdOn);
    Add("If", cdIf);
    Add("IfDef", cdIfDef);
    Add("Or", cdOr);
    Add("GUI", cdGUI);
    Add("EndIf", cdEndIf);
    Add("IfEnd", cdIfEnd);
    Add("Else", cdElse);
    Add("Define", cdDefine);
    Add("Align", cdAlign);
    Add("IfNDef", cdIfNDef);
    Add("Link", cdLink);
    Add("Defined", cdDefined);
    Add("UnDef", cdUnDef);
    Add("Declared", cdDeclared);
    Add("ElseIf", cdElseIf);
    Add("ImageBase", cdImageBase);
    Add("IfOpt", cdIfOpt);
    Add("SoName", cdSoName);
    Add("Include", cdInclude);
    Add("Hints", cdHints);
    Add("NoDefine", cdNoDefine);
    Add("IOChecks", cdIOChecks);
    Add("DebugInfo", cdDebugInfo);
    Add("Console", cdConsole);
    Add("Booleval", cdBooleval);
    Add("HPPEmit", cdHPPEmit);
    Add("RangeChecks", cdRangeChecks);
    Add("NoInclude", cdNoInclude);
    Add("Apptype", cdApptype);
    Add("SafeDivide", cdSafeDivide);
    Add("Resource", cdResource);
    Add("Warn", cdWarn);
    Add("Warnings", cdWarnings);
    Add("TypeInfo", cdTypeInfo);
    Add("SetPEFlags", cdSetPEFlags);
    Add("SoPrefix", cdSoPrefix);
    Add("StackFrames", cdStackFrames);
    Add("RunOnly", cdRunOnly);
    Add("SoSuffix", cdSoSuffix);
    Add("ReferenceInfo", cdReferenceInfo);
    Add("DesignOnly", cdDesignOnly);
    Add("Extension", cdExtension);
    Add("ImportedData", cdImportedData);
    Add("Description", cdDescription);
    Add("SoVersion", cdSoVersion);
    Add("Assertions", cdAssertions);
    Add("ImplicitBuild", cdImplicitBuild);
    Add("TypedAddress", cdTypedAddress);
    Add("LocalSymbols", cdLocalSymbols);
    Add("MinEnumSize", cdMinEnumSize);
    Add("WeakPackageUnit", cdWeakPackageUnit);
    Add("DefinitionInfo", cdDefinitionInfo);
    Add("MinStackSize", cdMinStackSize);
    Add("ObjExportAll", cdObjExportAll);
    Add("MaxStackSize", cdMaxStackSize);
    Add("LongStrings", cdLongStrings);
    Add("DenyPackageUnit", cdDenyPackageUnit);
    Add("ExternalSym", cdExternalSym);
    Add("OpenStrings", cdOpenStrings);
    Add("SetPEOptFlags", cdSetPEOptFlags);
    Add("OverFlowChecks", cdOverFlowChecks);
    Add("VarPropSetter", cdVarPropSetter);
    Add("WriteableConst", cdWriteableConst);
    Add("Optimization", cdOptimization);
    Add("VarStringChecks", cdVarStringChecks);
    Add("ExtendedSyntax", cdExtendedSyntax);
    Add("RealCompatibility", cdRealCompatibility);
    Add("ResourceReserve", cdResourceReserve);
    QuickSort();
    FCandidates.Build(FItems, [](const TlxLexHashStringItem& Item) {
        // Compared as the hash look-up compares, letter for letter without
        // regard to case; a word that is not all word characters keeps the
        // table to its hash.
        std::string Upper;
        for (const char C : Item.Str) {
            const unsigned char U = WordUpper[static_cast<unsigned char>(C)];
            if (U == 0)
                return std::string();
            Upper += static_cast<char>(U);
        }
        return Upper;
    });
    if (FCandidates.Empty())
        BuildIndex();
}

// ----------------------------------------------------------- TlxAssignAbleHash

TlxAssignAbleHash::TlxAssignAbleHash(const std::vector<std::string>& List)
{
    for (const std::string& S : List)
        AddString(S);
}

namespace {
std::vector<std::string> SplitLines(const std::string& Text)
{
    std::vector<std::string> Lines;
    size_t I = 0;
    while (I < Text.size()) {
        size_t J = I;
        while (J < Text.size() && Text[J] != '\r' && Text[J] != '\n')
            ++J;
        Lines.push_back(Text.substr(I, J - I));
        if (J < Text.size() && Text[J] == '\r')
            ++J;
        if (J < Text.size() && Text[J] == '\n')
            ++J;
        I = J;
    }
    return Lines;
}
} // namespace

TlxAssignAbleHash::TlxAssignAbleHash(const std::string& Text) : TlxAssignAbleHash(SplitLines(Text)) {}

void TlxAssignAbleHash::Assign(const TlxAssignAbleHash* Other)
{
    if (!Other || Other == this)
        return;
    for (int I = 0; I < Other->Count(); ++I)
        AddSorted(Other->GetItems(I)->Str);
}

// The index is open-addressed (linear probing over a power-of-two table at
// most half full): each slot holds the position of an item, or -1.

uint32_t TlxDefineSet::HomeSlot(uint32_t Hash) const
{
    return (Hash ^ (Hash >> 15)) & uint32_t(FIndex.size() - 1);
}

void TlxDefineSet::SyncIndex()
{
    if (FIndexed && FIndex.size() >= 2 * FItems.size() + 2)
        return;
    size_t Size = 16;
    while (Size < 4 * FItems.size())
        Size <<= 1;
    FIndex.assign(Size, -1);
    FIndexed = true;
    for (size_t I = 0; I < FItems.size(); ++I)
        IndexAdd(int(I));
}

void TlxDefineSet::IndexAdd(int Position)
{
    const uint32_t Mask = uint32_t(FIndex.size() - 1);
    uint32_t Slot = HomeSlot(FItems[size_t(Position)]->HashValue);
    while (FIndex[Slot] >= 0)
        Slot = (Slot + 1) & Mask;
    FIndex[Slot] = Position;
}

uint32_t TlxDefineSet::SlotOf(int Position) const
{
    const uint32_t Mask = uint32_t(FIndex.size() - 1);
    uint32_t Slot = HomeSlot(FItems[size_t(Position)]->HashValue);
    while (FIndex[Slot] != Position)
        Slot = (Slot + 1) & Mask;
    return Slot;
}

void TlxDefineSet::IndexErase(uint32_t Slot)
{
    // Entries further along the probe run move back into the gap when their
    // home slot does not lie between the gap and themselves.
    const uint32_t Mask = uint32_t(FIndex.size() - 1);
    uint32_t Gap = Slot;
    for (uint32_t Next = (Gap + 1) & Mask; FIndex[Next] >= 0; Next = (Next + 1) & Mask) {
        const uint32_t Home = HomeSlot(FItems[size_t(FIndex[Next])]->HashValue);
        if (((Next - Home) & Mask) >= ((Next - Gap) & Mask)) {
            FIndex[Gap] = FIndex[Next];
            Gap = Next;
        }
    }
    FIndex[Gap] = -1;
}

TlxLexHashStringItem* TlxDefineSet::AddItemSorted(std::unique_ptr<TlxLexHashStringItem> Item)
{
    Item->HashValue = HashOf(Item->Str);
    // Appended, so no other position moves: the index stays valid while the
    // item goes in (and is dropped should that fail).
    const bool Indexed = FIndexed;
    AddItem(std::move(Item));
    FIndexed = Indexed;
    FSorted = Count() == 1;
    if (FIndexed && FIndex.size() >= 2 * FItems.size() + 2)
        IndexAdd(Count() - 1);
    else
        FIndexed = false; // grown: rebuilt by the next lookup
    return FItems.back().get();
}

int TlxDefineSet::IndexOf(const std::string& S)
{
    SyncIndex();
    const uint32_t H = HashOf(S);
    const uint32_t Mask = uint32_t(FIndex.size() - 1);
    int Found = -1;
    for (uint32_t Slot = HomeSlot(H); FIndex[Slot] >= 0; Slot = (Slot + 1) & Mask) {
        const int At = FIndex[Slot];
        if ((Found < 0 || At < Found) && FItems[size_t(At)]->HashValue == H &&
            CompareString(FItems[size_t(At)]->Str, S))
            Found = At;
    }
    return Found;
}

int TlxDefineSet::Remove(const std::string& S)
{
    const int At = IndexOf(S);
    if (At < 0)
        return -1;
    IndexErase(SlotOf(At));
    const int LastAt = Count() - 1;
    if (At != LastAt) {
        FIndex[SlotOf(LastAt)] = At;
        std::swap(FItems[size_t(At)], FItems[size_t(LastAt)]);
    }
    FItems.pop_back();
    FSorted = Count() < 2;
    return At;
}

void TlxDefineSet::ItemsChanged() { FIndexed = false; }
