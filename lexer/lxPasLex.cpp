#include "lexer/lxPasLex.h"

#include "base/qlException.h"

#include <array>
#include <cstdint>
#include <cstdio>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr std::array<bool, 256> MakeSpaceTable()
{
    std::array<bool, 256> T{};
    for (int C = 1; C <= 32; ++C)
        T[C] = C != 10 && C != 13;
    return T;
}
constexpr std::array<bool, 256> SpaceChars = MakeSpaceTable();


// The position of the first character at or after Pos that is a zero byte, a
// line break or Close (zero: a line break or the end only). Comments
// and strings are passed over sixteen characters at a time: each load is of
// an aligned block, which never reaches past the page that holds the
// terminating zero, so the bytes read beside the text are never touched
// outside memory that exists (and are masked off or lie after the stop).
#if defined(__SSE2__)
template <char Close>
#if defined(__clang__) || defined(__GNUC__)
__attribute__((no_sanitize_address))
#endif
int FindStop(const char* Text, int Pos)
{
    const char* P = Text + Pos;
    const uintptr_t Offset = reinterpret_cast<uintptr_t>(P) & 15u;
    const char* Block = P - Offset;
    const __m128i Zero = _mm_setzero_si128();
    const __m128i Lf = _mm_set1_epi8(10);
    const __m128i Cr = _mm_set1_epi8(13);
    const __m128i Cl = _mm_set1_epi8(Close);
    // A first, rough look marks every control character up to a carriage
    // return (tabs too); only a block with a mark is looked at exactly.
    auto Rough = [&](const __m128i V) {
        const __m128i Low = _mm_cmpeq_epi8(_mm_min_epu8(V, Cr), V);
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(Low, _mm_cmpeq_epi8(V, Cl))));
    };
    auto Exact = [&](const __m128i V) {
        const __m128i M = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(V, Zero), _mm_cmpeq_epi8(V, Lf)),
                                       _mm_or_si128(_mm_cmpeq_epi8(V, Cr), _mm_cmpeq_epi8(V, Cl)));
        return static_cast<unsigned>(_mm_movemask_epi8(M));
    };
    __m128i V = _mm_load_si128(reinterpret_cast<const __m128i*>(Block));
    unsigned Bits;
    if ((Rough(V) >> Offset) != 0 && (Bits = Exact(V) >> Offset) != 0)
        return Pos + __builtin_ctz(Bits);
    for (Block += 16;; Block += 16) {
        V = _mm_load_si128(reinterpret_cast<const __m128i*>(Block));
        if (Rough(V) != 0 && (Bits = Exact(V)) != 0)
            return int(Block - Text) + __builtin_ctz(Bits);
    }
}
#else
template <char Close>
int FindStop(const char* Text, int Pos)
{
    const auto* P = reinterpret_cast<const unsigned char*>(Text) + Pos;
    const auto C = static_cast<unsigned char>(Close);
    while (*P != 0 && *P != 10 && *P != 13 && *P != C)
        ++P;
    return int(reinterpret_cast<const char*>(P) - Text);
}
#endif

bool IsDigit(unsigned char C) { return C >= '0' && C <= '9'; }
bool IsHexDigit(unsigned char C)
{
    return IsDigit(C) || (C >= 'A' && C <= 'F') || (C >= 'a' && C <= 'f');
}

// The switch of a "+"/"-" directive kind; bdUnKnown with Found false for
// every other kind.
bool SignSwitch(TcdTokenKind K, TbdBooleanDirectives& S, bool& On)
{
    struct Row {
        TcdTokenKind Plus, Minus;
        TbdBooleanDirectives Switch;
    };
    static const Row Rows[] = {
        {cdAPlus, cdAMinus, bdAlign},           {cdBPlus, cdBMinus, bdBooleval},
        {cdCPlus, cdCMinus, bdAssertions},      {cdDPlus, cdDMinus, bdDebugInfo},
        {cdGPlus, cdGMinus, bdImportedData},    {cdHPlus, cdHMinus, bdLongStrings},
        {cdIPlus, cdIMinus, bdIOChecks},        {cdJPlus, cdJMinus, bdWriteableConst},
        {cdLPlus, cdLMinus, bdLocalSymbols},    {cdMPlus, cdMMinus, bdTypeInfo},
        {cdOPlus, cdOMinus, bdOptimization},    {cdPPlus, cdPMinus, bdOpenStrings},
        {cdQPlus, cdQMinus, bdOverFlowChecks},  {cdRPlus, cdRMinus, bdRangeChecks},
        {cdTPlus, cdTMinus, bdTypedAddress},    {cdUPlus, cdUMinus, bdSafeDivide},
        {cdVPlus, cdVMinus, bdVarStringChecks}, {cdWPlus, cdWMinus, bdStackFrames},
        {cdXPlus, cdXMinus, bdExtendedSyntax},  {cdYPlus, cdYMinus, bdDefinitionInfo},
        {cdUnknownPlus, cdUnknownMinus, bdUnKnown},
    };
    // Every directive is asked: the rows are looked up by kind, the first
    // row of a kind winning.
    struct TKnown {
        bool Known = false;
        bool On = false;
        TbdBooleanDirectives Switch = bdUnKnown;
    };
    static const std::array<TKnown, cdTokenKindCount> ByKind = [] {
        std::array<TKnown, cdTokenKindCount> T{};
        for (const Row& R : Rows)
            for (const TcdTokenKind Kind : {R.Plus, R.Minus})
                if (!T[Kind].Known)
                    T[Kind] = TKnown{true, Kind == R.Plus, R.Switch};
        return T;
    }();
    const TKnown& Found = ByKind[K];
    if (!Found.Known)
        return false;
    S = Found.Switch;
    On = Found.On;
    return true;
}

// Directive words that switch a boolean with ON / OFF.
bool LongSwitchOf(TcdTokenKind K, TbdBooleanDirectives& S)
{
    struct Row {
        TcdTokenKind Kind;
        TbdBooleanDirectives Switch;
    };
    static const Row Rows[] = {
        {cdAlign, bdAlign},
        {cdAssertions, bdAssertions},
        {cdBooleval, bdBooleval},
        {cdDebugInfo, bdDebugInfo},
        {cdDenyPackageUnit, bdDenyPackageUnit},
        {cdDesignOnly, bdDesignOnly},
        {cdObjExportAll, bdObjExportAll},
        {cdExtendedSyntax, bdExtendedSyntax},
        {cdHints, bdHints},
        {cdImplicitBuild, bdImplicitBuild},
        {cdImportedData, bdImportedData},
        {cdIOChecks, bdIOChecks},
        {cdLocalSymbols, bdLocalSymbols},
        {cdLongStrings, bdLongStrings},
        {cdOpenStrings, bdOpenStrings},
        {cdOptimization, bdOptimization},
        {cdOverFlowChecks, bdOverFlowChecks},
        {cdRangeChecks, bdRangeChecks},
        {cdRealCompatibility, bdRealCompatibility},
        {cdRunOnly, bdRunOnly},
        {cdTypeInfo, bdTypeInfo},
        {cdSafeDivide, bdSafeDivide},
        {cdTypedAddress, bdTypedAddress},
        {cdVarStringChecks, bdVarStringChecks},
        {cdWarnings, bdWarnings},
        {cdWeakPackageUnit, bdWeakPackageUnit},
        {cdStackFrames, bdStackFrames},
        {cdWriteableConst, bdWriteableConst},
        {cdVarPropSetter, bdVarPropSetter},
        {cdReferenceInfo, bdDefinitionInfo},
        {cdDefinitionInfo, bdDefinitionInfo},
    };
    static const std::array<int, cdTokenKindCount> ByKind = [] {
        std::array<int, cdTokenKindCount> T;
        T.fill(-1);
        for (const Row& R : Rows)
            if (T[R.Kind] < 0)
                T[R.Kind] = R.Switch;
        return T;
    }();
    if (ByKind[K] < 0)
        return false;
    S = static_cast<TbdBooleanDirectives>(ByKind[K]);
    return true;
}

bool IsRelation(TcdTokenKind K)
{
    return K == cdEqual || K == cdNotEqual || K == cdLower || K == cdLowerEqual || K == cdGreater ||
           K == cdGreaterEqual;
}

} // namespace

// ================================================================ TlxBasePasLex

TlxBasePasLex::TlxBasePasLex(const TlxPasHash* KeyTable, const TlxDirectiveHash* DirectiveTable)
    : FOrigin(""), FKeyTable(KeyTable)
{
    if (!FKeyTable) {
        // The word table never changes once built: lexers made without one
        // share a single table instead of building a copy each.
        static const TlxPasHash SharedKeyTable;
        FKeyTable = &SharedKeyTable;
    }
    FDirectiveLex = std::make_unique<TlxDirectiveLex>(DirectiveTable);
    FOwnedDefinedList = std::make_unique<TlxDefineSet>();
    FDefinedList = FOwnedDefinedList.get();
    FProcTable = MakeMethodTables(false);
    FExID = ptUnknown;
}

TlxBasePasLex::~TlxBasePasLex() = default;

template <TlxBasePasLex::TScanProc Proc>
void TlxBasePasLex::Counted()
{
    (this->*Proc)();
    // What the parser is given: skipped text never reaches it.
    FSignificant += FLexState == lsNormal && !IsTokenIDJunk(FTokenID);
}

template <TlxBasePasLex::TScanProc Proc>
TlxBasePasLex::TScanProc TlxBasePasLex::Choose(bool Counting)
{
    return Counting ? &TlxBasePasLex::Counted<Proc> : Proc;
}

const TlxBasePasLex::TScanProc* TlxBasePasLex::MakeMethodTables(bool Counting)
{
    // Built once: lexers are made for every file and look-ahead.
    auto Build = [](bool Counting) {
        std::array<TScanProc, 256> T{};
        for (int C = 0; C < 256; ++C) {
            TScanProc P = Choose<&TlxBasePasLex::UnknownProc>(Counting);
            if (C == 0)
                P = Choose<&TlxBasePasLex::NullProc>(Counting);
            else if (C == 10)
                P = Choose<&TlxBasePasLex::LFProc>(Counting);
            else if (C == 13)
                P = Choose<&TlxBasePasLex::CRProc>(Counting);
            else if (C <= 32)
                P = Choose<&TlxBasePasLex::SpaceProc>(Counting);
            else if (C == 0xEF)
                P = Choose<&TlxBasePasLex::ByteOrderMarkProc>(Counting);
            else if (NonEnglishChars[C])
                P = Choose<&TlxBasePasLex::IntIdentProc>(Counting);
            else if ((C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_')
                P = Choose<&TlxBasePasLex::IdentProc>(Counting);
            else if (C >= '0' && C <= '9')
                P = Choose<&TlxBasePasLex::NumberProc>(Counting);
            T[C] = P;
        }
        for (unsigned char C : {'!', '"', '%', '&', '?', '\\', '~', '`'})
            T[C] = Choose<&TlxBasePasLex::SymbolProc>(Counting);
        T[static_cast<unsigned char>('#')] = Choose<&TlxBasePasLex::AsciiCharProc>(Counting);
        T[static_cast<unsigned char>('$')] = Choose<&TlxBasePasLex::IntegerProc>(Counting);
        T[static_cast<unsigned char>('\'')] = Choose<&TlxBasePasLex::StringProc>(Counting);
        T[static_cast<unsigned char>('(')] = Choose<&TlxBasePasLex::RoundOpenProc>(Counting);
        T[static_cast<unsigned char>(')')] = Choose<&TlxBasePasLex::RoundCloseProc>(Counting);
        T[static_cast<unsigned char>('*')] = Choose<&TlxBasePasLex::StarProc>(Counting);
        T[static_cast<unsigned char>('+')] = Choose<&TlxBasePasLex::PlusProc>(Counting);
        T[static_cast<unsigned char>(',')] = Choose<&TlxBasePasLex::CommaProc>(Counting);
        T[static_cast<unsigned char>('-')] = Choose<&TlxBasePasLex::MinusProc>(Counting);
        T[static_cast<unsigned char>('.')] = Choose<&TlxBasePasLex::PointProc>(Counting);
        T[static_cast<unsigned char>('/')] = Choose<&TlxBasePasLex::SlashProc>(Counting);
        T[static_cast<unsigned char>(':')] = Choose<&TlxBasePasLex::ColonProc>(Counting);
        T[static_cast<unsigned char>(';')] = Choose<&TlxBasePasLex::SemiColonProc>(Counting);
        T[static_cast<unsigned char>('<')] = Choose<&TlxBasePasLex::LowerProc>(Counting);
        T[static_cast<unsigned char>('=')] = Choose<&TlxBasePasLex::EqualProc>(Counting);
        T[static_cast<unsigned char>('>')] = Choose<&TlxBasePasLex::GreaterProc>(Counting);
        T[static_cast<unsigned char>('@')] = Choose<&TlxBasePasLex::AddressOpProc>(Counting);
        T[static_cast<unsigned char>('[')] = Choose<&TlxBasePasLex::SquareOpenProc>(Counting);
        T[static_cast<unsigned char>(']')] = Choose<&TlxBasePasLex::SquareCloseProc>(Counting);
        T[static_cast<unsigned char>('^')] = Choose<&TlxBasePasLex::PointerSymbolProc>(Counting);
        T[static_cast<unsigned char>('{')] = Choose<&TlxBasePasLex::BraceOpenProc>(Counting);
        T[static_cast<unsigned char>('}')] = Choose<&TlxBasePasLex::BraceCloseProc>(Counting);
        return T;
    };
    // The counting table scans the same, and counts what a watched include
    // text gives the parser (see TWatch).
    static const std::array<TScanProc, 256> Plain = Build(false);
    static const std::array<TScanProc, 256> Counts = Build(true);
    return Counting ? Counts.data() : Plain.data();
}

void TlxBasePasLex::Message(const std::string& Msg)
{
    SpoilWatches();
    if (FOnMessage) {
        const TPoint P = GetPosXY();
        FOnMessage(this, Msg, P.X, P.Y);
    }
}

// ------------------------------------------------------------------- scanning

void TlxBasePasLex::Next()
{
    FExID = ptUnknown;
    FTokenPos = FRun;
    FDirectiveDone = false;
    ++FTokenCount;
    (this->*FProcTable[Ch(FRun)])();
}

void TlxBasePasLex::NextNoJunk()
{
    do {
        if (FTokenID == ptAnsiDirective || FTokenID == ptBorDirective)
            ScannDirectives();
        else
            Next();
    } while (IsTokenIDJunk(FTokenID));
}

void TlxBasePasLex::NextNoSpace()
{
    do
        Next();
    while (FTokenID == ptSpace || FTokenID == ptCRLF);
}

void TlxBasePasLex::NextID(TptTokenKind Kind)
{
    while (FTokenID != ptNull) {
        Next();
        if (FTokenID == Kind)
            break;
    }
}

std::string TlxBasePasLex::GetStringContent() const
{
    if (FTokenID != ptStringConst)
        return std::string();
    const int Len = GetTokenLen();
    if (Len <= 1)
        return std::string();
    const char* P = GetTokenPtr();
    const int End = P[Len - 1] == '\'' ? Len - 1 : Len;
    return std::string(P + 1, size_t(End - 1));
}

void TlxBasePasLex::Init()
{
    FLexState = lsNormal;
    FLineNumber = 0;
    FLinePos = 0;
    FTokenID = ptUnknown;
    FRun = 0;
}

void TlxBasePasLex::InitLine()
{
    FLineNumber = 0;
    FLinePos = 0;
    FRun = 0;
}

void TlxBasePasLex::SetOrigin(const char* Text, int TextLen)
{
    FOrigin = Text ? Text : "";
    FTextLen = Text ? TextLen : -1;
    // A new text starts with no open conditionals and no include files.
    FSkipDepth = 0;
    FCondStack.clear();
    FStatusStack.Clear();
    FWatches.clear();
    FProcTable = MakeMethodTables(false);
    FEndChecked = false;
    Init();
    Next();
}

void TlxBasePasLex::RelocateOrigin(const char* Text)
{
    QL_ASSERT(Text != nullptr, "no text to relocate to");
    QL_ASSERT(FStatusStack.Count() == 0, "text relocated while an include file is open");
    // The old address is only compared, never read: the text there may be gone.
    if (FDirectiveLex->Origin() == FOrigin)
        FDirectiveLex->SetOrigin(Text);
    FOrigin = Text;
}

void TlxBasePasLex::SetLine(const std::string& Line)
{
    FLineBuffer = Line;
    FOrigin = FLineBuffer.c_str();
    FTextLen = int(FLineBuffer.size());
    InitLine();
    Next();
}

void TlxBasePasLex::SetRunPos(int Value)
{
    QL_ASSERT(Value >= 0, "run position before the text");
    QL_ASSERT(FTextLen < 0 || Value <= FTextLen, "run position after the text");
    FRun = Value;
    Next();
}

void TlxBasePasLex::GetStatus(TlxPasLexStatus& Status) const
{
    Status.LexState = FLexState;
    Status.ExID = FExID;
    Status.LineNumber = FLineNumber;
    Status.LinePos = FLinePos;
    Status.Origin = FOrigin;
    Status.RunPos = FRun;
    Status.TokenPos = FTokenPos;
    Status.TokenID = FTokenID;
    Status.Switches = FSwitches;
    Status.SkipDepth = FSkipDepth;
    Status.FileName = FFileName;
    Status.TextLen = FTextLen;
    Status.CondStack = FCondStack;
}

void TlxBasePasLex::SetStatus(const TlxPasLexStatus& Status)
{
    FLexState = Status.LexState;
    FExID = Status.ExID;
    FLineNumber = Status.LineNumber;
    FLinePos = Status.LinePos;
    FOrigin = Status.Origin ? Status.Origin : "";
    FRun = Status.RunPos;
    FTokenPos = Status.TokenPos;
    FTokenID = Status.TokenID;
    FSwitches = Status.Switches;
    FSkipDepth = Status.SkipDepth;
    FFileName = Status.FileName;
    FTextLen = Status.TextLen;
    FCondStack = Status.CondStack;
}

void TlxBasePasLex::SetDefinedList(TlxAssignAbleHash* List)
{
    FSharedDefines.reset();
    if (List) {
        FOwnedDefinedList.reset();
        FDefinedList = List;
    } else {
        FOwnedDefinedList = std::make_unique<TlxDefineSet>();
        FDefinedList = FOwnedDefinedList.get();
    }
}

TlxAssignAbleHash& TlxBasePasLex::WritableDefines(bool Keep)
{
    if (OnSharedDefines() || (FDefinesCopyOnWrite && FDefinedList != FOwnedDefinedList.get())) {
        auto Copy = std::make_unique<TlxDefineSet>();
        if (Keep)
            Copy->Assign(FDefinedList);
        FOwnedDefinedList = std::move(Copy);
        FDefinedList = FOwnedDefinedList.get();
        FSharedDefines.reset();
    }
    return *FDefinedList;
}

void TlxBasePasLex::AtLineEnd(int Pos)
{
    ++FLineNumber;
    FLinePos = Pos;
    if (FOnLineEnd)
        FOnLineEnd(this);
}

// ------------------------------------------------------------ scanner routines

void TlxBasePasLex::NullProc()
{
    if (FTextLen >= 0 && FRun < FTextLen) {
        // A zero byte inside the text: an unknown character, not the end.
        ++FRun;
        FTokenID = ptUnknown;
        if (FLexState != lsSkipping)
            Message("Unknown Character, ($00)");
        return;
    }
    FTokenID = ptNull;
    if (FStatusStack.Count() > 0) {
        EndIncludeText();
        return;
    }
    CheckConditionalsAtEnd();
}

bool TlxBasePasLex::EndIncludeText()
{
    const TlxPasLexStatus* Top = FStatusStack.Peek();
    if (FCondStack.size() != Top->CondStack.size() || FLexState != Top->LexState)
        Message("Missing $ENDIF at end of include file " + FFileName);
    if (!FWatches.empty() && FWatches.back().Depth == FStatusStack.Count())
        EndWatch(*Top);
    std::unique_ptr<TlxPasLexStatus> Saved = FStatusStack.Pop();
    SetStatus(*Saved);
    Saved.reset();
    if (FOnIncludeEnd)
        FOnIncludeEnd(this);
    Next();
    return true;
}

void TlxBasePasLex::CheckConditionalsAtEnd()
{
    if (FEndChecked)
        return;
    FEndChecked = true;
    if (!FCondStack.empty() || FLexState == lsSkipping)
        Message("Missing $ENDIF at end of file");
}

void TlxBasePasLex::SpaceProc()
{
    ++FRun;
    while (SpaceChars[Ch(FRun)])
        ++FRun;
    FTokenID = ptSpace;
}

void TlxBasePasLex::LFProc()
{
    ++FRun;
    FTokenID = ptCRLF;
    AtLineEnd(FRun);
}

void TlxBasePasLex::CRProc()
{
    ++FRun;
    if (Ch(FRun) == 10)
        ++FRun;
    FTokenID = ptCRLF;
    AtLineEnd(FRun);
}

void TlxBasePasLex::SymbolProc()
{
    ++FRun;
    FTokenID = ptSymbol;
}

void TlxBasePasLex::AsciiCharProc()
{
    ++FRun;
    if (Ch(FRun) == '$') {
        ++FRun;
        while (IsHexDigit(Ch(FRun)))
            ++FRun;
    } else {
        while (IsDigit(Ch(FRun)))
            ++FRun;
    }
    FTokenID = ptAsciiChar;
}

void TlxBasePasLex::IntegerProc()
{
    ++FRun;
    while (IsHexDigit(Ch(FRun)))
        ++FRun;
    FTokenID = ptIntegerConst;
}

void TlxBasePasLex::StringProc()
{
    FTokenID = ptStringConst;
    ++FRun;
    for (;;) {
        FRun = FindStop<'\''>(FOrigin, FRun);
        if (Ch(FRun) != '\'') {
            // A line break or the end of the text: the break is not consumed.
            // Text a conditional leaves out may hold a lone quote ("don't").
            if (FLexState != lsSkipping)
                Message("Unterminated string");
            return;
        }
        ++FRun;
        if (Ch(FRun) != '\'')
            break;
        ++FRun; // a doubled quote stands for one quote
    }
    if (FRun - FTokenPos == 3)
        FTokenID = ptAsciiChar;
}

void TlxBasePasLex::RoundOpenProc()
{
    const unsigned char C = Ch(FRun + 1);
    if (C == '*') {
        if (Ch(FRun + 2) == '$') {
            FRun += 3;
            DirectiveToken(ptAnsiDirective);
        } else {
            FRun += 2;
            AnsiProc();
        }
    } else if (C == '.') {
        FRun += 2;
        FTokenID = ptSquareOpen;
    } else {
        ++FRun;
        FTokenID = ptRoundOpen;
    }
}

void TlxBasePasLex::RoundCloseProc()
{
    ++FRun;
    FTokenID = ptRoundClose;
}

void TlxBasePasLex::StarProc()
{
    ++FRun;
    FTokenID = ptStar;
}

void TlxBasePasLex::PlusProc()
{
    ++FRun;
    FTokenID = ptPlus;
}

void TlxBasePasLex::CommaProc()
{
    ++FRun;
    FTokenID = ptComma;
}

void TlxBasePasLex::MinusProc()
{
    ++FRun;
    FTokenID = ptMinus;
}

void TlxBasePasLex::PointProc()
{
    const unsigned char C = Ch(FRun + 1);
    if (C == ')') {
        FRun += 2;
        FTokenID = ptSquareClose;
    } else if (C == '.') {
        FRun += 2;
        FTokenID = ptDotDot;
    } else {
        ++FRun;
        FTokenID = ptPoint;
    }
}

void TlxBasePasLex::SlashProc()
{
    if (Ch(FRun + 1) == '/') {
        FRun += 2;
        FRun = FindStop<0>(FOrigin, FRun);
        FTokenID = ptSlashesComment;
        if (FLexState == lsNormal && FOnSlashesComment)
            FOnSlashesComment(this);
    } else {
        ++FRun;
        FTokenID = ptSlash;
    }
}

void TlxBasePasLex::NumberProc()
{
    FTokenID = ptIntegerConst;
    ++FRun;
    for (;;) {
        const unsigned char C = Ch(FRun);
        if (IsDigit(C)) {
            ++FRun;
        } else if (C == '.') {
            if (Ch(FRun + 1) == '.')
                break; // 1..9: the number ends before the range
            FTokenID = ptFloat;
            ++FRun;
        } else if (C == 'e' || C == 'E') {
            ++FRun;
            // The sign of an exponent belongs to the number (1.5E-3).
            if ((Ch(FRun) == '+' || Ch(FRun) == '-') && IsDigit(Ch(FRun + 1)))
                ++FRun;
        } else {
            break;
        }
    }
}

void TlxBasePasLex::ColonProc()
{
    if (Ch(FRun + 1) == '=') {
        FRun += 2;
        FTokenID = ptAssign;
    } else {
        ++FRun;
        FTokenID = ptColon;
    }
}

void TlxBasePasLex::SemiColonProc()
{
    ++FRun;
    FTokenID = ptSemiColon;
}

void TlxBasePasLex::LowerProc()
{
    const unsigned char C = Ch(FRun + 1);
    if (C == '=') {
        FRun += 2;
        FTokenID = ptLowerEqual;
    } else if (C == '>') {
        FRun += 2;
        FTokenID = ptNotEqual;
    } else {
        ++FRun;
        FTokenID = ptLower;
    }
}

void TlxBasePasLex::EqualProc()
{
    ++FRun;
    FTokenID = ptEqual;
}

void TlxBasePasLex::GreaterProc()
{
    if (Ch(FRun + 1) == '=') {
        FRun += 2;
        FTokenID = ptGreaterEqual;
    } else {
        ++FRun;
        FTokenID = ptGreater;
    }
}

void TlxBasePasLex::AddressOpProc()
{
    if (Ch(FRun + 1) == '@') {
        FRun += 2;
        FTokenID = ptDoubleAddressOp;
    } else {
        ++FRun;
        FTokenID = ptAddressOp;
    }
}

void TlxBasePasLex::IdentProc()
{
    FTokenID = ptIdentifier;
    FExID = ptIdentifier;
    if (FLexState == lsSkipping) {
        // Text a conditional leaves out: its words are passed over unread
        // (no token of it reaches a parser).
        while (Identifiers[Ch(FRun)])
            ++FRun;
        return;
    }
    FKeyTable->HashRun(FOrigin, FRun, FTokenID, FExID);
    if (NonEnglishChars[Ch(FRun)]) {
        while (Identifiers[Ch(FRun)])
            ++FRun;
        FTokenID = ptIdentifier;
        FExID = ptInternationalIdentifier;
    }
}

void TlxBasePasLex::SquareOpenProc()
{
    ++FRun;
    FTokenID = ptSquareOpen;
}

void TlxBasePasLex::SquareCloseProc()
{
    ++FRun;
    FTokenID = ptSquareClose;
}

void TlxBasePasLex::PointerSymbolProc()
{
    ++FRun;
    FTokenID = ptPointerSymbol;
}

void TlxBasePasLex::BraceOpenProc()
{
    if (Ch(FRun + 1) == '$') {
        FRun += 2;
        DirectiveToken(ptBorDirective);
    } else {
        ++FRun;
        BorProc();
    }
}

void TlxBasePasLex::BraceCloseProc()
{
    ++FRun;
    FTokenID = ptBraceClose;
}

void TlxBasePasLex::IntIdentProc()
{
    ++FRun;
    while (Identifiers[Ch(FRun)])
        ++FRun;
    FTokenID = ptIdentifier;
    FExID = ptInternationalIdentifier;
}

void TlxBasePasLex::ByteOrderMarkProc()
{
    // A UTF-8 byte-order mark at the start of a text is a blank of its own, so
    // that nothing of the text is lost and parsers skip it as junk. It takes
    // no column: the first line's columns count from the character after it.
    if (FRun == 0 && Ch(1) == 0xBB && Ch(2) == 0xBF) {
        FRun = 3;
        FLinePos = 3;
        FTokenID = ptSpace;
        return;
    }
    IntIdentProc();
}

void TlxBasePasLex::UnknownProc()
{
    const unsigned C = Ch(FRun);
    ++FRun;
    FTokenID = ptUnknown;
    // Text a conditional leaves out is passed over as the compiler does: only
    // its comments, strings and directives matter there, not what it holds.
    if (FLexState == lsSkipping)
        return;
    char Buf[8];
    std::snprintf(Buf, sizeof Buf, "%02X", C);
    Message(std::string("Unknown Character, ($") + Buf + ")");
}

void TlxBasePasLex::BorProc()
{
    FTokenID = ptBorComment;
    if (FLexState == lsNormal && FOnMultiLineStart)
        FOnMultiLineStart(this);
    for (;;) {
        FRun = FindStop<'}'>(FOrigin, FRun);
        const unsigned char C = Ch(FRun);
        if (C == '}') {
            ++FRun;
            break;
        }
        if (C == 0) {
            // The token keeps its kind; the end of the text is the next token.
            Message("Unexpected file end");
            break;
        }
        ++FRun;
        if (C == 13 && Ch(FRun) == 10)
            ++FRun;
        AtLineEnd(FRun);
    }
    if (FLexState == lsNormal && FOnMultiLineEnd)
        FOnMultiLineEnd(this);
}

void TlxBasePasLex::AnsiProc()
{
    FTokenID = ptAnsiComment;
    if (FLexState == lsNormal && FOnMultiLineStart)
        FOnMultiLineStart(this);
    for (;;) {
        FRun = FindStop<'*'>(FOrigin, FRun);
        const unsigned char C = Ch(FRun);
        if (C == '*') {
            ++FRun;
            if (Ch(FRun) == ')') {
                ++FRun;
                break;
            }
            continue;
        }
        if (C == 0) {
            Message("Unexpected file end");
            break;
        }
        ++FRun;
        if (C == 13 && Ch(FRun) == 10)
            ++FRun;
        AtLineEnd(FRun);
    }
    if (FLexState == lsNormal && FOnMultiLineEnd)
        FOnMultiLineEnd(this);
}

void TlxBasePasLex::DirectiveToken(TptTokenKind Kind)
{
    FTokenID = Kind;
    if (FLexState == lsSkipping) {
        // Inside skipped text directives are acted on at once, so that nested
        // conditionals are counted and the closing one ends the skip.
        StartDirective();
        ProcessDirective();
        FDirectiveDone = true;
    }
}

// ------------------------------------------------------------------ directives

void TlxBasePasLex::StartDirective()
{
    FDirectiveLex->Init(FOrigin, FRun, FTokenID);
    FRun = FDirectiveLex->RunPos();
    if (FDirectiveLex->TokenID() == cdCRLF)
        AtLineEnd(FRun);
}

void TlxBasePasLex::ScannDirectives()
{
    if (FTokenID != ptAnsiDirective && FTokenID != ptBorDirective) {
        Next();
        return;
    }
    const unsigned Count = FTokenCount;
    if (!FDirectiveDone) {
        StartDirective();
        ProcessDirective();
    }
    if (FTokenCount != Count)
        return; // an included text was entered and its first token scanned
    if (FLexState == lsSkipping)
        SkipDirective();
    else
        Next();
}

void TlxBasePasLex::SkipDirective()
{
    if (FLexState != lsSkipping) {
        // Called from outside: skip as for a conditional that is not compiled.
        FLexState = lsSkipping;
        if (FSkipDepth < 1)
            FSkipDepth = 1;
    }
    // Iterative: skipped directives are acted on inside Next, so nothing here
    // recurses however many directives the skipped text holds.
    for (;;) {
        Next();
        if (FTokenID == ptNull)
            return;
        if (FLexState == lsNormal) {
            // Either the directive just scanned ended the skip, or the end of
            // an included text restored a compiling state.
            if (FDirectiveDone)
                Next();
            return;
        }
    }
}

void TlxBasePasLex::ProcessDirective()
{
    FTokenPos = FDirectiveLex->TokenPos();
    while (ProcessOne()) {
        // Several switches in one comment ({$A+,B-}): the next name follows.
    }
}

void TlxBasePasLex::DirAdvance()
{
    if (FDirectiveLex->TokenID() == cdAtEnd)
        return;
    FDirectiveLex->Next();
    FRun = FDirectiveLex->RunPos();
    if (FDirectiveLex->TokenID() == cdCRLF)
        AtLineEnd(FRun);
}

void TlxBasePasLex::DirNextNonBlank()
{
    DirAdvance();
    while (FDirectiveLex->TokenID() == cdSpace || FDirectiveLex->TokenID() == cdCRLF)
        DirAdvance();
}

void TlxBasePasLex::DirSkipToEnd()
{
    // Passed over: the kinds of its words do not matter.
    TlxDirectiveLex& D = *FDirectiveLex;
    const bool WordsOnly = D.WordsOnly();
    D.SetWordsOnly(true);
    while (D.TokenID() != cdNull && D.TokenID() != cdAtEnd)
        DirNextNonBlank();
    D.SetWordsOnly(WordsOnly);
}

void TlxBasePasLex::DirNextName()
{
    // A symbol's name is asked for as a word and as text only; it may start
    // with a digit.
    FDirectiveLex->SetWordsOnly(true);
    FDirectiveLex->SetSymbolName(true);
    DirNextNonBlank();
    FDirectiveLex->SetSymbolName(false);
    FDirectiveLex->SetWordsOnly(false);
}

void TlxBasePasLex::DirInvalid()
{
    if (FOnInvalidDirect)
        FOnInvalidDirect(this, std::string(FOrigin + FTokenPos, size_t(FRun - FTokenPos)));
}

bool TlxBasePasLex::DirEndOrNext()
{
    DirNextNonBlank();
    const TcdTokenKind K = FDirectiveLex->TokenID();
    if (K == cdAtEnd)
        return false;
    if (K == cdComma) {
        DirNextNonBlank();
        return true;
    }
    DirInvalid();
    DirSkipToEnd();
    return false;
}

void TlxBasePasLex::DirEndOnly()
{
    DirNextNonBlank();
    if (FDirectiveLex->TokenID() == cdAtEnd)
        return;
    DirInvalid();
    DirSkipToEnd();
}

bool TlxBasePasLex::DirExpect(TcdTokenKind Kind)
{
    const TcdTokenKind Cur = FDirectiveLex->TokenID();
    const bool Ok = (Kind == cdIdentifier ? FDirectiveLex->GetGenID() : Cur) == Kind;
    if (!Ok)
        Message("Expected: " + cdTokenName(Kind) + "   found: " + cdTokenName(Cur));
    return Ok;
}

bool TlxBasePasLex::DirIsWord() const { return FDirectiveLex->GetGenID() == cdIdentifier; }

std::string TlxBasePasLex::DirStringValue() const
{
    const std::string T = FDirectiveLex->GetToken();
    return T.size() >= 2 ? T.substr(1, T.size() - 2) : std::string();
}

void TlxBasePasLex::DirSwitch(TbdBooleanDirectives S, bool On)
{
    if (On)
        FSwitches.Include(S);
    else
        FSwitches.Exclude(S);
    if (OnSwitchDirect)
        OnSwitchDirect(this, S, On);
}

bool TlxBasePasLex::ProcessOne()
{
    TlxDirectiveLex& D = *FDirectiveLex;
    const TcdTokenKind K = D.TokenID();

    switch (K) {
    case cdIfDef:
    case cdIfNDef:
        DirIfDef(K == cdIfNDef);
        return false;
    case cdIf:
        DirIf();
        return false;
    case cdIfOpt:
        DirIfOpt();
        return false;
    case cdElse:
    case cdElseIf:
        DirElse(K == cdElseIf);
        return false;
    case cdEndIf:
    case cdIfEnd:
        DirEndIf(K == cdIfEnd);
        return false;
    default:
        break;
    }
    if (FLexState == lsSkipping) {
        DirSkipToEnd(); // every other directive is ignored in skipped text
        return false;
    }

    TbdBooleanDirectives S;
    bool On;
    if (SignSwitch(K, S, On)) {
        DirSwitch(S, On);
        return DirEndOrNext();
    }
    if (LongSwitchOf(K, S)) {
        DirNextNonBlank();
        const TcdTokenKind V = D.TokenID();
        bool More = false;
        if (V == cdOff || V == cdOn) {
            DirSwitch(S, V == cdOn);
            More = DirEndOrNext();
        } else {
            DirInvalid();
        }
        if (!More)
            DirSkipToEnd();
        return More;
    }

    switch (K) {
    case cdAOne:
    case cdATwo:
    case cdAFour:
    case cdAEight:
        if (OnAlignDirect)
            OnAlignDirect(this, K == cdAOne ? 1 : K == cdATwo ? 2 : K == cdAFour ? 4 : 8);
        return DirEndOrNext();
    case cdYD:
        DirSwitch(bdDefinitionInfo, true);
        return DirEndOrNext();
    case cdApptype:
        DirNextNonBlank();
        if (D.TokenID() == cdConsole || D.TokenID() == cdGUI) {
            if (OnAppTypeDirect)
                OnAppTypeDirect(this, D.TokenID() == cdConsole ? atConsole : atGUI);
        } else {
            DirInvalid();
        }
        return DirEndOrNext();
    case cdC:
        return DirEndOrNext();
    case cdSoPrefix:
    case cdSoSuffix:
    case cdSoVersion:
    case cdSoName:
        DirNextNonBlank();
        if (D.TokenID() == cdStringConst) {
            if (OnSODirect)
                OnSODirect(this, K, DirStringValue());
        } else {
            DirInvalid();
        }
        return DirEndOrNext();
    case cdDescription:
        DirNextNonBlank();
        if (D.TokenID() == cdStringConst) {
            if (OnDescriptionDirect)
                OnDescriptionDirect(this, DirStringValue());
        } else {
            DirInvalid();
        }
        return DirEndOrNext();
    case cdHPPEmit:
        DirNextNonBlank();
        if (DirExpect(cdStringConst)) {
            if (OnHPPEmitDirect)
                OnHPPEmitDirect(this, DirStringValue());
            DirNextNonBlank();
            return DirEndOrNext();
        }
        DirInvalid();
        DirSkipToEnd();
        return false;
    case cdE:
    case cdExtension:
        DirNextNonBlank();
        if (DirExpect(cdIdentifier)) {
            if (OnExtensionDirect)
                OnExtensionDirect(this, D.GetToken());
            return DirEndOrNext();
        }
        DirInvalid();
        DirSkipToEnd();
        return false;
    case cdExternalSym:
        DirNextName();
        if (DirExpect(cdIdentifier)) {
            if (OnExternalSymDirect)
                OnExternalSymDirect(this, D.GetToken());
            DirNextNonBlank();
            return DirEndOrNext();
        }
        DirInvalid();
        DirSkipToEnd();
        return false;
    case cdDefine:
        DirNextName();
        if (DirIsWord()) {
            const std::string Name = D.GetToken();
            WritableDefines().AddSorted(Name);
            if (FOnDefineDirect)
                FOnDefineDirect(this, Name);
            DirNextNonBlank();
        } else {
            DirInvalid();
        }
        if (D.TokenID() != cdAtEnd) {
            DirInvalid();
            DirSkipToEnd();
        }
        return false;
    case cdUnDef:
        DirNextName();
        if (DirIsWord()) {
            const std::string Name = D.GetToken();
            if (FOnUnDefDirect)
                FOnUnDefDirect(this, Name);
            WritableDefines().Remove(Name);
        } else {
            DirInvalid();
        }
        return DirEndOrNext();
    case cdI:
    case cdInclude:
        DirInclude();
        return false;
    case cdR:
    case cdResource:
        DirNextNonBlank();
        if (D.TokenID() == cdDefaultFile || D.TokenID() == cdFileName || D.TokenID() == cdStringConst ||
            DirIsWord()) {
            if (FOnResourceDirect) {
                SpoilWatches();
                FOnResourceDirect(this, D.TokenID() == cdStringConst ? DirStringValue() : D.GetToken());
            }
        } else {
            DirInvalid();
        }
        return DirEndOrNext();
    case cdL:
    case cdLink:
        DirNextNonBlank();
        if (D.TokenID() == cdFileName || D.TokenID() == cdStringConst || DirIsWord()) {
            if (OnLinkDirect)
                OnLinkDirect(this, D.GetToken());
        } else {
            DirInvalid();
        }
        return DirEndOrNext();
    case cdNoDefine:
        DirNextNonBlank();
        if (DirIsWord()) {
            if (OnNoDefineDirect)
                OnNoDefineDirect(this, D.GetToken());
        } else {
            DirInvalid();
        }
        return DirEndOrNext();
    case cdNoInclude:
        DirNextNonBlank();
        if (D.TokenID() == cdFileName || DirIsWord()) {
            if (OnNoIncludeDirect)
                OnNoIncludeDirect(this, D.GetToken());
        } else {
            DirInvalid();
        }
        return DirEndOrNext();
    case cdImageBase:
    case cdResourceReserve:
    case cdMinStackSize:
    case cdMaxStackSize: {
        DirNextNonBlank();
        const TlxLexStringEvent& E = K == cdImageBase         ? OnImageBaseDirect
                                     : K == cdResourceReserve ? OnResourceReserveDirect
                                     : K == cdMinStackSize    ? OnMinStackSizeDirect
                                                              : OnMaxStackSizeDirect;
        if (D.TokenID() == cdNumber) {
            if (E)
                E(this, D.GetToken());
        } else {
            DirInvalid();
        }
        return DirEndOrNext();
    }
    case cdM:
        DirNextNonBlank();
        if (D.TokenID() == cdNumber) {
            if (OnMinStackSizeDirect)
                OnMinStackSizeDirect(this, D.GetToken());
            DirNextNonBlank();
            if (D.TokenID() == cdComma) {
                DirNextNonBlank();
                if (D.TokenID() == cdNumber) {
                    if (OnMaxStackSizeDirect)
                        OnMaxStackSizeDirect(this, D.GetToken());
                } else {
                    DirInvalid();
                }
            } else {
                DirInvalid();
            }
        } else {
            DirInvalid();
        }
        return DirEndOrNext();
    case cdZOne:
    case cdZTwo:
    case cdZFour:
        if (OnMinEnumSizeDirect)
            OnMinEnumSizeDirect(this, K == cdZOne ? "1" : K == cdZTwo ? "2" : "4");
        return DirEndOrNext();
    case cdMinEnumSize:
        DirNextNonBlank();
        if (D.TokenID() == cdNumber) {
            if (OnMinEnumSizeDirect)
                OnMinEnumSizeDirect(this, D.GetToken());
        } else {
            DirInvalid();
        }
        DirSkipToEnd();
        return false;
    case cdSetPEFlags:
    case cdSetPEOptFlags:
        DirSkipToEnd();
        return false;
    case cdWarn: {
        DirNextNonBlank();
        const TcdTokenKind V = D.TokenID();
        if (V == cdOff || V == cdOn) {
            DirSwitch(bdWarn, V == cdOn);
            return DirEndOrNext();
        }
        static const std::pair<TcdTokenKind, TbdBooleanDirectives> Names[] = {
            {cdSymbol_Platform, bdSymbol_Platform},     {cdSymbol_Library, bdSymbol_Library},
            {cdSymbol_Deprecated, bdSymbol_Deprecated}, {cdUnit_Deprecated, bdUnit_Deprecated},
            {cdUnit_Library, bdUnit_Library},           {cdUnit_Platform, bdUnit_Platform},
        };
        for (const auto& [Kind, Switch] : Names)
            if (V == Kind) {
                DirNextNonBlank();
                if (D.TokenID() == cdOff || D.TokenID() == cdOn) {
                    DirSwitch(Switch, D.TokenID() == cdOn);
                    return DirEndOrNext();
                }
                break;
            }
        DirInvalid();
        return DirEndOrNext();
    }
    default:
        // A word that names no directive ({$REGION}, {$MODE}, {$MESSAGE}...)
        // or an unreadable one: reported and skipped to its closing bracket,
        // so that its text is never read as Pascal.
        DirInvalid();
        DirSkipToEnd();
        return false;
    }
}

void TlxBasePasLex::DirInclude()
{
    TlxDirectiveLex& D = *FDirectiveLex;
    DirNextNonBlank();
    std::string Name;
    const int NameStart = D.TokenPos();
    const bool Readable = D.TokenID() == cdDefaultFile || D.TokenID() == cdFileName || DirIsWord();
    if (Readable)
        Name = D.GetToken();
    else
        DirInvalid();
    DirEndOnly();
    if (!Readable) {
        // A name the file-name rules cannot read ('my file.inc', %HOME%\x.inc)
        // is passed on as it is written, so that a message can name it.
        const int NameEnd = D.TokenID() == cdAtEnd ? D.TokenPos() : D.RunPos();
        const char* Text = D.Origin();
        int B = NameStart, E = NameEnd;
        while (B < E && static_cast<unsigned char>(Text[B]) <= ' ')
            ++B;
        while (E > B && static_cast<unsigned char>(Text[E - 1]) <= ' ')
            --E;
        Name.assign(Text + B, size_t(E - B));
    }
    if (!FOnIncludeDirect || RefuseInclude(Name))
        return;
    std::shared_ptr<TlxIncludeReplays> Replays;
    const char* Text = AskInclude(Name, Replays);
    NoteNestedInclude(Name, Text, Replays);
    if (!Text)
        return;
    if (Replays && !ReplayAllowed())
        Replays.reset(); // scanned, and not watched
    if (Replays) {
        std::vector<TReplayLevel> Levels{{Text, &Name, nullptr}};
        TReplayStop Stop;
        Stop.OuterSwitches = FSwitches;
        if (Replay(*Replays, Levels, Stop)) {
            // As when the text ends; the token after the directive is
            // scanned by the caller.
            if (FOnIncludeEnd)
                FOnIncludeEnd(this);
            return;
        }
        if (!Stop.Levels.empty()) {
            ResumeScan(Stop);
            return;
        }
    }
    EnterInclude(Name, Text, Replays);
}

bool TlxBasePasLex::RefuseInclude(const std::string& Name)
{
    switch (IncludeRefusal(Name, {})) {
    case TRefusal::None:
        return false;
    case TRefusal::NoName:
        Message("Include directive without a file name");
        break;
    case TRefusal::TooDeep:
        Message("Include files nested too deeply, " + Name + " ignored");
        break;
    case TRefusal::Recursive:
        Message("Include file, " + Name + ", includes itself and is ignored");
        break;
    }
    return true;
}

TlxBasePasLex::TRefusal TlxBasePasLex::IncludeRefusal(const std::string& Name,
                                                      const std::vector<TReplayLevel>& Levels) const
{
    if (Name.empty())
        return TRefusal::NoName;
    if (FStatusStack.Count() + int(Levels.size()) >= MaxIncludeDepth)
        return TRefusal::TooDeep;
    bool Recursive = lxSameText(Name, FFileName);
    for (const TReplayLevel& L : Levels)
        Recursive = Recursive || lxSameText(Name, *L.Name);
    for (int I = 0; !Recursive && I < FStatusStack.Count(); ++I)
        Recursive = lxSameText(Name, FStatusStack.Items(I)->FileName);
    return Recursive ? TRefusal::Recursive : TRefusal::None;
}

const char* TlxBasePasLex::AskInclude(const std::string& Name,
                                      std::shared_ptr<TlxIncludeReplays>& Replays)
{
    FOfferedReplays.reset();
    const char* Text = FOnIncludeDirect(this, Name);
    Replays = std::move(FOfferedReplays);
    return Text;
}

void TlxBasePasLex::EnterInclude(const std::string& Name, const char* Text,
                                 const std::shared_ptr<TlxIncludeReplays>& Replays)
{
    TlxPasLexStatus Saved;
    GetStatus(Saved);
    FStatusStack.Push(Saved);
    if (Replays && Replays->Watched()) {
        TWatch W;
        W.Replays = Replays;
        W.Replay.Start = TlxIncludeReplays::StateOf(*FDefinedList, FSwitches);
        W.Significant = FSignificant;
        W.Depth = FStatusStack.Count();
        FWatches.push_back(std::move(W));
        FProcTable = MakeMethodTables(true);
    }
    FTokenID = ptUnknown;
    FExID = ptUnknown;
    FLineNumber = 0;
    FLinePos = 0;
    FRun = 0;
    FTokenPos = 0;
    FOrigin = Text;
    FTextLen = -1;
    FFileName = Name;
    Next();
}

// ------------------------------------------------------------ include replays

bool TlxBasePasLex::ReplayAllowed() const
{
    // The defined symbols are the lexer's own set, kept in the order they
    // came, and no event but the include hook's, messages, resources and
    // Declared() (which spoil a watch) and comparisons answered from their
    // operands alone is listened to.
    return FLexState == lsNormal && !FDefinesCopyOnWrite &&
           dynamic_cast<const TlxDefineSet*>(FDefinedList) != nullptr && !FOnCompDirect &&
           !FOnDefineDirect && !FOnElseDirect && !FOnEndIfDirect && !FOnIfDefDirect &&
           !FOnIfNDefDirect && !FOnIfOptDirect && !FOnInvalidDirect && !FOnUnDefDirect &&
           !FOnLineEnd && !FOnDefined && (!FOnExpression || FExpressionOperandsOnly) && !FOnIfDirect &&
           !FOnElseIfDirect && !FOnIfEndDirect && !FOnMultiLineStart && !FOnMultiLineEnd &&
           !FOnSlashesComment && !OnSwitchDirect && !OnAlignDirect && !OnAppTypeDirect &&
           !OnSODirect && !OnDescriptionDirect && !OnExtensionDirect && !OnExternalSymDirect &&
           !OnHPPEmitDirect && !OnImageBaseDirect && !OnLinkDirect && !OnMinStackSizeDirect &&
           !OnMaxStackSizeDirect && !OnMinEnumSizeDirect && !OnNoDefineDirect &&
           !OnNoIncludeDirect && !OnResourceReserveDirect;
}

void TlxBasePasLex::SetDefines(const std::vector<std::string>& Names)
{
    if (TlxIncludeReplays::SameDefines(*FDefinedList, Names))
        return;
    // The set appends what it is given: the order comes out as recorded.
    TlxAssignAbleHash& Defines = WritableDefines(false);
    Defines.Clear();
    for (const std::string& N : Names)
        Defines.AddSorted(N);
}

void TlxBasePasLex::TakeDefines(const std::shared_ptr<const TlxDefineSet>& Set)
{
    if (FDefinedList == Set.get())
        return;
    // Only a set of the lexer's own is replaced; one it was handed is
    // written, so that its owner sees the change.
    const bool Own = FOwnedDefinedList && FDefinedList == FOwnedDefinedList.get();
    if (!Own && !OnSharedDefines()) {
        TlxAssignAbleHash& Defines = WritableDefines(false);
        Defines.Clear();
        Defines.Assign(Set.get());
        return;
    }
    FSharedDefines = Set;
    FDefinedList = const_cast<TlxDefineSet*>(Set.get());
    FOwnedDefinedList.reset();
}

bool TlxBasePasLex::Replay(const TlxIncludeReplays& Replays, std::vector<TReplayLevel>& Levels,
                           TReplayStop& Stop)
{
    const TlxIncludeReplays::TReplay* R = Replays.Find(*FDefinedList, FSwitches);
    if (!R)
        return false;
    const TlxBooleanDirectives Switches = FSwitches;
    for (const TlxIncludeReplays::TNested& N : R->Nested) {
        // The state the directive was met in: from here on every step is the
        // one a scan would take, so that a stop leaves nothing to undo.
        SetDefines(N.Before.Defines);
        FSwitches = N.Before.Switches;
        Levels.back().At = &N;
        if (IncludeRefusal(N.Name, Levels) != TRefusal::None) {
            // Refused now but not when recorded (the stack is deeper): the
            // scan goes on from the directive, which says why.
            Stop.Refused = true;
            Stop.Name = N.Name;
            Stop.Levels = Levels;
            return false;
        }
        std::shared_ptr<TlxIncludeReplays> Inner;
        const char* Text = AskInclude(N.Name, Inner);
        if (Text && Inner && Inner->Serial() == N.Serial) {
            Stop.Held.push_back(Inner);
            Levels.push_back({Text, &N.Name, nullptr});
            const bool Replayed = Replay(*Inner, Levels, Stop);
            Levels.pop_back();
            if (Replayed) {
                if (FOnIncludeEnd)
                    FOnIncludeEnd(this);
                continue;
            }
            if (!Stop.Levels.empty())
                return false;
        }
        // Another text now, or none, or one not kept for this state: the
        // scan goes on from after the directive, into that text if any.
        Stop.Name = N.Name;
        Stop.Entered = Text;
        Stop.EnteredReplays = std::move(Inner);
        Stop.Levels = Levels;
        return false;
    }
    TakeDefines(R->EndDefines);
    FSwitches = Switches;
    return true;
}

void TlxBasePasLex::ResumeScan(const TReplayStop& Stop)
{
    // Each text replayed around the stop is entered as a scan would have
    // entered it and left just after the directive its replay stopped at.
    // The defined symbols are already those of that point.
    FSwitches = Stop.OuterSwitches;
    for (const TReplayLevel& L : Stop.Levels) {
        TlxPasLexStatus Saved;
        GetStatus(Saved);
        FStatusStack.Push(Saved);
        FOrigin = L.Text;
        FTextLen = -1;
        FFileName = *L.Name;
        FTokenPos = L.At->Token;
        FRun = L.At->After;
        FLineNumber = L.At->Line;
        FLinePos = L.At->LinePos;
        // Compiled text: every conditional open in it has a compiled branch.
        FCondStack.assign(size_t(L.At->Conditionals), '1');
        FLexState = lsNormal;
        FSkipDepth = 0;
        FSwitches = L.At->Before.Switches;
        FTokenID = ptBorDirective;
        FExID = ptUnknown;
    }
    if (Stop.Refused)
        RefuseInclude(Stop.Name);
    else if (Stop.Entered)
        EnterInclude(Stop.Name, Stop.Entered, Stop.EnteredReplays);
}

void TlxBasePasLex::NoteNestedInclude(const std::string& Name, const char* Text,
                                      const std::shared_ptr<TlxIncludeReplays>& Replays)
{
    if (FWatches.empty())
        return;
    if (!Text) {
        SpoilWatches(); // the hook had its say
        return;
    }
    TWatch& W = FWatches.back();
    if (W.Depth != FStatusStack.Count())
        return; // a text entered from a replay of its own
    if (!Replays) {
        W.Pure = false;
        return;
    }
    TlxIncludeReplays::TNested N;
    N.Before = TlxIncludeReplays::StateOf(*FDefinedList, FSwitches);
    N.Name = Name;
    N.Serial = Replays->Serial();
    N.Token = FTokenPos;
    N.After = FRun;
    N.Line = FLineNumber;
    N.LinePos = FLinePos;
    N.Conditionals = int(FCondStack.size());
    W.Replay.Nested.push_back(std::move(N));
}

void TlxBasePasLex::EndWatch(const TlxPasLexStatus& Outer)
{
    TWatch W = std::move(FWatches.back());
    FWatches.pop_back();
    if (FWatches.empty())
        FProcTable = MakeMethodTables(false);
    // Compiled text has only compiled conditionals open: the same stack is
    // the same state, whatever the text closed and opened on its way.
    const bool Pure = W.Pure && FSignificant == W.Significant && FCondStack == Outer.CondStack &&
                      FLexState == Outer.LexState && FSkipDepth == Outer.SkipDepth;
    if (!Pure) {
        W.Replays->StopWatching();
        return;
    }
    auto End = std::make_shared<TlxDefineSet>();
    End->Assign(FDefinedList);
    // Looked up once here, a set's index is built: lookups then only read it.
    End->IndexOf(std::string());
    W.Replay.EndDefines = std::move(End);
    W.Replays->Add(std::move(W.Replay));
}

void TlxBasePasLex::SpoilWatches()
{
    for (TWatch& W : FWatches)
        W.Pure = false;
}

void TlxBasePasLex::OpenConditional(bool Compiled)
{
    FCondStack.push_back(Compiled ? '1' : '0');
    if (!Compiled) {
        FLexState = lsSkipping;
        FSkipDepth = 1;
    }
}

void TlxBasePasLex::DirIfDef(bool IfNDef)
{
    TlxDirectiveLex& D = *FDirectiveLex;
    DirNextName();
    bool Found = false;
    if (DirExpect(cdIdentifier)) {
        if (IfNDef ? bool(FOnIfNDefDirect) : bool(FOnIfDefDirect))
            (IfNDef ? FOnIfNDefDirect : FOnIfDefDirect)(this);
        Found = FDefinedList->Hash(D.GetToken());
        DirEndOnly();
    } else {
        DirInvalid();
        DirSkipToEnd();
    }
    if (FLexState == lsSkipping)
        ++FSkipDepth;
    else
        OpenConditional(IfNDef ? !Found : Found);
}

void TlxBasePasLex::DirIf()
{
    DirNextNonBlank();
    if (FLexState == lsSkipping) {
        ++FSkipDepth;
        DirSkipToEnd();
        return;
    }
    const bool Value = EvalExpression(0);
    if (Value && FOnIfDirect)
        FOnIfDirect(this);
    DirEndOnly();
    OpenConditional(Value);
}

void TlxBasePasLex::DirIfOpt()
{
    TlxDirectiveLex& D = *FDirectiveLex;
    D.SetExpectName(true); // the operand is a switch letter with its sign
    DirNextNonBlank();
    bool Answer = false;
    TbdBooleanDirectives Switch = bdUnKnown;
    if (FLexState == lsNormal) {
        const TcdTokenKind K = D.TokenID();
        bool On;
        if (K == cdUPlus || K == cdUMinus) {
            Answer = false; // U is not a letter IFOPT knows
        } else if (SignSwitch(K, Switch, On)) {
            Answer = FSwitches.Contains(Switch) == On;
        } else if (K == cdSafeDivide) {
            Switch = bdSafeDivide;
            Answer = FSwitches.Contains(bdSafeDivide);
        }
    }
    DirNextNonBlank();
    if (D.TokenID() == cdAtEnd) {
        if (FOnIfOptDirect)
            FOnIfOptDirect(this, Switch, Answer);
    } else {
        DirInvalid();
        DirSkipToEnd();
    }
    if (FLexState == lsSkipping)
        ++FSkipDepth;
    else
        OpenConditional(Answer);
}

void TlxBasePasLex::DirElse(bool IsElseIf)
{
    DirNextNonBlank();
    // The expression of an ElseIf is always read (its events are raised).
    const bool Value = IsElseIf ? EvalExpression(0) : true;
    if (FLexState == lsSkipping) {
        if (FSkipDepth <= 1) {
            // Our own conditional: compile this branch only when none before
            // it was compiled.
            if (FCondStack.empty())
                FCondStack.push_back('0');
            if (FCondStack.back() == '0' && Value) {
                FCondStack.back() = '1';
                FLexState = lsNormal;
                FSkipDepth = 0;
            }
        }
    } else {
        // The branch that was compiled ends here; skip to the EndIf.
        if (FCondStack.empty()) {
            Message(IsElseIf ? "$ELSEIF without $IF" : "$ELSE without $IF");
            FCondStack.push_back('1');
        }
        FCondStack.back() = '1';
        FLexState = lsSkipping;
        FSkipDepth = 1;
    }
    if (FLexState == lsNormal) {
        const TlxLexEvent& E = IsElseIf ? FOnElseIfDirect : FOnElseDirect;
        if (E)
            E(this);
    }
    DirEndOnly();
}

void TlxBasePasLex::DirEndIf(bool IsIfEnd)
{
    DirNextNonBlank();
    DirEndOnly();
    if (FLexState == lsSkipping) {
        if (--FSkipDepth <= 0) {
            FSkipDepth = 0;
            FLexState = lsNormal;
            if (!FCondStack.empty())
                FCondStack.pop_back();
        }
        return;
    }
    if (FCondStack.empty())
        Message(IsIfEnd ? "$IFEND without $IF" : "$ENDIF without $IF");
    else
        FCondStack.pop_back();
    const TlxLexEvent& E = IsIfEnd ? FOnIfEndDirect : FOnEndIfDirect;
    if (E)
        E(this);
}


bool TlxBasePasLex::EvalExpression(int Depth)
{
    TlxDirectiveLex& D = *FDirectiveLex;
    if (Depth > MaxExpressionDepth) {
        Message("Expression nested too deeply");
        DirSkipToEnd();
        return false;
    }
    // "not" negates the term that follows it (not the whole and/or chain).
    bool Negate = false;
    while (DirIsWord() && lxSameText(D.GetToken(), "not")) {
        Negate = !Negate;
        DirNextNonBlank();
    }
    const TcdTokenKind K = D.TokenID();
    if (K == cdAtEnd || K == cdNull)
        return false;
    if (K == cdDeclared)
        return EvalTerm(true, Negate, Depth);
    if (K == cdDefined)
        return EvalTerm(false, Negate, Depth);
    if (K == cdNumber || K == cdFloat || K == cdStringConst || K == cdRoundOpen || DirIsWord())
        return EvalComparison(Negate, Depth);
    return false;
}

bool TlxBasePasLex::EvalAndOrTail(bool Answer, bool ShortCircuit, int Depth)
{
    TlxDirectiveLex& D = *FDirectiveLex;
    const TcdTokenKind K = D.TokenID();
    if (K != cdAnd && K != cdOr)
        return Answer;
    DirNextNonBlank();
    const bool Decided = K == cdAnd ? !Answer : Answer;
    if (ShortCircuit && Decided) {
        // The rest is not evaluated; step over it without raising events.
        int Parens = 0;
        for (;;) {
            const TcdTokenKind T = D.TokenID();
            if (T == cdAtEnd || T == cdNull)
                break;
            if (T == cdRoundOpen)
                ++Parens;
            else if (T == cdRoundClose && Parens-- == 0)
                break;
            DirNextNonBlank();
        }
        return Answer;
    }
    const bool Right = EvalExpression(Depth + 1);
    return K == cdAnd ? (Answer && Right) : (Answer || Right);
}

bool TlxBasePasLex::EvalTerm(bool Declared, bool Negate, int Depth)
{
    TlxDirectiveLex& D = *FDirectiveLex;
    // The name, with or without its parentheses, is read as a symbol's name.
    DirNextName();
    const bool Paren = DirExpect(cdRoundOpen);
    if (Paren)
        DirNextName();
    if (!DirIsWord()) {
        DirInvalid();
        return false;
    }
    const std::string Name = D.GetToken();
    bool Answer;
    if (Declared) {
        Answer = false;
        if (FOnDeclared) {
            // The answer may change as declarations are read: a text that
            // asks is not replayed.
            SpoilWatches();
            Answer = FOnDeclared(this, Name);
        }
    } else {
        if (FOnDefined)
            FOnDefined(this, Name);
        Answer = FDefinedList->Hash(Name);
    }
    DirNextNonBlank();
    if (Paren && DirExpect(cdRoundClose))
        DirNextNonBlank();
    return EvalAndOrTail(Answer != Negate, Declared, Depth);
}

bool TlxBasePasLex::EvalComparison(bool Negate, int Depth)
{
    TlxDirectiveLex& D = *FDirectiveLex;
    if (D.TokenID() == cdRoundOpen) {
        DirNextNonBlank();
        const bool Answer = EvalExpression(Depth + 1);
        if (DirExpect(cdRoundClose))
            DirNextNonBlank();
        return EvalAndOrTail(Answer != Negate, true, Depth);
    }
    auto Operand = [&](TcdTokenKind& Kind, std::string& Text) {
        const TcdTokenKind K = D.TokenID();
        if (K == cdNumber || K == cdFloat || K == cdStringConst)
            Kind = K;
        else if (DirIsWord())
            Kind = cdIdentifier;
        else
            return false;
        Text = D.GetToken();
        return true;
    };
    TcdTokenKind K1, K2;
    std::string T1, T2;
    if (!Operand(K1, T1)) {
        DirInvalid();
        return false;
    }
    DirNextNonBlank();
    const TcdTokenKind Rel = D.TokenID();
    if (!IsRelation(Rel)) {
        DirInvalid();
        return false;
    }
    DirNextNonBlank();
    if (!Operand(K2, T2)) {
        DirInvalid();
        return false;
    }
    const bool Answer = FOnExpression ? FOnExpression(this, K1, T1, Rel, K2, T2) : false;
    DirNextNonBlank();
    return EvalAndOrTail(Answer != Negate, true, Depth);
}

std::string TlxBasePasLex::GetDirectiveParam() const
{
    int P = FTokenPos;
    int End = FRun;
    if (FTokenID == ptAnsiDirective) {
        P += 3;
        if (End - 2 >= P && FOrigin[End - 2] == '*' && FOrigin[End - 1] == ')')
            End -= 2;
    } else {
        P += 2;
        if (End - 1 >= P && FOrigin[End - 1] == '}')
            End -= 1;
    }
    if (P > End)
        return std::string();
    while (P < End && StandardIdentifiers[Ch(P)])
        ++P;
    while (P < End && (FOrigin[P] == '+' || FOrigin[P] == '-' || FOrigin[P] == ',' ||
                       (StandardIdentifiers[Ch(P)] && P + 1 < End &&
                        (FOrigin[P + 1] == '+' || FOrigin[P + 1] == '-'))))
        ++P;
    std::string S;
    for (int I = P; I < End; ++I)
        S += char(lxUpper(FOrigin[I]));
    return S;
}

// ==================================================================== TlxPasLex

TlxPasLex::TlxPasLex(const TlxPasHash* KeyTable, const TlxDirectiveHash* DirectiveTable)
    : TlxBasePasLex(KeyTable, DirectiveTable)
{
    FAheadLex = std::make_unique<TlxBasePasLex>(this->KeyTable(), DirectiveLex().DirectiveTable());
    FAheadLex->SetDefinesCopyOnWrite(true);
}

TlxPasLex::~TlxPasLex() = default;

void TlxPasLex::SetOrigin(const char* Text, int TextLen)
{
    TlxBasePasLex::SetOrigin(Text, TextLen);
    FAheadLex->SetOrigin(Text, TextLen);
}

void TlxPasLex::RelocateOrigin(const char* Text)
{
    // The look-ahead starts afresh from this lexer each time it is used; one
    // left on the same text moves with it, so that it never points at a text
    // that is gone.
    TlxBasePasLex& A = *FAheadLex;
    if (A.FOrigin == Origin() && A.FStatusStack.Count() == 0)
        A.RelocateOrigin(Text);
    TlxBasePasLex::RelocateOrigin(Text);
}

void TlxPasLex::SetLine(const std::string& Line)
{
    TlxBasePasLex::SetLine(Line);
    FAheadLex->SetLine(Line);
}

void TlxPasLex::InitAhead()
{
    TlxBasePasLex& A = *FAheadLex;
    A.FStatusStack.Clear();
    // The status fields one by one (as GetStatus and SetStatus would pass
    // them), so that the strings reuse the look-ahead's own room.
    A.FLexState = FLexState;
    A.FExID = FExID;
    A.FLineNumber = FLineNumber;
    A.FLinePos = FLinePos;
    A.FOrigin = FOrigin;
    A.FRun = FRun;
    A.FTokenPos = FTokenPos;
    A.FTokenID = FTokenID;
    A.FSwitches = FSwitches;
    A.FSkipDepth = FSkipDepth;
    if (A.FFileName != FFileName) // the same file, mostly: no copy
        A.FFileName = FFileName;
    A.FTextLen = FTextLen;
    A.FCondStack = FCondStack;
    A.SetDefinedList(FDefinedList);
    // The look-ahead answers {$IF} queries as this lexer does; it raises no
    // notices and follows no include files.
    A.FOnDeclared = FOnDeclared;
    A.FOnExpression = FOnExpression;
    A.FExpressionOperandsOnly = FExpressionOperandsOnly;
    A.Next();
    while (A.GetIsJunk()) {
        if (A.TokenID() == ptAnsiDirective || A.TokenID() == ptBorDirective)
            A.ScannDirectives();
        else
            A.Next();
    }
}

TptTokenKind TlxPasLex::PeekPunctuation() const
{
    // Blanks and line breaks are junk whatever their place; anything that
    // may open a comment, a directive or a word goes to the look-ahead.
    int Run = FRun;
    while (Ch(Run) >= 1 && Ch(Run) <= 32)
        ++Run;
    switch (Ch(Run)) {
    case ';': return ptSemiColon;
    case ',': return ptComma;
    case ')': return ptRoundClose;
    case '=': return ptEqual;
    case ']': return ptSquareClose;
    case ':': return Ch(Run + 1) == '=' ? ptAssign : ptColon;
    case '.': {
        const unsigned char Next = Ch(Run + 1);
        return Next == ')' ? ptSquareClose : Next == '.' ? ptDotDot : ptPoint;
    }
    default: return ptUnknown;
    }
}

void TlxPasLex::AheadNext() { FAheadLex->NextNoJunk(); }
