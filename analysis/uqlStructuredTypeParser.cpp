#include "analysis/uqlStructuredTypeParser.h"

TqlSymbol* TStructuredTypeParser::ParseStructuredType(TqlVarContainer* Container,
                                                      const std::string& TypeName, bool& IsNew,
                                                      const TPoint& Position)
{
    TNestGuard Guard(*this);
    IsNew = false;
    if (GetTokenID() == ptPacked)
        NextToken();
    switch (GetTokenID()) {
    case ptArray: {
        TqlArray* A = Container->GetArrays()->AddArray(TypeName, FVisibility, FileIndex(),
                                                       Position.X, Position.Y);
        IsNew = true;
        NextToken();
        if (GetTokenID() == ptSquareOpen) {
            NextToken();
            for (int Indexes = 1;; ++Indexes) {
                A->SetIndexCount(Indexes);
                if (GetTokenID() == ptIdentifier) {
                    // A type or constant name on its own gives the dimension;
                    // a bound such as Lo - 1 is read as an expression.
                    Lexer().InitAhead();
                    const TptTokenKind Next = Lexer().GetAheadTokenID();
                    if (Next == ptDotDot || Next == ptComma || Next == ptSquareClose) {
                        if (TqlSymbol* D = ResolveDesignator(nullptr))
                            A->AddDimension(D);
                    } else {
                        ConstantExpression();
                    }
                    if (GetTokenID() == ptDotDot) {
                        NextToken();
                        ConstantExpression();
                    }
                } else if (TqlSymbol* D = ParseType(Container, "", false, Pos())) {
                    A->AddDimension(D);
                }
                if (GetTokenID() != ptComma)
                    break;
                NextToken();
            }
            Expected(ptSquareClose);
        }
        Expected(ptOf);
        if (TqlSymbol* T = ParseType(Container, "", false, Pos()))
            A->SetArrayType(T);
        SetEndPosition(A);
        return A;
    }
    case ptFile: {
        TqlSymbol* T = FindType(Token(), false);
        FileType();
        return T;
    }
    case ptRecord: {
        TqlRecord* R = Container->GetRecords()->AddRecord(TypeName.empty() ? "record" : TypeName,
                                                          FVisibility, FileIndex(), Position.X,
                                                          Position.Y);
        IsNew = true;
        NextToken();
        FieldList(R);
        Expected(ptEnd);
        SetEndPosition(R);
        HintDirectives();
        return R;
    }
    case ptSet: {
        TqlSet* S = Container->GetSets()->AddItem(TypeName, FVisibility, FileIndex(), Position.X,
                                                  Position.Y);
        IsNew = true;
        NextToken();
        Expected(ptOf);
        if (GetTokenID() == ptIdentifier) {
            if (NextIs(ptPoint) || NextIs(ptRoundOpen)) {
                Expression();
            } else {
                TqlSymbol* T = ParseTypeId(false);
                if (auto* E = dynamic_cast<TqlEnumeration*>(T))
                    S->SetEnumeration(E);
            }
        } else if (GetTokenID() == ptRoundOpen) {
            NextToken();
            while (GetTokenID() == ptIdentifier) {
                const TPoint P = Pos();
                TqlSymbol* M =
                    S->GetItems()->AddSymbol(TokenText(), FVisibility, FileIndex(), P.X, P.Y);
                S->AddSymbol(M);
                NextToken();
                if (GetTokenID() == ptEqual) {
                    NextToken();
                    ConstantExpression();
                }
                if (GetTokenID() != ptComma)
                    break;
                NextToken();
            }
            Expected(ptRoundClose);
        } else if (GetTokenID() == ptSquareOpen) {
            NextToken();
            SubrangeType();
            Expected(ptSquareClose);
        } else {
            SimpleExpression();
        }
        if (GetTokenID() == ptDotDot) {
            NextToken();
            SimpleExpression();
        }
        SetEndPosition(S);
        return S;
    }
    default:
        SynError(InvalidStructuredType);
        return nullptr;
    }
}

void TStructuredTypeParser::FieldList(TqlRecord* Record)
{
    TNestGuard Guard(*this);
    while (GetTokenID() == ptIdentifier) {
        RecordFieldDeclaration(Record);
        if (GetTokenID() != ptSemiColon)
            break;
        NextToken();
    }
    if (GetTokenID() == ptCase)
        RecordVariantPart(Record);
    if (GetTokenID() == ptSemiColon)
        NextToken();
}

void TStructuredTypeParser::RecordFieldDeclaration(TqlRecord* Record)
{
    TPositionList Names;
    ReadIdentifierList(Names);
    Expected(ptColon);
    TqlSymbol* T = ParseType(Record, "", false, Pos());
    for (const auto& [Name, P] : Names) {
        TqlVariable* F = Record->GetFieldList()->AddVariable(Name, vkPublic, false, FileIndex(),
                                                             P.X + 1, P.Y + 1);
        if (T) {
            F->SetTypeIntf(T);
            F->SetTypeIsIndirect(LastTypeIndirect());
        }
    }
    HintDirectives();
}

void TStructuredTypeParser::RecordVariantPart(TqlRecord* Record)
{
    Expected(ptCase);
    if (GetTokenID() == ptIdentifier && NextIs(ptColon)) {
        const TPoint P = Pos();
        TqlVariable* Tag =
            Record->GetFieldList()->AddVariable(TokenText(), vkPublic, false, FileIndex(), P.X,
                                                P.Y);
        NextToken();
        NextToken();
        if (TqlSymbol* T = ParseTypeId(false))
            Tag->SetTypeIntf(T);
    } else {
        ParseTypeId(false);
    }
    Expected(ptOf);
    for (;;) {
        const TptTokenKind K = GetTokenID();
        if (K == ptElse || K == ptEnd || K == ptRoundClose || K == ptNull)
            break;
        const int Before = Lexer().TokenPos();
        ConstantExpression();
        while (GetTokenID() == ptComma) {
            NextToken();
            ConstantExpression();
        }
        Expected(ptColon);
        Expected(ptRoundOpen);
        if (GetTokenID() == ptCase || GetTokenID() == ptIdentifier)
            FieldList(Record);
        Expected(ptRoundClose);
        if (GetTokenID() != ptSemiColon) {
            if (Lexer().TokenPos() == Before)
                NextToken();
            break;
        }
        NextToken();
    }
}
