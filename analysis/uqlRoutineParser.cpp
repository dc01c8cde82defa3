#include "analysis/uqlRoutineParser.h"

#include "analysis/uqlOverloads.h"

#include "base/uqlPathUtils.h"

namespace {

bool IsDirectiveWord(TptTokenKind Ex) { return TRoutineParser::DirectiveOf(Ex) != rdNone; }

bool IsDeclarationStart(TptTokenKind K)
{
    switch (K) {
    case ptClass: case ptConst: case ptConstructor: case ptDestructor: case ptExports:
    case ptFunction: case ptLabel: case ptProcedure: case ptResourcestring: case ptThreadvar:
    case ptType: case ptVar:
        return true;
    default:
        return false;
    }
}

struct TParamName {
    std::string Name;
    TPoint Position; // 1-based
    TqlSymbol* Type = nullptr;
    TqlSymbol* Element = nullptr;
    // The type's name as written (without a unit), kept when it was not found.
    std::string Written;
    bool Untyped = false;

    TqlParamShape Shape() const { return TqlParamShape{Type, Element, Written, Untyped}; }
};

} // namespace

TRoutineDirective TRoutineParser::DirectiveOf(TptTokenKind ExID)
{
    switch (ExID) {
    case ptAbstract: return rdAbstract;
    case ptAssembler: return rdAssembler;
    case ptCdecl: return rdCdecl;
    case ptDynamic: return rdDynamic;
    case ptExport: return rdExport;
    case ptExternal: return rdExternal;
    case ptFar: return rdFar;
    case ptLocal: return rdLocal;
    case ptMessage: return rdMessage;
    case ptNear: return rdNear;
    case ptOverload: return rdOverload;
    case ptOverride: return rdOverride;
    case ptPascal: return rdPascal;
    case ptRegister: return rdRegister;
    case ptReintroduce: return rdReintroduce;
    case ptSafeCall: return rdSafeCall;
    case ptStdcall: return rdStdCall;
    case ptVirtual: return rdVirtual;
    default: return rdNone;
    }
}

void TRoutineParser::TypeNameHere(std::string& Name)
{
    Name.clear();
    if (GetTokenID() != ptIdentifier)
        return;
    if (!NextIs(ptPoint)) {
        Name.assign(Lexer().GetTokenPtr(), static_cast<size_t>(Lexer().GetTokenLen()));
        return;
    }
    // Unit.Type: the type's own name.
    Lexer().InitAhead();
    Lexer().AheadNext();
    if (Lexer().GetAheadTokenID() == ptIdentifier)
        Name = Lexer().GetAheadToken();
}

TqlRoutine* TRoutineParser::FunctionHeading(TqlVarContainer* Container)
{
    Expected(ptFunction);
    const TPoint P = Pos();
    TqlRoutine* R =
        Container->GetRoutines()->AddRoutine(TokenText(), FVisibility, rkFunction, FileIndex(), P.X,
                                             P.Y);
    FunctionProcedureName();
    if (GetTokenID() == ptRoundOpen)
        FormalParameterList(R, true, false);
    Expected(ptColon);
    DeclareResult(R);
    return R;
}

TqlRoutine* TRoutineParser::ProcedureHeading(TqlVarContainer* Container)
{
    Expected(ptProcedure);
    const TPoint P = Pos();
    TqlRoutine* R = Container->GetRoutines()->AddRoutine(TokenText(), FVisibility, rkProcedure,
                                                         FileIndex(), P.X, P.Y);
    FunctionProcedureName();
    if (GetTokenID() == ptRoundOpen)
        FormalParameterList(R, true, false);
    return R;
}

void TRoutineParser::DeclareResult(TqlRoutine* Routine)
{
    TqlSymbol* T;
    if (GetTokenID() == ptString) {
        T = SystemType(tkString);
        StringType();
    } else {
        T = ParseTypeId(false);
    }
    // Declared also when the type is unknown, so that the body still finds
    // Result and the routine-name variable.
    if (!Routine)
        return;
    const TPoint P = Pos();
    auto* Result = new TqlVariable("Result", vkPublic, false, FileIndex(), P.X, P.Y);
    Result->SetTypeIntf(T);
    Routine->SetReturnType(Result);
    Routine->AddSymbol(Result);
    auto* Named = new TqlRoutineNameVariable(Routine, FileIndex(), P.X, P.Y);
    Named->SetTypeIntf(T);
    Routine->SetRoutineType(Named);
    Routine->AddSymbol(Named);
}

void TRoutineParser::FormalParameterList(TqlRoutine*& Routine, bool AddParameters,
                                         bool MatchOverload)
{
    std::vector<TParamName> Names;
    Names.reserve(8);
    // The parameters of the current group (A, B: Integer), once per heading.
    std::vector<TqlParameter*> Added;
    // The name of the group's type as written, kept where it is not found.
    std::string Written;
    Expected(ptRoundOpen);
    for (;;) {
        TParamKind Kind = pkNone;
        switch (GetTokenID()) {
        case ptConst: Kind = pkConst; NextToken(); break;
        case ptVar: Kind = pkVar; NextToken(); break;
        case ptIn: Kind = pkIn; NextToken(); break;
        case ptIdentifier:
            if (GetExID() == ptOut && !DirectiveIsName()) {
                Kind = pkOut;
                NextToken();
            }
            break;
        default:
            break;
        }
        if (GetTokenID() != ptIdentifier) {
            if (GetTokenID() != ptRoundClose)
                SynError(InvalidParameter);
            break;
        }
        const size_t First = Names.size();
        Added.clear();
        for (;;) {
            const TPoint P = Pos();
            Names.push_back(TParamName{Token(), P, nullptr, nullptr, {}, false});
            if (AddParameters && Routine)
                Added.push_back(Routine->GetParameters()->AddParameter(Names.back().Name, Kind,
                                                                       FileIndex(), P.X, P.Y));
            Expected(ptIdentifier);
            if (GetTokenID() != ptComma)
                break;
            NextToken();
        }
        if (GetTokenID() == ptColon) {
            NextToken();
            TqlSymbol* T = nullptr;
            TqlSymbol* Element = nullptr;
            Written.clear();
            if (GetTokenID() == ptArray) {
                NextToken();
                Expected(ptOf);
                if (GetTokenID() == ptConst) {
                    T = SystemType(tkArrayOfConst);
                    NextToken();
                } else {
                    T = SystemType(tkArray);
                    if (GetTokenID() == ptString) {
                        Element = SystemType(tkString);
                        StringType();
                    } else if (GetTokenID() == ptFile) {
                        Element = SystemType(tkFile);
                        NextToken();
                    } else {
                        TypeNameHere(Written);
                        Element = ParseTypeId(false);
                    }
                }
            } else if (GetTokenID() == ptString) {
                T = SystemType(tkString);
                StringType();
            } else if (GetTokenID() == ptFile) {
                T = SystemType(tkFile);
                NextToken();
            } else {
                TypeNameHere(Written);
                T = ParseTypeId(false);
            }
            // The name is kept only where the type was not found.
            if ((T && T != SystemType(tkArray)) || Element)
                Written.clear();
            for (size_t i = First; i < Names.size(); ++i) {
                Names[i].Type = T;
                Names[i].Element = Element;
                Names[i].Written = Written;
            }
            const bool HasDefault = GetTokenID() == ptEqual;
            for (TqlParameter* Param : Added) {
                Param->SetParamType(T);
                if (Element)
                    Param->SetPredefinedArrayType(Element);
                if (!Written.empty())
                    Param->SetWrittenTypeName(Written);
                Param->SetHasDefault(HasDefault);
            }
            if (HasDefault) {
                NextToken();
                TypedConstant();
            }
        } else if (Kind == pkNone || Kind == pkIn) {
            SynError(InvalidParameter);
        } else {
            for (size_t i = First; i < Names.size(); ++i)
                Names[i].Untyped = true;
            for (TqlParameter* Param : Added)
                Param->SetUntypedParameter(true);
        }
        if (GetTokenID() != ptSemiColon)
            break;
        NextToken();
    }
    Expected(ptRoundClose);
    if (!Routine)
        return;

    // Strict: the same types (by the names written where a type is
    // unknown). Otherwise a type unknown on either side is matched by the
    // parameter's name.
    auto Matches = [&Names](TqlRoutine* R, bool Strict) {
        TqlParameterList* Params = R->GetParameters();
        if (Params->GetCount() != static_cast<int>(Names.size()))
            return false;
        for (int i = 0; i < Params->GetCount(); ++i) {
            TqlParameter* Param = Params->GetParameters(i);
            const TParamName& N = Names[size_t(i)];
            if (qlSameParamType(qlParamShape(Param), N.Shape()))
                continue;
            if (Strict || (Param->GetParamType() && N.Type) ||
                !qlSameText(Param->GetName(), N.Name))
                return false;
        }
        return true;
    };
    if (MatchOverload && !Matches(Routine, true)) {
        TqlRoutineList* List = Routine->GetRoutineList();
        TqlRoutine* Loose = Matches(Routine, false) ? Routine : nullptr;
        TqlRoutine* Exact = nullptr;
        for (int i = 0; List && i < List->GetCount() && !Exact; ++i) {
            TqlRoutine* Other = List->GetRoutine(i);
            if (Other == Routine || !qlSameText(Other->GetName(), Routine->GetName()))
                continue;
            if (Matches(Other, true))
                Exact = Other;
            else if (!Loose && Matches(Other, false))
                Loose = Other;
        }
        if (Exact)
            Routine = Exact;
        else if (Loose)
            Routine = Loose;
    }
    for (const TParamName& N : Names) {
        TqlUsedByInfo Info = MakeUsedByInfo(N.Position, false);
        // Names of an existing routine's parameters are repeated here.
        Info.IsHeading = !AddParameters;
        if (TqlParameter* Param = Routine->GetParameters()->Find(N.Name))
            RecordUse(Param, N.Name, Info);
        else
            AddMessageAt("Parameter, " + N.Name + ", not found.",
                         TPoint{N.Position.X - 1, N.Position.Y - 1});
    }
}

void TRoutineParser::ExportedHeading()
{
    TqlRoutine* R = nullptr;
    if (GetTokenID() == ptFunction)
        R = FunctionHeading(CurrentContainer());
    else if (GetTokenID() == ptProcedure)
        R = ProcedureHeading(CurrentContainer());
    else
        SynError(InvalidExportedHeading);
    SetEndPosition(R);
    if (GetTokenID() == ptSemiColon)
        NextToken();
    if (GetExID() == ptAssembler) {
        NextToken();
        SEMICOLON();
        if (GetExID() == ptForward)
            ForwardDeclaration();
        return;
    }
    if (GetExID() == ptForward) {
        ForwardDeclaration();
        return;
    }
    for (;;) {
        if (AtHintDirective()) {
            HintDirectives();
        } else if (IsDirectiveWord(GetExID()) && GetExID() != ptLocal) {
            if (R)
                R->AddDirective(DirectiveOf(GetExID()));
            ProceduralDirective();
        } else {
            break;
        }
        if (GetTokenID() == ptSemiColon)
            NextToken();
    }
    if (GetExID() == ptForward)
        ForwardDeclaration();
}

void TRoutineParser::ProcedureDeclarationSection()
{
    ProcedureDeclarationSection(CurrentContainer());
}

TqlRoutine* TRoutineParser::ProcedureDeclarationSection(TqlVarContainer* Container)
{
    if (GetTokenID() == ptClass)
        NextToken();
    switch (GetTokenID()) {
    case ptConstructor: case ptDestructor: case ptProcedure:
        return RoutineImplementation(Container);
    case ptFunction:
        RoutineImplementation(Container);
        return nullptr;
    default:
        SynError(InvalidProcedureDeclarationSection);
        return nullptr;
    }
}

TqlRoutine* TRoutineParser::RoutineImplementation(TqlVarContainer* Container)
{
    TNestGuard Guard(*this);
    const TptTokenKind Keyword = GetTokenID();
    switch (Keyword) {
    case ptConstructor: case ptDestructor: case ptFunction: case ptProcedure:
        NextToken();
        break;
    default:
        SynError(InvalidProcedureMethodDeclaration);
        return nullptr;
    }
    const bool IsFunction = Keyword == ptFunction;
    TqlUnit* Unit = CurrentUnit();
    TqlClass* Class = nullptr;
    TqlRoutine* R = nullptr;
    bool HeadingUse = false;
    TPoint P = Pos();
    std::string Name = Token();
    if (GetTokenID() == ptIdentifier && NextIs(ptPoint)) {
        Class = Unit->GetClasses()->Find(Name);
        if (!Class)
            Class = Unit->GetObjects()->Find(Name);
        if (Class)
            RecordUse(Class, Name, MakeUsedByInfo(P, false));
        NextToken();
        NextToken();
        // Nested type names (TOuter.TInner.Method).
        while (GetTokenID() == ptIdentifier && NextIs(ptPoint)) {
            NextToken();
            NextToken();
        }
        P = Pos();
        Name = Token();
        if (Class)
            R = Class->GetRoutines()->Find(Name);
        HeadingUse = R != nullptr;
    } else if (Container != Unit) {
        // A nested routine: only its own container may hold its declaration.
        R = Container->GetRoutines()->Find(Name);
        HeadingUse = R != nullptr;
    } else {
        R = dynamic_cast<TqlRoutine*>(Unit->FindSymbol(Unit, nullptr, Name, false, MakeUsedByInfo(P, false)));
        // Only a routine of this unit's own can be declared by this body.
        if (R && (!R->GetRoutineList() || R->GetRoutineList()->GetContainer() != Container))
            R = nullptr;
        HeadingUse = R != nullptr;
    }
    bool Overloaded = false;
    if (R) {
        if (R->GetDirectives().Contains(rdOverload)) {
            Overloaded = true;
        } else if (R->GetDirectives().Contains(rdOverride)) {
            auto* Owner = R->GetRoutineList()
                              ? dynamic_cast<TqlClass*>(R->GetRoutineList()->GetContainer())
                              : nullptr;
            if (Owner && Owner->GetInheritsFromClass()) {
                auto* Inherited = dynamic_cast<TqlRoutine*>(
                    Owner->GetInheritsFromClass()->FindSymbol(Unit, Owner, Name));
                Overloaded = Inherited && Inherited->GetDirectives().Contains(rdOverload);
            }
        }
    }
    // A routine's overload implements a declaration that still waits for its
    // body; when every overload of the name has one (a program's overloads,
    // each written with its body), this body declares another.
    auto AwaitsBody = [&Name](TqlRoutine* Routine) {
        TqlRoutineList* List = Routine->GetRoutineList();
        for (int i = 0; List && i < List->GetCount(); ++i) {
            TqlRoutine* Other = List->GetRoutine(i);
            if (Other->GetImplEndY() == 0 && qlSameText(Other->GetName(), Name) &&
                Other->GetDirectives().Contains(rdOverload))
                return true;
        }
        return false;
    };
    const bool IsNew = !R || (Overloaded && (R->GetVisibility() == vkImplementation ||
                                             (!Class && !AwaitsBody(R))));
    if (IsNew)
        R = Container->GetRoutines()->AddRoutine(Name, FVisibility,
                                                 IsFunction ? rkFunction : rkProcedure, FileIndex(),
                                                 P.X, P.Y);
    FunctionProcedureName();
    if (GetTokenID() == ptRoundOpen)
        FormalParameterList(R, IsNew, Overloaded);
    else if (Overloaded && !IsNew)
        R = ParameterlessOverload(R);
    // The heading uses the declaration it implements: of overloads, the one
    // its parameters matched.
    if (HeadingUse && !IsNew) {
        TqlUsedByInfo Info = MakeUsedByInfo(P, false);
        Info.IsHeading = true;
        RecordUse(R, Name, Info);
    }
    if (IsNew)
        SetEndPosition(R);

    struct TScopeGuard {
        TRoutineParser& P;
        ~TScopeGuard() { P.PopScope(); }
    };
    PushScope(R, Class);
    TScopeGuard ScopeGuard{*this};
    if (IsFunction && GetTokenID() != ptSemiColon) {
        Expected(ptColon);
        if (IsNew)
            DeclareResult(R);
        else
            ReturnType();
    }
    RoutineBody(R);
    return R;
}

TqlRoutine* TRoutineParser::ParameterlessOverload(TqlRoutine* Routine)
{
    // Of the overloads one list declares, one at most has no parameters.
    if (Routine->GetParameters()->GetCount() == 0)
        return Routine;
    TqlRoutineList* List = Routine->GetRoutineList();
    for (int i = 0; List && i < List->GetCount(); ++i) {
        TqlRoutine* Other = List->GetRoutine(i);
        if (Other->GetParameters()->GetCount() == 0 && qlSameText(Other->GetName(), Routine->GetName()))
            return Other;
    }
    return Routine;
}

void TRoutineParser::RoutineBody(TqlRoutine* Routine)
{
    struct TVisibilityGuard {
        TRoutineParser& P;
        TVisibilityKind Saved;
        ~TVisibilityGuard() { P.SetVisibility(Saved); }
    } VisGuard{*this, FVisibility};
    FVisibility = vkNone;
    if (GetTokenID() == ptSemiColon)
        NextToken();
    if (GetExID() == ptForward) {
        ForwardDeclaration();
        return;
    }
    bool External = false;
    for (;;) {
        if (IsDirectiveWord(GetExID()) && !DirectiveIsName()) {
            const TRoutineDirective D = DirectiveOf(GetExID());
            Routine->AddDirective(D);
            if (D == rdExternal) {
                External = true;
                const TPoint P = Pos();
                Routine->SetImplEndX(P.X);
                Routine->SetImplEndY(P.Y);
            }
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
    if (GetExID() == ptForward) {
        ForwardDeclaration();
        return;
    }
    // A body written in assembler makes an assembler routine: what its
    // instructions use is not looked up.
    if (GetTokenID() == ptAsm) {
        Routine->AddDirective(rdAssembler);
        AsmStatement();
    } else {
        while (IsDeclarationStart(GetTokenID())) {
            const int Before = Lexer().TokenPos();
            const char* Origin = Lexer().Origin();
            ParseDeclarationSection(Routine);
            if (Lexer().TokenPos() == Before && Lexer().Origin() == Origin)
                NextToken();
        }
        if (GetTokenID() == ptAsm) {
            Routine->AddDirective(rdAssembler);
            AsmStatement();
        } else {
            Indent();
            Expected(ptBegin);
            StatementList();
            Outdent();
            Expected(ptEnd);
        }
    }
    const TPoint P = Pos();
    Routine->SetImplEndX(P.X);
    Routine->SetImplEndY(P.Y);
    SEMICOLON();
}

