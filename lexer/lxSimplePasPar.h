// The recursive-descent parser of Object Pascal: one virtual method per
// grammar rule. The base class only checks the syntax and reports problems;
// the analysis parsers and the node builder derive from it and override
// rules by name to record what they need.
#pragma once

#include <utility>

#include <functional>
#include <memory>
#include <string>

#include "base/qlException.h"
#include "lexer/lxPasLex.h"
#include "lexer/lxPasLexTypes.h"
#include "lexer/lxSimplePasParTypes.h"

// A fatal syntax error: the parse cannot go on. Position is the 0-based
// column (X) and line (Y) of the offending token, or (-1, -1) when unknown.
class ESyntaxError : public Exception {
public:
    explicit ESyntaxError(const std::string& Msg);
    ESyntaxError(const std::string& Msg, const TPoint& Position);
    // printf-style message, position unknown.
    static ESyntaxError CreateFmt(const char* Fmt, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 1, 2)))
#endif
        ;
    const TPoint& Position() const { return FPosition; }

private:
    TPoint FPosition;
};

class TlxSimplePasPar {
public:
    // Nesting of statements, expressions, types, typed constants, blocks,
    // unary operators and selectors beyond this depth raises ESyntaxError
    // instead of exhausting the stack. Real code stays far below it.
    static constexpr int MaxNestingDepth = 1000;

    // Tables may be nil: the lexer then builds tables of its own.
    TlxSimplePasPar(const TlxPasHash* KeyTable = nullptr,
                    const TlxDirectiveHash* DirectiveTable = nullptr);
    virtual ~TlxSimplePasPar();
    TlxSimplePasPar(const TlxSimplePasPar&) = delete;
    TlxSimplePasPar& operator=(const TlxSimplePasPar&) = delete;

    TlxPasLex& Lexer() { return *FLexer; }
    // Recoverable syntax problems: Sender is the parser (also for messages
    // the lexer raises), X and Y the 0-based column and line.
    const TMessageEvent& OnMessage() const { return FOnMessage; }
    void SetOnMessage(TMessageEvent Handler) { FOnMessage = std::move(Handler); }
    // Passes a message of the lexer on to OnMessage, with this parser as Sender.
    void DoLexerMessage(void* Sender, const std::string& Msg, int X, int Y);
    // Steps over hint directives (deprecated, platform, library). The base
    // grammar calls it after declarations and among routine directives.
    void HintDirectives();
    // Whether the current word is a hint directive (not a name being declared).
    bool AtHintDirective();
    // On while the arguments of a parenthesised list after a designator are
    // parsed: Expression then accepts write-style formatting (x:10:2).
    bool InArgumentList() const { return FArgumentList; }
    // Subclasses that parse argument lists themselves switch it around the
    // list and restore the previous value afterwards.
    bool SetInArgumentList(bool Value) { return std::exchange(FArgumentList, Value); }
    // Tokens read ahead to decide typed constants and index lists since the
    // last Run (a measure of the look-ahead's cost).
    size_t AheadTokensScanned() const { return FAheadTokens; }

    // Infrastructure, then the grammar rules in alphabetical order.
    virtual void Expected(TptTokenKind Kind);
    virtual void ExpectedEx(TptTokenKind Kind);
    virtual void ExpectedFatal(TptTokenKind Kind);
    virtual void HandlePtCompDirect(TlxBasePasLex* Sender);
    virtual void HandlePtDefineDirect(TlxBasePasLex* Sender, const std::string& Symbol);
    virtual void HandlePtElseDirect(TlxBasePasLex* Sender);
    virtual void HandlePtEndIfDirect(TlxBasePasLex* Sender);
    virtual void HandlePtIfDefDirect(TlxBasePasLex* Sender);
    virtual void HandlePtIfNDefDirect(TlxBasePasLex* Sender);
    virtual void HandlePtIfOptDirect(TlxBasePasLex* Sender, TbdBooleanDirectives Value, bool Active);
    virtual const char* HandlePtIncludeDirect(TlxBasePasLex* Sender, const std::string& FileName);
    virtual void HandlePtResourceDirect(TlxBasePasLex* Sender, const std::string& FileName);
    virtual void HandlePtUndefDirect(TlxBasePasLex* Sender, const std::string& Symbol);
    virtual void NextToken();
    virtual void SkipJunk();
    virtual void TerminateStream();
    virtual void SEMICOLON();
    virtual TptTokenKind GetExID();
    // Asked for every token: inline, and not meant to be replaced.
    TptTokenKind GetTokenID() const { return FLexer->TokenID(); }
    virtual TptTokenKind GetGenID();
    virtual void SkipDirective();
    virtual void AccessSpecifier();
    virtual void AdditiveOperator();
    virtual void ArrayConstant();
    virtual void ArrayType();
    virtual void AsmStatement();
    virtual void Block();
    virtual void CaseLabel();
    virtual void CaseSelector();
    virtual void CaseStatement();
    virtual void CharString();
    virtual void ClassField();
    virtual void ClassForward();
    virtual void ClassFunctionHeading();
    virtual void ClassHeritage();
    virtual void ClassMemberList();
    virtual void ClassMethodDirective();
    virtual void ClassMethodHeading();
    virtual void ClassMethodOrProperty();
    virtual void ClassMethodResolution();
    virtual void ClassProcedureHeading();
    virtual void ClassProperty();
    virtual void ClassReferenceType();
    virtual void ClassType();
    virtual void ClassVisibility();
    virtual void CompoundStatement();
    virtual void ConstantColon();
    virtual void ConstantDeclaration();
    virtual void ConstantEqual();
    virtual void ConstantExpression();
    virtual void ConstantName();
    virtual void ConstantValue();
    virtual void ConstantValueTyped();
    virtual void ConstParameter();
    virtual void ConstructorHeading();
    virtual void ConstructorName();
    virtual void ConstSection();
    virtual void ContainsClause();
    virtual void ContainsExpression();
    virtual void ContainsIdentifier();
    virtual void ContainsStatement();
    virtual void DeclarationSection();
    virtual void Designator();
    virtual void DestructorHeading();
    virtual void DestructorName();
    virtual void Directive16Bit();
    virtual void DirectiveBinding();
    virtual void DirectiveCalling();
    virtual void DispInterfaceForward();
    virtual void EmptyStatement();
    virtual void EnumeratedType();
    virtual void ExceptBlock();
    virtual void ExceptionBlockElseBranch();
    virtual void ExceptionClassTypeIdentifier();
    virtual void ExceptionHandler();
    virtual void ExceptionHandlerList();
    virtual void ExceptionIdentifier();
    virtual void ExceptionVariable();
    virtual void ExpliciteType();
    virtual void ExportedHeading();
    virtual void ExportsClause();
    virtual void ExportsElement();
    virtual void Expression();
    virtual void ExpressionList();
    virtual void ExternalDirective();
    virtual void ExternalDirectiveThree();
    virtual void ExternalDirectiveTwo();
    virtual void Factor();
    virtual void FieldDeclaration();
    virtual void FieldList();
    virtual void FileType();
    virtual void FormalParameterList();
    virtual void FormalParameterSection();
    virtual void ForStatement();
    virtual void ForwardDeclaration();
    virtual void FunctionHeading();
    virtual void FunctionMethodDeclaration();
    virtual void FunctionMethodName();
    virtual void FunctionProcedureBlock();
    virtual void FunctionProcedureName();
    virtual void IdentifierList();
    virtual void IfStatement();
    virtual void ImplementationSection();
    virtual void IncludeFile();
    virtual void InheritedStatement();
    virtual void InitializationSection();
    virtual void InlineStatement();
    virtual void InterfaceDeclaration();
    virtual void InterfaceForward();
    virtual void InterfaceGUID();
    virtual void InterfaceHeritage();
    virtual void InterfaceMemberList();
    virtual void InterfaceSection();
    virtual void InterfaceType();
    virtual void LabelDeclarationSection();
    virtual void LabeledStatement();
    virtual void LabelId();
    virtual void LibraryFile();
    virtual void MainUsedUnitExpression();
    virtual void MainUsedUnitName();
    virtual void MainUsedUnitStatement();
    virtual void MainUsesClause();
    virtual void MultiplicativeOperator();
    virtual void NewFormalParameterType();
    virtual void Number();
    virtual void ObjectConstructorHeading();
    virtual void ObjectDestructorHeading();
    virtual void ObjectField();
    virtual void ObjectForward();
    virtual void ObjectFunctionHeading();
    virtual void ObjectHeritage();
    virtual void ObjectMemberList();
    virtual void ObjectMethodDirective();
    virtual void ObjectMethodHeading();
    virtual void ObjectNameOfMethod();
    virtual void ObjectProperty();
    virtual void ObjectPropertySpecifiers();
    virtual void ObjectProcedureHeading();
    virtual void ObjectType();
    virtual void ObjectVisibility();
    virtual void OldFormalParameterType();
    virtual void OrdinalIdentifier();
    virtual void OrdinalType();
    virtual void OutParameter();
    virtual void PackageFile();
    virtual void ParameterFormal();
    virtual void ParameterName();
    virtual void ParameterNameList();
    virtual void ParseFile();
    virtual void PointerType();
    virtual void ProceduralDirective();
    virtual void ProceduralType();
    virtual void ProcedureDeclarationSection();
    virtual void ProcedureHeading();
    virtual void ProcedureMethodDeclaration();
    virtual void ProcedureMethodName();
    virtual void ProgramBlock();
    virtual void ProgramFile();
    virtual void PropertyDirective();
    virtual void PropertyInterface();
    virtual void PropertyName();
    virtual void PropertyParameterConst();
    virtual void PropertyParameterList();
    virtual void PropertySpecifiers();
    virtual void QualifiedIdentifier();
    virtual void QualifiedIdentifierList();
    virtual void RaiseStatement();
    virtual void ReadAccessIdentifier();
    virtual void RealIdentifier();
    virtual void RealType();
    virtual void RecordConstant();
    virtual void RecordFieldConstant();
    virtual void RecordType();
    virtual void RecordVariant();
    virtual void RelativeOperator();
    virtual void RepeatStatement();
    virtual void RequiresClause();
    virtual void RequiresIdentifier();
    virtual void ResolutionInterfaceName();
    virtual void ResourceDeclaration();
    virtual void ResourceIncluded(const std::string& FileName);
    virtual void ReturnType();
    virtual void SetConstructor();
    virtual void SetElement();
    virtual void SetType();
    virtual void SimpleExpression();
    virtual void SimpleStatement();
    virtual void SimpleType();
    virtual void SkipAnsiComment();
    virtual void SkipBorComment();
    virtual void SkipSlashesComment();
    virtual void SkipSpace();
    virtual void SkipCRLFco();
    virtual void SkipCRLF();
    virtual void Statement();
    virtual void StatementList();
    virtual void StorageExpression();
    virtual void StorageDefault();
    virtual void StorageNoDefault();
    virtual void StorageSpecifier();
    virtual void StorageStored();
    virtual void StringIdentifier();
    virtual void StringStatement();
    virtual void StringType();
    virtual void StructuredType();
    virtual void SubrangeType();
    virtual void TagField();
    virtual void TagFieldName();
    virtual void TagFieldTypeName();
    virtual void Term();
    virtual void TryStatement();
    virtual void TypedConstant();
    virtual void TypeDeclaration();
    virtual void TypeId();
    virtual void TypeKind();
    virtual void TypeName();
    virtual void TypeSection();
    virtual void UnitFile();
    virtual void UnitId();
    virtual void UsedUnitName();
    virtual void UsedUnitsList();
    virtual void UsesClause();
    virtual void VarAbsolute();
    virtual void VarEqual();
    virtual void VarDeclaration();
    virtual void Variable();
    virtual void VariableList();
    virtual void VariableReference();
    virtual void VariableTwo();
    virtual void VariantIdentifier();
    virtual void VariantSection();
    virtual void VarName();
    virtual void VarNameList();
    virtual void VarParameter();
    virtual void VarSection();
    virtual void VisibilityAutomated();
    virtual void VisibilityPrivate();
    virtual void VisibilityProtected();
    virtual void VisibilityStrictPrivate();
    virtual void VisibilityStrictProtected();
    virtual void VisibilityPublic();
    virtual void VisibilityPublished();
    virtual void VisibilityUnknown();
    virtual void WhileStatement();
    virtual void WithStatement();
    virtual void WriteAccessIdentifier();
    virtual void SynError(TlxParseError Error);
    virtual void Run(const std::string& FileName, TlxLexStream* Stream);

protected:
    void Report(const std::string& Msg);
    // Answers whether the token after the current one has TokenID Kind,
    // without moving the parser.
    bool NextIs(TptTokenKind Kind);
    // A directive word followed by ':', ',' or '=' is a name being declared (a
    // field or parameter called Message, Index, Read ...), not a directive.
    bool DirectiveIsName();
    // A type name, or a subrange of expressions, at an identifier.
    void TypeIdOrSubrange();
    // How a parenthesised typed constant is to be read.
    enum TParenConstKind { pcArray, pcRecord, pcExpression, pcNothing };
    TParenConstKind ClassifyParenConstant();
    // Whether the index list after '[' holds '..' before its closing ']'.
    bool BracketHoldsSubrange();
    void TypedSetElement();
    bool AtControlChar();
    void SemicolonBeforeDirective();
    [[noreturn]] void NestingTooDeep();
    void NestedVariableTwo();
    void NestedVariableReference();

    struct TNestGuard {
        explicit TNestGuard(TlxSimplePasPar& Parser) : P(Parser)
        {
            if (++P.FDepth > MaxNestingDepth) {
                --P.FDepth;
                P.NestingTooDeep();
            }
        }
        ~TNestGuard() { --P.FDepth; }
        TNestGuard(const TNestGuard&) = delete;
        TNestGuard& operator=(const TNestGuard&) = delete;
        TlxSimplePasPar& P;
    };

    TMessageEvent FOnMessage;
    std::unique_ptr<TlxPasLex> FLexer;
    TlxLexStream* FStream = nullptr;
    std::unique_ptr<TlxLexStream> FOwnedStream;
    bool FUseDefaultStream = false;
    bool FArgumentList = false;
    int FDepth = 0;
    size_t FAheadTokens = 0;
};
