#include "analysis/uqlClassParser.h"

#include "base/uqlPathUtils.h"

#include <set>

namespace {

bool IsMethodOrPropertyStart(TptTokenKind K)
{
    return K == ptClass || K == ptConstructor || K == ptDestructor || K == ptFunction ||
           K == ptProcedure || K == ptProperty;
}

} // namespace

TqlClass* TClassParser::TakeForward(std::unique_ptr<TqlHashedObjectList>& List,
                                    const std::string& Name, const TPoint& Position)
{
    int Index;
    if (!List || !List->Find(Name, Index))
        return nullptr;
    auto* C = static_cast<TqlClass*>(List->GetObject(Index));
    List->Delete(Index);
    // The forward declaration names the type it announces: a use of it.
    RecordUse(C, C->GetName(), UsedByInfo(C->GetFileIndex(), false, C->GetX(), C->GetY()));
    C->SetX(Position.X);
    C->SetY(Position.Y);
    return C;
}

void TClassParser::EnterForward(std::unique_ptr<TqlHashedObjectList>& List, TqlClass* Class)
{
    if (!List)
        List = std::make_unique<TqlHashedObjectList>();
    int Index;
    if (!List->Find(Class->GetName(), Index))
        List->Add(Class->GetName(), Class);
}

void TClassParser::SetAncestor(TqlClass* Class, TqlClass* Ancestor)
{
    if (!Class || !Ancestor || Class->GetInheritsFromClass())
        return;
    Class->SetInheritsFromClass(Ancestor);
    if (Class->GetInheritsFromClass() == Ancestor)
        Ancestor->GetDescendants()->Add(Class);
}

TqlClass* TClassParser::ClassForward(const std::string& Name, const TPoint& Position)
{
    TqlClass* C = CurrentUnit()->GetClasses()->AddClass(Name, FVisibility, FileIndex(), Position.X,
                                                        Position.Y);
    EnterForward(FForwardClasses, C);
    return C;
}

void TClassParser::ImplicitAncestor(TqlClass* Class)
{
    if (!gqlProject)
        return;
    // "System" when the project has one, else the implicit unit
    // "QuilletSystem", which declares TObject in its place.
    TqlClass* Root = nullptr;
    for (const char* Name : {"System", "QuilletSystem"})
        if (TqlUnit* U = gqlProject->GetUnits()->FindUnit(Name))
            if ((Root = U->GetClasses()->Find("TObject")))
                break;
    if (Root && Root != Class)
        SetAncestor(Class, Root);
}

TqlClass* TClassParser::ClassType(const std::string& Name, const TPoint& Position)
{
    TqlClass* C = TakeForward(FForwardClasses, Name, Position);
    if (!C)
        C = CurrentUnit()->GetClasses()->AddClass(Name, FVisibility, FileIndex(), Position.X,
                                                  Position.Y);
    Indent();
    struct TDeclared {
        TClassParser& P;
        TqlClass* Saved;
        ~TDeclared() { P.SetDeclaredClass(Saved); }
    } Declared{*this, DeclaredClass()};
    SetDeclaredClass(C);
    Expected(ptClass);
    bool Body = true;
    if (GetTokenID() == ptEnd) {
        ImplicitAncestor(C);
        NextToken();
        HintDirectives();
        Body = false;
    } else if (GetTokenID() == ptRoundOpen) {
        ClassHeritage(C);
        if (GetTokenID() == ptEnd) {
            NextToken();
            HintDirectives();
            Body = false;
        } else if (GetTokenID() == ptSemiColon) {
            Body = false;
        }
    } else {
        ImplicitAncestor(C);
    }
    if (Body) {
        ClassMemberList(C);
        Expected(ptEnd);
        HintDirectives();
    }
    ResolveClauses(C);
    SetEndPosition(C);
    return C;
}

void TClassParser::ClassMethodResolution()
{
    if (GetTokenID() == ptFunction || GetTokenID() == ptProcedure)
        NextToken();
    TResolutionClause Clause;
    Clause.Class = DeclaredClass();
    auto Name = [this](std::string& Text, TqlUsedByInfo& At) {
        if (GetTokenID() == ptIdentifier) {
            Text = Token();
            At = MakeUsedByInfo();
        }
    };
    Name(Clause.Interface, Clause.InterfaceAt);
    ResolutionInterfaceName();
    Expected(ptPoint);
    Name(Clause.Method, Clause.MethodAt);
    Expected(ptIdentifier);
    Expected(ptEqual);
    Name(Clause.Implementer, Clause.ImplementerAt);
    Expected(ptIdentifier);
    SEMICOLON();
    if (Clause.Class && !Clause.Interface.empty() && !Clause.Method.empty() &&
        !Clause.Implementer.empty())
        FResolutionClauses.push_back(std::move(Clause));
}

void TClassParser::ResolveClauses(TqlClass* Class)
{
    std::vector<TResolutionClause> Own;
    for (auto It = FResolutionClauses.begin(); It != FResolutionClauses.end();) {
        if (It->Class == Class) {
            Own.push_back(std::move(*It));
            It = FResolutionClauses.erase(It);
        } else {
            ++It;
        }
    }
    for (const TResolutionClause& Clause : Own)
        ResolveClause(Clause);
}

namespace {

// The routines a name may mean where Found was found: its overloads, or
// Found alone. Each entry is one routine (a body and its declaration, an
// ancestor's method and its override, come as one entry).
TqlOverloads CandidatesOf(TqlRoutine* Found)
{
    TqlOverloads Candidates;
    if (!Found)
        return Candidates;
    if (Found->GetDirectives().Contains(rdOverload) || Found->GetDirectives().Contains(rdOverride))
        qlGatherOverloads(Found, Candidates);
    if (Candidates.empty())
        Candidates.push_back({Found});
    return Candidates;
}

} // namespace

void TClassParser::ResolveClause(const TResolutionClause& Clause)
{
    TqlClass* Class = Clause.Class;
    // The interface: one the class or an ancestor of it implements, else one
    // the unit sees.
    TqlInterface* Interface = nullptr;
    int Steps = 0;
    for (TqlClass* K = Class; K && !Interface && Steps < 4096; K = K->GetInheritsFromClass(), ++Steps)
        Interface = K->GetInterfaces()->Find(Clause.Interface);
    if (!Interface)
        Interface = FindInterface(Clause.Interface);
    if (Interface) {
        RecordUse(Interface, Clause.Interface, Clause.InterfaceAt);
    } else {
        NoteUnresolved(Clause.Interface);
        NoteUnresolved(Clause.Method);
    }
    TqlOverloads Methods;
    if (Interface)
        Methods = CandidatesOf(qlAsRoutine(
            Interface->FindSymbol(CurrentUnit(), nullptr, Clause.Method, false, Clause.MethodAt)));
    if (Interface && Methods.empty())
        NoteUnresolved(Clause.Method);
    TqlOverloads Implementers = CandidatesOf(qlAsRoutine(
        Class->FindSymbol(CurrentUnit(), Class, Clause.Implementer, false, Clause.ImplementerAt)));
    if (Implementers.empty())
        NoteUnresolved(Clause.Implementer);
    // Of overloads, the pair whose parameters are the same.
    const std::vector<TqlRoutine*>* Method = Methods.size() == 1 ? &Methods.front() : nullptr;
    const std::vector<TqlRoutine*>* Implementer =
        Implementers.size() == 1 ? &Implementers.front() : nullptr;
    bool Paired = false;
    for (const std::vector<TqlRoutine*>& M : Methods) {
        for (const std::vector<TqlRoutine*>& I : Implementers)
            if (qlSameParameters(M.front(), I.front())) {
                Method = &M;
                Implementer = &I;
                Paired = true;
                break;
            }
        if (Paired)
            break;
    }
    auto Record = [this](const TqlOverloads& All, const std::vector<TqlRoutine*>* Chosen,
                         const std::string& Written, const TqlUsedByInfo& At) {
        if (Chosen) {
            for (TqlRoutine* R : *Chosen)
                RecordUse(R, Written, At);
            return;
        }
        // The parameters the analysis knows do not tell them apart.
        TqlUsedByInfo Every = At;
        Every.IsAmbiguous = true;
        for (const std::vector<TqlRoutine*>& E : All)
            for (TqlRoutine* R : E)
                RecordUse(R, Written, Every);
    };
    Record(Methods, Method, Clause.Method, Clause.MethodAt);
    Record(Implementers, Implementer, Clause.Implementer, Clause.ImplementerAt);
}

void TClassParser::ClassHeritage(TqlClass* Class)
{
    Expected(ptRoundOpen);
    TPositionList Names;
    ReadHeritageList(Names);
    for (size_t i = 0; i < Names.size(); ++i) {
        if (i == 0) {
            if (TqlClass* A = FindClass(Names[i].first)) {
                if (A == Class)
                    AddMessageAt("Class, " + Class->GetName() + ", is its own ancestor.",
                                 Names[i].second);
                else
                    SetAncestor(Class, A);
                continue;
            }
        }
        TqlInterface* I = FindInterface(Names[i].first);
        if (I && !Class->GetInterfaces()->Find(I->GetName()))
            Class->GetInterfaces()->InternalSymbolAdded(I);
        if (i == 0 && !I)
            Class->SetAncestorUnknown(true);
    }
    Expected(ptRoundClose);
}

void TClassParser::ClassMemberList(TqlClass* Class)
{
    TVisibilityKind Vis = vkPublished;
    for (;;) {
        const int Before = Lexer().TokenPos();
        const char* Origin = Lexer().Origin();
        ClassVisibility(Class, Vis);
        if (GetTokenID() != ptIdentifier && !IsMethodOrPropertyStart(GetTokenID()))
            break;
        while (GetTokenID() == ptIdentifier) {
            ClassField(Class, Vis);
            SEMICOLON();
            ClassVisibility(Class, Vis);
        }
        while (IsMethodOrPropertyStart(GetTokenID()))
            ClassMethodOrProperty(Class, Vis);
        if (Lexer().TokenPos() == Before && Lexer().Origin() == Origin)
            break;
    }
}

void TClassParser::ClassVisibility(TqlClass* Class, TVisibilityKind& Visibility)
{
    for (;;) {
        const TptTokenKind Ex = GetExID();
        if (Ex != ptAutomated && Ex != ptPrivate && Ex != ptProtected && Ex != ptPublic &&
            Ex != ptPublished && Ex != ptStrict)
            return;
        Lexer().InitAhead();
        const TptTokenKind Next = Lexer().GetAheadTokenID();
        if (Next == ptColon || Next == ptComma)
            return;
        TVisibilityKind V;
        switch (Ex) {
        case ptAutomated: V = vkAutomated; break;
        case ptPrivate: V = vkPrivate; break;
        case ptProtected: V = vkProtected; break;
        case ptPublic: V = vkPublic; break;
        case ptPublished: V = vkPublished; break;
        default: {
            const TptTokenKind AheadEx = Lexer().GetAheadExID();
            if (AheadEx == ptPrivate)
                V = vkStrictPrivate;
            else if (AheadEx == ptProtected)
                V = vkStrictProtected;
            else
                return;
            NextToken();
        }
        }
        NextToken();
        Visibility = V;
        Class->AddVisibilitySpecifier(Lexer().LineNumber(), V);
    }
}

void TClassParser::ClassField(TqlClass* Class, TVisibilityKind Visibility)
{
    std::vector<TqlVariable*> Fields;
    for (;;) {
        const TPoint P = Pos();
        if (GetTokenID() == ptIdentifier)
            Fields.push_back(Class->GetFieldList()->AddVariable(TokenText(), Visibility, false,
                                                                FileIndex(), P.X, P.Y));
        Expected(ptIdentifier);
        if (GetTokenID() != ptComma)
            break;
        NextToken();
    }
    Expected(ptColon);
    if (TqlSymbol* T = ParseType(Class, "", false, Pos()))
        for (TqlVariable* F : Fields) {
            F->SetTypeIntf(T);
            F->SetTypeIsIndirect(LastTypeIndirect());
        }
    HintDirectives();
}

void TClassParser::ClassMethodOrProperty(TqlClass* Class, TVisibilityKind Visibility)
{
    if (GetTokenID() == ptClass)
        NextToken();
    if (GetTokenID() == ptProperty)
        ClassProperty(Class, Visibility);
    else
        MethodHeading(Class, Visibility);
}

void TClassParser::MethodHeading(TqlClass* Class, TVisibilityKind Visibility)
{
    const TptTokenKind K = GetTokenID();
    TRoutineKind Kind;
    switch (K) {
    case ptConstructor: Kind = rkConstructor; break;
    case ptDestructor: Kind = rkDestructor; break;
    case ptFunction: Kind = rkFunction; break;
    case ptProcedure: Kind = rkProcedure; break;
    default:
        SynError(InvalidClassMethodHeading);
        NextToken();
        return;
    }
    if (K == ptFunction || K == ptProcedure) {
        Lexer().InitAhead();
        Lexer().AheadNext();
        if (Lexer().GetAheadTokenID() == ptPoint) {
            ClassMethodResolution();
            return;
        }
    }
    NextToken();
    const TPoint P = Pos();
    TqlRoutine* R =
        Class->GetRoutines()->AddRoutine(TokenText(), Visibility, Kind, FileIndex(), P.X, P.Y);
    FunctionProcedureName();
    if (GetTokenID() == ptRoundOpen)
        FormalParameterList(R, true, false);
    if (K == ptConstructor) {
        auto* Result = new TqlVariable("Result", vkNone, false, FileIndex(), P.X, P.Y);
        Result->SetTypeIntf(Class);
        R->SetReturnType(Result);
        R->AddSymbol(Result);
    }
    if (K == ptFunction) {
        Expected(ptColon);
        DeclareResult(R);
    }
    SetEndPosition(R);
    if ((K == ptFunction || K == ptProcedure) && GetExID() == ptDispid) {
        NextToken();
        ConstantExpression();
        SetEndPosition(R);
    }
    // A calling convention may follow the heading without a ";" before it
    // (function GetStatus: HResult stdcall;).
    const bool DirectiveFollows =
        DirectiveOf(GetExID()) != rdNone && GetExID() != ptLocal && !DirectiveIsName();
    if (GetTokenID() == ptSemiColon)
        NextToken();
    else if (!DirectiveFollows)
        SEMICOLON();
    for (;;) {
        const TptTokenKind Ex = GetExID();
        if (AtHintDirective()) {
            HintDirectives();
        } else if (Ex == ptDispid && (K == ptFunction || K == ptProcedure) && !DirectiveIsName()) {
            // A dispatch interface's method may give its id after the ";".
            NextToken();
            ConstantExpression();
        } else if (DirectiveOf(Ex) != rdNone && Ex != ptLocal && Ex != ptExternal &&
                   Ex != ptExport && Ex != ptFar && Ex != ptNear && !DirectiveIsName()) {
            R->AddDirective(DirectiveOf(Ex));
            if (Ex == ptMessage)
                R->SetMessageKey(MessageKeyAhead());
            ProceduralDirective();
        } else {
            break;
        }
        SEMICOLON();
    }
}

uint32_t TClassParser::MessageKeyAhead()
{
    // The words of the expression after "message", up to the ";", in upper
    // case; a unit name before the last "." is left out (Messages.WM_SIZE).
    std::vector<std::string> Words;
    Lexer().InitAhead();
    for (int i = 0; i < 64; ++i) {
        const TptTokenKind K = Lexer().GetAheadTokenID();
        if (K == ptSemiColon || K == ptNull || K == ptEnd)
            break;
        if (K == ptPoint && Words.size() == 1)
            Words.clear();
        else
            Words.push_back(Lexer().GetAheadToken());
        Lexer().AheadNext();
    }
    if (Words.empty())
        return 0;
    uint32_t Key = 2166136261u;
    for (const std::string& W : Words) {
        for (char C : W) {
            if (C >= 'a' && C <= 'z')
                C = static_cast<char>(C - 'a' + 'A');
            Key = (Key ^ static_cast<unsigned char>(C)) * 16777619u;
        }
        Key = (Key ^ ' ') * 16777619u;
    }
    return Key ? Key : 1;
}

void TClassParser::RecordIndexNames(TqlProperty* Prop, const TPositionList& Names)
{
    // Each index parameter stands for the parameter in its place of the
    // methods that read and write the property: where it has that name, it
    // repeats it, as an implementation heading repeats a declaration's.
    for (TqlSymbol* Access : {Prop->GetReadAccess(), Prop->GetWriteAccess()}) {
        auto* Method = qlAsRoutine(Access);
        if (!Method)
            continue;
        TqlParameterList* Params = Method->GetParameters();
        for (size_t i = 0; i < Names.size() && int(i) < Params->GetCount(); ++i) {
            if (!qlSameText(Names[i].first, Params->GetParameters(int(i))->GetName()))
                continue;
            TqlUsedByInfo Info = MakeUsedByInfo(Names[i].second, false);
            Info.IsHeading = true;
            RecordUse(Params->GetParameters(int(i)), Names[i].first, Info);
        }
    }
}

void TClassParser::ClassProperty(TqlClass* Class, TVisibilityKind Visibility)
{
    Expected(ptProperty);
    const TPoint P = Pos();
    TqlProperty* Prop =
        Class->GetProperties()->AddProperty(TokenText(), Visibility, Class, FileIndex(), P.X, P.Y);
    PropertyName();
    // The names of an array property's index parameters, with their places.
    TPositionList IndexNames;
    if (GetTokenID() == ptColon || GetTokenID() == ptSquareOpen) {
        if (GetTokenID() == ptSquareOpen) {
            Prop->SetIsArrayProperty(true);
            Expected(ptSquareOpen);
            // The index parameters are read like a parameter list.
            int Depth = 0;
            bool AtNames = true;
            while (GetTokenID() != ptNull && !(GetTokenID() == ptSquareClose && Depth == 0)) {
                if (GetTokenID() == ptSquareOpen)
                    ++Depth;
                if (GetTokenID() == ptSquareClose)
                    --Depth;
                if (Depth == 0 && GetTokenID() == ptSemiColon)
                    AtNames = true;
                if (AtNames && GetTokenID() == ptIdentifier && (NextIs(ptColon) || NextIs(ptComma)) &&
                    Depth == 0)
                    IndexNames.emplace_back(Token(), Pos());
                if (GetTokenID() == ptIdentifier && NextIs(ptColon)) {
                    AtNames = false;
                    NextToken();
                    NextToken();
                    if (GetTokenID() == ptIdentifier)
                        ParseTypeId(false);
                    continue;
                }
                NextToken();
            }
            Expected(ptSquareClose);
        }
        Expected(ptColon);
        if (TqlSymbol* T = ParseTypeId(false))
            Prop->SetTypeIntf(T);
    } else if (GetTokenID() == ptSemiColon || GetExID() == ptDefault || GetExID() == ptRead ||
               GetExID() == ptWrite || GetExID() == ptStored || GetExID() == ptNodefault) {
        // A redeclared property takes its type from the nearest ancestor's.
        std::set<TqlClass*> Seen;
        for (TqlClass* A = Class->GetInheritsFromClass(); A && Seen.insert(A).second;
             A = A->GetInheritsFromClass()) {
            TqlProperty* Old = A->GetProperties()->Find(Prop->GetName());
            if (!Old || Old->GetName() != Prop->GetName())
                continue;
            const TVisibilityKind V = Old->GetVisibility();
            const bool SameUnit = Old->GetFileIndex() == Prop->GetFileIndex();
            if (!SameUnit && V != vkPublic && V != vkPublished && V != vkProtected)
                continue;
            // The redeclaration repeats the nearest ancestor's name.
            if (!Prop->GetRedeclaredProperty()) {
                Prop->SetRedeclaredProperty(Old);
                TqlUsedByInfo Info = MakeUsedByInfo(P, false);
                Info.IsHeading = true;
                RecordUse(Old, Prop->GetName(), Info);
            }
            if (Old->GetTypeIntf()) {
                Prop->SetTypeIntf(Old->GetTypeIntf());
                Prop->SetIsArrayProperty(Old->GetIsArrayProperty());
                break;
            }
        }
    }
    if (GetExID() == ptIndex) {
        NextToken();
        ConstantExpression();
    }
    for (;;) {
        const TptTokenKind Ex = GetExID();
        if (Ex == ptRead || Ex == ptWrite) {
            NextToken();
            TqlSymbol* Access = nullptr;
            if (GetTokenID() == ptIdentifier) {
                Access = Class->FindSymbol(CurrentUnit(), Class, Token(), true, MakeUsedByInfo());
                NextToken();
                // A record field or an array element: read FRec.Field, FArr[0].
                while (GetTokenID() == ptPoint || GetTokenID() == ptSquareOpen) {
                    if (GetTokenID() == ptPoint) {
                        NextToken();
                        Expected(ptIdentifier);
                    } else {
                        NextToken();
                        ExpressionList();
                        Expected(ptSquareClose);
                    }
                }
            } else {
                Expected(ptIdentifier);
            }
            if (Ex == ptRead)
                Prop->SetReadAccess(Access);
            else
                Prop->SetWriteAccess(Access);
        } else if (Ex == ptReadonly || Ex == ptWriteonly) {
            NextToken();
        } else {
            break;
        }
    }
    RecordIndexNames(Prop, IndexNames);
    if (GetExID() == ptDispid) {
        NextToken();
        ConstantExpression();
    }
    while (GetExID() == ptDefault || GetExID() == ptNodefault || GetExID() == ptStored) {
        if (GetExID() == ptDefault && NextIs(ptSemiColon) && Prop->GetIsArrayProperty())
            break;
        StorageSpecifier();
    }
    if (GetExID() == ptImplements) {
        NextToken();
        QualifiedIdentifierList();
    }
    SetEndPosition(Prop);
    SEMICOLON();
    if (Prop->GetIsArrayProperty() && GetExID() == ptDefault) {
        Prop->SetDefaultProperty(true);
        PropertyDirective();
    }
}
