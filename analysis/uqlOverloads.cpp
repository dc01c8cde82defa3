#include "analysis/uqlOverloads.h"

#include "base/uqlPathUtils.h"
#include "model/uqlReach.h"

namespace {

// Chains of aliases and ancestors are walked this far at most.
constexpr int ChainLimit = 256;

TqlSymbol* SystemType(TqlTypeKind Kind)
{
    return gqlProject ? gqlProject->GetSystemType(Kind) : nullptr;
}

// The built-in kind that another built-in name means the same type as.
TqlTypeKind CanonicalKind(TqlTypeKind Kind)
{
    switch (Kind) {
    case tkLongInt: return tkInteger;
    case tkLongWord: case tkDWord: return tkCardinal;
    case tkAnsiString: return tkString;
    case tkReal: return tkDouble;
    case tkTextFile: return tkText;
    default: return Kind;
    }
}

// The kinds of type that decide whether a value can be passed.
enum TCategory : uint8_t {
    tcUnknown,
    tcInteger,
    tcReal,
    tcString,
    tcChar,
    tcPChar,
    tcBoolean,
    tcVariant,
    tcPointer,
    tcClass,
    tcClassRef,
    tcInterface,
    tcRecord,
    tcEnum,
    tcSet,
    tcArray,
    tcOpenArray,
    tcArrayOfConst,
    tcFile,
    tcProcedural,
};

TCategory CategoryOfKind(TqlTypeKind Kind)
{
    switch (Kind) {
    case tkByte: case tkCardinal: case tkDWord: case tkInt64: case tkInteger: case tkLongInt:
    case tkLongWord: case tkShortInt: case tkSmallInt: case tkWord:
        return tcInteger;
    case tkComp: case tkCurrency: case tkDouble: case tkExtended: case tkReal: case tkReal48:
    case tkSingle:
        return tcReal;
    case tkBoolean: case tkBytebool: case tkLongBool: case tkWordbool:
        return tcBoolean;
    case tkChar: case tkWideChar:
        return tcChar;
    case tkPChar:
        return tcPChar;
    case tkString: case tkAnsiString: case tkShortString: case tkWideString:
        return tcString;
    case tkVariant: case tkOleVariant:
        return tcVariant;
    case tkPointer:
        return tcPointer;
    case tkFile: case tkText: case tkTextFile:
        return tcFile;
    case tkProcedure: case tkFunction:
        return tcProcedural;
    default:
        return tcUnknown;
    }
}

struct TTypeClass {
    TCategory Category = tcUnknown;
    // The class, record or enumeration itself.
    TqlSymbol* Type = nullptr;
};

TTypeClass Classify(TqlSymbol* T)
{
    for (int i = 0; T && i < ChainLimit; ++i) {
        if (T == SystemType(tkArray))
            return {tcOpenArray, T};
        if (T == SystemType(tkArrayOfConst))
            return {tcArrayOfConst, T};
        switch (T->GetTypeKind()) {
        case tkClass: return {qlAsClass(T) ? tcClass : tcUnknown, T};
        case tkInterface: return {qlAsClass(T) ? tcInterface : tcUnknown, T};
        case tkObject: return {tcUnknown, T};
        case tkRecord: return {qlAsContainer(T) ? tcRecord : tcUnknown, T};
        case tkEnum: return {tcEnum, T};
        case tkSet: return {tcSet, T};
        case tkArray: return {tcArray, T};
        case tkNone: break;
        default: return {CategoryOfKind(T->GetTypeKind()), T};
        }
        auto* Declared = dynamic_cast<TqlType*>(T);
        if (!Declared)
            return {};
        TqlSymbol* To = Declared->GetTypeIntf();
        if (Declared->GetPointerType()) {
            // PWideChar is read as a string as PChar is.
            TqlSymbol* Target = qlTypeIdentity(To);
            if (Target && (Target == SystemType(tkChar) || Target == SystemType(tkWideChar)))
                return {tcPChar, T};
            return {tcPointer, T};
        }
        if (!To || To == T)
            return {};
        // Neither an alias nor a new type like another: class of T.
        if (!Declared->GetIsAlias() && !Declared->GetIsDistinct() && qlAsClass(To))
            return {tcClassRef, T};
        T = To;
    }
    return {};
}

// Class lies on the chain of Descendant's ancestors; false when the chain
// is known to its root without it; true when the chain is not known.
bool MayDescend(TqlClass* Descendant, TqlClass* Class)
{
    TqlClass* C = Descendant;
    for (int i = 0; C && i < ChainLimit; ++i) {
        if (C == Class)
            return true;
        if (!C->GetInheritsFromClass())
            return !qlSameText(C->GetName(), "TObject");
        C = C->GetInheritsFromClass();
    }
    return true;
}

TCategory LiteralCategory(TqlArgument::TKind Kind)
{
    switch (Kind) {
    case TqlArgument::akInteger: return tcInteger;
    case TqlArgument::akReal: return tcReal;
    case TqlArgument::akString: return tcString;
    case TqlArgument::akChar: return tcChar;
    case TqlArgument::akBoolean: return tcBoolean;
    default: return tcUnknown;
    }
}

// A parameter of Type (of element Element, for an open array), passed as
// Kind, cannot take the argument. An open array takes an array, or a
// single value its element takes.
bool ExcludesType(const TqlArgument& Arg, TqlSymbol* Type, TqlSymbol* Element, TParamKind Kind)
{
    if (Arg.Kind == TqlArgument::akUnknown || !Type)
        return false;
    const TTypeClass P = Classify(Type);
    if (P.Category == tcUnknown || P.Category == tcVariant)
        return false;
    const bool Literal = Arg.Kind != TqlArgument::akValue;
    if (Kind == pkVar || Kind == pkOut) {
        if (Literal)
            return true;
        // A variable passed by reference is of the parameter's very type
        // (an open array takes any array of its element).
        if (P.Category != tcOpenArray && P.Category != tcArrayOfConst) {
            TqlSymbol* A = qlTypeIdentity(Arg.Type);
            TqlSymbol* T = qlTypeIdentity(Type);
            if (A && T && A != T)
                return true;
        }
    }
    switch (Arg.Kind) {
    case TqlArgument::akNil:
        switch (P.Category) {
        case tcInteger: case tcReal: case tcBoolean: case tcChar: case tcEnum: case tcSet:
        case tcRecord: case tcFile:
            return true;
        default:
            return false;
        }
    case TqlArgument::akConstructor:
        // A set or an array.
        switch (P.Category) {
        case tcSet: case tcOpenArray: case tcArrayOfConst: case tcArray:
            return false;
        default:
            return true;
        }
    case TqlArgument::akRoutine:
        return P.Category != tcProcedural && P.Category != tcPointer;
    default:
        break;
    }
    TTypeClass A;
    if (Literal) {
        A.Category = LiteralCategory(Arg.Kind);
    } else {
        A = Classify(Arg.Type);
    }
    if (A.Category == tcUnknown || A.Category == tcVariant)
        return false;
    if (P.Category == tcOpenArray && A.Category != tcArray && A.Category != tcOpenArray) {
        // A string literal may be an array of characters.
        if (Literal && A.Category == tcString && Element && Classify(Element).Category == tcChar)
            return false;
        return Element && (Kind == pkVar || Kind == pkOut || ExcludesType(Arg, Element, nullptr, pkNone));
    }
    switch (A.Category) {
    case tcInteger:
        return P.Category != tcInteger && P.Category != tcReal;
    case tcReal:
        return P.Category != tcReal;
    case tcBoolean:
        return P.Category != tcBoolean;
    case tcString:
        // A literal may also be a PChar, a pointer or an array of
        // characters.
        if (P.Category == tcString)
            return false;
        return !(Literal && (P.Category == tcPChar || P.Category == tcPointer || P.Category == tcArray));
    case tcChar:
        if (P.Category == tcChar || P.Category == tcString)
            return false;
        return !(Literal && (P.Category == tcPChar || P.Category == tcPointer));
    case tcPChar:
        return P.Category != tcPChar && P.Category != tcPointer && P.Category != tcString;
    case tcClass:
        if (P.Category == tcClass)
            return !MayDescend(static_cast<TqlClass*>(A.Type), static_cast<TqlClass*>(P.Type));
        return P.Category != tcInterface && P.Category != tcPointer;
    case tcInterface:
        return P.Category != tcInterface && P.Category != tcPointer;
    case tcClassRef:
        return P.Category != tcClassRef && P.Category != tcPointer;
    case tcRecord: case tcEnum:
        // A new type like another (type TRec) passes by value as that one.
        return A.Type != P.Type && qlTypeIdentity(A.Type) != qlTypeIdentity(P.Type);
    case tcSet:
        return P.Category != tcSet;
    case tcPointer:
        switch (P.Category) {
        case tcPointer: case tcPChar: case tcProcedural: case tcClass: case tcInterface:
        case tcClassRef: case tcArray:
            return false;
        default:
            return true;
        }
    case tcProcedural:
        // A function variable where its value is asked for is called.
        if (A.Type == SystemType(tkFunction))
            return false;
        return P.Category != tcProcedural && P.Category != tcPointer;
    case tcArray: case tcOpenArray: {
        if (P.Category == tcArray || P.Category == tcOpenArray || P.Category == tcPointer)
            return false;
        // An array of characters may be a string.
        if (P.Category == tcString || P.Category == tcPChar) {
            TqlArray* Arr = qlAsArray(A.Type);
            return Arr && Arr->GetArrayType() && Classify(Arr->GetArrayType()).Category != tcChar;
        }
        return true;
    }
    case tcArrayOfConst:
        return P.Category != tcArrayOfConst;
    case tcFile:
        return P.Category != tcFile;
    default:
        return false;
    }
}

// The parameter cannot take the argument.
bool Excludes(const TqlArgument& Arg, TqlParameter* Param)
{
    if (Param->GetUntypedParameter())
        return false;
    return ExcludesType(Arg, Param->GetParamType(), Param->GetPredefinedArrayType(), Param->GetParamKind());
}

// How a parameter that does not exclude an argument takes it, the lower
// the nearer: as it is (0), the class of an ancestor as many steps up, a
// character widened, a conversion. Unranked when the analysis cannot tell;
// Related for a class or interface of an ancestor whose steps are not
// known: farther than as it is, nearer than a conversion, and neither
// nearer nor farther than any other ancestor. Farthest, a single value
// taken by an open array as an array of one.
constexpr int Unranked = -1;
constexpr int Related = ChainLimit + 1;
constexpr int Converted = ChainLimit + 2;
constexpr int ArrayOfOne = ChainLimit + 3;

// Grade A is as near as B, or nearer.
bool AsNear(int A, int B)
{
    if (A == Related)
        return B >= Converted;
    if (B == Related)
        return A == 0;
    return A <= B;
}

// The steps from Descendant up to Class; -1 when Class is not met.
int Steps(TqlClass* Descendant, TqlClass* Class)
{
    TqlClass* C = Descendant;
    for (int i = 0; C && i < ChainLimit; ++i, C = C->GetInheritsFromClass())
        if (C == Class)
            return i;
    return -1;
}

int Grade(const TqlArgument& Arg, TqlParameter* Param)
{
    if (Arg.Kind == TqlArgument::akUnknown || Arg.Kind == TqlArgument::akNil)
        return Unranked;
    if (Param->GetUntypedParameter() || !Param->GetParamType())
        return Converted;
    TqlSymbol* To = qlTypeIdentity(Param->GetParamType());
    const TTypeClass P = Classify(Param->GetParamType());
    if (P.Category == tcOpenArray) {
        switch (Arg.Kind) {
        case TqlArgument::akValue: {
            const TCategory A = Classify(Arg.Type).Category;
            if (A != tcArray && A != tcOpenArray)
                return ArrayOfOne;
            break;
        }
        case TqlArgument::akString:
            if (Classify(Param->GetPredefinedArrayType()).Category != tcChar)
                return ArrayOfOne;
            break;
        case TqlArgument::akInteger: case TqlArgument::akReal: case TqlArgument::akBoolean:
        case TqlArgument::akChar:
            return ArrayOfOne;
        default:
            break;
        }
    }
    switch (Arg.Kind) {
    case TqlArgument::akConstructor: return Converted;
    case TqlArgument::akRoutine: return P.Category == tcProcedural ? 0 : Converted;
    case TqlArgument::akValue: {
        TqlSymbol* From = qlTypeIdentity(Arg.Type);
        if (From && From == To)
            return 0;
        const TTypeClass A = Classify(Arg.Type);
        if ((A.Category == tcClass || A.Category == tcInterface) && P.Category == A.Category) {
            const int N = Steps(static_cast<TqlClass*>(A.Type), static_cast<TqlClass*>(P.Type));
            return N < 0 ? Related : N;
        }
        // A character widens to a wide character sooner than it becomes a
        // string.
        if (From && From == SystemType(tkChar) && To == SystemType(tkWideChar))
            return 1;
        return Converted;
    }
    case TqlArgument::akInteger: return P.Category == tcInteger ? 0 : Converted;
    case TqlArgument::akReal: return P.Category == tcReal ? 0 : Converted;
    case TqlArgument::akBoolean: return P.Category == tcBoolean ? 0 : Converted;
    case TqlArgument::akString: return P.Category == tcString || P.Category == tcPChar ? 0 : Converted;
    // A character literal is a Char.
    case TqlArgument::akChar:
        if (To == SystemType(tkChar))
            return 0;
        return To == SystemType(tkWideChar) ? 1 : Converted;
    default:
        return Unranked;
    }
}

int RequiredCount(TqlParameterList* Params)
{
    int N = Params->GetCount();
    while (N > 0 && Params->GetParameters(N - 1)->GetHasDefault())
        --N;
    return N;
}

constexpr size_t NoEntry = size_t(-1);

// Of the candidates (entries that can all take the arguments), the one that
// takes each argument at least as near as every other does and some
// argument nearer than each; NoEntry when none does, or when an argument
// the choice turns on is not known well enough. A place where every
// candidate has the same parameter type turns nothing.
size_t Nearest(const TqlOverloads& Overloads, const std::vector<size_t>& Candidates,
               const std::vector<TqlArgument>& Arguments)
{
    const size_t Count = Candidates.size();
    auto ParamOf = [&](size_t c, size_t i) {
        return Overloads[Candidates[c]].front()->GetParameters()->GetParameters(static_cast<int>(i));
    };
    // Grades by candidate, of the places that tell them apart.
    std::vector<std::vector<int>> Grades(Count);
    for (size_t i = 0; i < Arguments.size(); ++i) {
        const TqlParamShape First = qlParamShape(ParamOf(0, i));
        bool Same = true;
        for (size_t c = 1; c < Count && Same; ++c)
            Same = qlSameParamType(First, qlParamShape(ParamOf(c, i)));
        if (Same)
            continue;
        for (size_t c = 0; c < Count; ++c) {
            const int G = Grade(Arguments[i], ParamOf(c, i));
            if (G == Unranked)
                return NoEntry;
            Grades[c].push_back(G);
        }
    }
    for (size_t c = 0; c < Count; ++c) {
        bool Best = true;
        for (size_t o = 0; o < Count && Best; ++o) {
            if (o == c)
                continue;
            bool Nearer = false;
            for (size_t g = 0; g < Grades[c].size() && Best; ++g) {
                Best = AsNear(Grades[c][g], Grades[o][g]);
                Nearer = Nearer || !AsNear(Grades[o][g], Grades[c][g]);
            }
            Best = Best && Nearer;
        }
        if (Best)
            return Candidates[c];
    }
    return NoEntry;
}

} // namespace

TqlSymbol* qlIndexedType(TqlSymbol* Type)
{
    auto ElementOf = [](TqlArray* A) { return A->GetIndexCount() <= 1 ? A->GetArrayType() : nullptr; };
    for (int i = 0; Type && i < ChainLimit; ++i) {
        Type = qlTypeIdentity(Type);
        switch (Type->GetTypeKind()) {
        case tkString: case tkShortString: case tkPChar:
            return SystemType(tkChar);
        case tkWideString:
            return SystemType(tkWideChar);
        default:
            break;
        }
        if (TqlArray* A = qlAsArray(Type))
            return ElementOf(A);
        auto* Declared = dynamic_cast<TqlType*>(Type);
        if (!Declared)
            return nullptr;
        TqlSymbol* To = Declared->GetTypeIntf();
        if (!To || To == Type)
            return nullptr;
        if (Declared->GetPointerType()) {
            // A pointer to characters is read as a string; a pointer to
            // an array is dereferenced.
            To = qlTypeIdentity(To);
            if (To && (To == SystemType(tkChar) || To == SystemType(tkWideChar)))
                return To;
            TqlArray* A = qlAsArray(To);
            return A ? ElementOf(A) : nullptr;
        }
        // A new type like another (type string) is indexed as that one.
        if (!Declared->GetIsDistinct())
            return nullptr;
        Type = To;
    }
    return nullptr;
}

TqlSymbol* qlEnumerationOf(TqlSymbol* Value)
{
    if (!Value || Value->GetTypeKind() != tkNone || qlAsContainer(Value) ||
        dynamic_cast<TqlVariable*>(Value) || dynamic_cast<TqlType*>(Value))
        return nullptr;
    TqlUnit* Unit = Value->GetUnitIntf();
    if (!Unit)
        return nullptr;
    TqlEnumerationList* List = Unit->GetEnumerations();
    for (int i = 0; i < List->GetCount(); ++i) {
        TqlEnumeration* E = List->GetEnumeration(i);
        if (E->GetItems()->Find(Value->GetName()) == Value)
            return E;
    }
    return nullptr;
}

TqlParamShape qlParamShape(TqlParameter* Param)
{
    TqlParamShape S;
    S.Type = Param->GetParamType();
    S.Element = Param->GetPredefinedArrayType();
    S.Written = Param->GetWrittenTypeName();
    S.Untyped = Param->GetUntypedParameter();
    return S;
}

bool qlSameParamType(const TqlParamShape& A, const TqlParamShape& B)
{
    if (A.Untyped || B.Untyped)
        return A.Untyped == B.Untyped;
    // The type where found, else the name written.
    auto Same = [](TqlSymbol* X, TqlSymbol* Y, std::string_view WX, std::string_view WY) {
        if (X && Y)
            return qlTypeIdentity(X) == qlTypeIdentity(Y);
        const std::string NX(X ? std::string_view(X->GetName()) : WX);
        const std::string NY(Y ? std::string_view(Y->GetName()) : WY);
        return !NX.empty() && qlSameText(NX, NY);
    };
    const bool OpenA = A.Type && A.Type == SystemType(tkArray);
    const bool OpenB = B.Type && B.Type == SystemType(tkArray);
    if (OpenA || OpenB)
        return OpenA && OpenB && Same(A.Element, B.Element, A.Written, B.Written);
    return Same(A.Type, B.Type, A.Written, B.Written);
}

bool qlSameParameters(TqlRoutine* A, TqlRoutine* B)
{
    TqlParameterList* PA = A->GetParameters();
    TqlParameterList* PB = B->GetParameters();
    if (PA->GetCount() != PB->GetCount())
        return false;
    for (int i = 0; i < PA->GetCount(); ++i)
        if (!qlSameParamType(qlParamShape(PA->GetParameters(i)), qlParamShape(PB->GetParameters(i))))
            return false;
    return true;
}

TqlSymbol* qlTypeIdentity(TqlSymbol* Type)
{
    for (int i = 0; Type && i < ChainLimit; ++i) {
        auto* Alias = dynamic_cast<TqlType*>(Type);
        if (!Alias || !Alias->GetIsAlias() || Alias->GetPointerType())
            break;
        TqlSymbol* To = Alias->GetTypeIntf();
        if (!To || To == Type)
            break;
        Type = To;
    }
    if (Type) {
        const TqlTypeKind Kind = Type->GetTypeKind();
        const TqlTypeKind Same = CanonicalKind(Kind);
        if (Same != Kind)
            if (TqlSymbol* T = SystemType(Same))
                return T;
    }
    return Type;
}

void qlGatherOverloads(TqlRoutine* Routine, TqlOverloads& Overloads)
{
    Overloads.clear();
    if (!Routine || !Routine->GetRoutineList())
        return;
    const std::string& Name = Routine->GetName();
    auto* Owner = qlAsClass(Routine->GetRoutineList()->GetContainer());
    TqlUnit* OwnerUnit = Owner ? Owner->GetUnitIntf() : nullptr;
    // An ancestor's member that the class's own methods cannot reach (a
    // private one of another unit) is no overload and hides nothing.
    auto OutOfReach = [&](TqlSymbol* Member, TqlClass* Declaring) {
        return Declaring != Owner && OwnerUnit && qlMemberOutOfReach(Member, Declaring, OwnerUnit, Owner);
    };
    // An override alone adds overloads only when the method it overrides
    // has some: the nearest ancestor's member of the name in reach tells.
    if (!Routine->GetDirectives().Contains(rdOverload)) {
        TqlRoutine* Overridden = nullptr;
        TqlClass* Ancestor = Owner ? Owner->GetInheritsFromClass() : nullptr;
        for (int i = 0; Ancestor && !Overridden && i < ChainLimit; ++i) {
            TqlRoutineList* List = Ancestor->GetRoutines();
            for (int r = 0; r < List->GetCount() && !Overridden; ++r) {
                TqlRoutine* R = List->GetRoutine(r);
                if (qlSameText(R->GetName(), Name) && !OutOfReach(R, Ancestor))
                    Overridden = R;
            }
            Ancestor = Ancestor->GetInheritsFromClass();
        }
        if (!Overridden || !Overridden->GetDirectives().Contains(rdOverload))
            return;
    }
    // Adds the routines of Name in List: to the entry of the same
    // parameters made from the same list, else (an ancestor's routine that
    // a descendant redeclares) not at all, else as a new entry. True when
    // every one of them lets the ancestors' routines of the name be seen.
    auto Add = [&](TqlRoutineList* List) {
        bool Open = true;
        const size_t Before = Overloads.size();
        for (int i = 0; i < List->GetCount(); ++i) {
            TqlRoutine* R = List->GetRoutine(i);
            if (R->GetName().size() != Name.size() || !qlSameText(R->GetName(), Name))
                continue;
            if (auto* Declaring = qlAsClass(List->GetContainer()); Declaring && OutOfReach(R, Declaring))
                continue;
            const TRoutineDirectives D = R->GetDirectives();
            Open = Open && (D.Contains(rdOverload) || D.Contains(rdOverride));
            bool Placed = false;
            for (size_t e = 0; e < Overloads.size() && !Placed; ++e) {
                if (!qlSameParameters(Overloads[e].front(), R))
                    continue;
                if (e >= Before)
                    Overloads[e].push_back(R);
                Placed = true;
            }
            if (!Placed)
                Overloads.push_back({R});
        }
        return Open;
    };
    bool Open = Add(Routine->GetRoutineList());
    auto* Class = Owner;
    for (int i = 0; Open && Class && i < ChainLimit; ++i) {
        Class = Class->GetInheritsFromClass();
        if (Class)
            Open = Add(Class->GetRoutines());
    }
    if (Overloads.size() < 2 && (Overloads.empty() || Overloads.front().size() < 2))
        Overloads.clear();
}

TqlRoutine* qlSignatureOf(TqlSymbol* Type)
{
    for (int i = 0; Type && i < ChainLimit; ++i) {
        auto* Declared = dynamic_cast<TqlType*>(Type);
        if (!Declared || Declared->GetPointerType())
            return nullptr;
        if (TqlRoutine* Signature = Declared->GetSignature())
            return Signature;
        TqlSymbol* To = Declared->GetTypeIntf();
        if (To == Type)
            return nullptr;
        Type = To;
    }
    return nullptr;
}

int qlOverloadOfSignature(const TqlOverloads& Overloads, TqlRoutine* Signature)
{
    if (!Signature)
        return -1;
    const bool Function = Signature->GetRoutineKind() == rkFunction;
    int Found = -1;
    for (size_t e = 0; e < Overloads.size(); ++e) {
        TqlRoutine* R = Overloads[e].front();
        if ((R->GetRoutineKind() == rkFunction) != Function || !qlSameParameters(R, Signature))
            continue;
        if (Found >= 0)
            return -1;
        Found = static_cast<int>(e);
    }
    return Found;
}

TqlOverloadChoice qlChooseOverload(const TqlOverloads& Overloads,
                                   const std::vector<TqlArgument>& Arguments)
{
    TqlOverloadChoice Choice;
    const int N = static_cast<int>(Arguments.size());
    for (size_t e = 0; e < Overloads.size(); ++e) {
        TqlParameterList* Params = Overloads[e].front()->GetParameters();
        if (N > Params->GetCount() || N < RequiredCount(Params))
            continue;
        bool Takes = true;
        for (int i = 0; i < N && Takes; ++i)
            Takes = !Excludes(Arguments[size_t(i)], Params->GetParameters(i));
        if (Takes)
            Choice.Entries.push_back(e);
    }
    if (Choice.Entries.size() < 2)
        return Choice;
    if (const size_t Best = Nearest(Overloads, Choice.Entries, Arguments); Best != NoEntry) {
        Choice.Entries.assign(1, Best);
        return Choice;
    }
    Choice.Ambiguous = true;
    return Choice;
}
