#include "lexer/lxSimplePasPar.h"

#include <cstdarg>
#include <cstdio>

// ---------------------------------------------------------------------------
// ESyntaxError

ESyntaxError::ESyntaxError(const std::string& Msg) : Exception(Msg), FPosition{-1, -1} {}

ESyntaxError::ESyntaxError(const std::string& Msg, const TPoint& Position)
    : Exception(Msg), FPosition(Position)
{
}

ESyntaxError ESyntaxError::CreateFmt(const char* Fmt, ...)
{
    va_list Args;
    va_start(Args, Fmt);
    va_list Copy;
    va_copy(Copy, Args);
    int Len = std::vsnprintf(nullptr, 0, Fmt, Copy);
    va_end(Copy);
    std::string Msg(Len > 0 ? size_t(Len) : 0, '\0');
    if (Len > 0)
        std::vsnprintf(Msg.data(), Msg.size() + 1, Fmt, Args);
    va_end(Args);
    return ESyntaxError(Msg);
}

namespace {

std::string ExpectedText(TptTokenKind Kind, const std::string& Found)
{
    return "Expected '" + TokenName(Kind) + "' found '" + Found + "'";
}

// Token sets of the grammar.

bool IsDeclarationStart(TptTokenKind K)
{
    switch (K) {
    case ptClass: case ptConst: case ptConstructor: case ptDestructor: case ptExports:
    case ptFunction: case ptLabel: case ptProcedure: case ptResourcestring:
    case ptThreadvar: case ptType: case ptVar:
        return true;
    default:
        return false;
    }
}

bool IsImplementationDeclarationStart(TptTokenKind K)
{
    return K != ptExports && IsDeclarationStart(K);
}

bool IsInterfaceDeclarationStart(TptTokenKind K)
{
    switch (K) {
    case ptConst: case ptFunction: case ptProcedure: case ptResourcestring:
    case ptThreadvar: case ptType: case ptVar:
        return true;
    default:
        return false;
    }
}

bool IsRoutineDirective(TptTokenKind K)
{
    switch (K) {
    case ptAbstract: case ptAssembler: case ptCdecl: case ptDynamic: case ptExport:
    case ptExternal: case ptFar: case ptLocal: case ptMessage: case ptNear:
    case ptOverload: case ptOverride: case ptPascal: case ptRegister: case ptReintroduce:
    case ptSafeCall: case ptStdcall: case ptVirtual:
        return true;
    default:
        return false;
    }
}

bool IsTypeDirective(TptTokenKind K)
{
    return K != ptLocal && IsRoutineDirective(K);
}

bool IsClassMethodDirective(TptTokenKind K)
{
    switch (K) {
    case ptAbstract: case ptAssembler: case ptCdecl: case ptDynamic: case ptMessage:
    case ptOverload: case ptOverride: case ptPascal: case ptRegister: case ptReintroduce:
    case ptSafeCall: case ptStdcall: case ptVirtual:
        return true;
    default:
        return false;
    }
}

bool IsObjectMethodDirective(TptTokenKind K)
{
    switch (K) {
    case ptAbstract: case ptAssembler: case ptCdecl: case ptDynamic: case ptExport:
    case ptExternal: case ptFar: case ptMessage: case ptNear: case ptPascal:
    case ptRegister: case ptSafeCall: case ptStdcall: case ptVirtual:
        return true;
    default:
        return false;
    }
}

bool IsStatementStart(TptTokenKind K)
{
    switch (K) {
    case ptAddressOp: case ptAsm: case ptBegin: case ptCase: case ptDoubleAddressOp:
    case ptFor: case ptGoto: case ptIdentifier: case ptIf: case ptInherited: case ptInline:
    case ptIntegerConst: case ptPointerSymbol: case ptRaise: case ptRepeat:
    case ptRoundOpen: case ptSemiColon: case ptString: case ptTry: case ptWhile: case ptWith:
        return true;
    default:
        return false;
    }
}

bool IsRelationalOperator(TptTokenKind K)
{
    switch (K) {
    case ptEqual: case ptGreater: case ptGreaterEqual: case ptIn: case ptIs: case ptLower:
    case ptLowerEqual: case ptNotEqual:
        return true;
    default:
        return false;
    }
}

bool IsAdditiveOperator(TptTokenKind K)
{
    return K == ptMinus || K == ptOr || K == ptPlus || K == ptXor;
}

bool IsMultiplicativeOperator(TptTokenKind K)
{
    switch (K) {
    case ptAnd: case ptDiv: case ptMod: case ptShl: case ptShr: case ptSlash: case ptStar:
        return true;
    default:
        return false;
    }
}

bool IsAccessSpecifier(TptTokenKind Ex)
{
    return Ex == ptRead || Ex == ptReadonly || Ex == ptWrite || Ex == ptWriteonly;
}

bool IsStorageSpecifier(TptTokenKind Ex)
{
    return Ex == ptDefault || Ex == ptNodefault || Ex == ptStored;
}

bool IsDesignatorStart(TptTokenKind K)
{
    return K == ptAddressOp || K == ptDoubleAddressOp || K == ptIdentifier ||
           K == ptPointerSymbol || K == ptRoundOpen;
}

} // namespace

// ---------------------------------------------------------------------------
// Construction and infrastructure

TlxSimplePasPar::TlxSimplePasPar(const TlxPasHash* KeyTable,
                                 const TlxDirectiveHash* DirectiveTable)
    : FLexer(std::make_unique<TlxPasLex>(KeyTable, DirectiveTable))
{
    FLexer->SetOnMessage([this](void* Sender, const std::string& Msg, int X, int Y) {
        DoLexerMessage(Sender, Msg, X, Y);
    });
    FLexer->SetOnResourceDirect([this](TlxBasePasLex* Sender, const std::string& FileName) {
        HandlePtResourceDirect(Sender, FileName);
    });
}

TlxSimplePasPar::~TlxSimplePasPar() = default;

void TlxSimplePasPar::DoLexerMessage(void*, const std::string& Msg, int X, int Y)
{
    if (FOnMessage)
        FOnMessage(this, Msg, X, Y);
}

void TlxSimplePasPar::Report(const std::string& Msg)
{
    if (FOnMessage) {
        TPoint P = FLexer->GetPosXY();
        FOnMessage(this, Msg, P.X, P.Y);
    }
}

void TlxSimplePasPar::NestingTooDeep()
{
    throw ESyntaxError("Nesting too deep: more than " + std::to_string(MaxNestingDepth) +
                           " nested levels of statements, expressions or types",
                       FLexer->GetPosXY());
}

bool TlxSimplePasPar::NextIs(TptTokenKind Kind)
{
    if (const TptTokenKind Seen = FLexer->PeekPunctuation(); Seen != ptUnknown)
        return Seen == Kind;
    FLexer->InitAhead();
    return FLexer->GetAheadTokenID() == Kind;
}

// A type that starts with an identifier: a type name (followed by "." or
// ";"), or a subrange whose bounds are expressions.
void TlxSimplePasPar::TypeIdOrSubrange()
{
    FLexer->InitAhead();
    const TptTokenKind Next = FLexer->GetAheadTokenID();
    if (Next == ptPoint || Next == ptSemiColon) {
        TypeId();
        return;
    }
    SimpleExpression();
    if (GetTokenID() == ptDotDot) {
        NextToken();
        SimpleExpression();
    }
}

bool TlxSimplePasPar::DirectiveIsName()
{
    FLexer->InitAhead();
    TptTokenKind K = FLexer->GetAheadTokenID();
    return K == ptColon || K == ptComma || K == ptEqual;
}

void TlxSimplePasPar::Expected(TptTokenKind Kind)
{
    if (GetTokenID() == Kind)
        NextToken();
    else
        Report(ExpectedText(Kind, FLexer->GetToken()));
}

void TlxSimplePasPar::ExpectedEx(TptTokenKind Kind)
{
    if (GetExID() == Kind)
        NextToken();
    else if (GetTokenID() == ptNull)
        ExpectedFatal(Kind);
    else
        Report(ExpectedText(Kind, FLexer->GetToken()));
}

void TlxSimplePasPar::ExpectedFatal(TptTokenKind Kind)
{
    if (GetTokenID() == Kind) {
        NextToken();
        return;
    }
    std::string Found = GetTokenID() == ptNull ? std::string("end of file") : FLexer->GetToken();
    throw ESyntaxError(ExpectedText(Kind, Found), FLexer->GetPosXY());
}

void TlxSimplePasPar::HandlePtCompDirect(TlxBasePasLex*) {}
void TlxSimplePasPar::HandlePtDefineDirect(TlxBasePasLex*, const std::string&) {}
void TlxSimplePasPar::HandlePtElseDirect(TlxBasePasLex*) {}
void TlxSimplePasPar::HandlePtEndIfDirect(TlxBasePasLex*) {}
void TlxSimplePasPar::HandlePtIfDefDirect(TlxBasePasLex*) {}
void TlxSimplePasPar::HandlePtIfNDefDirect(TlxBasePasLex*) {}
void TlxSimplePasPar::HandlePtIfOptDirect(TlxBasePasLex*, TbdBooleanDirectives, bool) {}

const char* TlxSimplePasPar::HandlePtIncludeDirect(TlxBasePasLex*, const std::string&)
{
    return nullptr;
}

void TlxSimplePasPar::HandlePtResourceDirect(TlxBasePasLex*, const std::string& FileName)
{
    ResourceIncluded(FileName);
}

void TlxSimplePasPar::HandlePtUndefDirect(TlxBasePasLex*, const std::string&) {}

void TlxSimplePasPar::ResourceIncluded(const std::string&) {}

void TlxSimplePasPar::NextToken()
{
    FLexer->Next();
    SkipJunk();
}

// Each hook consumes a run of its own kind of token; the loop here goes on
// until a significant token is current. (Iterative, so that a long run of
// comments and line breaks costs no stack.) The junk loops ask the lexer for
// the token kind directly: they run for every line of every file.
void TlxSimplePasPar::SkipJunk()
{
    for (;;) {
        switch (FLexer->TokenID()) {
        case ptAnsiComment: SkipAnsiComment(); break;
        case ptAnsiDirective:
        case ptBorDirective: SkipDirective(); break;
        case ptBorComment: SkipBorComment(); break;
        case ptCRLF: SkipCRLF(); break;
        case ptCRLFCo: SkipCRLFco(); break;
        case ptSlashesComment: SkipSlashesComment(); break;
        case ptSpace: SkipSpace(); break;
        default:
            if (!IsTokenIDJunk(FLexer->TokenID()))
                return;
            FLexer->Next();
        }
    }
}

void TlxSimplePasPar::TerminateStream()
{
    if (FStream)
        FStream->SetTerminator();
}

void TlxSimplePasPar::SEMICOLON()
{
    switch (GetTokenID()) {
    case ptElse: case ptEnd: case ptExcept: case ptFinalization: case ptFinally:
    case ptRoundClose: case ptUntil:
        return;
    default:
        Expected(ptSemiColon);
    }
}

TptTokenKind TlxSimplePasPar::GetExID() { return FLexer->ExID(); }
TptTokenKind TlxSimplePasPar::GetGenID() { return FLexer->GetGenID(); }

void TlxSimplePasPar::SkipDirective()
{
    FLexer->ScannDirectives();
}

void TlxSimplePasPar::SkipAnsiComment()
{
    do
        FLexer->Next();
    while (FLexer->TokenID() == ptAnsiComment);
}

void TlxSimplePasPar::SkipBorComment()
{
    do
        FLexer->Next();
    while (FLexer->TokenID() == ptBorComment);
}

void TlxSimplePasPar::SkipSlashesComment()
{
    FLexer->Next();
}

void TlxSimplePasPar::SkipSpace()
{
    do
        FLexer->Next();
    while (FLexer->TokenID() == ptSpace);
}

void TlxSimplePasPar::SkipCRLFco()
{
    do
        FLexer->Next();
    while (FLexer->TokenID() == ptCRLFCo);
}

void TlxSimplePasPar::SkipCRLF()
{
    do
        FLexer->Next();
    while (FLexer->TokenID() == ptCRLF);
}

void TlxSimplePasPar::SynError(TlxParseError Error)
{
    Report(ParserErrorName(Error) + " found " + FLexer->GetToken());
}

void TlxSimplePasPar::Run(const std::string& FileName, TlxLexStream* Stream)
{
    FOwnedStream.reset();
    FUseDefaultStream = Stream == nullptr;
    if (Stream) {
        FStream = Stream;
    } else {
        FOwnedStream = std::make_unique<TlxLexStream>();
        FOwnedStream->LoadFromFile(FileName);
        FStream = FOwnedStream.get();
    }
    struct TRelease {
        TlxSimplePasPar& P;
        ~TRelease()
        {
            P.FStream = nullptr;
            P.FOwnedStream.reset();
        }
    } Release{*this};
    TerminateStream();
    FDepth = 0;
    FAheadTokens = 0;
    FArgumentList = false;
    FLexer->SetOrigin(FStream->Memory(), int(FStream->Size()));
    ParseFile();
}

bool TlxSimplePasPar::AtHintDirective()
{
    return (GetExID() == ptDeprecated || GetExID() == ptPlatform ||
            GetTokenID() == ptLibrary) &&
           !DirectiveIsName();
}

void TlxSimplePasPar::HintDirectives()
{
    while (GetExID() == ptDeprecated || GetExID() == ptPlatform || GetTokenID() == ptLibrary)
        NextToken();
}

// ---------------------------------------------------------------------------
// Files and sections

void TlxSimplePasPar::ParseFile()
{
    SkipJunk();
    switch (GetGenID()) {
    case ptLibrary: LibraryFile(); break;
    case ptPackage: PackageFile(); break;
    case ptProgram: ProgramFile(); break;
    case ptUnit: UnitFile(); break;
    default: IncludeFile();
    }
}

void TlxSimplePasPar::LibraryFile()
{
    Expected(ptLibrary);
    Expected(ptIdentifier);
    SEMICOLON();
    ProgramBlock();
    Expected(ptPoint);
}

void TlxSimplePasPar::PackageFile()
{
    ExpectedEx(ptPackage);
    Expected(ptIdentifier);
    SEMICOLON();
    if (GetExID() == ptRequires)
        RequiresClause();
    if (GetExID() == ptContains)
        ContainsClause();
    Expected(ptEnd);
    Expected(ptPoint);
}

void TlxSimplePasPar::ProgramFile()
{
    Expected(ptProgram);
    Expected(ptIdentifier);
    if (GetTokenID() == ptRoundOpen) {
        NextToken();
        IdentifierList();
        Expected(ptRoundClose);
    }
    SEMICOLON();
    ProgramBlock();
    Expected(ptPoint);
}

void TlxSimplePasPar::UnitFile()
{
    Expected(ptUnit);
    Expected(ptIdentifier);
    HintDirectives();
    SEMICOLON();
    InterfaceSection();
    ImplementationSection();
    InitializationSection();
    Expected(ptPoint);
}

void TlxSimplePasPar::IncludeFile()
{
    while (GetTokenID() != ptNull) {
        switch (GetTokenID()) {
        case ptClass: case ptConstructor: case ptDestructor: case ptFunction:
        case ptProcedure:
            ProcedureDeclarationSection();
            break;
        case ptConst: case ptResourcestring:
            ConstSection();
            break;
        case ptExports:
            ExportsClause();
            break;
        case ptIdentifier: {
            FLexer->InitAhead();
            TptTokenKind Next = FLexer->GetAheadTokenID();
            if (Next == ptColon || Next == ptEqual) {
                ConstantDeclaration();
                if (GetTokenID() == ptSemiColon)
                    SEMICOLON();
            } else {
                NextToken();
            }
            break;
        }
        case ptLabel:
            LabelDeclarationSection();
            break;
        case ptThreadvar: case ptVar:
            VarSection();
            break;
        case ptType:
            TypeSection();
            break;
        default:
            NextToken();
        }
    }
}

void TlxSimplePasPar::ProgramBlock()
{
    if (GetTokenID() == ptUses)
        MainUsesClause();
    Block();
}

void TlxSimplePasPar::MainUsesClause()
{
    Expected(ptUses);
    MainUsedUnitStatement();
    while (GetTokenID() == ptComma) {
        NextToken();
        MainUsedUnitStatement();
    }
    SEMICOLON();
}

void TlxSimplePasPar::MainUsedUnitStatement()
{
    MainUsedUnitName();
    if (GetTokenID() == ptIn) {
        NextToken();
        MainUsedUnitExpression();
    }
}

void TlxSimplePasPar::MainUsedUnitName() { Expected(ptIdentifier); }
void TlxSimplePasPar::MainUsedUnitExpression() { ConstantExpression(); }

void TlxSimplePasPar::UsesClause()
{
    Expected(ptUses);
    UsedUnitsList();
    SEMICOLON();
}

void TlxSimplePasPar::UsedUnitsList()
{
    UsedUnitName();
    while (GetTokenID() == ptComma) {
        NextToken();
        UsedUnitName();
    }
}

void TlxSimplePasPar::UsedUnitName() { Expected(ptIdentifier); }

void TlxSimplePasPar::InterfaceSection()
{
    Expected(ptInterface);
    if (GetTokenID() == ptUses)
        UsesClause();
    while (IsInterfaceDeclarationStart(GetTokenID()))
        InterfaceDeclaration();
}

void TlxSimplePasPar::InterfaceDeclaration()
{
    switch (GetTokenID()) {
    case ptConst: case ptResourcestring: ConstSection(); break;
    case ptFunction: case ptProcedure: ExportedHeading(); break;
    case ptThreadvar: case ptVar: VarSection(); break;
    case ptType: TypeSection(); break;
    default: SynError(InvalidInterfaceDeclaration);
    }
}

void TlxSimplePasPar::ImplementationSection()
{
    Expected(ptImplementation);
    if (GetTokenID() == ptUses)
        UsesClause();
    while (IsImplementationDeclarationStart(GetTokenID()))
        DeclarationSection();
}

void TlxSimplePasPar::InitializationSection()
{
    switch (GetTokenID()) {
    case ptBegin:
        CompoundStatement();
        break;
    case ptEnd:
        NextToken();
        break;
    case ptFinalization:
        NextToken();
        StatementList();
        Expected(ptEnd);
        break;
    case ptInitialization:
        NextToken();
        StatementList();
        if (GetTokenID() == ptFinalization) {
            NextToken();
            StatementList();
        }
        Expected(ptEnd);
        break;
    default:
        SynError(InvalidInitializationSection);
    }
}

void TlxSimplePasPar::Block()
{
    TNestGuard Guard(*this);
    while (IsDeclarationStart(GetTokenID()))
        DeclarationSection();
    if (GetTokenID() == ptAsm)
        AsmStatement();
    else if (GetTokenID() == ptEnd && NextIs(ptPoint))
        NextToken(); // a library that ends with "end." and no main block
    else
        CompoundStatement();
}

void TlxSimplePasPar::DeclarationSection()
{
    switch (GetTokenID()) {
    case ptClass: case ptConstructor: case ptDestructor: case ptFunction: case ptProcedure:
        ProcedureDeclarationSection();
        break;
    case ptConst: case ptResourcestring: ConstSection(); break;
    case ptExports: ExportsClause(); break;
    case ptLabel: LabelDeclarationSection(); break;
    case ptThreadvar: case ptVar: VarSection(); break;
    case ptType: TypeSection(); break;
    default: SynError(InvalidDeclarationSection);
    }
}

void TlxSimplePasPar::RequiresClause()
{
    ExpectedEx(ptRequires);
    RequiresIdentifier();
    while (GetTokenID() == ptComma) {
        NextToken();
        RequiresIdentifier();
    }
    SEMICOLON();
}

void TlxSimplePasPar::RequiresIdentifier() { Expected(ptIdentifier); }

void TlxSimplePasPar::ContainsClause()
{
    ExpectedEx(ptContains);
    ContainsStatement();
    while (GetTokenID() == ptComma) {
        NextToken();
        ContainsStatement();
    }
    SEMICOLON();
}

void TlxSimplePasPar::ContainsStatement()
{
    ContainsIdentifier();
    if (GetTokenID() == ptIn) {
        NextToken();
        ContainsExpression();
    }
}

void TlxSimplePasPar::ContainsIdentifier() { Expected(ptIdentifier); }
void TlxSimplePasPar::ContainsExpression() { ConstantExpression(); }

void TlxSimplePasPar::ExportsClause()
{
    Expected(ptExports);
    ExportsElement();
    while (GetTokenID() == ptComma) {
        NextToken();
        ExportsElement();
    }
    SEMICOLON();
}

void TlxSimplePasPar::ExportsElement()
{
    Expected(ptIdentifier);
    if (GetExID() == ptIndex) {
        NextToken();
        Expected(ptIntegerConst);
    }
    if (GetExID() == ptName) {
        NextToken();
        CharString();
    }
    if (GetExID() == ptResident)
        NextToken();
}

void TlxSimplePasPar::LabelDeclarationSection()
{
    Expected(ptLabel);
    LabelId();
    while (GetTokenID() == ptComma) {
        NextToken();
        LabelId();
    }
    SEMICOLON();
}

void TlxSimplePasPar::UnitId() { Expected(ptIdentifier); }

// ---------------------------------------------------------------------------
// Constants and variables

void TlxSimplePasPar::ConstSection()
{
    switch (GetTokenID()) {
    case ptConst:
        NextToken();
        while (GetTokenID() == ptIdentifier) {
            ConstantDeclaration();
            SEMICOLON();
        }
        break;
    case ptResourcestring:
        NextToken();
        while (GetTokenID() == ptIdentifier) {
            ResourceDeclaration();
            SEMICOLON();
        }
        break;
    default:
        SynError(InvalidConstSection);
    }
}

void TlxSimplePasPar::ConstantDeclaration()
{
    ConstantName();
    switch (GetTokenID()) {
    case ptColon: ConstantColon(); break;
    case ptEqual: ConstantEqual(); break;
    default: SynError(InvalidConstantDeclaration); return;
    }
    HintDirectives();
}

void TlxSimplePasPar::ConstantColon()
{
    Expected(ptColon);
    TypeKind();
    Expected(ptEqual);
    ConstantValueTyped();
}

void TlxSimplePasPar::ConstantEqual()
{
    Expected(ptEqual);
    ConstantValue();
}

void TlxSimplePasPar::ConstantName() { Expected(ptIdentifier); }
void TlxSimplePasPar::ConstantValue() { ConstantExpression(); }
void TlxSimplePasPar::ConstantValueTyped() { TypedConstant(); }

void TlxSimplePasPar::ResourceDeclaration()
{
    Expected(ptIdentifier);
    Expected(ptEqual);
    CharString();
}

void TlxSimplePasPar::VarSection()
{
    if (GetTokenID() == ptVar || GetTokenID() == ptThreadvar)
        NextToken();
    else
        SynError(InvalidVarSection);
    while (GetTokenID() == ptIdentifier) {
        VarDeclaration();
        SEMICOLON();
    }
}

void TlxSimplePasPar::VarDeclaration()
{
    VarNameList();
    Expected(ptColon);
    TypeKind();
    switch (GetGenID()) {
    case ptAbsolute: VarAbsolute(); break;
    case ptEqual: VarEqual(); break;
    default: break;
    }
    HintDirectives();
}

void TlxSimplePasPar::VarAbsolute()
{
    ExpectedEx(ptAbsolute);
    ConstantValue();
}

void TlxSimplePasPar::VarEqual()
{
    Expected(ptEqual);
    ConstantValueTyped();
}

void TlxSimplePasPar::VarNameList()
{
    VarName();
    while (GetTokenID() == ptComma) {
        NextToken();
        VarName();
    }
}

void TlxSimplePasPar::VarName() { Expected(ptIdentifier); }

// Decides how the parenthesised typed constant at the current '(' is to be
// read, moving only the look-ahead lexer. A nested '(' is stepped over as a
// unit. The scan ends at the first token that decides: an arithmetic
// operator (an expression), ':' (a record constant), ',' or ';' (a list),
// the closing ')' (an expression when an operator follows it, else a list),
// or a statement keyword or the end of text. Stopping at the list's own
// commas and at its closing parenthesis keeps the decision local, so large
// nested constant tables are read in linear time.
TlxSimplePasPar::TParenConstKind TlxSimplePasPar::ClassifyParenConstant()
{
    FLexer->InitAhead();
    int Depth = 0;
    for (;;) {
        TptTokenKind K = FLexer->GetAheadTokenID();
        switch (K) {
        case ptNull:
            return pcNothing;
        case ptBegin: case ptCase: case ptElse: case ptEnd: case ptIf: case ptWhile:
        case ptWith:
            return pcArray;
        case ptRoundOpen:
            ++Depth;
            break;
        case ptRoundClose:
            if (Depth == 0) {
                FLexer->AheadNext();
                ++FAheadTokens;
                TptTokenKind After = FLexer->GetAheadTokenID();
                if (IsAdditiveOperator(After) || IsMultiplicativeOperator(After))
                    return pcExpression;
                return pcArray;
            }
            --Depth;
            break;
        default:
            if (Depth == 0) {
                switch (K) {
                case ptAnd: case ptMinus: case ptOr: case ptPlus: case ptShl: case ptShr:
                case ptSlash: case ptStar: case ptXor: case ptDiv: case ptMod:
                    return pcExpression;
                case ptColon:
                    return pcRecord;
                case ptSemiColon: case ptComma:
                    return pcArray;
                default:
                    break;
                }
            }
        }
        FLexer->AheadNext();
        ++FAheadTokens;
    }
}

void TlxSimplePasPar::TypedConstant()
{
    TNestGuard Guard(*this);
    switch (GetTokenID()) {
    case ptRoundOpen:
        switch (ClassifyParenConstant()) {
        case pcExpression: ConstantExpression(); break;
        case pcRecord: RecordConstant(); break;
        case pcArray: ArrayConstant(); break;
        case pcNothing: break;
        }
        break;
    case ptSquareOpen:
        NextToken();
        if (GetTokenID() != ptSquareClose) {
            TypedSetElement();
            while (GetTokenID() == ptComma) {
                NextToken();
                TypedSetElement();
            }
        }
        Expected(ptSquareClose);
        break;
    default:
        ConstantExpression();
    }
}

// One element of a set in a typed constant: a constant expression, or a
// range of two.
void TlxSimplePasPar::TypedSetElement()
{
    if (GetTokenID() != ptDotDot)
        ConstantExpression();
    if (GetTokenID() == ptDotDot) {
        NextToken();
        ConstantExpression();
    }
}

void TlxSimplePasPar::ArrayConstant()
{
    Expected(ptRoundOpen);
    TypedConstant();
    while (GetTokenID() == ptComma) {
        NextToken();
        TypedConstant();
    }
    Expected(ptRoundClose);
}

void TlxSimplePasPar::RecordConstant()
{
    Expected(ptRoundOpen);
    RecordFieldConstant();
    while (GetTokenID() == ptSemiColon) {
        NextToken();
        if (GetTokenID() != ptRoundClose)
            RecordFieldConstant();
    }
    Expected(ptRoundClose);
}

void TlxSimplePasPar::RecordFieldConstant()
{
    Expected(ptIdentifier);
    Expected(ptColon);
    TypedConstant();
}

// ---------------------------------------------------------------------------
// Types

void TlxSimplePasPar::TypeSection()
{
    Expected(ptType);
    while (GetTokenID() == ptIdentifier) {
        TypeDeclaration();
        if (GetTokenID() == ptEqual)
            TypedConstant();
        SEMICOLON();
    }
}

void TlxSimplePasPar::TypeDeclaration()
{
    TypeName();
    Expected(ptEqual);
    if (GetTokenID() == ptType)
        ExpliciteType();
    switch (GetTokenID()) {
    case ptClass: {
        FLexer->InitAhead();
        TptTokenKind Next = FLexer->GetAheadTokenID();
        if (Next == ptOf)
            ClassReferenceType();
        else if (Next == ptSemiColon)
            ClassForward();
        else
            ClassType();
        break;
    }
    case ptDispinterface:
        if (NextIs(ptSemiColon))
            DispInterfaceForward();
        else
            InterfaceType();
        break;
    case ptInterface:
        if (NextIs(ptSemiColon))
            InterfaceForward();
        else
            InterfaceType();
        break;
    case ptObject:
        if (NextIs(ptSemiColon))
            ObjectForward();
        else
            ObjectType();
        break;
    default:
        TypeKind();
    }
    HintDirectives();
}

void TlxSimplePasPar::TypeName() { Expected(ptIdentifier); }
void TlxSimplePasPar::ExpliciteType() { Expected(ptType); }
void TlxSimplePasPar::ClassForward() { Expected(ptClass); }
void TlxSimplePasPar::DispInterfaceForward() { Expected(ptDispinterface); }
void TlxSimplePasPar::InterfaceForward() { Expected(ptInterface); }
void TlxSimplePasPar::ObjectForward() { Expected(ptObject); }

void TlxSimplePasPar::TypeKind()
{
    TNestGuard Guard(*this);
    switch (GetTokenID()) {
    case ptArray: case ptFile: case ptPacked: case ptRecord: case ptSet:
        StructuredType();
        break;
    case ptAsciiChar: case ptFloat: case ptIntegerConst: case ptStringConst: case ptMinus:
    case ptNil: case ptPlus: case ptRoundOpen: case ptSquareOpen:
        SimpleType();
        break;
    case ptFunction: case ptProcedure:
        ProceduralType();
        break;
    case ptIdentifier:
        TypeIdOrSubrange();
        break;
    case ptPointerSymbol:
        PointerType();
        break;
    case ptString:
        StringType();
        break;
    default:
        SynError(InvalidTypeKind);
    }
}

void TlxSimplePasPar::StructuredType()
{
    if (GetTokenID() == ptPacked)
        NextToken();
    switch (GetTokenID()) {
    case ptArray: ArrayType(); break;
    case ptFile: FileType(); break;
    case ptRecord: RecordType(); break;
    case ptSet: SetType(); break;
    default: SynError(InvalidStructuredType);
    }
}

void TlxSimplePasPar::ArrayType()
{
    Expected(ptArray);
    if (GetTokenID() == ptSquareOpen) {
        NextToken();
        OrdinalType();
        while (GetTokenID() == ptComma) {
            NextToken();
            OrdinalType();
        }
        Expected(ptSquareClose);
    }
    Expected(ptOf);
    TypeKind();
}

void TlxSimplePasPar::RecordType()
{
    Expected(ptRecord);
    FieldList();
    Expected(ptEnd);
}

void TlxSimplePasPar::FieldList()
{
    TNestGuard Guard(*this);
    while (GetTokenID() == ptIdentifier) {
        FieldDeclaration();
        SEMICOLON();
    }
    if (GetTokenID() == ptCase)
        VariantSection();
    SEMICOLON();
}

void TlxSimplePasPar::FieldDeclaration()
{
    IdentifierList();
    Expected(ptColon);
    TypeKind();
    HintDirectives();
}

void TlxSimplePasPar::VariantSection()
{
    Expected(ptCase);
    TagField();
    Expected(ptOf);
    RecordVariant();
    while (GetTokenID() == ptSemiColon) {
        NextToken();
        TptTokenKind K = GetTokenID();
        // ')' closes the enclosing variant when this section is nested in one.
        if (K != ptElse && K != ptEnd && K != ptRoundClose)
            RecordVariant();
    }
}

void TlxSimplePasPar::TagField()
{
    TagFieldName();
    if (GetTokenID() == ptColon) {
        NextToken();
        TagFieldTypeName();
    }
}

void TlxSimplePasPar::TagFieldName() { Expected(ptIdentifier); }
void TlxSimplePasPar::TagFieldTypeName() { QualifiedIdentifier(); }

void TlxSimplePasPar::RecordVariant()
{
    ConstantExpression();
    while (GetTokenID() == ptComma) {
        NextToken();
        ConstantExpression();
    }
    Expected(ptColon);
    Expected(ptRoundOpen);
    // A variant may hold fields, a nested variant part, or both.
    if (GetTokenID() == ptIdentifier || GetTokenID() == ptCase)
        FieldList();
    Expected(ptRoundClose);
}

void TlxSimplePasPar::SetType()
{
    Expected(ptSet);
    Expected(ptOf);
    OrdinalType();
}

void TlxSimplePasPar::FileType()
{
    Expected(ptFile);
    if (GetTokenID() == ptOf) {
        NextToken();
        TypeId();
    }
}

void TlxSimplePasPar::SimpleType()
{
    if (GetTokenID() == ptPlus || GetTokenID() == ptMinus)
        NextToken();
    switch (GetTokenID()) {
    case ptAsciiChar: case ptIntegerConst:
        OrdinalType();
        break;
    case ptFloat:
        RealType();
        break;
    case ptIdentifier:
        TypeIdOrSubrange();
        break;
    case ptRoundOpen:
        EnumeratedType();
        break;
    case ptSquareOpen:
        SubrangeType();
        break;
    default:
        VariableReference();
    }
}

void TlxSimplePasPar::OrdinalType()
{
    switch (GetTokenID()) {
    case ptIdentifier: {
        FLexer->InitAhead();
        TptTokenKind Next = FLexer->GetAheadTokenID();
        if (Next == ptPoint)
            Expression();
        else if (Next == ptRoundOpen)
            ConstantExpression();
        else
            TypeId();
        break;
    }
    case ptRoundOpen:
        EnumeratedType();
        break;
    case ptSquareOpen:
        NextToken();
        SubrangeType();
        Expected(ptSquareClose);
        break;
    default:
        Expression();
    }
    // The upper bound is read without relations, so that in a typed
    // constant (const S: set of 'a'..'z' = [...]) the '=' is left alone.
    if (GetTokenID() == ptDotDot) {
        NextToken();
        SimpleExpression();
    }
}

void TlxSimplePasPar::SubrangeType()
{
    ConstantExpression();
    if (GetTokenID() == ptDotDot) {
        NextToken();
        ConstantExpression();
    }
}

void TlxSimplePasPar::EnumeratedType()
{
    Expected(ptRoundOpen);
    IdentifierList();
    // Members may be given explicit values: (a = 1, b, c = 5).
    while (GetTokenID() == ptEqual) {
        NextToken();
        ConstantExpression();
        if (GetTokenID() != ptComma)
            break;
        NextToken();
        IdentifierList();
    }
    Expected(ptRoundClose);
}

void TlxSimplePasPar::RealType()
{
    if (GetTokenID() == ptPlus || GetTokenID() == ptMinus)
        NextToken();
    if (GetTokenID() == ptFloat)
        NextToken();
    else
        VariableReference();
}

void TlxSimplePasPar::TypeId()
{
    if (NextIs(ptPoint)) {
        UnitId();
        Expected(ptPoint);
    }
    switch (GetGenID()) {
    case ptAnsiString: case ptShortString: case ptWideString:
        StringIdentifier();
        break;
    case ptBoolean: case ptByte: case ptChar: case ptDWORD: case ptInt64: case ptInteger:
    case ptLongint: case ptLongword: case ptPChar: case ptShortint: case ptSmallint:
    case ptWideChar: case ptWord:
        OrdinalIdentifier();
        break;
    case ptComp: case ptCurrency: case ptDouble: case ptExtended: case ptReal: case ptReal48:
    case ptSingle:
        RealIdentifier();
        break;
    case ptOleVariant: case ptVariant:
        VariantIdentifier();
        break;
    case ptString:
        StringType();
        break;
    default:
        Expected(ptIdentifier);
    }
}

void TlxSimplePasPar::OrdinalIdentifier()
{
    switch (GetExID()) {
    case ptBoolean: case ptByte: case ptByteBool: case ptCardinal: case ptChar: case ptDWORD:
    case ptInt64: case ptInteger: case ptLongBool: case ptLongint: case ptLongword:
    case ptPChar: case ptShortint: case ptSmallint: case ptWideChar: case ptWord:
    case ptWordBool:
        NextToken();
        break;
    default:
        SynError(InvalidOrdinalIdentifier);
    }
}

void TlxSimplePasPar::RealIdentifier()
{
    switch (GetExID()) {
    case ptComp: case ptCurrency: case ptDouble: case ptExtended: case ptReal: case ptReal48:
    case ptSingle:
        NextToken();
        break;
    default:
        SynError(InvalidRealIdentifier);
    }
}

void TlxSimplePasPar::StringIdentifier()
{
    switch (GetExID()) {
    case ptAnsiString: case ptShortString: case ptWideString:
        NextToken();
        break;
    default:
        SynError(InvalidStringIdentifier);
    }
}

void TlxSimplePasPar::VariantIdentifier()
{
    if (GetExID() == ptOleVariant || GetExID() == ptVariant)
        NextToken();
    else
        SynError(InvalidVariantIdentifier);
}

void TlxSimplePasPar::StringType()
{
    if (GetTokenID() == ptString) {
        NextToken();
        if (GetTokenID() == ptSquareOpen) {
            NextToken();
            ConstantExpression();
            Expected(ptSquareClose);
        }
    } else {
        VariableReference();
    }
}

void TlxSimplePasPar::PointerType()
{
    Expected(ptPointerSymbol);
    TypeId();
}

void TlxSimplePasPar::ClassReferenceType()
{
    Expected(ptClass);
    Expected(ptOf);
    TypeId();
}

void TlxSimplePasPar::ProceduralType()
{
    if (GetTokenID() == ptFunction) {
        NextToken();
        if (GetTokenID() == ptRoundOpen) {
            NextToken();
            FormalParameterList();
            Expected(ptRoundClose);
        }
        Expected(ptColon);
        ReturnType();
    } else if (GetTokenID() == ptProcedure) {
        NextToken();
        if (GetTokenID() == ptRoundOpen) {
            NextToken();
            FormalParameterList();
            Expected(ptRoundClose);
        }
    } else {
        SynError(InvalidProceduralType);
    }
    if (GetTokenID() == ptOf) {
        NextToken();
        Expected(ptObject);
    }
    for (;;) {
        if (GetTokenID() == ptSemiColon) {
            // The word after the ';' is a directive of this type only when it
            // is not itself the name of the next field or variable.
            FLexer->InitAhead();
            if (!IsTypeDirective(FLexer->GetAheadExID()))
                break;
            FLexer->AheadNext();
            TptTokenKind After = FLexer->GetAheadTokenID();
            if (After == ptColon || After == ptComma)
                break;
            NextToken();
        } else if (!IsTypeDirective(GetExID()) || NextIs(ptColon) || NextIs(ptComma)) {
            // Right after the type, "cdecl = nil" is the directive and the
            // variable's initial value.
            break;
        }
        ProceduralDirective();
    }
}

void TlxSimplePasPar::ReturnType()
{
    if (GetTokenID() == ptString)
        StringType();
    else
        TypeId();
}

// ---------------------------------------------------------------------------
// Classes, objects and interfaces

void TlxSimplePasPar::ClassType()
{
    Expected(ptClass);
    switch (GetTokenID()) {
    case ptEnd:
        NextToken();
        break;
    case ptRoundOpen:
        ClassHeritage();
        if (GetTokenID() == ptEnd) {
            NextToken();
        } else if (GetTokenID() != ptSemiColon) {
            ClassMemberList();
            Expected(ptEnd);
        }
        break;
    default:
        ClassMemberList();
        Expected(ptEnd);
    }
}

void TlxSimplePasPar::ClassHeritage()
{
    Expected(ptRoundOpen);
    QualifiedIdentifierList();
    Expected(ptRoundClose);
}

namespace {
bool IsClassMethodOrPropertyStart(TptTokenKind K)
{
    return K == ptClass || K == ptConstructor || K == ptDestructor || K == ptFunction ||
           K == ptProcedure || K == ptProperty;
}
} // namespace

void TlxSimplePasPar::ClassMemberList()
{
    ClassVisibility();
    while (GetTokenID() == ptIdentifier || IsClassMethodOrPropertyStart(GetTokenID())) {
        while (GetTokenID() == ptIdentifier) {
            ClassField();
            SEMICOLON();
            ClassVisibility();
        }
        while (IsClassMethodOrPropertyStart(GetTokenID()))
            ClassMethodOrProperty();
        ClassVisibility();
    }
}

void TlxSimplePasPar::ClassVisibility()
{
    for (;;) {
        TptTokenKind Ex = GetExID();
        if (Ex != ptAutomated && Ex != ptPrivate && Ex != ptProtected && Ex != ptPublic &&
            Ex != ptPublished && Ex != ptStrict)
            return;
        FLexer->InitAhead();
        TptTokenKind Next = FLexer->GetAheadTokenID();
        if (Next == ptColon || Next == ptComma)
            return;
        switch (Ex) {
        case ptAutomated: VisibilityAutomated(); break;
        case ptPrivate: VisibilityPrivate(); break;
        case ptProtected: VisibilityProtected(); break;
        case ptPublic: VisibilityPublic(); break;
        case ptPublished: VisibilityPublished(); break;
        default:
            if (FLexer->GetAheadExID() == ptPrivate)
                VisibilityStrictPrivate();
            else if (FLexer->GetAheadExID() == ptProtected)
                VisibilityStrictProtected();
            else
                return;
        }
    }
}

void TlxSimplePasPar::VisibilityAutomated() { ExpectedEx(ptAutomated); }
void TlxSimplePasPar::VisibilityPrivate() { ExpectedEx(ptPrivate); }
void TlxSimplePasPar::VisibilityProtected() { ExpectedEx(ptProtected); }
void TlxSimplePasPar::VisibilityPublic() { ExpectedEx(ptPublic); }
void TlxSimplePasPar::VisibilityPublished() { ExpectedEx(ptPublished); }
void TlxSimplePasPar::VisibilityUnknown() {}

void TlxSimplePasPar::VisibilityStrictPrivate()
{
    ExpectedEx(ptStrict);
    ExpectedEx(ptPrivate);
}

void TlxSimplePasPar::VisibilityStrictProtected()
{
    ExpectedEx(ptStrict);
    ExpectedEx(ptProtected);
}

void TlxSimplePasPar::ClassField()
{
    IdentifierList();
    Expected(ptColon);
    TypeKind();
    HintDirectives();
}

void TlxSimplePasPar::ClassMethodOrProperty()
{
    if (GetTokenID() == ptClass)
        NextToken();
    if (GetTokenID() == ptProperty)
        ClassProperty();
    else
        ClassMethodHeading();
}

void TlxSimplePasPar::ClassMethodHeading()
{
    switch (GetTokenID()) {
    case ptConstructor:
        ConstructorHeading();
        break;
    case ptDestructor:
        DestructorHeading();
        break;
    case ptFunction:
    case ptProcedure: {
        FLexer->InitAhead();
        FLexer->AheadNext();
        if (FLexer->GetAheadTokenID() == ptPoint)
            ClassMethodResolution();
        else if (GetTokenID() == ptFunction)
            ClassFunctionHeading();
        else
            ClassProcedureHeading();
        break;
    }
    default:
        SynError(InvalidClassMethodHeading);
    }
}

void TlxSimplePasPar::ClassFunctionHeading()
{
    Expected(ptFunction);
    FunctionMethodName();
    if (GetTokenID() == ptRoundOpen) {
        NextToken();
        FormalParameterList();
        Expected(ptRoundClose);
    }
    Expected(ptColon);
    ReturnType();
    SemicolonBeforeDirective();
    if (GetExID() == ptDispid) {
        NextToken();
        ConstantExpression();
        SEMICOLON();
    }
    ClassMethodDirective();
}

void TlxSimplePasPar::ClassProcedureHeading()
{
    Expected(ptProcedure);
    ProcedureMethodName();
    if (GetTokenID() == ptRoundOpen) {
        NextToken();
        FormalParameterList();
        Expected(ptRoundClose);
    }
    SemicolonBeforeDirective();
    if (GetExID() == ptDispid) {
        NextToken();
        ConstantExpression();
        SEMICOLON();
    }
    ClassMethodDirective();
}

void TlxSimplePasPar::ConstructorHeading()
{
    Expected(ptConstructor);
    ConstructorName();
    if (GetTokenID() == ptRoundOpen) {
        NextToken();
        FormalParameterList();
        Expected(ptRoundClose);
    }
    SemicolonBeforeDirective();
    ClassMethodDirective();
}

void TlxSimplePasPar::DestructorHeading()
{
    Expected(ptDestructor);
    DestructorName();
    if (GetTokenID() == ptRoundOpen) {
        NextToken();
        FormalParameterList();
        Expected(ptRoundClose);
    }
    SemicolonBeforeDirective();
    ClassMethodDirective();
}

void TlxSimplePasPar::ConstructorName() { Expected(ptIdentifier); }
void TlxSimplePasPar::DestructorName() { Expected(ptIdentifier); }

void TlxSimplePasPar::ClassMethodResolution()
{
    if (GetTokenID() == ptFunction || GetTokenID() == ptProcedure)
        NextToken();
    ResolutionInterfaceName();
    Expected(ptPoint);
    Expected(ptIdentifier);
    Expected(ptEqual);
    Expected(ptIdentifier);
    SEMICOLON();
}

void TlxSimplePasPar::ResolutionInterfaceName() { Expected(ptIdentifier); }

// The ';' after a method heading may be left out before a directive
// (function Get: HRESULT stdcall;).
void TlxSimplePasPar::SemicolonBeforeDirective()
{
    if (GetTokenID() != ptSemiColon && IsClassMethodDirective(GetExID()))
        return;
    SEMICOLON();
}

void TlxSimplePasPar::ClassMethodDirective()
{
    for (;;) {
        if (IsClassMethodDirective(GetExID()) && !DirectiveIsName()) {
            ProceduralDirective();
        } else if (AtHintDirective()) {
            HintDirectives();
        } else if (GetExID() == ptDispid && !DirectiveIsName()) {
            // Methods of dual interfaces: stdcall; dispid 1;
            NextToken();
            ConstantExpression();
        } else {
            break;
        }
        SEMICOLON();
    }
}

void TlxSimplePasPar::ClassProperty()
{
    Expected(ptProperty);
    PropertyName();
    bool Indexed = GetTokenID() == ptSquareOpen;
    if (GetTokenID() == ptColon || Indexed)
        PropertyInterface();
    PropertySpecifiers();
    if (Indexed && GetExID() == ptDefault)
        PropertyDirective();
}

void TlxSimplePasPar::PropertyName() { Expected(ptIdentifier); }

void TlxSimplePasPar::PropertyInterface()
{
    if (GetTokenID() == ptSquareOpen)
        PropertyParameterList();
    Expected(ptColon);
    TypeId();
}

void TlxSimplePasPar::PropertyParameterList()
{
    Expected(ptSquareOpen);
    FormalParameterList();
    Expected(ptSquareClose);
}

void TlxSimplePasPar::PropertyParameterConst() { Expected(ptConst); }

void TlxSimplePasPar::PropertySpecifiers()
{
    if (GetExID() == ptIndex) {
        NextToken();
        ConstantExpression();
    }
    while (IsAccessSpecifier(GetExID()))
        AccessSpecifier();
    if (GetExID() == ptDispid) {
        NextToken();
        ConstantExpression();
    }
    while (IsStorageSpecifier(GetExID()))
        StorageSpecifier();
    if (GetExID() == ptImplements) {
        NextToken();
        QualifiedIdentifierList();
    }
    SEMICOLON();
}

void TlxSimplePasPar::AccessSpecifier()
{
    switch (GetExID()) {
    case ptRead:
        NextToken();
        ReadAccessIdentifier();
        break;
    case ptReadonly:
        NextToken();
        break;
    case ptWrite:
        NextToken();
        WriteAccessIdentifier();
        break;
    case ptWriteonly:
        NextToken();
        break;
    default:
        SynError(InvalidAccessSpecifier);
    }
}

void TlxSimplePasPar::ReadAccessIdentifier() { QualifiedIdentifier(); }
void TlxSimplePasPar::WriteAccessIdentifier() { QualifiedIdentifier(); }

void TlxSimplePasPar::StorageSpecifier()
{
    switch (GetExID()) {
    case ptDefault: StorageDefault(); break;
    case ptNodefault: StorageNoDefault(); break;
    case ptStored: StorageStored(); break;
    default: SynError(InvalidStorageSpecifier);
    }
}

void TlxSimplePasPar::StorageDefault()
{
    ExpectedEx(ptDefault);
    StorageExpression();
}

void TlxSimplePasPar::StorageNoDefault() { ExpectedEx(ptNodefault); }

void TlxSimplePasPar::StorageStored()
{
    ExpectedEx(ptStored);
    if (GetTokenID() != ptSemiColon)
        StorageExpression();
}

void TlxSimplePasPar::StorageExpression() { ConstantExpression(); }

void TlxSimplePasPar::PropertyDirective()
{
    ExpectedEx(ptDefault);
    SEMICOLON();
}

void TlxSimplePasPar::ObjectType()
{
    Expected(ptObject);
    switch (GetTokenID()) {
    case ptEnd:
        NextToken();
        break;
    case ptRoundOpen:
        ObjectHeritage();
        if (GetTokenID() == ptEnd) {
            NextToken();
        } else if (GetTokenID() != ptSemiColon) {
            ObjectMemberList();
            Expected(ptEnd);
        }
        break;
    default:
        ObjectMemberList();
        Expected(ptEnd);
    }
}

void TlxSimplePasPar::ObjectHeritage()
{
    Expected(ptRoundOpen);
    QualifiedIdentifier();
    Expected(ptRoundClose);
}

namespace {
bool IsObjectMethodOrPropertyStart(TptTokenKind K)
{
    return K == ptConstructor || K == ptDestructor || K == ptFunction || K == ptProcedure ||
           K == ptProperty;
}
} // namespace

void TlxSimplePasPar::ObjectMemberList()
{
    ObjectVisibility();
    while (GetTokenID() == ptIdentifier || IsObjectMethodOrPropertyStart(GetTokenID())) {
        while (GetTokenID() == ptIdentifier) {
            ObjectField();
            SEMICOLON();
            ObjectVisibility();
        }
        while (IsObjectMethodOrPropertyStart(GetTokenID())) {
            if (GetTokenID() == ptProperty)
                ObjectProperty();
            else
                ObjectMethodHeading();
        }
        ObjectVisibility();
    }
}

void TlxSimplePasPar::ObjectVisibility()
{
    for (;;) {
        TptTokenKind Ex = GetExID();
        if (Ex != ptPrivate && Ex != ptProtected && Ex != ptPublic)
            return;
        if (DirectiveIsName())
            return;
        switch (Ex) {
        case ptPrivate: VisibilityPrivate(); break;
        case ptProtected: VisibilityProtected(); break;
        default: VisibilityPublic(); break;
        }
    }
}

void TlxSimplePasPar::ObjectField()
{
    IdentifierList();
    Expected(ptColon);
    TypeKind();
    HintDirectives();
}

void TlxSimplePasPar::ObjectMethodHeading()
{
    switch (GetTokenID()) {
    case ptConstructor: ObjectConstructorHeading(); break;
    case ptDestructor: ObjectDestructorHeading(); break;
    case ptFunction: ObjectFunctionHeading(); break;
    case ptProcedure: ObjectProcedureHeading(); break;
    default: SynError(InvalidMethodHeading);
    }
}

void TlxSimplePasPar::ObjectFunctionHeading()
{
    Expected(ptFunction);
    FunctionMethodName();
    if (GetTokenID() == ptRoundOpen) {
        NextToken();
        FormalParameterList();
        Expected(ptRoundClose);
    }
    Expected(ptColon);
    ReturnType();
    if (GetTokenID() == ptSemiColon)
        NextToken();
    ObjectMethodDirective();
}

void TlxSimplePasPar::ObjectProcedureHeading()
{
    Expected(ptProcedure);
    ProcedureMethodName();
    if (GetTokenID() == ptRoundOpen) {
        NextToken();
        FormalParameterList();
        Expected(ptRoundClose);
    }
    if (GetTokenID() == ptSemiColon)
        NextToken();
    ObjectMethodDirective();
}

void TlxSimplePasPar::ObjectConstructorHeading()
{
    Expected(ptConstructor);
    ConstructorName();
    if (GetTokenID() == ptRoundOpen) {
        NextToken();
        FormalParameterList();
        Expected(ptRoundClose);
    }
    if (GetTokenID() == ptSemiColon)
        NextToken();
    ObjectMethodDirective();
}

void TlxSimplePasPar::ObjectDestructorHeading()
{
    Expected(ptDestructor);
    DestructorName();
    if (GetTokenID() == ptRoundOpen) {
        NextToken();
        FormalParameterList();
        Expected(ptRoundClose);
    }
    if (GetTokenID() == ptSemiColon)
        NextToken();
    ObjectMethodDirective();
}

void TlxSimplePasPar::ObjectMethodDirective()
{
    for (;;) {
        if (IsObjectMethodDirective(GetExID()) && !DirectiveIsName())
            ProceduralDirective();
        else if (AtHintDirective())
            HintDirectives();
        else
            break;
        if (GetTokenID() == ptSemiColon)
            NextToken();
    }
}

void TlxSimplePasPar::ObjectProperty()
{
    Expected(ptProperty);
    PropertyName();
    if (GetTokenID() == ptColon) {
        PropertyInterface();
        ObjectPropertySpecifiers();
    } else if (GetTokenID() == ptSquareOpen) {
        PropertyInterface();
        ObjectPropertySpecifiers();
        if (GetExID() == ptDefault)
            PropertyDirective();
    }
}

// Each specifier loop runs only while its word is current, so a property
// without specifiers ends at its ';'.
void TlxSimplePasPar::ObjectPropertySpecifiers()
{
    if (GetExID() == ptIndex) {
        NextToken();
        ConstantExpression();
    }
    while (IsAccessSpecifier(GetExID()))
        AccessSpecifier();
    while (IsStorageSpecifier(GetExID()))
        StorageSpecifier();
    SEMICOLON();
}

void TlxSimplePasPar::InterfaceType()
{
    if (GetTokenID() == ptInterface || GetTokenID() == ptDispinterface)
        NextToken();
    else
        SynError(InvalidInterfaceType);
    switch (GetTokenID()) {
    case ptEnd:
        NextToken();
        break;
    case ptRoundOpen:
        InterfaceHeritage();
        if (GetTokenID() == ptEnd) {
            NextToken();
        } else if (GetTokenID() != ptSemiColon) {
            if (GetTokenID() == ptSquareOpen)
                InterfaceGUID();
            InterfaceMemberList();
            Expected(ptEnd);
        }
        break;
    default:
        if (GetTokenID() == ptSquareOpen)
            InterfaceGUID();
        InterfaceMemberList();
        Expected(ptEnd);
    }
}

void TlxSimplePasPar::InterfaceHeritage()
{
    Expected(ptRoundOpen);
    IdentifierList();
    Expected(ptRoundClose);
}

void TlxSimplePasPar::InterfaceGUID()
{
    Expected(ptSquareOpen);
    CharString();
    Expected(ptSquareClose);
}

void TlxSimplePasPar::InterfaceMemberList()
{
    while (GetTokenID() == ptFunction || GetTokenID() == ptProcedure ||
           GetTokenID() == ptProperty)
        ClassMethodOrProperty();
}

// ---------------------------------------------------------------------------
// Routines

void TlxSimplePasPar::ProcedureDeclarationSection()
{
    if (GetTokenID() == ptClass)
        NextToken();
    switch (GetTokenID()) {
    case ptConstructor: case ptDestructor: case ptProcedure:
        ProcedureMethodDeclaration();
        break;
    case ptFunction:
        FunctionMethodDeclaration();
        break;
    default:
        SynError(InvalidProcedureDeclarationSection);
    }
}

void TlxSimplePasPar::FunctionMethodDeclaration()
{
    Expected(ptFunction);
    if (NextIs(ptPoint)) {
        ObjectNameOfMethod();
        Expected(ptPoint);
    }
    FunctionProcedureName();
    if (GetTokenID() == ptRoundOpen) {
        NextToken();
        FormalParameterList();
        Expected(ptRoundClose);
    }
    if (GetTokenID() != ptSemiColon) {
        Expected(ptColon);
        ReturnType();
    }
    FunctionProcedureBlock();
}

void TlxSimplePasPar::ProcedureMethodDeclaration()
{
    switch (GetTokenID()) {
    case ptConstructor: case ptDestructor: case ptProcedure:
        NextToken();
        break;
    default:
        SynError(InvalidProcedureMethodDeclaration);
    }
    if (NextIs(ptPoint)) {
        ObjectNameOfMethod();
        Expected(ptPoint);
    }
    FunctionProcedureName();
    if (GetTokenID() == ptRoundOpen) {
        NextToken();
        FormalParameterList();
        Expected(ptRoundClose);
    }
    FunctionProcedureBlock();
}

void TlxSimplePasPar::ObjectNameOfMethod() { Expected(ptIdentifier); }
void TlxSimplePasPar::FunctionProcedureName() { Expected(ptIdentifier); }
void TlxSimplePasPar::FunctionMethodName() { Expected(ptIdentifier); }
void TlxSimplePasPar::ProcedureMethodName() { Expected(ptIdentifier); }

void TlxSimplePasPar::FunctionProcedureBlock()
{
    if (GetTokenID() == ptSemiColon)
        NextToken();
    if (GetExID() == ptForward) {
        ForwardDeclaration();
        return;
    }
    bool External = false;
    for (;;) {
        if (IsRoutineDirective(GetExID())) {
            if (GetExID() == ptExternal)
                External = true;
            ProceduralDirective();
        } else if (AtHintDirective()) {
            HintDirectives();
        } else {
            break;
        }
        if (GetTokenID() == ptSemiColon)
            NextToken();
    }
    if (External)
        return;
    // Directives may come before forward (procedure P; overload; forward;).
    if (GetExID() == ptForward) {
        ForwardDeclaration();
        return;
    }
    if (GetTokenID() == ptAsm)
        AsmStatement();
    else
        Block();
    SEMICOLON();
}

void TlxSimplePasPar::ExportedHeading()
{
    switch (GetTokenID()) {
    case ptFunction: FunctionHeading(); break;
    case ptProcedure: ProcedureHeading(); break;
    default: SynError(InvalidExportedHeading);
    }
    if (GetTokenID() == ptSemiColon)
        NextToken();
    if (GetExID() == ptAssembler) {
        NextToken();
        SEMICOLON();
        if (GetExID() == ptForward)
            ForwardDeclaration();
    } else if (GetExID() == ptForward) {
        ForwardDeclaration();
    } else {
        for (;;) {
            if (IsTypeDirective(GetExID()))
                ProceduralDirective();
            else if (AtHintDirective())
                HintDirectives();
            else
                break;
            if (GetTokenID() == ptSemiColon)
                NextToken();
        }
        if (GetExID() == ptForward)
            ForwardDeclaration();
    }
}

void TlxSimplePasPar::ForwardDeclaration()
{
    ExpectedEx(ptForward);
    SEMICOLON();
}

void TlxSimplePasPar::FunctionHeading()
{
    Expected(ptFunction);
    FunctionProcedureName();
    if (GetTokenID() == ptRoundOpen) {
        NextToken();
        FormalParameterList();
        Expected(ptRoundClose);
    }
    Expected(ptColon);
    ReturnType();
}

void TlxSimplePasPar::ProcedureHeading()
{
    Expected(ptProcedure);
    FunctionProcedureName();
    if (GetTokenID() == ptRoundOpen) {
        NextToken();
        FormalParameterList();
        Expected(ptRoundClose);
    }
}

void TlxSimplePasPar::FormalParameterList()
{
    FormalParameterSection();
    while (GetTokenID() == ptSemiColon) {
        SEMICOLON();
        FormalParameterSection();
    }
}

void TlxSimplePasPar::FormalParameterSection()
{
    switch (GetTokenID()) {
    case ptConst:
        ConstParameter();
        break;
    case ptIdentifier:
        // A parameter may itself be called Out.
        if (GetExID() == ptOut && !DirectiveIsName())
            OutParameter();
        else
            ParameterFormal();
        break;
    case ptIn:
        NextToken();
        ParameterFormal();
        break;
    case ptVar:
        VarParameter();
        break;
    default:
        break;
    }
}

void TlxSimplePasPar::ConstParameter()
{
    Expected(ptConst);
    ParameterNameList();
    if (GetTokenID() == ptColon) {
        NextToken();
        NewFormalParameterType();
        if (GetTokenID() == ptEqual) {
            NextToken();
            TypedConstant();
        }
    }
}

void TlxSimplePasPar::VarParameter()
{
    Expected(ptVar);
    ParameterNameList();
    if (GetTokenID() == ptColon) {
        NextToken();
        NewFormalParameterType();
    }
}

void TlxSimplePasPar::OutParameter()
{
    ExpectedEx(ptOut);
    ParameterNameList();
    if (GetTokenID() == ptColon) {
        NextToken();
        NewFormalParameterType();
    }
}

void TlxSimplePasPar::ParameterFormal()
{
    if (GetTokenID() != ptIdentifier) {
        SynError(InvalidParameter);
        return;
    }
    ParameterNameList();
    Expected(ptColon);
    NewFormalParameterType();
    if (GetTokenID() == ptEqual) {
        NextToken();
        TypedConstant();
    }
}

void TlxSimplePasPar::ParameterNameList()
{
    ParameterName();
    while (GetTokenID() == ptComma) {
        NextToken();
        ParameterName();
    }
}

void TlxSimplePasPar::ParameterName() { Expected(ptIdentifier); }

void TlxSimplePasPar::NewFormalParameterType()
{
    if (GetTokenID() == ptArray) {
        NextToken();
        Expected(ptOf);
        if (GetTokenID() == ptConst)
            NextToken();
        else
            OldFormalParameterType();
    } else {
        OldFormalParameterType();
    }
}

void TlxSimplePasPar::OldFormalParameterType()
{
    // string, and file for an untyped file parameter (var F: file).
    if (GetTokenID() == ptString || GetTokenID() == ptFile)
        NextToken();
    else
        TypeId();
}

void TlxSimplePasPar::ProceduralDirective()
{
    switch (GetExID()) {
    case ptAbstract:
        NextToken();
        break;
    case ptAssembler: case ptCdecl: case ptLocal: case ptPascal: case ptRegister:
    case ptSafeCall: case ptStdcall:
        DirectiveCalling();
        break;
    case ptDynamic: case ptMessage: case ptOverload: case ptOverride: case ptReintroduce:
    case ptVirtual:
        DirectiveBinding();
        break;
    case ptExport: case ptFar: case ptNear:
        Directive16Bit();
        break;
    case ptExternal:
        ExternalDirective();
        break;
    default:
        SynError(InvalidProceduralDirective);
    }
}

void TlxSimplePasPar::DirectiveCalling()
{
    switch (GetExID()) {
    case ptAssembler: case ptCdecl: case ptLocal: case ptPascal: case ptRegister:
    case ptSafeCall: case ptStdcall:
        NextToken();
        break;
    default:
        SynError(InvalidDirectiveCalling);
    }
}

void TlxSimplePasPar::DirectiveBinding()
{
    switch (GetExID()) {
    case ptDynamic: case ptOverload: case ptOverride: case ptReintroduce: case ptVirtual:
        NextToken();
        break;
    case ptMessage:
        NextToken();
        ConstantExpression();
        break;
    default:
        SynError(InvalidDirectiveBinding);
    }
}

void TlxSimplePasPar::Directive16Bit()
{
    switch (GetExID()) {
    case ptExport: case ptFar: case ptNear:
        NextToken();
        break;
    default:
        SynError(InvalidDirective16Bit);
    }
}

void TlxSimplePasPar::ExternalDirective()
{
    ExpectedEx(ptExternal);
    if (GetTokenID() == ptSemiColon) {
        SEMICOLON();
        return;
    }
    SimpleExpression();
    ExternalDirectiveTwo();
}

void TlxSimplePasPar::ExternalDirectiveTwo()
{
    switch (GetExID()) {
    case ptIndex:
        NextToken();
        ExternalDirectiveThree();
        break;
    case ptName:
        NextToken();
        SimpleExpression();
        break;
    default:
        break;
    }
}

// The number after external ... index: an optional '-', then an integer or
// the name of a constant.
void TlxSimplePasPar::ExternalDirectiveThree()
{
    if (GetTokenID() == ptMinus)
        NextToken();
    if (GetTokenID() == ptIdentifier)
        NextToken();
    else
        Expected(ptIntegerConst);
}

// ---------------------------------------------------------------------------
// Statements

void TlxSimplePasPar::StatementList()
{
    while (IsStatementStart(GetTokenID())) {
        Statement();
        SEMICOLON();
    }
}

void TlxSimplePasPar::Statement()
{
    TNestGuard Guard(*this);
    switch (GetTokenID()) {
    case ptAsm: AsmStatement(); break;
    case ptBegin: CompoundStatement(); break;
    case ptCase: CaseStatement(); break;
    case ptFor: ForStatement(); break;
    case ptIdentifier:
        if (NextIs(ptColon))
            LabeledStatement();
        else
            SimpleStatement();
        break;
    case ptIf: IfStatement(); break;
    case ptInherited: InheritedStatement(); break;
    case ptInline: InlineStatement(); break;
    case ptIntegerConst:
        if (NextIs(ptColon)) {
            LabeledStatement();
        } else {
            SynError(InvalidLabeledStatement);
            NextToken();
        }
        break;
    case ptRaise: RaiseStatement(); break;
    case ptRepeat: RepeatStatement(); break;
    case ptSemiColon: EmptyStatement(); break;
    case ptString: StringStatement(); break;
    case ptTry: TryStatement(); break;
    case ptWhile: WhileStatement(); break;
    case ptWith: WithStatement(); break;
    default: SimpleStatement();
    }
}

void TlxSimplePasPar::SimpleStatement()
{
    switch (GetTokenID()) {
    case ptAddressOp: case ptDoubleAddressOp: case ptIdentifier: case ptPointerSymbol:
    case ptRoundOpen:
        Designator();
        if (GetTokenID() == ptAssign) {
            NextToken();
            if (GetTokenID() == ptInherited)
                NextToken();
            Expression();
        }
        break;
    case ptGoto:
        NextToken();
        LabelId();
        break;
    default:
        break;
    }
}

void TlxSimplePasPar::EmptyStatement() {}

void TlxSimplePasPar::CompoundStatement()
{
    Expected(ptBegin);
    StatementList();
    Expected(ptEnd);
}

void TlxSimplePasPar::AsmStatement()
{
    Expected(ptAsm);
    for (;;) {
        switch (GetTokenID()) {
        case ptEnd: case ptNull:
        case ptBegin: case ptCase: case ptFunction: case ptIf: case ptProcedure:
        case ptRepeat: case ptWhile:
            Expected(ptEnd);
            return;
        case ptAddressOp: case ptDoubleAddressOp:
            NextToken();
            if (GetTokenID() != ptNull)
                NextToken();
            break;
        default:
            NextToken();
        }
    }
}

void TlxSimplePasPar::CaseStatement()
{
    Expected(ptCase);
    Expression();
    Expected(ptOf);
    CaseSelector();
    while (GetTokenID() == ptSemiColon) {
        NextToken();
        if (GetTokenID() != ptElse && GetTokenID() != ptEnd)
            CaseSelector();
    }
    if (GetTokenID() == ptElse) {
        NextToken();
        StatementList();
        SEMICOLON();
    }
    Expected(ptEnd);
}

void TlxSimplePasPar::CaseSelector()
{
    CaseLabel();
    while (GetTokenID() == ptComma) {
        NextToken();
        CaseLabel();
    }
    Expected(ptColon);
    if (GetTokenID() != ptSemiColon)
        Statement();
}

void TlxSimplePasPar::CaseLabel()
{
    ConstantExpression();
    if (GetTokenID() == ptDotDot) {
        NextToken();
        ConstantExpression();
    }
}

void TlxSimplePasPar::ForStatement()
{
    Expected(ptFor);
    QualifiedIdentifier();
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

void TlxSimplePasPar::IfStatement()
{
    // An "else if" goes on with this statement instead of nesting a new one:
    // a chain of any length (generated code has them) is read flat, at one
    // level of nesting and in one stack frame.
    for (;;) {
        Expected(ptIf);
        Expression();
        Expected(ptThen);
        Statement();
        if (GetTokenID() != ptElse)
            return;
        NextToken();
        if (GetTokenID() != ptIf) {
            Statement();
            return;
        }
    }
}

void TlxSimplePasPar::RepeatStatement()
{
    Expected(ptRepeat);
    StatementList();
    Expected(ptUntil);
    Expression();
}

void TlxSimplePasPar::WhileStatement()
{
    Expected(ptWhile);
    Expression();
    Expected(ptDo);
    Statement();
}

void TlxSimplePasPar::WithStatement()
{
    Expected(ptWith);
    VariableList();
    Expected(ptDo);
    Statement();
}

void TlxSimplePasPar::VariableList()
{
    VariableReference();
    while (GetTokenID() == ptComma) {
        NextToken();
        VariableReference();
    }
}

void TlxSimplePasPar::TryStatement()
{
    Expected(ptTry);
    StatementList();
    switch (GetTokenID()) {
    case ptExcept:
        NextToken();
        ExceptBlock();
        Expected(ptEnd);
        break;
    case ptFinally:
        NextToken();
        StatementList();
        Expected(ptEnd);
        break;
    default:
        SynError(InvalidTryStatement);
    }
}

void TlxSimplePasPar::ExceptBlock()
{
    if (GetExID() == ptOn) {
        ExceptionHandlerList();
        ExceptionBlockElseBranch();
    } else {
        StatementList();
    }
}

void TlxSimplePasPar::ExceptionHandlerList()
{
    while (GetExID() == ptOn) {
        ExceptionHandler();
        SEMICOLON();
    }
}

void TlxSimplePasPar::ExceptionHandler()
{
    ExpectedEx(ptOn);
    ExceptionIdentifier();
    Expected(ptDo);
    Statement();
}

void TlxSimplePasPar::ExceptionIdentifier()
{
    if (NextIs(ptPoint)) {
        ExceptionClassTypeIdentifier();
    } else {
        ExceptionVariable();
        if (GetTokenID() == ptColon) {
            NextToken();
            ExceptionClassTypeIdentifier();
        }
    }
}

void TlxSimplePasPar::ExceptionClassTypeIdentifier() { QualifiedIdentifier(); }
void TlxSimplePasPar::ExceptionVariable() { Expected(ptIdentifier); }

void TlxSimplePasPar::ExceptionBlockElseBranch()
{
    if (GetTokenID() == ptElse) {
        NextToken();
        StatementList();
    }
}

void TlxSimplePasPar::RaiseStatement()
{
    Expected(ptRaise);
    if (IsDesignatorStart(GetTokenID()))
        Designator();
    if (GetExID() == ptAt) {
        NextToken();
        Expression();
    }
}

void TlxSimplePasPar::InlineStatement()
{
    Expected(ptInline);
    Expected(ptRoundOpen);
    Expected(ptIntegerConst);
    while (GetTokenID() == ptSlash) {
        NextToken();
        Expected(ptIntegerConst);
    }
    Expected(ptRoundClose);
}

void TlxSimplePasPar::InheritedStatement()
{
    Expected(ptInherited);
    if (GetTokenID() != ptSemiColon)
        Statement();
}

void TlxSimplePasPar::LabeledStatement()
{
    if (GetTokenID() == ptIdentifier || GetTokenID() == ptIntegerConst) {
        NextToken();
    } else {
        SynError(InvalidLabeledStatement);
        return;
    }
    Expected(ptColon);
    Statement();
}

void TlxSimplePasPar::StringStatement()
{
    Expected(ptString);
    Statement();
}

void TlxSimplePasPar::LabelId()
{
    if (GetTokenID() == ptIdentifier || GetTokenID() == ptIntegerConst)
        NextToken();
    else
        SynError(InvalidLabelId);
}

// ---------------------------------------------------------------------------
// Designators

void TlxSimplePasPar::Designator() { VariableReference(); }

void TlxSimplePasPar::VariableReference()
{
    switch (GetTokenID()) {
    case ptAddressOp: case ptDoubleAddressOp:
        NextToken();
        Variable();
        break;
    case ptPointerSymbol:
        NextToken();
        if (GetTokenID() != ptRoundClose && GetTokenID() != ptSquareClose)
            Variable();
        break;
    default:
        Variable();
    }
}

void TlxSimplePasPar::Variable()
{
    switch (GetTokenID()) {
    case ptRoundOpen: case ptSquareOpen: case ptPoint: case ptPointerSymbol:
        VariableTwo();
        break;
    default:
        if (GetTokenID() == ptInherited)
            NextToken();
        QualifiedIdentifier();
        VariableTwo();
    }
    if (GetTokenID() == ptAs) {
        NextToken();
        QualifiedIdentifier();
    }
}

// Decides, moving only the look-ahead lexer, whether the index list at the
// current '[' holds '..' before its own closing ']' (then it is a subrange).
// Brackets and parentheses nested inside are counted, so that a '..' after
// the list (as in case p^[i] of 1..2) is not taken for one inside it.
bool TlxSimplePasPar::BracketHoldsSubrange()
{
    FLexer->InitAhead();
    int Depth = 0;
    for (;;) {
        switch (FLexer->GetAheadTokenID()) {
        case ptSemiColon: case ptBegin: case ptClass: case ptConst: case ptEnd: case ptIn:
        case ptNull: case ptThreadvar: case ptType: case ptVar:
            return false;
        case ptDotDot:
            if (Depth == 0)
                return true;
            break;
        case ptSquareOpen: case ptRoundOpen:
            ++Depth;
            break;
        case ptSquareClose: case ptRoundClose:
            if (Depth == 0)
                return false;
            --Depth;
            break;
        default:
            break;
        }
        FLexer->AheadNext();
        ++FAheadTokens;
    }
}

// Each selector that follows another counts as one level of nesting, so
// that an endless chain of selectors ends in the nesting error.
void TlxSimplePasPar::NestedVariableTwo()
{
    TNestGuard Guard(*this);
    VariableTwo();
}

void TlxSimplePasPar::NestedVariableReference()
{
    TNestGuard Guard(*this);
    VariableReference();
}

void TlxSimplePasPar::VariableTwo()
{
    switch (GetTokenID()) {
    case ptPoint:
        NextToken();
        switch (GetTokenID()) {
        case ptRoundOpen: case ptSquareOpen: case ptPointerSymbol:
            NestedVariableTwo();
            break;
        case ptAddressOp: case ptDoubleAddressOp: case ptIdentifier:
            NestedVariableReference();
            break;
        default:
            break;
        }
        return;
    case ptPointerSymbol:
        NextToken();
        switch (GetTokenID()) {
        case ptAddressOp: case ptDoubleAddressOp: case ptIdentifier:
            NestedVariableReference();
            break;
        case ptPoint: case ptPointerSymbol: case ptRoundOpen: case ptSquareOpen:
            NestedVariableTwo();
            break;
        default:
            break;
        }
        return;
    case ptRoundOpen: {
        NextToken();
        bool Saved = FArgumentList;
        FArgumentList = true;
        if (GetTokenID() == ptRoundClose) {
            NextToken();
        } else {
            switch (GetTokenID()) {
            case ptAddressOp: case ptDoubleAddressOp:
                NestedVariableReference();
                break;
            case ptPoint: case ptPointerSymbol: case ptRoundOpen: case ptSquareOpen:
                NestedVariableTwo();
                break;
            default:
                break;
            }
            ExpressionList();
            Expected(ptRoundClose);
        }
        FArgumentList = Saved;
        break;
    }
    case ptSquareOpen:
        if (BracketHoldsSubrange()) {
            SubrangeType();
            return;
        }
        NextToken();
        if (GetTokenID() == ptSquareClose) {
            NextToken();
        } else {
            switch (GetTokenID()) {
            case ptAddressOp: case ptDoubleAddressOp:
                NestedVariableReference();
                break;
            case ptPoint: case ptPointerSymbol: case ptRoundOpen: case ptSquareOpen:
                NestedVariableTwo();
                break;
            default:
                break;
            }
            ExpressionList();
            Expected(ptSquareClose);
        }
        break;
    default:
        return;
    }
    // After an argument or index list the designator goes on.
    switch (GetTokenID()) {
    case ptAddressOp: case ptDoubleAddressOp:
        NestedVariableReference();
        break;
    case ptPoint: case ptPointerSymbol: case ptRoundOpen: case ptSquareOpen:
        NestedVariableTwo();
        break;
    default:
        break;
    }
}

void TlxSimplePasPar::QualifiedIdentifier()
{
    // An index after a name is read as its brackets only: what follows the
    // ']' belongs to the designator or the enclosing expression, so that
    // a[0] + a[1] + ... does not nest one level per term.
    Expected(ptIdentifier);
    if (GetTokenID() == ptSquareOpen) {
        SetConstructor();
        return;
    }
    while (GetTokenID() == ptPoint) {
        NextToken();
        Expected(ptIdentifier);
        if (GetTokenID() == ptSquareOpen)
            SetConstructor();
    }
}

void TlxSimplePasPar::QualifiedIdentifierList()
{
    QualifiedIdentifier();
    while (GetTokenID() == ptComma) {
        NextToken();
        QualifiedIdentifier();
    }
}

void TlxSimplePasPar::IdentifierList()
{
    Expected(ptIdentifier);
    while (GetTokenID() == ptComma) {
        NextToken();
        Expected(ptIdentifier);
    }
}

// ---------------------------------------------------------------------------
// Expressions

void TlxSimplePasPar::ConstantExpression() { Expression(); }

void TlxSimplePasPar::Expression()
{
    TNestGuard Guard(*this);
    // A named argument of an automation call: W.Open(FileName := 'a.doc').
    if (FArgumentList && GetTokenID() == ptIdentifier && NextIs(ptAssign)) {
        NextToken();
        NextToken();
    }
    SimpleExpression();
    if (IsRelationalOperator(GetTokenID())) {
        RelativeOperator();
        SimpleExpression();
    } else if (GetTokenID() == ptColon && FArgumentList) {
        while (GetTokenID() == ptColon) {
            NextToken();
            SimpleExpression();
        }
    }
}

void TlxSimplePasPar::RelativeOperator()
{
    if (GetTokenID() == ptAs || IsRelationalOperator(GetTokenID()))
        NextToken();
    else
        SynError(InvalidRelativeOperator);
}

void TlxSimplePasPar::SimpleExpression()
{
    while (GetTokenID() == ptPlus || GetTokenID() == ptMinus)
        NextToken();
    Term();
    while (IsAdditiveOperator(GetTokenID())) {
        AdditiveOperator();
        Term();
    }
}

void TlxSimplePasPar::AdditiveOperator()
{
    switch (GetTokenID()) {
    case ptPlus: case ptMinus:
        while (GetTokenID() == ptPlus || GetTokenID() == ptMinus)
            NextToken();
        break;
    case ptOr: case ptXor:
        NextToken();
        break;
    default:
        SynError(InvalidAdditiveOperator);
    }
}

void TlxSimplePasPar::Term()
{
    Factor();
    while (IsMultiplicativeOperator(GetTokenID())) {
        MultiplicativeOperator();
        Factor();
    }
}

void TlxSimplePasPar::MultiplicativeOperator()
{
    if (IsMultiplicativeOperator(GetTokenID()))
        NextToken();
    else
        SynError(InvalidMultiplicativeOperator);
}

void TlxSimplePasPar::Factor()
{
    switch (GetTokenID()) {
    case ptPointerSymbol:
        if (AtControlChar())
            CharString();
        else
            Designator();
        break;
    case ptAddressOp: case ptDoubleAddressOp: case ptIdentifier: case ptInherited:
    case ptRoundOpen:
        Designator();
        break;
    case ptAsciiChar: case ptStringConst:
        CharString();
        break;
    case ptFloat: case ptIntegerConst:
        Number();
        break;
    case ptMinus: case ptNot: case ptPlus: case ptString: {
        TNestGuard Guard(*this);
        NextToken();
        Factor();
        break;
    }
    case ptNil:
        NextToken();
        // nil^ is an untyped reference: THandle(nil^).
        while (GetTokenID() == ptPointerSymbol)
            NextToken();
        break;
    case ptSquareOpen:
        SetConstructor();
        break;
    default:
        break;
    }
}

void TlxSimplePasPar::Number()
{
    switch (GetTokenID()) {
    case ptFloat: case ptIdentifier: case ptIntegerConst:
        NextToken();
        break;
    default:
        SynError(InvalidNumber);
    }
}

// At '^' directly followed by one character: a control character such as ^M.
bool TlxSimplePasPar::AtControlChar()
{
    if (GetTokenID() != ptPointerSymbol)
        return false;
    FLexer->InitAhead();
    TlxBasePasLex& Ahead = FLexer->AheadLex();
    return Ahead.TokenID() != ptNull && Ahead.TokenPos() == FLexer->RunPos() &&
           Ahead.GetTokenLen() == 1;
}

void TlxSimplePasPar::CharString()
{
    auto IsPart = [](TptTokenKind K) {
        return K == ptAsciiChar || K == ptIdentifier || K == ptRoundOpen || K == ptStringConst;
    };
    if (!IsPart(GetTokenID()) && !AtControlChar()) {
        SynError(InvalidCharString);
        return;
    }
    // A name or a parenthesised part joins the string only at the start or
    // after a '+': a word right after a literal (resident, name, index ...)
    // belongs to the enclosing construct. A '+' is taken only when a part
    // follows it; otherwise it is left to the enclosing expression.
    bool Joinable = true;
    for (;;) {
        TptTokenKind K = GetTokenID();
        if (K == ptIdentifier || K == ptRoundOpen) {
            if (!Joinable)
                break;
            VariableReference();
            Joinable = false;
        } else if (K == ptAsciiChar || K == ptStringConst) {
            NextToken();
            Joinable = false;
        } else if (K == ptPointerSymbol && AtControlChar()) {
            NextToken();
            NextToken();
            Joinable = false;
        } else if (K == ptPlus) {
            FLexer->InitAhead();
            TptTokenKind After = FLexer->GetAheadTokenID();
            if (!IsPart(After) && After != ptPointerSymbol)
                break;
            NextToken();
            Joinable = true;
        } else {
            break;
        }
    }
}

void TlxSimplePasPar::SetConstructor()
{
    Expected(ptSquareOpen);
    SetElement();
    while (GetTokenID() == ptComma) {
        NextToken();
        SetElement();
    }
    Expected(ptSquareClose);
}

void TlxSimplePasPar::SetElement()
{
    Expression();
    if (GetTokenID() == ptDotDot) {
        NextToken();
        Expression();
    }
}

void TlxSimplePasPar::ExpressionList()
{
    Expression();
    while (GetTokenID() == ptComma) {
        NextToken();
        Expression();
    }
}
