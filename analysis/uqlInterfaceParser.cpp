#include "analysis/uqlInterfaceParser.h"

TqlInterface* TInterfaceParser::InterfaceForward(const std::string& Name, const TPoint& Position)
{
    TqlInterface* I = CurrentUnit()->GetInterfaces()->AddInterface(Name, FVisibility, FileIndex(),
                                                                   Position.X, Position.Y);
    if (GetTokenID() == ptDispinterface)
        I->SetIsDispatchInterface(true);
    NextToken();
    EnterForward(FForwardInterfaces, I);
    return I;
}

TqlInterface* TInterfaceParser::InterfaceType(const std::string& Name, const TPoint& Position)
{
    auto* I = static_cast<TqlInterface*>(TakeForward(FForwardInterfaces, Name, Position));
    if (!I)
        I = CurrentUnit()->GetInterfaces()->AddInterface(Name, FVisibility, FileIndex(), Position.X,
                                                         Position.Y);
    if (GetTokenID() == ptDispinterface) {
        I->SetIsDispatchInterface(true);
        NextToken();
    } else if (GetTokenID() == ptInterface) {
        NextToken();
    } else {
        SynError(InvalidInterfaceType);
    }
    bool Body = true;
    if (GetTokenID() == ptEnd) {
        NextToken();
        Body = false;
    } else if (GetTokenID() == ptRoundOpen) {
        NextToken();
        for (;;) {
            const TPoint P = Pos();
            const std::string AncestorName = Token();
            Expected(ptIdentifier);
            if (TqlInterface* A = FindInterface(AncestorName)) {
                if (A == I)
                    AddMessageAt("Class, " + I->GetName() + ", is its own ancestor.",
                                 TPoint{P.X - 1, P.Y - 1});
                else
                    SetAncestor(I, A);
                RecordUse(A, AncestorName, MakeUsedByInfo(P, false));
            }
            if (GetTokenID() != ptComma)
                break;
            NextToken();
        }
        Expected(ptRoundClose);
        if (GetTokenID() == ptEnd) {
            NextToken();
            Body = false;
        } else if (GetTokenID() == ptSemiColon) {
            Body = false;
        }
    }
    if (Body) {
        if (GetTokenID() == ptSquareOpen) {
            NextToken();
            // The GUID as written: a literal, or the constant that holds it
            // ([SID_IFoo]).
            const bool Literal = GetTokenID() == ptStringConst;
            if (Literal)
                I->SetGUID(Token());
            const char* Text = Lexer().Origin();
            const int Start = Lexer().TokenPos();
            ParseCharString();
            if (!Literal && GetTokenID() == ptSquareClose && Lexer().Origin() == Text) {
                std::string GUID(Text + Start, size_t(Lexer().TokenPos() - Start));
                GUID.erase(GUID.find_last_not_of(" \t\r\n") + 1);
                I->SetGUID(GUID);
            }
            Expected(ptSquareClose);
        }
        while (GetTokenID() == ptFunction || GetTokenID() == ptProcedure ||
               GetTokenID() == ptProperty) {
            const int Before = Lexer().TokenPos();
            ClassMethodOrProperty(I, vkPublic);
            if (Lexer().TokenPos() == Before)
                NextToken();
        }
        Expected(ptEnd);
    }
    HintDirectives();
    SetEndPosition(I);
    return I;
}
