#include "Refactorings/SymbolRenamer/uRenameSupport.h"

#include <cctype>
#include <set>
#include <unordered_set>

namespace SymbolRenamer {

std::string Format2(const std::string& Pattern, const std::string& A, const std::string& B)
{
    return qlFormat(qlFormat(Pattern, A), B);
}

TqlClass* AsClass(TqlSymbol* Symbol)
{
    return dynamic_cast<TqlClass*>(Symbol);
}

std::string Format3(const std::string& Pattern, const std::string& A, const std::string& B, const std::string& C)
{
    return qlFormat(Format2(Pattern, A, B), C);
}

void ScanWords(std::string_view Text, const std::function<void(const TWord&)>& Visit,
               const std::function<void(std::string_view)>& Directive)
{
    const size_t N = Text.size();
    int Line = 1;
    size_t LineStart = 0;
    char Last = 0, BeforeLast = 0;
    auto Lines = [&](size_t From, size_t To) {
        for (size_t K = From; K < To && K < N; ++K)
            if (Text[K] == '\n' || (Text[K] == '\r' && (K + 1 >= N || Text[K + 1] != '\n'))) {
                ++Line;
                LineStart = K + 1;
            }
    };
    auto IsWordChar = [](char C) { return std::isalnum(static_cast<unsigned char>(C)) || C == '_'; };
    size_t I = 0;
    while (I < N) {
        const char C = Text[I];
        if (C == '{' || (C == '(' && I + 1 < N && Text[I + 1] == '*')) {
            const bool Brace = C == '{';
            size_t End = Brace ? Text.find('}', I + 1) : Text.find("*)", I + 2);
            End = End == std::string_view::npos ? N : End + (Brace ? 1 : 2);
            if (Directive && I + (Brace ? 1 : 2) < N && Text[I + (Brace ? 1 : 2)] == '$')
                Directive(Text.substr(I, End - I));
            Lines(I, End);
            I = End;
        } else if (C == '/' && I + 1 < N && Text[I + 1] == '/') {
            while (I < N && Text[I] != '\n' && Text[I] != '\r')
                ++I;
        } else if (C == '\'') {
            size_t End = I + 1;
            while (End < N && Text[End] != '\'' && Text[End] != '\n' && Text[End] != '\r')
                ++End;
            I = End < N && Text[End] == '\'' ? End + 1 : End;
            BeforeLast = Last;
            Last = '\'';
        } else if (std::isalpha(static_cast<unsigned char>(C)) || C == '_') {
            size_t End = I;
            while (End < N && IsWordChar(Text[End]))
                ++End;
            Visit(TWord{Text.substr(I, End - I), int(I - LineStart) + 1, Line, I,
                        Last == '.' && BeforeLast != '.'});
            BeforeLast = Last;
            Last = 'a';
            I = End;
        } else if (std::isdigit(static_cast<unsigned char>(C)) || C == '$' || C == '#') {
            size_t End = I + 1;
            while (End < N && (IsWordChar(Text[End]) || (C == '#' && Text[End] == '$')))
                ++End;
            BeforeLast = Last;
            Last = '0';
            I = End;
        } else {
            if (C == '\n' || C == '\r')
                Lines(I, I + 1);
            else if (C != ' ' && C != '\t' && C != '&') {
                BeforeLast = Last;
                Last = C;
            }
            ++I;
        }
    }
}

bool HoldsWord(const std::string& Text, const std::string& Name)
{
    bool Holds = false;
    ScanWords(Text, [&](const TWord& W) { Holds = Holds || qlSameName(std::string(W.Text), Name); });
    return Holds;
}

namespace {

// Visits every symbol that Container and the containers inside it declare,
// with the container that declares it.
void ForEachDeclared(TqlSymbolContainer* Container,
                     const std::function<void(TqlSymbolContainer*, TqlSymbol*)>& Visit,
                     std::unordered_set<TqlSymbol*>& Seen, bool Labels)
{
    for (int I = 0; I < Container->GetSymbolCount(); ++I) {
        TqlSymbol* S = Container->GetSymbol(I);
        Visit(Container, S);
        if (auto* Inner = qlAsContainer(S); Inner && Seen.insert(Inner).second)
            ForEachDeclared(Inner, Visit, Seen, Labels);
    }
    // Labels, and a routine's exception handler variables, are not among
    // the members; asking for them makes the lists of a container that has
    // none.
    if (auto* Vars = Labels ? dynamic_cast<TqlVarContainer*>(Container) : nullptr) {
        for (int I = 0; I < Vars->GetLabels()->GetCount(); ++I)
            Visit(Container, Vars->GetLabels()->GetLabels(I));
        if (qlAsRoutine(Container))
            for (int I = 0; I < Vars->GetVariables()->GetCount(); ++I)
                Visit(Container, Vars->GetVariables()->GetVariables(I));
    }
}

void Descendants(TqlClass* Class, std::vector<TqlClass*>& Out, std::set<TqlClass*>& Seen)
{
    TqlList* List = Class->GetDescendants();
    for (int I = 0; List && I < List->GetCount(); ++I) {
        auto* D = static_cast<TqlClass*>(List->GetItem(I));
        if (Seen.insert(D).second) {
            Out.push_back(D);
            Descendants(D, Out, Seen);
        }
    }
}

} // namespace

void ForEachDeclared(TqlUnit* Unit, const std::function<void(TqlSymbolContainer*, TqlSymbol*)>& Visit,
                     bool Labels)
{
    std::unordered_set<TqlSymbol*> Seen{Unit};
    ForEachDeclared(Unit, Visit, Seen, Labels);
}

std::unordered_set<uint64_t> DeclaredPlaces(TqlUnit* Unit, int FileIndex, const std::string& Name)
{
    std::unordered_set<uint64_t> Places;
    ForEachDeclared(
        Unit,
        [&](TqlSymbolContainer*, TqlSymbol* S) {
            if (S->GetFileIndex() == FileIndex && qlSameName(S->GetName(), Name))
                Places.insert(qlPointKey(S->GetX(), S->GetY()));
        },
        true);
    return Places;
}

// The scope that declares Symbol: its routine, class, record or unit (an
// enumeration's items belong to the scope around the enumeration).
TqlSymbol* HomeOf(TqlSymbol* Symbol)
{
    TqlUnit* Unit = Symbol->GetUnitIntf();
    if (!Unit || dynamic_cast<TqlUnit*>(Symbol))
        return nullptr;
    TqlSymbol* Home = nullptr;
    auto Find = [&](TqlSymbolContainer* Owner, TqlSymbol* S) {
        if (S == Symbol && (!Home || dynamic_cast<TqlEnumerationMemberContainer*>(Home)))
            Home = Owner;
    };
    ForEachDeclared(Unit, Find);
    if (!Home)
        ForEachDeclared(Unit, Find, true);
    return Home;
}

std::vector<TqlClass*> DescendantsOf(TqlClass* Class)
{
    std::vector<TqlClass*> Below;
    std::set<TqlClass*> Seen{Class};
    Descendants(Class, Below, Seen);
    return Below;
}

bool Before(int X1, int Y1, int X2, int Y2)
{
    return Y1 < Y2 || (Y1 == Y2 && X1 < X2);
}

// X, Y lies in the body of Routine, where its own declarations are seen.
bool InBody(TqlRoutine* Routine, int X, int Y)
{
    return Routine->GetImplStartY() > 0 && !Before(X, Y, Routine->GetImplStartX(), Routine->GetImplStartY()) &&
           !Before(Routine->GetImplEndX(), Routine->GetImplEndY(), X, Y);
}

// The class whose method Routine is, nil for a plain routine.
TqlClass* MethodClass(TqlRoutine* Routine)
{
    TqlRoutineList* List = Routine->GetRoutineList();
    return List ? AsClass(List->GetContainer()) : nullptr;
}

// The offset of 1-based column X on line Y of Text; npos past its end.
size_t OffsetOf(std::string_view Text, int X, int Y)
{
    size_t At = 0;
    for (int Line = 1; Line < Y; ++Line) {
        const size_t Break = Text.find_first_of("\r\n", At);
        if (Break == std::string_view::npos)
            return std::string_view::npos;
        At = Break + (Text[Break] == '\r' && Break + 1 < Text.size() && Text[Break + 1] == '\n' ? 2 : 1);
    }
    At += size_t(X - 1);
    return At <= Text.size() ? At : std::string_view::npos;
}

} // namespace SymbolRenamer
