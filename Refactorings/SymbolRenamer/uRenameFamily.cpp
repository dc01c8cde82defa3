#include "Refactorings/SymbolRenamer/uRenameFamily.h"

#include "Refactorings/SymbolRenamer/uRenameChecks.h"
#include "Refactorings/SymbolRenamer/uRenameSupport.h"
#include "Refactorings/SymbolRenamer/uSymbolRenamer.h"
#include "Refactorings/uqlRefactoring.h"
#include "base/uqlPathUtils.h"

#include <cctype>
#include <unordered_set>

using namespace SymbolRenamer;

namespace {

const char* const OverrideChain = "Symbol, %s, is part of an override chain; not renamed";
const char* const BareInherited = "Method %s calls the renamed %s through a bare inherited here; not renamed";
const char* const InheritedKeeps = "Method %s calls %s through a bare inherited here, which keeps its name; not renamed";
const char* const InheritedUnknown = "Method %s calls a method of an ancestor the analysis did not find through a bare inherited here; not renamed";
const char* const OutsideSelected = "Method %s lies in unit %s, no source of the project; not renamed";
const char* const OutsideMember = "Method %s must keep the name of %s, which lies in unit %s, no source of the project; not renamed";
const char* const UnknownOverridden = "Method %s overrides a method of an ancestor the analysis did not find; not renamed";
const char* const UnknownImplementer = "Class %s implements %s through a method the analysis did not find; not renamed";
const char* const UnknownInterface = "Method %s may implement a method of %s, an interface the analysis did not find; not renamed";

} // namespace

namespace {

bool IsReservedFollower(std::string_view Word)
{
    static const char* const Words[] = {"end", "else", "until", "except", "finally", "do", "then", "of"};
    for (const char* W : Words)
        if (qlSameName(std::string(Word), W))
            return true;
    return false;
}

} // namespace

namespace SymbolRenamer {

// The methods named Name that Class declares itself.
std::vector<TqlRoutine*> MethodsNamed(TqlClass* Class, const std::string& Name)
{
    std::vector<TqlRoutine*> Found;
    TqlRoutineList* List = Class ? Class->GetRoutines() : nullptr;
    for (int I = 0; List && I < List->GetCount(); ++I)
        if (qlSameName(List->GetRoutine(I)->GetName(), Name))
            Found.push_back(List->GetRoutine(I));
    return Found;
}

// The parameters of A and B are passed alike and are of the same types.
bool SameParameters(TqlRoutine* A, TqlRoutine* B)
{
    TqlParameterList* Pa = A->GetParameters();
    TqlParameterList* Pb = B->GetParameters();
    if (Pa->GetCount() != Pb->GetCount())
        return false;
    for (int I = 0; I < Pa->GetCount(); ++I) {
        TqlParameter* X = Pa->GetParameters(I);
        TqlParameter* Y = Pb->GetParameters(I);
        if (X->GetParamKind() != Y->GetParamKind() || X->GetUntypedParameter() != Y->GetUntypedParameter() ||
            X->GetParamType() != Y->GetParamType() ||
            (!X->GetParamType() && !qlSameName(X->GetWrittenTypeName(), Y->GetWrittenTypeName())))
            return false;
    }
    return true;
}

bool IsOverride(TqlRoutine* Method)
{
    const TRoutineDirectives D = Method->GetDirectives();
    if (D.Contains(rdOverride))
        return true;
    TqlClass* Class = MethodClass(Method);
    if (!D.Contains(rdVirtual) || !dynamic_cast<TqlObject*>(Class))
        return false;
    bool Undecided = false;
    TqlRoutine* Up = MethodAbove(Class->GetInheritsFromClass(), Method, Undecided);
    return Up && SameParameters(Up, Method) &&
           (Up->GetDirectives().Contains(rdVirtual) || Up->GetDirectives().Contains(rdOverride));
}

namespace {

// Method overrides one of several overloads of its name: it or a method it
// overrides is declared overload, or only other overloads lie above it.
bool OverridesOverload(TqlRoutine* Method)
{
    if (!IsOverride(Method))
        return false;
    bool Undecided = false;
    TqlRoutine* Up = MethodAbove(MethodClass(Method)->GetInheritsFromClass(), Method, Undecided);
    if (!Up)
        return Undecided;
    return Up->GetDirectives().Contains(rdOverload) || OverridesOverload(Up);
}

} // namespace

TqlRoutine* MethodAbove(TqlClass* From, TqlRoutine* Like, bool& Undecided)
{
    Undecided = false;
    for (int Depth = 0; From && Depth < 10000; ++Depth, From = From->GetInheritsFromClass()) {
        const std::vector<TqlRoutine*> Named = MethodsNamed(From, Like->GetName());
        TqlRoutine* Same = nullptr;
        int Count = 0;
        for (TqlRoutine* R : Named)
            if (SameParameters(R, Like)) {
                Same = R;
                ++Count;
            }
        if (Count > 1) {
            Undecided = true;
            return nullptr;
        }
        if (Same)
            return Same;
        // One of overloads, though declared without the directive, is the
        // method only for a method of its parameters.
        if (Named.size() == 1 && !Named[0]->GetDirectives().Contains(rdOverload) && !OverridesOverload(Named[0]))
            return Named[0];
        Undecided = Undecided || !Named.empty();
    }
    return nullptr;
}

// The names of the heritage list of the class declared at X, Y of Text
// ("TFoo = class(TBase, IFoo)"), each without the unit before its dot.
std::vector<std::string> HeritageNames(std::string_view Text, int X, int Y)
{
    std::vector<std::string> Names;
    size_t At = OffsetOf(Text, X, Y);
    const size_t N = Text.size();
    if (At == std::string_view::npos)
        return Names;
    auto Blanks = [&] {
        for (;;) {
            while (At < N && std::isspace(static_cast<unsigned char>(Text[At])))
                ++At;
            size_t End = At;
            if (At < N && Text[At] == '{')
                End = Text.find('}', At);
            else if (Text.substr(At, 2) == "(*")
                End = Text.find("*)", At);
            else if (Text.substr(At, 2) == "//")
                End = Text.find_first_of("\r\n", At);
            else
                return;
            At = End == std::string_view::npos ? N : End + 1;
        }
    };
    auto Word = [&] {
        const size_t Start = At;
        while (At < N && (std::isalnum(static_cast<unsigned char>(Text[At])) || Text[At] == '_'))
            ++At;
        return std::string(Text.substr(Start, At - Start));
    };
    Word();
    Blanks();
    if (At >= N || Text[At] != '=')
        return Names;
    ++At;
    Blanks();
    std::string Kind = qlLowerCase(Word());
    if (Kind == "packed") {
        Blanks();
        Kind = qlLowerCase(Word());
    }
    Blanks();
    if ((Kind != "class" && Kind != "object") || At >= N || Text[At] != '(')
        return Names;
    ++At;
    for (;;) {
        Blanks();
        std::string Name = Word();
        Blanks();
        while (!Name.empty() && At < N && Text[At] == '.') {
            ++At;
            Blanks();
            Name = Word();
            Blanks();
        }
        if (Name.empty())
            break;
        Names.push_back(Name);
        if (At >= N || Text[At] != ',')
            break;
        ++At;
    }
    return Names;
}

// A method by its class's name and its own, "TFoo.Run".
std::string MemberName(TqlRoutine* Routine)
{
    TqlClass* Class = MethodClass(Routine);
    return (Class ? Class->GetName() + "." : std::string()) + Routine->GetName();
}

// The interfaces Class lists, each with the interfaces it descends from.
std::vector<TqlInterface*> ImplementedBy(TqlClass* Class)
{
    std::vector<TqlInterface*> Found;
    TqlOwnedInterfaceList* Listed = Class->GetInterfaces();
    for (int I = 0; I < Listed->GetCount(); ++I)
        for (TqlClass* Up = Listed->GetInterfaces(I); Up && Found.size() < 10000; Up = Up->GetInheritsFromClass())
            if (auto* Intf = dynamic_cast<TqlInterface*>(Up);
                Intf && std::find(Found.begin(), Found.end(), Intf) == Found.end())
                Found.push_back(Intf);
    return Found;
}

} // namespace SymbolRenamer

bool TqlSymbolRename::BareInheritedIn(TqlRoutine* Routine, int& X, int& Y)
{
    TqlUnit* Unit = Routine->GetUnitIntf();
    if (!Unit || Routine->GetImplStartY() <= 0)
        return false;
    const std::string& Text = Source(Unit->GetFullFileName());
    std::vector<TWord> Words;
    ScanWords(Text, [&](const TWord& W) {
        if (!Before(W.X, W.Y, Routine->GetImplStartX(), Routine->GetImplStartY()) &&
            !Before(Routine->GetImplEndX(), Routine->GetImplEndY(), W.X, W.Y))
            Words.push_back(W);
    });
    for (size_t I = 0; I < Words.size(); ++I) {
        if (!qlSameName(std::string(Words[I].Text), "inherited"))
            continue;
        size_t After = Words[I].Offset + Words[I].Text.size();
        while (After < Text.size() && std::isspace(static_cast<unsigned char>(Text[After])))
            ++After;
        const bool Named =
            I + 1 < Words.size() && Words[I + 1].Offset == After && !IsReservedFollower(Words[I + 1].Text);
        if (!Named) {
            X = Words[I].X;
            Y = Words[I].Y;
            return true;
        }
    }
    return false;
}

bool TqlSymbolRename::HasResolutionClause(TqlClass* Class, TqlRoutine* Method)
{
    if (Class->GetEndY() <= 0)
        return false;
    // The clause ("procedure IFoo.Run = DoRun;") is a use of the interface's
    // method inside the class's declaration, followed by "=".
    TqlUsedByList* Uses = Method->GetUsedBy();
    for (int I = 0; I < Uses->GetCount(); ++I) {
        TqlUsedByLocation* Use = Uses->GetLocations(I);
        if (Use->GetFileIndex() != Class->GetFileIndex() ||
            Before(Use->GetX(), Use->GetY(), Class->GetX(), Class->GetY()) ||
            Before(Class->GetEndX(), Class->GetEndY(), Use->GetX(), Use->GetY()))
            continue;
        if (CharAfterWord(Source(Class->GetFileName()), Use->GetX(), Use->GetY()) == '=')
            return true;
    }
    return false;
}

bool TqlSymbolRename::CheckFamily()
{
    auto* Selected = qlAsRoutine(FSymbol);
    if (!Selected || !MethodClass(Selected))
        return true;
    auto Refuse = [&](const std::string& Text, TqlSymbol* At) {
        Post(Text, At->GetFileIndex(), At->GetX(), At->GetY());
        return false;
    };
    // A virtual method, its overrides, the interface methods they implement
    // and the methods that implement those: one name, found by walking from
    // each member to the others until no more join.
    std::vector<TqlRoutine*> Members{Selected};
    auto IsMember = [&](TqlRoutine* R) { return std::find(Members.begin(), Members.end(), R) != Members.end(); };
    auto Join = [&](TqlRoutine* R) {
        if (!IsMember(R))
            Members.push_back(R);
    };
    std::vector<TqlClass*> Classes;
    bool Listed = false;
    bool Undecided = false;
    TqlFileNameList* Files = gqlProject->GetFileNames();
    for (size_t I = 0; I < Members.size(); ++I) {
        TqlRoutine* M = Members[I];
        TqlClass* Class = MethodClass(M);
        const TRoutineDirectives D = M->GetDirectives();
        // Each member is renamed in a source of the project; the walk goes
        // no further than one that is not (TObject's descendants are many).
        TqlUnit* Unit = M->GetUnitIntf();
        const int File = Unit ? Unit->GetFileIndex() : -1;
        if (!Unit || Unit->IsLibraryUnit() || qlStandsForRunTimeLibrary(Unit) || File < 0 ||
            File >= Files->GetCount() || !Files->GetItems(File)->Exists) {
            const std::string Where = Unit ? Unit->GetName() : std::string("?");
            return Refuse(M == Selected ? Format2(OutsideSelected, MemberName(M), Where)
                                        : Format3(OutsideMember, MemberName(Selected), MemberName(M), Where),
                          FSymbol);
        }
        // A message handler is found by its message, its inherited call too.
        if (D.Contains(rdMessage))
            return Refuse(qlFormat(OverrideChain, FOldName), FSymbol);
        if (auto* Intf = dynamic_cast<TqlInterface*>(Class)) {
            if (!Listed) {
                TqlUnitList* Units = gqlProject->GetUnits();
                std::unordered_set<TqlClass*> Seen;
                for (int U = 0; U < Units->GetCount(); ++U)
                    ForEachDeclared(Units->GetUnits(U), [&](TqlSymbolContainer*, TqlSymbol* S) {
                        if (auto* C = AsClass(S); C && !dynamic_cast<TqlInterface*>(C) && Seen.insert(C).second)
                            Classes.push_back(C);
                    });
                Listed = true;
            }
            // A class that lists the interface (or one descending from it)
            // implements the method by the method of that name it finds.
            for (TqlClass* K : Classes) {
                const std::vector<TqlInterface*> Implemented = ImplementedBy(K);
                if (std::find(Implemented.begin(), Implemented.end(), Intf) == Implemented.end())
                    continue;
                // A method resolution clause names the method that
                // implements M, whatever its name.
                if (HasResolutionClause(K, M))
                    continue;
                TqlRoutine* By = MethodAbove(K, M, Undecided);
                if (!By)
                    return Refuse(Format2(UnknownImplementer, K->GetName(), MemberName(M)), K);
                Join(By);
            }
            continue;
        }
        // An old-style object overrides by declaring the method virtual
        // again; over an ancestor the analysis did not find, it may.
        if (dynamic_cast<TqlObject*>(Class) && D.Contains(rdVirtual) && !Class->HasKnownAncestry())
            return Refuse(qlFormat(UnknownOverridden, MemberName(M)), M);
        if (IsOverride(M)) {
            TqlRoutine* Up = MethodAbove(Class->GetInheritsFromClass(), M, Undecided);
            if (!Up)
                return Refuse(qlFormat(UnknownOverridden, MemberName(M)), M);
            Join(Up);
        }
        std::vector<TqlClass*> Below = DescendantsOf(Class);
        if (D.Contains(rdVirtual) || D.Contains(rdDynamic) || D.Contains(rdAbstract) || D.Contains(rdOverride))
            for (TqlClass* K : Below)
                for (TqlRoutine* R : MethodsNamed(K, FOldName))
                    if (IsOverride(R) &&
                        MethodAbove(K->GetInheritsFromClass(), R, Undecided) == M)
                        Join(R);
        // The interfaces that this class, or one below it, implements by M.
        Below.insert(Below.begin(), Class);
        for (TqlClass* K : Below) {
            bool Uses = false;
            for (TqlInterface* Intf : ImplementedBy(K))
                for (TqlRoutine* R : MethodsNamed(Intf, FOldName))
                    if (!HasResolutionClause(K, R) && MethodAbove(K, R, Undecided) == M) {
                        Join(R);
                        Uses = true;
                    }
            // A name of its heritage list that the analysis did not find
            // may be an interface with a method of this name.
            if (!Uses && MethodAbove(K, M, Undecided) != M)
                continue;
            const std::vector<std::string> Heritage = HeritageNames(Source(K->GetFileName()), K->GetX(), K->GetY());
            for (size_t H = 1; H < Heritage.size(); ++H)
                if (!K->GetInterfaces()->Find(Heritage[H]))
                    return Refuse(Format2(UnknownInterface, MemberName(M), Heritage[H]), M);
        }
    }
    // A bare inherited calls the method of the caller's name above it: a
    // member's must stay within the family, and one of another method must
    // not reach a member.
    for (TqlRoutine* M : Members) {
        TqlClass* Class = MethodClass(M);
        if (dynamic_cast<TqlInterface*>(Class))
            continue;
        int X = 0, Y = 0;
        if (BareInheritedIn(M, X, Y)) {
            TqlRoutine* Up = MethodAbove(Class->GetInheritsFromClass(), M, Undecided);
            const int File = M->GetUnitIntf()->GetFileIndex();
            if (Up && !IsMember(Up)) {
                Post(Format2(InheritedKeeps, MemberName(M), MemberName(Up)), File, X, Y);
                return false;
            }
            if (!Up && (Undecided || !Class->HasKnownAncestry())) {
                Post(qlFormat(InheritedUnknown, MemberName(M)), File, X, Y);
                return false;
            }
        }
        for (TqlClass* K : DescendantsOf(Class))
            for (TqlRoutine* R : MethodsNamed(K, FOldName)) {
                if (IsMember(R) || !BareInheritedIn(R, X, Y))
                    continue;
                TqlRoutine* Up = MethodAbove(K->GetInheritsFromClass(), R, Undecided);
                if ((Up && IsMember(Up)) || (!Up && Undecided)) {
                    Post(Format2(BareInherited, MemberName(R), FOldName), R->GetUnitIntf()->GetFileIndex(), X, Y);
                    return false;
                }
            }
    }
    FFamily.assign(Members.begin(), Members.end());
    FHomes.clear();
    for (TqlRoutine* M : Members)
        FHomes.push_back(MethodClass(M));
    return true;
}

bool TqlSymbolRename::ForEachMember(const std::function<bool(bool Selected)>& Check)
{
    TqlSymbol* const Symbol = FSymbol;
    TqlSymbol* const Home = FHome;
    bool Ok = true;
    for (TqlSymbol* Member : std::vector<TqlSymbol*>(FFamily)) {
        if (Member != Symbol && !qlAsRoutine(Member))
            continue;
        FSymbol = Member;
        FHome = Member == Symbol ? Home : MethodClass(qlAsRoutine(Member));
        Ok = Check(Member == Symbol);
        if (!Ok)
            break;
    }
    FSymbol = Symbol;
    FHome = Home;
    return Ok;
}
