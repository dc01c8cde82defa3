#include "lexer/lxDirectiveLex.h"

namespace {

bool IsBlank(unsigned char C) { return (C >= 1 && C <= 32) && C != 10 && C != 13; }
bool IsDigit(unsigned char C) { return C >= '0' && C <= '9'; }
bool IsHexDigit(unsigned char C)
{
    return IsDigit(C) || (C >= 'A' && C <= 'F') || (C >= 'a' && C <= 'f');
}
bool IsLetter(unsigned char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z'); }
// Characters of a file name in a directive. The slash is accepted besides the
// backslash so that paths written for other systems stay one token.
bool IsFileNameChar(unsigned char C)
{
    return StandardIdentifiers[C] || C == '.' || C == ':' || C == '\\' || C == '/';
}

} // namespace

TlxDirectiveLex::TlxDirectiveLex(const TlxDirectiveHash* DirectiveTable) : FTable(DirectiveTable)
{
    if (!FTable) {
        // Shared like the lexer's word table: it never changes once built.
        static const TlxDirectiveHash SharedTable;
        FTable = &SharedTable;
    }
}

TlxDirectiveLex::~TlxDirectiveLex() = default;

void TlxDirectiveLex::Init(const char* Text, int Position, TptTokenKind State)
{
    FOrigin = Text ? Text : "";
    FRun = FMark = Position;
    FState = State;
    FTokenID = cdUnknown;
    FExpectName = true;
    FWordsOnly = false;
    FSymbolName = false;
    Next();
}

void TlxDirectiveLex::SetRunPos(int Position)
{
    FRun = Position;
    Next();
}

std::string TlxDirectiveLex::GetToken() const
{
    return std::string(FOrigin + FMark, size_t(FRun - FMark));
}

bool TlxDirectiveLex::IsWordKind(TcdTokenKind Kind)
{
    if (Kind >= cdA && Kind <= cdWriteableConst)
        return true;
    switch (Kind) {
    case cdAnd:
    case cdDeclared:
    case cdDefined:
    case cdIdentifier:
    case cdOff:
    case cdOn:
    case cdOr:
    case cdSymbol_Platform:
    case cdSymbol_Library:
    case cdSymbol_Deprecated:
    case cdUnit_Deprecated:
    case cdUnit_Library:
    case cdUnit_Platform:
        return true;
    default:
        return false;
    }
}

TcdTokenKind TlxDirectiveLex::GetGenID() const
{
    return IsWordKind(FTokenID) ? cdIdentifier : FTokenID;
}

TcdTokenKind TlxDirectiveLex::GetAheadID()
{
    const int Run = FRun, Mark = FMark;
    const bool Name = FExpectName;
    Next();
    const TcdTokenKind Kind = FTokenID;
    FRun = Run;
    FMark = Mark;
    FExpectName = Name;
    return Kind;
}

void TlxDirectiveLex::Next()
{
    FMark = FRun;
    const unsigned char C = Ch(FRun);
    switch (C) {
    case 0:
        FTokenID = cdNull;
        return; // the end of the text is never stepped over
    case 10:
        ++FRun;
        FTokenID = cdCRLF;
        return;
    case 13:
        ++FRun;
        if (Ch(FRun) == 10)
            ++FRun;
        FTokenID = cdCRLF;
        return;
    case '$':
        ++FRun;
        while (IsHexDigit(Ch(FRun)))
            ++FRun;
        FTokenID = cdNumber;
        break;
    case '\'':
        ScanString();
        break;
    case '(':
        ++FRun;
        FTokenID = cdRoundOpen;
        break;
    case ')':
        ++FRun;
        FTokenID = cdRoundClose;
        break;
    case ',':
        ++FRun;
        FTokenID = cdComma;
        FExpectName = true;
        return;
    case '=':
        ++FRun;
        FTokenID = cdEqual;
        break;
    case '<':
        ++FRun;
        FTokenID = cdLower;
        if (Ch(FRun) == '=') {
            ++FRun;
            FTokenID = cdLowerEqual;
        } else if (Ch(FRun) == '>') {
            ++FRun;
            FTokenID = cdNotEqual;
        }
        break;
    case '>':
        ++FRun;
        FTokenID = cdGreater;
        if (Ch(FRun) == '=') {
            ++FRun;
            FTokenID = cdGreaterEqual;
        }
        break;
    case '}':
        ++FRun;
        FTokenID = FState == ptBorDirective ? cdAtEnd : cdBorEnd;
        break;
    case '*':
        if (Ch(FRun + 1) == ')') {
            FRun += 2;
            FTokenID = FState == ptAnsiDirective ? cdAtEnd : cdAnsiEnd;
        } else if (Ch(FRun + 1) == '.' && IsLetter(Ch(FRun + 2))) {
            FRun += 2;
            while (IsLetter(Ch(FRun)))
                ++FRun;
            FTokenID = cdDefaultFile;
        } else {
            ++FRun;
            FTokenID = cdUnknown;
        }
        break;
    default:
        if (IsBlank(C)) {
            ++FRun;
            while (IsBlank(Ch(FRun)))
                ++FRun;
            FTokenID = cdSpace;
            return;
        }
        if (IsDigit(C) && FSymbolName) {
            // A conditional symbol may start with a digit ({$DEFINE 7ZIP}).
            while (StandardIdentifiers[Ch(FRun)])
                ++FRun;
            FTokenID = cdIdentifier;
        } else if (IsDigit(C)) {
            while (IsDigit(Ch(FRun)))
                ++FRun;
            FTokenID = cdNumber;
            if (Ch(FRun) == '.' && IsDigit(Ch(FRun + 1))) {
                ++FRun;
                while (IsDigit(Ch(FRun)))
                    ++FRun;
                FTokenID = cdFloat;
            }
        } else if (IsLetter(C) || C == '_' || C == '.' || C == ':') {
            ScanWord();
        } else {
            ++FRun;
            FTokenID = cdUnknown;
        }
        break;
    }
    FExpectName = false;
}

bool TlxDirectiveLex::AtClose(int Pos) const
{
    return FState == ptBorDirective ? Ch(Pos) == '}' : Ch(Pos) == '*' && Ch(Pos + 1) == ')';
}

void TlxDirectiveLex::ScanString()
{
    // Doubled quotes stand for one quote anywhere in the string, as in Pascal.
    // The directive's closing bracket ends it as a line break does: a quote
    // in a trailing remark ({$IFNDEF X // can't}) opens no string past it.
    ++FRun;
    for (;;) {
        const unsigned char C = Ch(FRun);
        if (C == 0 || C == 10 || C == 13 || AtClose(FRun)) {
            FTokenID = cdUnknown;
            return;
        }
        ++FRun;
        if (C == '\'') {
            if (Ch(FRun) != '\'') {
                FTokenID = cdStringConst;
                return;
            }
            ++FRun;
        }
    }
}

void TlxDirectiveLex::ScanWord()
{
    const int Start = FRun;
    const unsigned char First = Ch(FRun);
    TcdTokenKind Kind = cdIdentifier;
    if (FWordsOnly && !FExpectName)
        TlxLexHashStrings::SkipWord(FOrigin, FRun);
    else
        FTable->HashRun(FOrigin, FRun, Kind);
    const int Len = FRun - Start;
    FTokenID = Kind;

    if (Len == 0) {
        // A word that starts with '.' (a relative file name) or ':'.
        if (First == '.') {
            while (IsFileNameChar(Ch(FRun)))
                ++FRun;
            FTokenID = cdFileName;
        } else {
            ++FRun;
            FTokenID = cdUnknown;
        }
        return;
    }

    if (FExpectName && Len == 2 && Kind == cdIdentifier && lxUpper(char(First)) == 'A') {
        // A1, A2, A4, A8: the word scan took the digit along.
        switch (Ch(Start + 1)) {
        case '1': FTokenID = cdAOne; return;
        case '2': FTokenID = cdATwo; return;
        case '4': FTokenID = cdAFour; return;
        case '8': FTokenID = cdAEight; return;
        default: break;
        }
    }
    if (FExpectName && Len == 1) {
        const unsigned char F = Ch(FRun);
        const bool Plus = F == '+', Minus = F == '-';
        const bool Blank = IsBlank(F);
        auto Sign = [&](TcdTokenKind P, TcdTokenKind M) {
            if (Plus || Minus) {
                ++FRun;
                FTokenID = Plus ? P : M;
            } else {
                FTokenID = cdUnknown;
            }
        };
        switch (lxUpper(char(First))) {
        case 'A':
            if (F == '1' || F == '2' || F == '4' || F == '8') {
                ++FRun;
                FTokenID = F == '1' ? cdAOne : F == '2' ? cdATwo : F == '4' ? cdAFour : cdAEight;
            } else {
                Sign(cdAPlus, cdAMinus);
            }
            return;
        case 'B': Sign(cdBPlus, cdBMinus); return;
        case 'D': Sign(cdDPlus, cdDMinus); return;
        case 'G': Sign(cdGPlus, cdGMinus); return;
        case 'H': Sign(cdHPlus, cdHMinus); return;
        case 'J': Sign(cdJPlus, cdJMinus); return;
        case 'O': Sign(cdOPlus, cdOMinus); return;
        case 'P': Sign(cdPPlus, cdPMinus); return;
        case 'Q': Sign(cdQPlus, cdQMinus); return;
        case 'T': Sign(cdTPlus, cdTMinus); return;
        case 'U': Sign(cdUPlus, cdUMinus); return;
        case 'V': Sign(cdVPlus, cdVMinus); return;
        case 'W': Sign(cdWPlus, cdWMinus); return;
        case 'X': Sign(cdXPlus, cdXMinus); return;
        case 'Y': Sign(cdYPlus, cdYMinus); return;
        case 'C':
            if (Blank || F == ':') {
                ++FRun;
                FTokenID = cdC;
            } else {
                Sign(cdCPlus, cdCMinus);
            }
            return;
        case 'E':
            if (Blank) {
                ++FRun;
                FTokenID = cdE;
            } else {
                FTokenID = cdUnknown;
            }
            return;
        case 'I':
        case 'L':
        case 'M': {
            const char U = char(lxUpper(char(First)));
            if (Blank) {
                ++FRun;
                FTokenID = U == 'I' ? cdI : U == 'L' ? cdL : cdM;
            } else {
                Sign(U == 'I' ? cdIPlus : U == 'L' ? cdLPlus : cdMPlus,
                     U == 'I' ? cdIMinus : U == 'L' ? cdLMinus : cdMMinus);
            }
            return;
        }
        case 'R':
            if (Plus || Minus) {
                ++FRun;
                FTokenID = Plus ? cdRPlus : cdRMinus;
            } else {
                if (Blank)
                    ++FRun;
                FTokenID = cdResource;
            }
            return;
        default:
            break; // not a switch letter: an ordinary word
        }
    }

    if (!IsWordKind(FTokenID))
        return;
    const unsigned char F = Ch(FRun);
    if (FExpectName && (F == '+' || F == '-')) {
        ++FRun;
        FTokenID = F == '+' ? cdUnknownPlus : cdUnknownMinus;
    } else if (F == '.' || F == '\\' || F == '/' || (Len == 1 && F == ':')) {
        while (IsFileNameChar(Ch(FRun)))
            ++FRun;
        FTokenID = cdFileName;
    } else if (F == ':') {
        ++FRun;
    }
}
