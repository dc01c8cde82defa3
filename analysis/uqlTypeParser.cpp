#include "analysis/uqlTypeParser.h"

void TTypeParser::ParseDeclarationSection(TqlVarContainer* Container)
{
    switch (GetTokenID()) {
    case ptClass: case ptConstructor: case ptDestructor: case ptFunction: case ptProcedure:
        ProcedureDeclarationSection(Container);
        break;
    case ptConst: case ptResourcestring:
        TVarParser::ConstSection(Container);
        break;
    case ptExports:
        ExportsClause();
        break;
    case ptLabel:
        LabelDeclarationSection(Container);
        break;
    case ptThreadvar: case ptVar:
        TVarParser::VarSection(Container);
        break;
    case ptType:
        TypeSection(Container);
        break;
    default:
        SynError(InvalidDeclarationSection);
    }
}

void TTypeParser::InterfaceDeclaration()
{
    TqlVarContainer* Container = CurrentUnit();
    switch (GetTokenID()) {
    case ptConst: case ptResourcestring:
        TVarParser::ConstSection(Container);
        break;
    case ptFunction: case ptProcedure:
        ExportedHeading();
        break;
    case ptThreadvar: case ptVar:
        TVarParser::VarSection(Container);
        break;
    case ptType:
        TypeSection(Container);
        break;
    default:
        SynError(InvalidInterfaceDeclaration);
        NextToken();
    }
}

void TTypeParser::DeclarationSection() { ParseDeclarationSection(CurrentContainer()); }
void TTypeParser::ConstSection() { TVarParser::ConstSection(CurrentContainer()); }
void TTypeParser::VarSection() { TVarParser::VarSection(CurrentContainer()); }
void TTypeParser::TypeSection() { TypeSection(CurrentContainer()); }
void TTypeParser::LabelDeclarationSection() { LabelDeclarationSection(CurrentContainer()); }

void TTypeParser::ExportsClause()
{
    Expected(ptExports);
    ExportsElement();
    while (GetTokenID() == ptComma) {
        NextToken();
        ExportsElement();
    }
    SEMICOLON();
}

void TTypeParser::LabelDeclarationSection(TqlVarContainer* Container)
{
    Expected(ptLabel);
    for (;;) {
        const TPoint P = Pos();
        if (GetTokenID() == ptIdentifier || GetTokenID() == ptIntegerConst) {
            Container->GetLabels()->AddLabel(TokenText(), GetTokenID() == ptIntegerConst, FileIndex(),
                                             P.X, P.Y);
            NextToken();
        } else {
            SynError(InvalidLabelId);
        }
        if (GetTokenID() != ptComma)
            break;
        NextToken();
    }
    SEMICOLON();
}

bool TTypeParser::RecordLabelUse()
{
    if (GetTokenID() != ptIdentifier && GetTokenID() != ptIntegerConst)
        return false;
    // A label belongs to the block that declares it (a routine, or the
    // unit for a main block).
    TqlLabelsList* Labels = CurrentContainer()->GetLabels();
    const std::string Name = Token();
    for (int i = 0; i < Labels->GetCount(); ++i)
        if (lxSameText(Labels->GetLabels(i)->GetName(), Name)) {
            RecordUse(Labels->GetLabels(i), Name, MakeUsedByInfo());
            return true;
        }
    return false;
}

void TTypeParser::LabeledStatement()
{
    RecordLabelUse();
    TInterfaceParser::LabeledStatement();
}

void TTypeParser::LabelId()
{
    RecordLabelUse();
    TInterfaceParser::LabelId();
}

void TTypeParser::TypeSection(TqlVarContainer* Container)
{
    Indent();
    Expected(ptType);
    while (GetTokenID() == ptIdentifier) {
        const int Before = Lexer().TokenPos();
        const char* Origin = Lexer().Origin();
        TypeDeclaration(Container);
        if (GetTokenID() == ptEqual)
            TypedConstant();
        SEMICOLON();
        if (Lexer().TokenPos() == Before && Lexer().Origin() == Origin)
            NextToken();
    }
    RecordForwardPointerUses();
    Outdent();
}

void TTypeParser::TypeDeclaration(TqlVarContainer* Container)
{
    TNestGuard Guard(*this);
    const TPoint P = Pos();
    const std::string Name = Token();
    TypeName();
    Expected(ptEqual);
    const bool Distinct = GetTokenID() == ptType;
    if (Distinct)
        ExpliciteType();
    switch (GetTokenID()) {
    case ptClass: {
        Lexer().InitAhead();
        const TptTokenKind Next = Lexer().GetAheadTokenID();
        if (Next == ptOf) {
            Lexer().AheadNext();
            const std::string Target = Lexer().GetAheadToken();
            // Only asked here: the use is recorded where the type is read.
            TqlSymbol* S = FindSymbol(Target, false, false, MakeUsedByInfo());
            if (!dynamic_cast<TqlClass*>(S))
                ClassForward(Target, P);
            ParseType(Container, Name, true, P);
        } else if (Next == ptSemiColon) {
            TqlSymbol* S = FindSymbol(Name, false, false, MakeUsedByInfo());
            if (!dynamic_cast<TqlClass*>(S) || S->GetFileIndex() != FileIndex())
                ClassForward(Name, P);
            NextToken();
        } else {
            ClassType(Name, P);
        }
        break;
    }
    case ptDispinterface: case ptInterface:
        if (NextIs(ptSemiColon))
            InterfaceForward(Name, P);
        else
            InterfaceType(Name, P);
        break;
    case ptObject:
        if (NextIs(ptSemiColon))
            ObjectForward(Name, P);
        else
            ObjectType(Name, P);
        break;
    default: {
        // A type named (type A = B, or = type B) rather than described.
        const bool Named = GetTokenID() == ptIdentifier ||
                           (GetTokenID() == ptString && !NextIs(ptSquareOpen));
        TqlSymbol* T = ParseType(Container, Name, true, P);
        // A type named is declared as a plain type of its own.
        if (Named && T && T->GetTypeKind() == tkNone && !qlAsContainer(T) && !T->GetPointerType()) {
            auto* Declared = static_cast<TqlType*>(T);
            Declared->SetIsAlias(!Distinct);
            Declared->SetIsDistinct(Distinct);
        }
    }
    }
    HintDirectives();
}
