#include "analysis/uqlAnalyzeParser.h"

#include "base/uqlPathUtils.h"

#include <algorithm>
#include <cstring>
#include <vector>
#include <utility>

namespace {

bool IsAddressOp(TptTokenKind K) { return K == ptAddressOp || K == ptDoubleAddressOp; }

bool IsSelector(TptTokenKind K)
{
    return K == ptPoint || K == ptPointerSymbol || K == ptRoundOpen || K == ptSquareOpen;
}

// The class whose members a lookup in Container sees as "own class".
TqlClass* AsClass(TqlSymbol* Container) { return qlAsClass(Container); }

bool IsConstructor(TqlSymbol* S)
{
    auto* R = qlAsRoutine(S);
    return R && R->GetRoutineKind() == rkConstructor;
}

bool IsAnyOf(const std::string& Word, std::initializer_list<const char*> Words)
{
    for (const char* W : Words)
        if (qlSameText(Word, W))
            return true;
    return false;
}

bool AllDigits(const std::string& S, size_t From, size_t To)
{
    if (From >= To)
        return false;
    for (size_t i = From; i < To; ++i)
        if (S[i] < '0' || S[i] > '9')
            return false;
    return true;
}

// A register of the x86 processors (32 and 64 bits) as instructions name it.
bool IsAsmRegister(const std::string& Word)
{
    if (IsAnyOf(Word, {"AL",  "AH",  "AX",  "EAX", "RAX", "BL",  "BH",  "BX",  "EBX", "RBX",
                       "CL",  "CH",  "CX",  "ECX", "RCX", "DL",  "DH",  "DX",  "EDX", "RDX",
                       "SI",  "ESI", "RSI", "SIL", "DI",  "EDI", "RDI", "DIL", "BP",  "EBP",
                       "RBP", "BPL", "SP",  "ESP", "RSP", "SPL", "IP",  "EIP", "RIP", "CS",
                       "DS",  "ES",  "FS",  "GS",  "SS",  "ST"}))
        return true;
    // The numbered ones: MM0, XMM15, YMM2, CR0, DR7, R8, R8D, R12W, R15B.
    for (const char* Prefix : {"MM", "XMM", "YMM", "CR", "DR"}) {
        const size_t N = std::strlen(Prefix);
        if (Word.size() > N && qlSameText(Word.substr(0, N), Prefix) && AllDigits(Word, N, Word.size()))
            return true;
    }
    if (Word.size() < 2 || (Word[0] != 'R' && Word[0] != 'r'))
        return false;
    size_t End = Word.size();
    if (IsAnyOf(Word.substr(End - 1), {"D", "W", "B"}))
        --End;
    return AllDigits(Word, 1, End);
}

// The operators of an instruction's operands, and the sizes written before
// "PTR".
bool IsAsmOperator(const std::string& Word)
{
    return IsAnyOf(Word, {"PTR", "OFFSET", "SEG", "SHORT", "NEAR", "FAR", "HIGH", "LOW", "VMTOFFSET",
                          "DMTINDEX", "BYTE", "WORD", "DWORD", "FWORD", "QWORD", "TBYTE", "DQWORD",
                          "OWORD", "XMMWORD", "YMMWORD"});
}

// Prefixes written before an instruction's name.
bool IsAsmPrefix(const std::string& Word)
{
    return IsAnyOf(Word, {"LOCK", "REP", "REPE", "REPNE", "REPZ", "REPNZ"});
}

} // namespace

TqlSymbol* TAnalyzeParser::ResolveIdentifier(TqlSymbol* Context)
{
    if (GetTokenID() != ptIdentifier) {
        Expected(ptIdentifier);
        return nullptr;
    }
    TNestGuard Guard(*this);
    const bool Inherited = AtInheritedName();
    const std::string Name = Token();
    const TqlUsedByInfo Info = MakeUsedByInfo();
    TqlSymbol* Found = nullptr;
    // "inherited Name" names a member of the ancestors of the method's class,
    // never one of the class itself. Where they do not declare it (an
    // ancestor the analysis did not find may), the name is not resolved.
    const bool InAncestors = Inherited && FCurrentClass && !Context;
    if (InAncestors) {
        if (TqlClass* Ancestor = FCurrentClass->GetInheritsFromClass())
            Found = Ancestor->FindSymbol(FCurrentUnit, FCurrentClass, Name, false, Info);
        if (Found)
            RecordNameUse(Found, Name, Info);
        else
            NoteUnresolved(Name);
    } else if (Context) {
        // A member of what stands before the selector, never a name of the
        // scopes around: where those members are not known, or do not hold
        // the name, it is not resolved, as a member of an unknown type is.
        if (TqlSymbol* C = Context->FindContainer())
            Found = C->FindSymbol(FCurrentUnit, ViewClass(), Name, false, Info);
        if (Found)
            RecordNameUse(Found, Name, Info);
        else
            NoteUnresolved(Name);
    }
    const bool InScope = !InAncestors && !Context;
    if (!Found && InScope) {
        const bool Saved = std::exchange(FCallingName, Inherited);
        Found = FindSymbol(Name, true, true, Info);
        FCallingName = Saved;
    }
    TqlSymbol* Work = nullptr;
    if (Found) {
        FLastSymbol = Found;
        FLastResolved = true;
        Work = Found->FindContainer();
    } else if (InScope) {
        AddMessage("Symbol not found, " + Name + ".");
    }
    NextToken();
    while (GetTokenID() == ptPointerSymbol)
        NextToken();

    TqlSymbol* Result = Found;
    while (GetTokenID() == ptPoint || GetTokenID() == ptSquareOpen) {
        const bool IsDot = GetTokenID() == ptPoint;
        std::string Member;
        TqlUsedByInfo MemberInfo;
        if (IsDot) {
            NextToken();
            if (GetTokenID() != ptIdentifier) {
                // ".(" and the like: the caller's selectors go on from here.
                if (IsSelector(GetTokenID()) || IsAddressOp(GetTokenID()))
                    return Qualifiers(Result);
                Expected(ptIdentifier);
                return Result;
            }
            Member = Token();
            MemberInfo = MakeUsedByInfo();
        } else {
            auto* Prop = qlAsProperty(Result);
            TqlClass* K = nullptr;
            if (Result && !(Prop && Prop->GetIsArrayProperty()))
                K = qlAsClass(Result->GetTypeIntf());
            TqlProperty* Default = K ? K->GetDefaultProperty() : nullptr;
            if (!Default) {
                // An index of an array or string: read as an expression.
                SetConstructor();
                return Result;
            }
            Member = Default->GetName();
            MemberInfo = MakeUsedByInfo();
            // The property is used at the bracket, where no name stands.
            MemberInfo.IsUnnamed = true;
        }
        if (Work) {
            TqlClass* K = AsClass(Work);
            TqlSymbol* M =
                Work->FindSymbol(FCurrentUnit, ViewClass(), Member, false, MemberInfo);
            if (M)
                RecordNameUse(M, Member, MemberInfo);
            if (M) {
                if (K && IsConstructor(M)) {
                    // A constructor call yields an object of the class.
                    Result = Work;
                } else {
                    Result = M;
                    Work = M->FindContainer();
                }
            } else {
                Result = nullptr;
                NoteUnresolved(Member);
            }
        } else {
            Result = nullptr;
            NoteUnresolved(Member);
        }
        if (IsDot) {
            NextToken();
        } else {
            NextToken();
            ExpressionList();
            Expected(ptSquareClose);
        }
    }
    return Result;
}

TqlSymbol* TAnalyzeParser::ResolveDesignator(TqlSymbol* Context)
{
    TNestGuard Guard(*this);
    if (IsAddressOp(GetTokenID())) {
        NextToken();
        return DesignatorPart(Context);
    }
    if (AtControlChar()) {
        // ^M and the like: a character, not a dereference.
        NextToken();
        NextToken();
        return Context;
    }
    return DesignatorPart(Context);
}

TqlSymbol* TAnalyzeParser::DesignatorPart(TqlSymbol* Context)
{
    TqlSymbol* Result;
    const TptTokenKind K = GetTokenID();
    if (IsSelector(K)) {
        Result = Context;
    } else if (K == ptInherited) {
        NextToken();
        Result = GetTokenID() == ptIdentifier ? ResolveIdentifier(Context) : Context;
    } else {
        Result = ResolveIdentifier(Context);
    }
    Result = Qualifiers(Result);
    if (GetTokenID() == ptAs)
        if (TqlSymbol* T = ResolveCastType())
            Result = T;
    return Result;
}

TqlSymbol* TAnalyzeParser::ResolveCastType()
{
    NextToken(); // "as"
    TqlSymbol* T = ResolveIdentifier(nullptr);
    if (T)
        FLastSymbol = T;
    return T;
}

void TAnalyzeParser::FirstListEntry(TqlSymbol* Symbol)
{
    const TptTokenKind K = GetTokenID();
    // An address taken is of a name of the scope, not a member of what is
    // called or cast: PStream(@TTextRec(F).UserData).
    if (IsAddressOp(K))
        ResolveDesignator(nullptr);
    else if (K == ptPoint || K == ptPointerSymbol || K == ptSquareOpen)
        Qualifiers(Symbol);
    else if (K == ptRoundOpen)
        Qualifiers(nullptr);
}

bool TAnalyzeParser::AfterList(TqlSymbol*& Symbol)
{
    const TptTokenKind K = GetTokenID();
    if (IsAddressOp(K)) {
        Symbol = ResolveDesignator(Symbol);
        return true;
    }
    if (K == ptAs) {
        if (TqlSymbol* T = ResolveCastType())
            Symbol = T;
        return true;
    }
    return IsSelector(K);
}

TqlSymbol* TAnalyzeParser::Qualifiers(TqlSymbol* Symbol)
{
    TNestGuard Guard(*this);
    while (IsSelector(GetTokenID())) {
        switch (GetTokenID()) {
        case ptPoint:
            NextToken();
            if (GetTokenID() == ptRoundOpen || GetTokenID() == ptSquareOpen ||
                GetTokenID() == ptPointerSymbol)
                continue;
            if (IsAddressOp(GetTokenID()) || GetTokenID() == ptIdentifier) {
                Symbol = ResolveDesignator(Symbol);
                continue;
            }
            return Symbol;
        case ptPointerSymbol:
            NextToken();
            if (IsAddressOp(GetTokenID()) || GetTokenID() == ptIdentifier) {
                Symbol = ResolveDesignator(Symbol);
                continue;
            }
            if (IsSelector(GetTokenID()))
                continue;
            return Symbol;
        case ptRoundOpen: {
            // The arguments decide which overload a call of an overloaded
            // name means.
            std::unique_ptr<TCallDecision> Decision = TakeCallDecision();
            NextToken();
            if (GetTokenID() == ptRoundClose) {
                NextToken();
                if (Decision) {
                    const std::vector<TqlArgument> None;
                    Decide(*Decision, &None);
                }
            } else {
                FLastResolved = false;
                FLastSymbol = nullptr;
                const bool Saved = SetInArgumentList(true);
                const int Before = Lexer().TokenPos();
                const char* Origin = Lexer().Origin();
                FirstListEntry(Symbol);
                NoteCall(Symbol, std::move(Decision),
                         Lexer().TokenPos() != Before || Lexer().Origin() != Origin);
                ExpressionList();
                Expected(ptRoundClose);
                SetInArgumentList(Saved);
                if (!Symbol && FLastResolved)
                    Symbol = FLastSymbol;
            }
            if (!AfterList(Symbol))
                return Symbol;
            continue;
        }
        case ptSquareOpen:
            if (BracketHoldsSubrange()) {
                SubrangeType();
                return Symbol;
            }
            NextToken();
            if (GetTokenID() == ptSquareClose) {
                NextToken();
            } else {
                FirstListEntry(Symbol);
                ExpressionList();
                Expected(ptSquareClose);
            }
            if (!AfterList(Symbol))
                return Symbol;
            continue;
        default:
            return Symbol;
        }
    }
    return Symbol;
}

void TAnalyzeParser::Factor()
{
    // String literals are recorded, except the in-paths of a uses clause;
    // every other factor is read as the grammar reads it.
    const TptTokenKind K = GetTokenID();
    if ((K == ptAsciiChar || K == ptStringConst || AtControlChar()) && !FInUnitPath) {
        StringFactor();
        return;
    }
    TTypeParser::Factor();
}

void TAnalyzeParser::MainUsedUnitStatement()
{
    const bool Saved = FInUnitPath;
    FInUnitPath = true;
    try {
        TTypeParser::MainUsedUnitStatement();
    } catch (...) {
        FInUnitPath = Saved;
        throw;
    }
    FInUnitPath = Saved;
}

void TAnalyzeParser::ContainsStatement()
{
    const bool Saved = FInUnitPath;
    FInUnitPath = true;
    try {
        TTypeParser::ContainsStatement();
    } catch (...) {
        FInUnitPath = Saved;
        throw;
    }
    FInUnitPath = Saved;
}

void TAnalyzeParser::ForStatement()
{
    Expected(ptFor);
    ResolveIdentifier(nullptr);
    Expected(ptAssign);
    Expression();
    if (GetTokenID() == ptTo || GetTokenID() == ptDownto)
        NextToken();
    else
        SynError(InvalidForStatement);
    Expression();
    Expected(ptDo);
    Statement();
}

void TAnalyzeParser::WithStatement()
{
    Expected(ptWith);
    std::vector<TqlSymbol*>& List = WithList();
    const size_t Mark = List.size();
    for (;;) {
        if (TqlSymbol* S = ResolveDesignator(nullptr)) {
            TqlSymbol* C = S->FindContainer();
            List.push_back(C ? C : S);
        } else {
            List.push_back(nullptr); // a with over something unknown
        }
        if (GetTokenID() != ptComma)
            break;
        NextToken();
    }
    Expected(ptDo);
    Statement();
    List.resize(Mark);
}

void TAnalyzeParser::InheritedStatement()
{
    if (GetTokenID() == ptInherited && !NextIs(ptIdentifier))
        RecordBareInherited();
    TTypeParser::InheritedStatement();
}

void TAnalyzeParser::RecordBareInherited()
{
    // It calls the method of the nearest ancestor that has one of this
    // method's name, passing this method's parameters on; where no ancestor
    // has one it does nothing. No name is written: the uses stand at
    // "inherited".
    auto* Method = qlAsRoutine(CurrentContainer());
    TqlClass* Class = CurrentScopeClass();
    if (!Method || !Class)
        return;
    TqlClass* Ancestor = Class->GetInheritsFromClass();
    TqlUsedByInfo Info = MakeUsedByInfo();
    Info.IsUnnamed = true;
    TqlParameterList* Params = Method->GetParameters();
    const auto PassParametersOn = [&] {
        for (int i = 0; i < Params->GetCount(); ++i)
            Params->GetParameters(i)->GetUsedBy()->AddUsedBy(Info);
    };
    if (Method->GetDirectives().Contains(rdMessage) && Method->GetMessageKey()) {
        // In a message handler it calls the nearest ancestor's handler of
        // the same message, whatever its name (or the default handler),
        // passing the message on.
        TqlRoutine* Handler = nullptr;
        int Steps = 0;
        for (TqlClass* K = Ancestor; K && !Handler && Steps < 4096; K = K->GetInheritsFromClass(), ++Steps) {
            TqlRoutineList* L = K->GetRoutines();
            for (int i = 0; i < L->GetCount() && !Handler; ++i) {
                TqlRoutine* R = L->GetRoutine(i);
                if (R->GetDirectives().Contains(rdMessage) && R->GetMessageKey() == Method->GetMessageKey())
                    Handler = R;
            }
        }
        if (Handler)
            RecordUse(Handler, Handler->GetName(), Info);
        PassParametersOn();
        return;
    }
    auto* Called = Ancestor ? qlAsRoutine(Ancestor->FindSymbol(FCurrentUnit, Class, Method->GetName(), false, Info))
                            : nullptr;
    if (!Called) {
        // An ancestor the analysis did not find may have the method: the
        // parameters are passed on to it.
        if (!Class->HasKnownAncestry())
            PassParametersOn();
        return;
    }
    // Of overloads, the one whose parameters are this method's.
    std::vector<TqlRoutine*> Entry{Called};
    TqlOverloads Overloads;
    qlGatherOverloads(Called, Overloads);
    for (const std::vector<TqlRoutine*>& E : Overloads)
        if (qlSameParameters(E.front(), Method)) {
            Entry = E;
            break;
        }
    for (TqlRoutine* R : Entry)
        RecordUse(R, R->GetName(), Info);
    PassParametersOn();
}

void TAnalyzeParser::AsmStatement()
{
    // An instruction is a name (after labels and prefixes) and operands; a
    // word of the operands that names a routine, variable, constant or type
    // visible here is a use of it (registers, operators and the digits of a
    // number such as 0FFH are not). A routine whose body holds instructions
    // may take its parameters from registers.
    if (auto* R = qlAsRoutine(CurrentContainer()))
        R->SetHasAsmBlock(true);
    Expected(ptAsm);
    bool AtName = true;
    int Line = Lexer().GetPosXY().Y;
    const char* Origin = Lexer().Origin();
    TptTokenKind Before = ptAsm;
    int BeforeEnd = -1;
    // What a "." just read selects from, and whether it follows a bracket
    // ([EAX].TRec.Field names the type afresh).
    TqlSymbol* Members = nullptr;
    bool DotAfterBracket = false;
    // TFrame([EAX]).Second: the types written before the "(" that are still
    // open, with their depth; a ")" that closes one selects from the type.
    std::vector<std::pair<int, TqlSymbol*>> Casts;
    int Depth = 0;
    bool CastBefore = false;
    for (;;) {
        const TptTokenKind K = GetTokenID();
        switch (K) {
        case ptEnd: case ptNull:
        case ptBegin: case ptCase: case ptFunction: case ptIf: case ptProcedure:
        case ptRepeat: case ptWhile:
            Expected(ptEnd);
            return;
        default:
            break;
        }
        const int Y = Lexer().GetPosXY().Y;
        if (Y != Line || Lexer().Origin() != Origin) {
            AtName = true;
            Line = Y;
            Origin = Lexer().Origin();
            Casts.clear();
            Depth = 0;
        }
        if (K == ptAddressOp || K == ptDoubleAddressOp) {
            // A label (@@Loop, @1) or @Result, with its word.
            NextToken();
            if (GetTokenID() != ptNull)
                NextToken();
            Before = ptIdentifier;
            BeforeEnd = -1;
            Members = nullptr;
            continue;
        }
        const int Start = Lexer().TokenPos();
        TqlSymbol* Selects = nullptr;
        if (K == ptIdentifier) {
            const std::string Word = Token();
            const bool InNumber = (Before == ptIntegerConst || Before == ptFloat) && BeforeEnd == Start;
            if (AtName) {
                // A label (Done:) and a prefix come before the name.
                if (NextIs(ptColon))
                    RecordLabelUse();
                else if (!IsAsmPrefix(Word))
                    AtName = false;
            } else if (Before == ptPoint && !DotAfterBracket) {
                if (Members)
                    Selects = RecordAsmWord(Word, Members);
            } else if (!InNumber && !IsAsmRegister(Word) && !IsAsmOperator(Word) &&
                       !qlSameText(Word, "Self") && !RecordLabelUse()) {
                Selects = RecordAsmWord(Word, nullptr);
            }
        } else if (K == ptSemiColon) {
            AtName = true;
        } else if (K != ptColon) {
            // AND, OR, NOT, SHL and the like are instructions too.
            AtName = false;
        }
        bool CastClosed = false;
        if (K == ptRoundOpen) {
            ++Depth;
            if (Members && Before == ptIdentifier)
                Casts.emplace_back(Depth, Members);
        } else if (K == ptRoundClose) {
            if (!Casts.empty() && Casts.back().first == Depth) {
                Selects = Casts.back().second;
                Casts.pop_back();
                CastClosed = true;
            }
            Depth = std::max(Depth - 1, 0);
        }
        if (K == ptPoint) {
            DotAfterBracket = Before == ptSquareClose || (Before == ptRoundClose && !CastBefore);
        } else {
            Members = Selects;
            CastBefore = CastClosed;
        }
        Before = K;
        BeforeEnd = Start + Lexer().GetTokenLen();
        NextToken();
    }
}

TqlSymbol* TAnalyzeParser::RecordAsmWord(const std::string& Word, TqlSymbol* Members)
{
    const TqlUsedByInfo Info = MakeUsedByInfo();
    TqlSymbol* S = nullptr;
    if (Members) {
        S = Members->FindSymbol(FCurrentUnit, ViewClass(), Word, false, Info);
    } else {
        S = FindSymbol(Word, false, false, Info);
    }
    if (!S)
        return nullptr;
    // An instruction tells no overload from another.
    TqlOverloads Overloads;
    if (auto* R = qlAsRoutine(S))
        qlGatherOverloads(R, Overloads);
    if (Overloads.empty()) {
        RecordUse(S, Word, Info);
    } else {
        TqlUsedByInfo Every = Info;
        Every.IsAmbiguous = true;
        for (const std::vector<TqlRoutine*>& E : Overloads)
            for (TqlRoutine* R : E)
                RecordUse(R, Word, Every);
    }
    if (dynamic_cast<TqlUnit*>(S))
        return S;
    return S->FindContainer();
}
