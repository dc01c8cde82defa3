// Shared helpers of the parser tests: a parser that records every grammar
// rule it enters and every message it reports.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "lexer/lxSimplePasPar.h"

// Every grammar rule without arguments.
#define QL_PARSER_RULES(X) \
    X(SEMICOLON) \
    X(AccessSpecifier) \
    X(AdditiveOperator) \
    X(ArrayConstant) \
    X(ArrayType) \
    X(AsmStatement) \
    X(Block) \
    X(CaseLabel) \
    X(CaseSelector) \
    X(CaseStatement) \
    X(CharString) \
    X(ClassField) \
    X(ClassForward) \
    X(ClassFunctionHeading) \
    X(ClassHeritage) \
    X(ClassMemberList) \
    X(ClassMethodDirective) \
    X(ClassMethodHeading) \
    X(ClassMethodOrProperty) \
    X(ClassMethodResolution) \
    X(ClassProcedureHeading) \
    X(ClassProperty) \
    X(ClassReferenceType) \
    X(ClassType) \
    X(ClassVisibility) \
    X(CompoundStatement) \
    X(ConstantColon) \
    X(ConstantDeclaration) \
    X(ConstantEqual) \
    X(ConstantExpression) \
    X(ConstantName) \
    X(ConstantValue) \
    X(ConstantValueTyped) \
    X(ConstParameter) \
    X(ConstructorHeading) \
    X(ConstructorName) \
    X(ConstSection) \
    X(ContainsClause) \
    X(ContainsExpression) \
    X(ContainsIdentifier) \
    X(ContainsStatement) \
    X(DeclarationSection) \
    X(Designator) \
    X(DestructorHeading) \
    X(DestructorName) \
    X(Directive16Bit) \
    X(DirectiveBinding) \
    X(DirectiveCalling) \
    X(DispInterfaceForward) \
    X(EmptyStatement) \
    X(EnumeratedType) \
    X(ExceptBlock) \
    X(ExceptionBlockElseBranch) \
    X(ExceptionClassTypeIdentifier) \
    X(ExceptionHandler) \
    X(ExceptionHandlerList) \
    X(ExceptionIdentifier) \
    X(ExceptionVariable) \
    X(ExpliciteType) \
    X(ExportedHeading) \
    X(ExportsClause) \
    X(ExportsElement) \
    X(Expression) \
    X(ExpressionList) \
    X(ExternalDirective) \
    X(ExternalDirectiveThree) \
    X(ExternalDirectiveTwo) \
    X(Factor) \
    X(FieldDeclaration) \
    X(FieldList) \
    X(FileType) \
    X(FormalParameterList) \
    X(FormalParameterSection) \
    X(ForStatement) \
    X(ForwardDeclaration) \
    X(FunctionHeading) \
    X(FunctionMethodDeclaration) \
    X(FunctionMethodName) \
    X(FunctionProcedureBlock) \
    X(FunctionProcedureName) \
    X(IdentifierList) \
    X(IfStatement) \
    X(ImplementationSection) \
    X(IncludeFile) \
    X(InheritedStatement) \
    X(InitializationSection) \
    X(InlineStatement) \
    X(InterfaceDeclaration) \
    X(InterfaceForward) \
    X(InterfaceGUID) \
    X(InterfaceHeritage) \
    X(InterfaceMemberList) \
    X(InterfaceSection) \
    X(InterfaceType) \
    X(LabelDeclarationSection) \
    X(LabeledStatement) \
    X(LabelId) \
    X(LibraryFile) \
    X(MainUsedUnitExpression) \
    X(MainUsedUnitName) \
    X(MainUsedUnitStatement) \
    X(MainUsesClause) \
    X(MultiplicativeOperator) \
    X(NewFormalParameterType) \
    X(Number) \
    X(ObjectConstructorHeading) \
    X(ObjectDestructorHeading) \
    X(ObjectField) \
    X(ObjectForward) \
    X(ObjectFunctionHeading) \
    X(ObjectHeritage) \
    X(ObjectMemberList) \
    X(ObjectMethodDirective) \
    X(ObjectMethodHeading) \
    X(ObjectNameOfMethod) \
    X(ObjectProperty) \
    X(ObjectPropertySpecifiers) \
    X(ObjectProcedureHeading) \
    X(ObjectType) \
    X(ObjectVisibility) \
    X(OldFormalParameterType) \
    X(OrdinalIdentifier) \
    X(OrdinalType) \
    X(OutParameter) \
    X(PackageFile) \
    X(ParameterFormal) \
    X(ParameterName) \
    X(ParameterNameList) \
    X(ParseFile) \
    X(PointerType) \
    X(ProceduralDirective) \
    X(ProceduralType) \
    X(ProcedureDeclarationSection) \
    X(ProcedureHeading) \
    X(ProcedureMethodDeclaration) \
    X(ProcedureMethodName) \
    X(ProgramBlock) \
    X(ProgramFile) \
    X(PropertyDirective) \
    X(PropertyInterface) \
    X(PropertyName) \
    X(PropertyParameterConst) \
    X(PropertyParameterList) \
    X(PropertySpecifiers) \
    X(QualifiedIdentifier) \
    X(QualifiedIdentifierList) \
    X(RaiseStatement) \
    X(ReadAccessIdentifier) \
    X(RealIdentifier) \
    X(RealType) \
    X(RecordConstant) \
    X(RecordFieldConstant) \
    X(RecordType) \
    X(RecordVariant) \
    X(RelativeOperator) \
    X(RepeatStatement) \
    X(RequiresClause) \
    X(RequiresIdentifier) \
    X(ResolutionInterfaceName) \
    X(ResourceDeclaration) \
    X(ReturnType) \
    X(SetConstructor) \
    X(SetElement) \
    X(SetType) \
    X(SimpleExpression) \
    X(SimpleStatement) \
    X(SimpleType) \
    X(Statement) \
    X(StatementList) \
    X(StorageExpression) \
    X(StorageDefault) \
    X(StorageNoDefault) \
    X(StorageSpecifier) \
    X(StorageStored) \
    X(StringIdentifier) \
    X(StringStatement) \
    X(StringType) \
    X(StructuredType) \
    X(SubrangeType) \
    X(TagField) \
    X(TagFieldName) \
    X(TagFieldTypeName) \
    X(Term) \
    X(TryStatement) \
    X(TypedConstant) \
    X(TypeDeclaration) \
    X(TypeId) \
    X(TypeKind) \
    X(TypeName) \
    X(TypeSection) \
    X(UnitFile) \
    X(UnitId) \
    X(UsedUnitName) \
    X(UsedUnitsList) \
    X(UsesClause) \
    X(VarAbsolute) \
    X(VarEqual) \
    X(VarDeclaration) \
    X(Variable) \
    X(VariableList) \
    X(VariableReference) \
    X(VariableTwo) \
    X(VariantIdentifier) \
    X(VariantSection) \
    X(VarName) \
    X(VarNameList) \
    X(VarParameter) \
    X(VarSection) \
    X(VisibilityAutomated) \
    X(VisibilityPrivate) \
    X(VisibilityProtected) \
    X(VisibilityStrictPrivate) \
    X(VisibilityStrictProtected) \
    X(VisibilityPublic) \
    X(VisibilityPublished) \
    X(VisibilityUnknown) \
    X(WhileStatement) \
    X(WithStatement) \
    X(WriteAccessIdentifier)

struct TParseMessage {
    std::string Msg;
    int X = 0;
    int Y = 0;
};

class TRecordingParser : public TlxSimplePasPar {
public:
    TRecordingParser()
    {
        SetOnMessage([this](void* Sender, const std::string& Msg, int X, int Y) {
            SenderOk = SenderOk && Sender == this;
            Messages.push_back({Msg, X, Y});
        });
    }

#define QL_RECORD_RULE(Name)                                                   \
    void Name() override                                                      \
    {                                                                         \
        Rules.push_back(#Name);                                               \
        TlxSimplePasPar::Name();                                              \
    }
    QL_PARSER_RULES(QL_RECORD_RULE)
#undef QL_RECORD_RULE

    // Parses Source from memory.
    void ParseText(const std::string& Source)
    {
        std::istringstream In(Source);
        Stream.LoadFromStream(In);
        Rules.clear();
        Messages.clear();
        Run("", &Stream);
    }

    // Whether the rules occur in this order (not necessarily adjacent).
    bool Entered(std::initializer_list<const char*> Seq) const
    {
        auto It = Rules.begin();
        for (const char* Name : Seq) {
            It = std::find(It, Rules.end(), std::string(Name));
            if (It == Rules.end())
                return false;
            ++It;
        }
        return true;
    }
    int Count(const std::string& Rule) const
    {
        return int(std::count(Rules.begin(), Rules.end(), Rule));
    }
    std::string MessageText() const
    {
        std::string S;
        for (auto& M : Messages)
            S += M.Msg + " @" + std::to_string(M.X) + "," + std::to_string(M.Y) + "\n";
        return S;
    }
    bool HasMessage(const std::string& Part) const
    {
        for (auto& M : Messages)
            if (M.Msg.find(Part) != std::string::npos)
                return true;
        return false;
    }

    TlxLexStream Stream;
    std::vector<std::string> Rules;
    std::vector<TParseMessage> Messages;
    bool SenderOk = true;
};

// Parses Source and returns the recording parser (messages, rules).
inline std::unique_ptr<TRecordingParser> ParsePas(const std::string& Source)
{
    auto P = std::make_unique<TRecordingParser>();
    P->ParseText(Source);
    return P;
}

// A unit whose implementation holds Body as the statements of one procedure.
inline std::string UnitWithStatements(const std::string& Body)
{
    return "unit U;\ninterface\nimplementation\nprocedure P;\nbegin\n" + Body +
           "\nend;\nend.\n";
}

// A unit whose interface holds Decls.
inline std::string UnitWithDecls(const std::string& Decls)
{
    return "unit U;\ninterface\n" + Decls + "\nimplementation\nend.\n";
}
