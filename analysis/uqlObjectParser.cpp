#include "analysis/uqlObjectParser.h"

TqlClass* TObjectParser::ObjectForward(const std::string& Name, const TPoint& Position)
{
    Expected(ptObject);
    TqlClass* O = CurrentUnit()->GetObjects()->AddClass(Name, FVisibility, FileIndex(), Position.X,
                                                        Position.Y);
    EnterForward(FForwardObjects, O);
    return O;
}

TqlClass* TObjectParser::ObjectType(const std::string& Name, const TPoint& Position)
{
    TqlClass* O = TakeForward(FForwardObjects, Name, Position);
    if (!O)
        O = CurrentUnit()->GetObjects()->AddClass(Name, FVisibility, FileIndex(), Position.X,
                                                  Position.Y);
    Indent();
    Expected(ptObject);
    bool Body = true;
    if (GetTokenID() == ptEnd) {
        NextToken();
        HintDirectives();
        Body = false;
    } else if (GetTokenID() == ptRoundOpen) {
        NextToken();
        if (GetTokenID() == ptIdentifier) {
            const TPoint P = Lexer().GetPosXY();
            const std::string Ancestor = Token();
            // Object types are classes of the model, kept in their own list.
            auto* A = dynamic_cast<TqlClass*>(ResolveIdentifier(nullptr));
            if (!A)
                A = FindClass(Ancestor);
            if (A && !dynamic_cast<TqlInterface*>(A)) {
                if (A == O)
                    AddMessageAt("Class, " + O->GetName() + ", is its own ancestor.", P);
                else
                    SetAncestor(O, A);
            } else if (!A) {
                O->SetAncestorUnknown(true);
            }
        }
        Expected(ptRoundClose);
        if (GetTokenID() == ptEnd) {
            NextToken();
            HintDirectives();
            Body = false;
        } else if (GetTokenID() == ptSemiColon) {
            Body = false;
        }
    }
    if (Body) {
        ObjectMemberList(O);
        Expected(ptEnd);
        HintDirectives();
    }
    SetEndPosition(O);
    return O;
}

void TObjectParser::ObjectMemberList(TqlClass* Object)
{
    TVisibilityKind Vis = vkPublic;
    auto Visibility = [&] {
        for (;;) {
            const TptTokenKind Ex = GetExID();
            if (Ex != ptPrivate && Ex != ptProtected && Ex != ptPublic)
                return;
            Lexer().InitAhead();
            const TptTokenKind Next = Lexer().GetAheadTokenID();
            if (Next == ptColon || Next == ptComma)
                return;
            Vis = Ex == ptPrivate ? vkPrivate : Ex == ptProtected ? vkProtected : vkPublic;
            NextToken();
            Object->AddVisibilitySpecifier(Lexer().LineNumber(), Vis);
        }
    };
    for (;;) {
        const int Before = Lexer().TokenPos();
        const char* Origin = Lexer().Origin();
        Visibility();
        const TptTokenKind K = GetTokenID();
        if (K != ptIdentifier && K != ptConstructor && K != ptDestructor && K != ptFunction &&
            K != ptProcedure && K != ptProperty)
            break;
        while (GetTokenID() == ptIdentifier) {
            ClassField(Object, Vis);
            SEMICOLON();
            Visibility();
        }
        while (GetTokenID() == ptConstructor || GetTokenID() == ptDestructor ||
               GetTokenID() == ptFunction || GetTokenID() == ptProcedure ||
               GetTokenID() == ptProperty)
            ClassMethodOrProperty(Object, Vis);
        if (Lexer().TokenPos() == Before && Lexer().Origin() == Origin)
            break;
    }
}
