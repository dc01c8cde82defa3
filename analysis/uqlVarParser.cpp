#include "analysis/uqlVarParser.h"

void TVarParser::ConstSection(TqlVarContainer* Container)
{
    Indent();
    const bool IsResource = GetTokenID() == ptResourcestring;
    if (GetTokenID() == ptConst || IsResource) {
        NextToken();
        while (GetTokenID() == ptIdentifier) {
            if (IsResource)
                ResourceStringDeclaration(Container);
            else
                ConstDeclaration(Container);
            HintDirectives();
            SEMICOLON();
        }
    } else {
        SynError(InvalidConstSection);
    }
    Outdent();
}

void TVarParser::ConstDeclaration(TqlVarContainer* Container)
{
    const TPoint P = Pos();
    TqlVariable* C =
        Container->GetConstants()->AddVariable(TokenText(), FVisibility, true, FileIndex(), P.X,
                                               P.Y);
    NextToken();
    if (GetTokenID() == ptColon) {
        NextToken();
        if (TqlSymbol* T = ParseType(Container, "", false, P)) {
            C->SetTypeIntf(T);
            C->SetTypeIsIndirect(LastTypeIndirect());
        }
        Expected(ptEqual);
        TypedConstant();
    } else if (GetTokenID() == ptEqual) {
        NextToken();
        ConstantExpression();
    } else {
        SynError(InvalidConstantDeclaration);
    }
}

void TVarParser::ResourceStringDeclaration(TqlVarContainer* Container)
{
    const TPoint P = Pos();
    Container->GetConstants()->AddVariable(TokenText(), FVisibility, true, FileIndex(), P.X, P.Y);
    NextToken();
    Expected(ptEqual);
    ParseCharString();
}

void TVarParser::VarSection(TqlVarContainer* Container)
{
    const bool IsThreadVar = GetTokenID() == ptThreadvar;
    if (GetTokenID() == ptVar || IsThreadVar) {
        NextToken();
    } else {
        SynError(InvalidVarSection);
        return;
    }
    while (GetTokenID() == ptIdentifier) {
        VarDeclaration(Container, IsThreadVar);
        SEMICOLON();
    }
}

void TVarParser::VarDeclaration(TqlVarContainer* Container, bool IsThreadVar)
{
    // Variables take the unit's visibility, except those of an implementation
    // section, which other units must not see.
    TVisibilityKind Vis = CurrentUnit() ? CurrentUnit()->GetVisibility() : vkInterface;
    if (FVisibility == vkImplementation && Container == CurrentUnit())
        Vis = vkImplementation;
    std::vector<TqlVariable*> Vars;
    for (;;) {
        const TPoint P = Pos();
        if (GetTokenID() == ptIdentifier) {
            TqlVariable* V =
                Container->GetVariables()->AddVariable(TokenText(), Vis, false, FileIndex(), P.X,
                                                       P.Y);
            V->SetIsThreadVar(IsThreadVar);
            Vars.push_back(V);
        }
        Expected(ptIdentifier);
        if (GetTokenID() != ptComma)
            break;
        NextToken();
    }
    Expected(ptColon);
    const TPoint TP = Pos();
    if (TqlSymbol* T = ParseType(Container, "", false, TP))
        for (TqlVariable* V : Vars) {
            V->SetTypeIntf(T);
            V->SetTypeIsIndirect(LastTypeIndirect());
        }
    HintDirectives();
    if (GetExID() == ptAbsolute) {
        NextToken();
        ConstantExpression();
    } else if (GetTokenID() == ptEqual) {
        NextToken();
        TypedConstant();
    }
    HintDirectives();
}
