#include "Refactorings/SymbolRenamer/uSymbolRenamer.h"

#include "Refactorings/Common/uqlWithTypes.h"
#include "Refactorings/uqlRefactoring.h"
#include "base/qlFileLimits.h"
#include "base/uqlPathUtils.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <set>
#include <unordered_set>

namespace {

const char* const InvalidName = "Identifier, %s, is not a valid name";
const char* const OverrideChain = "Symbol, %s, is part of an override chain; not renamed";
const char* const NoSource = "Symbol, %s, has no source to change";
const char* const NotChanged = "Symbol, %s, is used in %s, which is not changed";
const char* const Unrecorded = "Name, %s, occurs here where the analysis recorded no use of it (code under an inactive conditional branch?); not renamed";
const char* const Unfinished = "Unit, %s, was not analysed to its end and names %s; not renamed";
const char* const Ambiguous = "Call of %s here could not be bound to one overload; not renamed";
const char* const Redeclared = "Property, %s, is redeclared in %s; not renamed";
const char* const BareInherited = "Method %s calls the renamed %s through a bare inherited here; not renamed";
const char* const InheritedKeeps = "Method %s calls %s through a bare inherited here, which keeps its name; not renamed";
const char* const InheritedUnknown = "Method %s calls a method of an ancestor the analysis did not find through a bare inherited here; not renamed";
const char* const OutsideSelected = "Method %s lies in unit %s, no source of the project; not renamed";
const char* const OutsideMember = "Method %s must keep the name of %s, which lies in unit %s, no source of the project; not renamed";
const char* const UnknownOverridden = "Method %s overrides a method of an ancestor the analysis did not find; not renamed";
const char* const UnknownImplementer = "Class %s implements %s through a method the analysis did not find; not renamed";
const char* const UnknownInterface = "Method %s may implement a method of %s, an interface the analysis did not find; not renamed";
const char* const Hidden = "Name, %s, already stands for %s where %s is used here; not renamed";
const char* const Hides = "Name, %s, stands here for another symbol, which the renamed %s would hide; not renamed";
const char* const Overloaded = "Symbol, %s, is overloaded and the analysis did not tie its declaration and implementation together; not renamed";
const char* const OverloadParameter = "Symbol, %s, is a parameter of the overloaded routine %s, whose implementation heading repeats it apart from the analysis; not renamed";
const char* const Inherits = "Property, %s, redeclares an inherited property, which keeps its name; not renamed";
const char* const ImplicitResult = "Symbol, %s, is the result of function %s, which no declaration names; not renamed";
const char* const TakesUnresolvedName = "Name, %s, is used here for a symbol the analysis could not resolve, whose place the renamed %s would take; not renamed";
const char* const WrittenInForm = "Property, %s, is written for %s in %s; the form would no longer load; not renamed";
const char* const MayBeWrittenInForm = "Property, %s, may be written for %s in %s, whose class the analysis cannot tell; not renamed";
const char* const FormNotFollowed = "Name, %s, occurs in form file %s, which the renamer cannot follow; not renamed";
const char* const UnknownWith = "Name, %s, may be a member of the type of an enclosing with statement here, which the analysis does not know; not renamed";

std::string Format2(const std::string& Pattern, const std::string& A, const std::string& B)
{
    return qlFormat(qlFormat(Pattern, A), B);
}

TqlClass* AsClass(TqlSymbol* Symbol)
{
    return dynamic_cast<TqlClass*>(Symbol);
}

// One word of Pascal source: its text, 1-based column and line, its offset
// and whether a "." (not "..") precedes it.
struct TWord {
    std::string_view Text;
    int X;
    int Y;
    size_t Offset;
    bool Qualified;
};

// The identifiers of Pascal source Text outside comments, strings and
// directives, in order; Directive gets the text of each compiler directive.
void ScanWords(std::string_view Text, const std::function<void(const TWord&)>& Visit,
               const std::function<void(std::string_view)>& Directive = {})
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

// One property written in a text form: the object block it stands in, the
// collection properties whose items hold it (outermost first), its dotted
// name and the line of that name.
struct TFormProperty {
    std::string_view Object;
    std::string_view Class;
    std::vector<std::vector<std::string_view>> Collections;
    std::vector<std::string_view> Path;
    int Line;
};

// Reads the text form of a form file as the streaming system does and
// visits each property written in it; false when the text is not a form
// it can follow.
class TFormScanner {
public:
    TFormScanner(std::string_view Text, std::function<void(const TFormProperty&)> Visit)
        : FText(Text), FVisit(std::move(Visit))
    {
    }

    bool Run()
    {
        Next();
        if (!IsWord("object") && !IsWord("inherited") && !IsWord("inline"))
            return false;
        return Block(0) && FKind == kEnd;
    }

private:
    enum TKind { kEnd, kWord, kString, kNumber, kBinary, kSymbol, kBad };

    void Next()
    {
        const size_t N = FText.size();
        while (FAt < N && std::isspace(static_cast<unsigned char>(FText[FAt]))) {
            CountLine(FAt);
            ++FAt;
        }
        FTokenLine = FLine;
        const size_t Start = FAt;
        if (FAt >= N) {
            FKind = kEnd;
        } else if (const char C = FText[FAt]; std::isalpha(static_cast<unsigned char>(C)) || C == '_') {
            while (FAt < N && (std::isalnum(static_cast<unsigned char>(FText[FAt])) || FText[FAt] == '_'))
                ++FAt;
            FKind = kWord;
        } else if (C == '\'' || C == '#') {
            // Quoted parts and character codes, written together.
            FKind = kString;
            while (FAt < N && (FText[FAt] == '\'' || FText[FAt] == '#')) {
                if (FText[FAt] == '#') {
                    ++FAt;
                    while (FAt < N && (std::isalnum(static_cast<unsigned char>(FText[FAt])) || FText[FAt] == '$'))
                        ++FAt;
                    continue;
                }
                for (++FAt;; ++FAt) {
                    if (FAt >= N || FText[FAt] == '\n' || FText[FAt] == '\r') {
                        FKind = kBad;
                        return;
                    }
                    if (FText[FAt] == '\'') {
                        if (FAt + 1 < N && FText[FAt + 1] == '\'') {
                            ++FAt;
                            continue;
                        }
                        ++FAt;
                        break;
                    }
                }
            }
        } else if (std::isdigit(static_cast<unsigned char>(C)) || C == '$' ||
                   ((C == '-' || C == '+') && FAt + 1 < N && std::isdigit(static_cast<unsigned char>(FText[FAt + 1])))) {
            ++FAt;
            while (FAt < N && (std::isalnum(static_cast<unsigned char>(FText[FAt])) || FText[FAt] == '.' ||
                               ((FText[FAt] == '+' || FText[FAt] == '-') &&
                                (FText[FAt - 1] == 'e' || FText[FAt - 1] == 'E'))))
                ++FAt;
            FKind = kNumber;
        } else if (C == '{') {
            const size_t End = FText.find('}', FAt);
            if (End == std::string_view::npos) {
                FKind = kBad;
                return;
            }
            for (size_t K = FAt; K < End; ++K)
                CountLine(K);
            FAt = End + 1;
            FKind = kBinary;
        } else {
            ++FAt;
            FKind = kSymbol;
        }
        FToken = FText.substr(Start, FAt - Start);
    }
    // A line ends at At: LF, CR LF or a CR alone.
    void CountLine(size_t At)
    {
        if (FText[At] == '\n' || (FText[At] == '\r' && (At + 1 >= FText.size() || FText[At + 1] != '\n')))
            ++FLine;
    }
    bool IsWord(const char* Word) const { return FKind == kWord && qlSameName(std::string(FToken), Word); }
    bool IsSymbol(char C) const { return FKind == kSymbol && FToken[0] == C; }

    // An object block, its "object", "inherited" or "inline" current.
    bool Block(int Depth)
    {
        if (Depth > TqlDFMResource::MaxNesting)
            return false;
        Next();
        if (FKind != kWord)
            return false;
        std::string_view Name, Class = FToken;
        Next();
        if (IsSymbol(':')) {
            Next();
            if (FKind != kWord)
                return false;
            Name = Class;
            Class = FToken;
            Next();
        }
        if (IsSymbol('[')) {
            Next();
            if (FKind != kNumber)
                return false;
            Next();
            if (!IsSymbol(']'))
                return false;
            Next();
        }
        std::vector<std::vector<std::string_view>> Items;
        while (FKind == kWord && !IsWord("end") && !IsWord("object") && !IsWord("inherited") && !IsWord("inline"))
            if (!Property(Name, Class, Items, Depth))
                return false;
        while (IsWord("object") || IsWord("inherited") || IsWord("inline"))
            if (!Block(Depth + 1))
                return false;
        if (!IsWord("end"))
            return false;
        Next();
        return true;
    }

    // Tokens of Kind joined by Sep ("A.B.C", "'x' + 'y'"), the first one
    // current; Parts gets each.
    bool Joined(char Sep, TKind Kind, std::vector<std::string_view>* Parts = nullptr)
    {
        for (;;) {
            if (FKind != Kind)
                return false;
            if (Parts)
                Parts->push_back(FToken);
            Next();
            if (!IsSymbol(Sep))
                return true;
            Next();
        }
    }

    // Name[.Name...] = value, the first name current.
    bool Property(std::string_view Object, std::string_view Class,
                  std::vector<std::vector<std::string_view>>& Items, int Depth)
    {
        TFormProperty P{Object, Class, Items, {}, FTokenLine};
        if (!Joined('.', kWord, &P.Path) || !IsSymbol('='))
            return false;
        FVisit(P);
        Next();
        return Value(Object, Class, Items, P.Path, Depth);
    }

    bool Value(std::string_view Object, std::string_view Class, std::vector<std::vector<std::string_view>>& Items,
               const std::vector<std::string_view>& Path, int Depth)
    {
        if (Depth > TqlDFMResource::MaxNesting)
            return false;
        switch (FKind) {
        case kString:
            return Joined('+', kString);
        case kNumber:
        case kBinary:
            Next();
            return true;
        case kWord:
            return Joined('.', kWord);
        case kSymbol:
            break;
        default:
            return false;
        }
        if (IsSymbol('(')) {
            Next();
            while (!IsSymbol(')'))
                if (FKind == kEnd || !Value(Object, Class, Items, Path, Depth + 1))
                    return false;
            Next();
            return true;
        }
        if (IsSymbol('[')) {
            Next();
            while (!IsSymbol(']')) {
                if (FKind != kWord && FKind != kNumber && !IsSymbol(','))
                    return false;
                Next();
            }
            Next();
            return true;
        }
        if (IsSymbol('<')) {
            Items.push_back(Path);
            Next();
            while (IsWord("item")) {
                Next();
                while (FKind == kWord && !IsWord("end"))
                    if (!Property(Object, Class, Items, Depth + 1))
                        return false;
                if (!IsWord("end"))
                    return false;
                Next();
            }
            Items.pop_back();
            if (!IsSymbol('>'))
                return false;
            Next();
            return true;
        }
        return false;
    }

    std::string_view FText;
    std::function<void(const TFormProperty&)> FVisit;
    size_t FAt = 0;
    int FLine = 1;
    int FTokenLine = 1;
    TKind FKind = kEnd;
    std::string_view FToken;
};

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

void ForEachDeclared(TqlUnit* Unit, const std::function<void(TqlSymbolContainer*, TqlSymbol*)>& Visit,
                     bool Labels = false)
{
    std::unordered_set<TqlSymbol*> Seen{Unit};
    ForEachDeclared(Unit, Visit, Seen, Labels);
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

// One scope of a place, innermost first: a with statement's type, a
// routine, a class, a unit.
struct TScope {
    TqlSymbol* Container;
    TqlClass* Class;
};

// The routines with a body in Unit's own file, by where their bodies start.
std::vector<TqlRoutine*> BodiesOf(TqlUnit* Unit)
{
    std::vector<TqlRoutine*> Bodies;
    ForEachDeclared(Unit, [&](TqlSymbolContainer*, TqlSymbol* S) {
        if (auto* R = qlAsRoutine(S); R && R->GetImplStartY() > 0 && R->GetImplEndY() > 0)
            Bodies.push_back(R);
    });
    std::sort(Bodies.begin(), Bodies.end());
    Bodies.erase(std::unique(Bodies.begin(), Bodies.end()), Bodies.end());
    return Bodies;
}

// The class whose method Routine is, nil for a plain routine.
TqlClass* MethodClass(TqlRoutine* Routine)
{
    TqlRoutineList* List = Routine->GetRoutineList();
    return List ? AsClass(List->GetContainer()) : nullptr;
}

// Home lies in Scope: it is the scope, or a class Scope derives from.
bool Reaches(const TScope& Scope, TqlSymbol* Home)
{
    if (Scope.Container == Home)
        return true;
    auto* Class = AsClass(Scope.Container);
    for (int Depth = 0; Class && Depth < 1000; ++Depth, Class = Class->GetInheritsFromClass())
        if (Class == Home)
            return true;
    return false;
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

// The first character after the word at X, Y that is no blank; 0 at the end.
char CharAfterWord(std::string_view Text, int X, int Y)
{
    size_t At = OffsetOf(Text, X, Y);
    while (At < Text.size() && (std::isalnum(static_cast<unsigned char>(Text[At])) || Text[At] == '_'))
        ++At;
    while (At < Text.size() && std::isspace(static_cast<unsigned char>(Text[At])))
        ++At;
    return At < Text.size() ? Text[At] : 0;
}

// The word before the one at X, Y, skipping a class name and its dot (the
// "function" of "function TFoo.Get").
std::string WordBefore(std::string_view Text, int X, int Y)
{
    size_t At = OffsetOf(Text, X, Y);
    auto Back = [&] {
        while (At > 0 && std::isspace(static_cast<unsigned char>(Text[At - 1])))
            --At;
        const size_t End = At;
        while (At > 0 && (std::isalnum(static_cast<unsigned char>(Text[At - 1])) || Text[At - 1] == '_'))
            --At;
        return std::string(Text.substr(At, End - At));
    };
    if (At == std::string_view::npos)
        return "";
    std::string Word = Back();
    if (Word.empty() && At > 0 && Text[At - 1] == '.') {
        --At;
        Back();
        Word = Back();
    }
    return qlLowerCase(Word);
}

// The routine heading at X, Y ends in the directive "forward".
bool IsForwardHeading(std::string_view Text, int X, int Y)
{
    size_t At = OffsetOf(Text, X, Y);
    if (At == std::string_view::npos)
        return false;
    // Past the parameters, then each "; directive" in turn.
    int Depth = 0;
    for (; At < Text.size(); ++At) {
        if (Text[At] == '(')
            ++Depth;
        else if (Text[At] == ')')
            --Depth;
        else if (Text[At] == ';' && Depth <= 0)
            break;
    }
    static const char* const Directives[] = {"overload", "cdecl", "stdcall", "register", "pascal", "safecall",
                                             "inline", "export", "far", "near", "assembler", "platform",
                                             "deprecated", "library", "experimental", "local"};
    while (At < Text.size() && Text[At] == ';') {
        ++At;
        while (At < Text.size() && std::isspace(static_cast<unsigned char>(Text[At])))
            ++At;
        size_t End = At;
        while (End < Text.size() && (std::isalnum(static_cast<unsigned char>(Text[End])) || Text[End] == '_'))
            ++End;
        const std::string Word = qlLowerCase(std::string(Text.substr(At, End - At)));
        if (Word == "forward")
            return true;
        if (std::find(std::begin(Directives), std::end(Directives), Word) == std::end(Directives))
            return false;
        At = Text.find(';', End);
        if (At == std::string_view::npos)
            return false;
    }
    return false;
}

bool IsHeadingWord(const std::string& Word)
{
    return Word == "procedure" || Word == "function" || Word == "constructor" || Word == "destructor" ||
           Word == "operator";
}

bool IsReservedFollower(std::string_view Word)
{
    static const char* const Words[] = {"end", "else", "until", "except", "finally", "do", "then", "of"};
    for (const char* W : Words)
        if (qlSameName(std::string(Word), W))
            return true;
    return false;
}

} // namespace

TqlSymbolRename::TqlSymbolRename(TqlSymbol* Symbol, std::string NewName, TqlTreeOpener Open,
                                 TqlLocatedMessageSink Sink)
    : FSymbol(Symbol), FOldName(Symbol->GetName()), FNewName(std::move(NewName)),
      FOpen(std::move(Open)), FSink(std::move(Sink))
{
}

bool TqlSymbolRename::IsValidName(const std::string& Name)
{
    static const std::set<std::string> Reserved = {
        "and", "array", "as", "asm", "begin", "case", "class", "const", "constructor",
        "destructor", "dispinterface", "div", "do", "downto", "else", "end", "except", "exports",
        "file", "finalization", "finally", "for", "function", "goto", "if", "implementation", "in",
        "inherited", "initialization", "inline", "interface", "is", "label", "library", "mod",
        "nil", "not", "object", "of", "or", "out", "packed", "procedure", "program", "property",
        "raise", "record", "repeat", "resourcestring", "set", "shl", "shr", "string", "then",
        "threadvar", "to", "try", "type", "unit", "until", "uses", "var", "while", "with", "xor"};
    if (Name.empty() || Name.size() > 255)
        return false;
    if (!(std::isalpha(static_cast<unsigned char>(Name[0])) || Name[0] == '_'))
        return false;
    for (char C : Name)
        if (!(std::isalnum(static_cast<unsigned char>(C)) || C == '_') ||
            static_cast<unsigned char>(C) >= 0x80)
            return false;
    return Reserved.count(qlLowerCase(Name)) == 0;
}

std::string TqlSymbolRename::RenamePath(const std::string& Literal, const std::string& OldName,
                                        const std::string& NewName)
{
    const size_t Slash = Literal.find_last_of("\\/");
    const size_t Start = Slash == std::string::npos ? (Literal.empty() || Literal[0] != '\'' ? 0 : 1)
                                                    : Slash + 1;
    size_t End = Start;
    while (End < Literal.size() && Literal[End] != '.' && Literal[End] != '\'')
        ++End;
    if (!qlSameName(Literal.substr(Start, End - Start), OldName))
        return Literal;
    return Literal.substr(0, Start) + NewName + Literal.substr(End);
}

const std::string& TqlSymbolRename::Source(const std::string& FileName)
{
    auto [It, Added] = FSources.try_emplace(FileName);
    if (Added) {
        // A file that cannot be read (gone, too large, not a regular file)
        // holds no word.
        std::string Why;
        if (qlReadLimitedFile(FileName, qlMaxSourceFileSize, It->second, Why) != TqlFileProblem::None)
            It->second.clear();
        // A UTF-8 byte-order mark takes no column for the lexer: dropped
        // here, the words of the first line lie where the analysis put them.
        if (It->second.compare(0, 3, "\xEF\xBB\xBF") == 0)
            It->second.erase(0, 3);
    }
    return It->second;
}

bool TqlSymbolRename::SortPlace(int FileIndex, int X, int Y)
{
    TqlSourceFile* File =
        FileIndex >= 0 && FileIndex < gqlProject->GetFileNames()->GetCount()
            ? gqlProject->GetFileNames()->GetItems(FileIndex)
            : nullptr;
    TqlUnit* Unit = File ? File->GetUnitIntf() : nullptr;
    if (!File || !Unit || !File->Exists) {
        Post(qlFormat(NoSource, FOldName), FileIndex, X, Y);
        return false;
    }
    if (Unit->GetFileIndex() != FileIndex) {
        // An include or form file: the rename would not reach it.
        Post(Format2("Symbol, %s, is used in %s, which is not changed", FOldName,
                     File->GetFullFileName()),
             FileIndex, X, Y);
        return false;
    }
    auto [It, New] = FPlaces.try_emplace(Unit);
    if (New)
        FUnits.push_back(Unit);
    const uint64_t Key = qlPointKey(X, Y);
    if (std::find(It->second.begin(), It->second.end(), Key) == It->second.end())
        It->second.push_back(Key);
    return true;
}

bool TqlSymbolRename::RenameIn(TqlUnit* Unit)
{
    auto It = FPlaces.find(Unit);
    if (It == FPlaces.end())
        return true;
    const std::unordered_set<uint64_t> Wanted(It->second.begin(), It->second.end());
    TqlModuleNode* Tree = FOpen(Unit);
    auto Report = [&](const std::string& Text, uint64_t Key) {
        Post(Text, Unit->GetFileIndex(), int(Key & 0xffffffffu), int(Key >> 32));
    };
    if (!Tree) {
        for (uint64_t Key : It->second)
            Report(qlFormat(NoSource, FOldName), Key);
        return FOk = false;
    }
    // One walk finds the leaves at all the unit's places.
    const TqlLeafIndex Index(Tree, Wanted);
    std::vector<TqlTokenNode*> Tokens;
    bool Mapped = true;
    for (uint64_t Key : It->second) {
        TqlCodeNode* Leaf = Index.FindUnchanged(int(Key & 0xffffffffu), int(Key >> 32));
        auto* Token = dynamic_cast<TqlTokenNode*>(Leaf);
        if (!Token || Token->TokenKind() != ptIdentifier || !qlSameName(Token->Code(), FOldName)) {
            const std::string File = std::filesystem::path(Unit->GetFullFileName()).filename().string();
            Report(Format2("Symbol, %s, has a use with no name token at " +
                               std::to_string(int(Key >> 32)) + ":" + std::to_string(int(Key & 0xffffffffu)) +
                               " of %s",
                           FOldName, File),
                   Key);
            Mapped = false;
        } else if (std::find(Tokens.begin(), Tokens.end(), Token) == Tokens.end()) {
            Tokens.push_back(Token);
        }
    }
    Mapped = Mapped && CheckScopes(Unit, Tree, Tokens);
    FOk = FOk && Mapped;
    if (FOk)
        for (TqlTokenNode* Token : Tokens)
            Rename(Token);
    return Mapped;
}

bool TqlSymbolRename::CheckKind()
{
    const int File = FSymbol->GetFileIndex();
    const int X = FSymbol->GetX(), Y = FSymbol->GetY();
    if (auto* Function = qlAsRoutine(FHome);
        Function && (FSymbol == Function->GetReturnType() || FSymbol == Function->GetRoutineType())) {
        Post(Format2(ImplicitResult, FOldName, Function->GetName()), File, X, Y);
        return false;
    }
    // Overloads: the analysis must have tied each declaration to its own
    // implementation; a parameter repeated in a heading apart from the
    // declaration is not seen as the same.
    auto Siblings = [](TqlSymbol* Home, TqlSymbol* Routine) {
        auto* C = qlAsContainer(Home);
        int Count = 0;
        for (int I = 0; C && I < C->GetSymbolCount(); ++I)
            Count += C->GetSymbol(I) != Routine && qlAsRoutine(C->GetSymbol(I)) &&
                     qlSameName(C->GetSymbol(I)->GetName(), Routine->GetName());
        return Count;
    };
    auto Headings = [](TqlSymbol* Routine, const std::string& Text) {
        int Count = IsHeadingWord(WordBefore(Text, Routine->GetX(), Routine->GetY())) ? 1 : 0;
        TqlUsedByList* Uses = Routine->GetUsedBy();
        for (int I = 0; I < Uses->GetCount(); ++I) {
            TqlUsedByLocation* Use = Uses->GetLocations(I);
            Count += Use->GetFileIndex() == Routine->GetFileIndex() &&
                     IsHeadingWord(WordBefore(Text, Use->GetX(), Use->GetY()));
        }
        return Count;
    };
    // Untied: more headings than a declaration and its implementation, or
    // none of the bodies.
    auto Untied = [&](TqlRoutine* Routine, int Count) {
        return Count > 2 || (Routine->GetImplStartY() <= 0 && !Routine->GetDirectives().Contains(rdExternal) &&
                             !Routine->GetDirectives().Contains(rdAbstract) &&
                             !dynamic_cast<TqlInterface*>(MethodClass(Routine)));
    };
    // A routine declared with its body (in a program, an implementation
    // section or another routine) has no heading elsewhere unless declared
    // "forward": one the analysis tied to it is another routine's.
    if (auto* Routine = qlAsRoutine(FSymbol); Routine && !MethodClass(Routine)) {
        TqlUnit* Unit = Routine->GetUnitIntf();
        const std::string Ext = qlLowerCase(std::filesystem::path(Routine->GetFileName()).extension().string());
        const bool WithBody = Unit && (Ext == ".dpr" || Ext == ".dpk" || Unit->GetImplementationLine() <= 0 ||
                                       Routine->GetY() >= Unit->GetImplementationLine());
        bool Repeated = false;
        TqlUsedByList* Uses = Routine->GetUsedBy();
        for (int I = 0; I < Uses->GetCount() && !Repeated; ++I)
            Repeated = Uses->GetLocations(I)->GetIsHeading();
        if (WithBody && Repeated && !IsForwardHeading(Source(Routine->GetFileName()), X, Y)) {
            Post(qlFormat(Overloaded, FOldName), File, X, Y);
            return false;
        }
    }
    if (auto* Routine = qlAsRoutine(FSymbol); Routine && FHome && Siblings(FHome, Routine) > 0) {
        if (Untied(Routine, Headings(Routine, Source(FSymbol->GetFileName())))) {
            Post(qlFormat(Overloaded, FOldName), File, X, Y);
            return false;
        }
    }
    if (auto* Routine = qlAsRoutine(FHome); Routine && qlAsParameter(FSymbol)) {
        TqlRoutineList* List = Routine->GetRoutineList();
        const int Count = Headings(Routine, Source(Routine->GetFileName()));
        // Tied when the analysis saw the parameter repeated in the heading.
        bool Repeated = false;
        TqlUsedByList* Uses = FSymbol->GetUsedBy();
        for (int I = 0; I < Uses->GetCount() && !Repeated; ++I)
            Repeated = Uses->GetLocations(I)->GetIsHeading();
        if (List && List->GetContainer() && Siblings(List->GetContainer(), Routine) > 0 &&
            ((Count > 1 && !Repeated) || Untied(Routine, Count))) {
            Post(Format2(OverloadParameter, FOldName, Routine->GetName()), File, X, Y);
            return false;
        }
    }
    if (auto* Property = qlAsProperty(FSymbol); Property && Property->GetOwnerClass()) {
        // A property redeclared in descendants ("property Name;") is one
        // name: the first declaration and every redeclaration change.
        TqlProperty* Root = Property;
        for (int Depth = 0; Root->GetRedeclaredProperty() && Depth < 10000; ++Depth)
            Root = Root->GetRedeclaredProperty();
        // "property Name;" of an ancestor the analysis does not know.
        const char Next = CharAfterWord(Source(Root->GetFileName()), Root->GetX(), Root->GetY());
        if (Next != ':' && Next != '[') {
            Post(qlFormat(Inherits, FOldName), File, X, Y);
            return false;
        }
        FFamily = {Root};
        for (TqlClass* Below : DescendantsOf(Root->GetOwnerClass())) {
            TqlProperty* Same = Below->GetProperties() ? Below->GetProperties()->Find(FOldName) : nullptr;
            if (!Same)
                continue;
            TqlProperty* Up = Same;
            for (int Depth = 0; Up && Up != Root && Depth < 10000; ++Depth)
                Up = Up->GetRedeclaredProperty();
            if (Up != Root) {
                // A property of the same name that is not a redeclaration
                // hides this one in the descendant.
                Post(Format2(Redeclared, FOldName, Below->GetName()), File, X, Y);
                return false;
            }
            FFamily.push_back(Same);
        }
        if (std::find(FFamily.begin(), FFamily.end(), FSymbol) == FFamily.end()) {
            Post(Format2(Redeclared, FOldName, Property->GetOwnerClass()->GetName()), File, X, Y);
            return false;
        }
        if (Root != FSymbol)
            FHome = HomeOf(Root);
    }
    return true;
}

namespace {

std::string Format3(const std::string& Pattern, const std::string& A, const std::string& B, const std::string& C)
{
    return qlFormat(Format2(Pattern, A, B), C);
}

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

// The method that a method like Like overrides, implements or calls by a
// bare inherited, looked for from class From up its ancestors: at the first
// class that declares the name, the one with Like's parameters, or the only
// one when it is not overloaded. Nil when no known class has it; Undecided
// when several have Like's parameters or only other overloads were met.
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
        if (Named.size() == 1 && !Named[0]->GetDirectives().Contains(rdOverload))
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
    if (Kind != "class" || At >= N || Text[At] != '(')
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

} // namespace

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
        if (!Unit || Unit->IsLibraryUnit() || TqlRefactoring::StandsForRunTimeLibrary(Unit) || File < 0 ||
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
                TqlRoutine* By = MethodAbove(K, M, Undecided);
                if (!By)
                    return Refuse(Format2(UnknownImplementer, K->GetName(), MemberName(M)), K);
                Join(By);
            }
            continue;
        }
        if (D.Contains(rdOverride)) {
            TqlRoutine* Up = MethodAbove(Class->GetInheritsFromClass(), M, Undecided);
            if (!Up)
                return Refuse(qlFormat(UnknownOverridden, MemberName(M)), M);
            Join(Up);
        }
        std::vector<TqlClass*> Below = DescendantsOf(Class);
        if (D.Contains(rdVirtual) || D.Contains(rdDynamic) || D.Contains(rdAbstract) || D.Contains(rdOverride))
            for (TqlClass* K : Below)
                for (TqlRoutine* R : MethodsNamed(K, FOldName))
                    if (R->GetDirectives().Contains(rdOverride) &&
                        MethodAbove(K->GetInheritsFromClass(), R, Undecided) == M)
                        Join(R);
        // The interfaces that this class, or one below it, implements by M.
        Below.insert(Below.begin(), Class);
        for (TqlClass* K : Below) {
            bool Uses = false;
            for (TqlInterface* Intf : ImplementedBy(K))
                for (TqlRoutine* R : MethodsNamed(Intf, FOldName))
                    if (MethodAbove(K, R, Undecided) == M) {
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
            if (!Up && (Undecided || !qlHasKnownAncestry(Class))) {
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

bool TqlSymbolRename::CheckClashes()
{
    const int File = FSymbol->GetFileIndex();
    const int X = FSymbol->GetX(), Y = FSymbol->GetY();
    if (qlSameName(FOldName, FNewName))
        return true;
    auto Clash = [&](const std::string& Where) {
        Post(Format2("Name, %s, is already declared in %s", FNewName, Where), File, X, Y);
        return false;
    };
    if (auto* Unit = dynamic_cast<TqlUnit*>(FSymbol)) {
        if (TqlUnit* Other = gqlProject->GetUnits()->FindUnit(FNewName); Other && Other != Unit)
            return Clash("the project");
        const std::filesystem::path Dir = std::filesystem::path(Unit->GetFullFileName()).parent_path();
        std::error_code Ec;
        for (const auto& E : std::filesystem::directory_iterator(Dir, Ec))
            if (qlSameName(E.path().stem().string(), FNewName))
                return Clash(Dir.string());
        return true;
    }
    TqlUnit* Unit = FSymbol->GetUnitIntf();
    if (!Unit || !FHome)
        return true;
    TqlSymbol* Found = FHome->FindSymbol(Unit, AsClass(FHome), FNewName);
    if (Found && Found != FSymbol)
        return Clash(FHome->GetName());
    if (TqlClass* Class = AsClass(FHome))
        for (TqlClass* D : DescendantsOf(Class))
            if (TqlSymbol* F = D->FindSymbol(Unit, D, FNewName); F && F != FSymbol)
                return Clash(D->GetName());
    return true;
}

bool TqlSymbolRename::CheckWordsInFile(TqlUnit* Unit, int FileIndex, bool Changed, const std::string& Text)
{
    TqlSourceFile* File = gqlProject->GetFileNames()->GetItems(FileIndex);
    // The words of the old name that no planned edit covers.
    const auto Planned = FPlaces.find(Unit);
    std::unordered_set<uint64_t> Edits;
    if (Changed && Planned != FPlaces.end())
        Edits.insert(Planned->second.begin(), Planned->second.end());
    std::vector<TWord> Left;
    ScanWords(Text, [&](const TWord& W) {
        if (qlSameName(std::string(W.Text), FOldName) && !Edits.count(qlPointKey(W.X, W.Y)))
            Left.push_back(W);
    });
    if (Left.empty())
        return true;
    // They must be what the analysis recorded in this file: declarations
    // and uses of other symbols.
    std::unordered_set<uint64_t> Known;
    TqlUnit* Owner = File->GetUnitIntf() ? File->GetUnitIntf() : Unit;
    if (TqlList* Uses = Owner->GetUsedByLocations())
        for (int I = 0; I < Uses->GetCount(); ++I) {
            auto* Use = static_cast<TqlUsedByLocation*>(Uses->GetItem(I));
            if (Use->GetFileIndex() == FileIndex && !IsRenamed(Use->GetUsedByList()->GetSymbol()))
                Known.insert(qlPointKey(Use->GetX(), Use->GetY()));
        }
    ForEachDeclared(
        Owner,
        [&](TqlSymbolContainer*, TqlSymbol* S) {
            if (!IsRenamed(S) && S->GetFileIndex() == FileIndex && qlSameName(S->GetName(), FOldName))
                Known.insert(qlPointKey(S->GetX(), S->GetY()));
        },
        dynamic_cast<TqlLabel*>(FSymbol) != nullptr);
    for (const TWord& W : Left)
        if (!Known.count(qlPointKey(W.X, W.Y))) {
            Post(Changed ? qlFormat(Unrecorded, FOldName)
                         : Format2(NotChanged, FOldName, File->GetFullFileName()),
                 FileIndex, W.X, W.Y);
            return false;
        }
    return true;
}

namespace {

// The name of the file that an include directive names, in lower case;
// empty for any other directive.
std::string IncludedName(std::string_view D)
{
    const size_t Skip = D[0] == '{' ? 2 : 3;
    size_t At = Skip;
    while (At < D.size() && std::isalpha(static_cast<unsigned char>(D[At])))
        ++At;
    const std::string Word = qlLowerCase(std::string(D.substr(Skip, At - Skip)));
    if (Word != "i" && Word != "include")
        return "";
    std::string Name(D.substr(At));
    auto Trim = [](char C) { return C == '}' || C == ')' || C == '*' || C == '\'' || std::isspace(static_cast<unsigned char>(C)); };
    while (!Name.empty() && Trim(Name.back()))
        Name.pop_back();
    while (!Name.empty() && Trim(Name[0]))
        Name.erase(0, 1);
    return qlLowerCase(std::filesystem::path(Name).filename().string());
}

bool HoldsWord(const std::string& Text, const std::string& Name)
{
    bool Holds = false;
    ScanWords(Text, [&](const TWord& W) { Holds = Holds || qlSameName(std::string(W.Text), Name); });
    return Holds;
}

} // namespace

bool TqlSymbolRename::CheckWords()
{
    TqlFileNameList* Files = gqlProject->GetFileNames();
    std::vector<TqlUnit*> Touched = FUnits;
    if (TqlUnit* Home = FSymbol->GetUnitIntf();
        Home && std::find(Touched.begin(), Touched.end(), Home) == Touched.end())
        Touched.push_back(Home);
    const bool IsUnit = dynamic_cast<TqlUnit*>(FSymbol) != nullptr;
    // The other files of the project: include and form files.
    struct TOther {
        int Index;
        int UnitIndex;
        bool Form;
        std::string Base;
        std::string Stem;
    };
    std::vector<TOther> Others;
    for (int I = 0; I < Files->GetCount(); ++I) {
        TqlSourceFile* F = Files->GetItems(I);
        TqlUnit* Of = F->GetUnitIntf();
        if (!F->Exists || (Of && Of->GetFileIndex() == I))
            continue;
        const std::filesystem::path Path(F->GetFullFileName());
        const std::string Ext = qlLowerCase(Path.extension().string());
        Others.push_back({I, F->GetUnitIndex(), Ext == ".dfm" || Ext == ".xfm" || Ext == ".lfm",
                          qlLowerCase(Path.filename().string()), qlLowerCase(Path.stem().string())});
    }
    for (TqlUnit* Unit : Touched) {
        const int Own = Unit->GetFileIndex();
        if (Own < 0 || Own >= Files->GetCount() || !Files->GetItems(Own)->Exists ||
            !FWordsChecked.insert(Unit).second)
            continue;
        const int UnitIndex = Files->GetItems(Own)->GetUnitIndex();
        const std::string& Text = Source(Unit->GetFullFileName());
        std::unordered_set<std::string> Included;
        bool Named = false;
        ScanWords(
            Text, [&](const TWord& W) { Named = Named || qlSameName(std::string(W.Text), FOldName); },
            [&](std::string_view D) {
                if (std::string Name = IncludedName(D); !Name.empty())
                    Included.insert(Name);
            });
        // Not analysed to its end: any word of the name may be a use.
        if (Named && !Unit->AnalysedToEnd && !IsUnit) {
            Post(Format2(Unfinished, Unit->GetName(), FOldName), Own, 1, 1);
            return false;
        }
        if (Named && !CheckWordsInFile(Unit, Own, true, Text))
            return false;
        // Include files the unit's source names or that were entered for
        // it, and its form file.
        for (const TOther& O : Others) {
            const bool Mine = O.UnitIndex == UnitIndex;
            if (!O.Form && (Mine || Included.count(O.Base) || Included.count(O.Stem))) {
                if (!CheckWordsInFile(Unit, O.Index, false, Source(Files->GetItems(O.Index)->GetFullFileName())))
                    return false;
            } else if (O.Form && Mine && !IsUnit &&
                       HoldsWord(Source(Files->GetItems(O.Index)->GetFullFileName()), FOldName)) {
                // The streamed form names its class and handlers by name.
                Post(Format2(NotChanged, FOldName, Files->GetItems(O.Index)->GetFullFileName()), O.Index, 1, 1);
                return false;
            }
        }
    }
    if (IsUnit)
        return true;
    // Units that use the declaring unit but were not analysed to their end.
    TqlUnit* Home = FSymbol->GetUnitIntf();
    TqlUnitList* Units = gqlProject->GetUnits();
    for (int I = 0; Home && I < Units->GetCount(); ++I) {
        TqlUnit* U = Units->GetUnits(I);
        if (U->AnalysedToEnd || std::find(Touched.begin(), Touched.end(), U) != Touched.end() ||
            !U->GetUsedUnits() || !U->GetUsedUnits()->FindUsedUnit(Home->GetName()) ||
            !FWordsChecked.insert(U).second)
            continue;
        const int Own = U->GetFileIndex();
        if (Own < 0 || Own >= Files->GetCount() || !Files->GetItems(Own)->Exists)
            continue;
        if (HoldsWord(Source(U->GetFullFileName()), FOldName)) {
            Post(Format2(Unfinished, U->GetName(), FOldName), Own, 1, 1);
            return false;
        }
    }
    return true;
}

bool TqlSymbolRename::CheckScopes(TqlUnit* Unit, TqlModuleNode* Tree, const std::vector<TqlTokenNode*>& Places)
{
    if (qlSameName(FOldName, FNewName) || !FHome || dynamic_cast<TqlUnit*>(FSymbol))
        return true;
    const TqlUseIndex Uses(Unit);
    const std::vector<TqlRoutine*> Bodies = BodiesOf(Unit);
    // The scopes at Token, innermost first; Unknown when an enclosing with
    // statement's type is not known.
    // Without a token (a unit read as text) the with statements are not
    // known: a name they would find first can only be refused wrongly.
    auto ScopesAt = [&](TqlTokenNode* Token, const TPoint& P, bool& Unknown) {
        std::vector<TScope> Scopes;
        Unknown = false;
        for (TqlNode* N = Token ? Token->Parent() : nullptr; N; N = N->Parent()) {
            auto* Statement = dynamic_cast<TqlStatementNode*>(N);
            if (!Statement || Statement->GetStatementKind() != ptWith)
                continue;
            TqlTokenNode* Do = Statement->GetFirstTokenNode(ptDo);
            if (!Do || Before(P.X, P.Y, Do->GetPoint().X, Do->GetPoint().Y))
                continue;
            // The class or record of each expression, the last innermost.
            for (TqlSymbol* Container : qlWithScopeTypes(Unit, Uses, Statement, Unknown))
                Scopes.push_back({Container, AsClass(Container)});
        }
        std::vector<TqlRoutine*> Around;
        for (TqlRoutine* R : Bodies)
            if (InBody(R, P.X, P.Y))
                Around.push_back(R);
        std::sort(Around.begin(), Around.end(), [](TqlRoutine* A, TqlRoutine* B) {
            return Before(B->GetImplStartX(), B->GetImplStartY(), A->GetImplStartX(), A->GetImplStartY());
        });
        for (TqlRoutine* R : Around) {
            Scopes.push_back({R, nullptr});
            if (TqlClass* C = MethodClass(R))
                Scopes.push_back({C, C});
        }
        Scopes.push_back({Unit, nullptr});
        return Scopes;
    };
    // What Name finds at the unit's own level: its declarations, a used
    // unit of that name, the used units last first, the built-in symbols;
    // Reached when the renamed unit-level symbol's unit comes first.
    TqlUnit* HomeUnit = FSymbol->GetUnitIntf();
    const bool UnitLevel = FHome && FHome == HomeUnit;
    // A scope that holds one of the renamed symbols.
    auto AtHome = [&](const TScope& Scope) {
        return std::any_of(FHomes.begin(), FHomes.end(), [&](TqlSymbol* Home) { return Reaches(Scope, Home); });
    };
    // A declaration of the implementation section is seen in its own unit
    // only.
    const bool SeenOutside = !UnitLevel || FSymbol->GetFileIndex() != HomeUnit->GetFileIndex() ||
                             HomeUnit->GetImplementationLine() <= 0 ||
                             FSymbol->GetY() < HomeUnit->GetImplementationLine();
    auto AtUnit = [&](const std::string& Name, bool& Reached) -> TqlSymbol* {
        Reached = false;
        if (TqlSymbol* F = Unit->FindSymbol(Unit, nullptr, Name))
            return F;
        if (UnitLevel && Unit == HomeUnit) {
            Reached = true;
            return nullptr;
        }
        TqlUsedUnitList* Used = Unit->GetUsedUnits();
        if (TqlUsedUnit* UU = Used ? Used->FindUsedUnit(Name) : nullptr)
            return UU->GetUnit();
        for (int I = Used ? Used->GetCount() - 1 : -1; I >= 0; --I) {
            TqlUnit* U = Used->GetUsedUnit(I)->GetUnit();
            if (UnitLevel && U == HomeUnit && SeenOutside) {
                Reached = true;
                return nullptr;
            }
            if (TqlSymbol* F = U ? U->FindSymbol(Unit, nullptr, Name) : nullptr)
                return F;
        }
        return gqlProject->FindSystemSymbol(Name);
    };
    auto Qualified = [](TqlTokenNode* Token) {
        if (!Token->Parent())
            return false;
        auto* Id = dynamic_cast<TqlIdentifierNode*>(Token);
        if (Id)
            return Id->IsQualified();
        TqlTokenNode* Prior = Token->GetPriorPeerTokenNode(ptUnknown, true);
        return Prior && Prior->TokenKind() == ptPoint;
    };
    // Where the renamed symbol is used bare, the new name must find it.
    for (TqlTokenNode* Token : Places) {
        const TPoint P = Token->GetPoint();
        // Declarations and the headings that repeat them name the symbol
        // where it is declared, not where it is looked up.
        if (std::any_of(FFamily.begin(), FFamily.end(),
                        [&](TqlSymbol* S) {
                            return P.X == S->GetX() && P.Y == S->GetY() && Unit->GetFileIndex() == S->GetFileIndex();
                        }) ||
            FHeadings.count({Unit->GetFileIndex(), P.X, P.Y}) || Qualified(Token))
            continue;
        bool Unknown = false;
        for (const TScope& Scope : ScopesAt(Token, P, Unknown)) {
            bool Reached = false;
            TqlSymbol* F = Scope.Container == Unit ? AtUnit(FNewName, Reached)
                                                   : Scope.Container->FindSymbol(Unit, Scope.Class, FNewName);
            if (F && F != FSymbol) {
                // The other symbol by the scope that declares it.
                TqlUnit* Of = F->GetUnitIntf();
                const std::string Owner = Scope.Container != Unit ? Scope.Container->GetName()
                                          : Of                   ? Of->GetName()
                                                                 : "the built-in symbols";
                Post(qlFormat(Format2(Hidden, FNewName, Owner + "." + F->GetName()), FOldName),
                     Unit->GetFileIndex(), P.X, P.Y);
                return false;
            }
            if (Reached || AtHome(Scope))
                break;
        }
        if (Unknown) {
            Post(qlFormat(UnknownWith, FNewName), Unit->GetFileIndex(), P.X, P.Y);
            return false;
        }
    }
    // A parameter or local is seen only in its routine's body: named
    // anywhere else (the headings that declare it), it is not looked up, and
    // no other symbol can take its place.
    std::map<TqlSymbol*, TqlRoutine*> RoutineOf;
    auto OutsideItsRoutine = [&](TqlSymbol* Other, const TPoint& P) {
        auto [It, New] = RoutineOf.try_emplace(Other);
        if (New)
            It->second = qlAsRoutine(HomeOf(Other));
        return It->second && !InBody(It->second, P.X, P.Y);
    };
    // Where the new name is used bare for another symbol, the renamed one
    // must not come first.
    const int FileIndex = Unit->GetFileIndex();
    // The renamed symbol is what the new name finds at P, before any other
    // declaration of it.
    auto ComesFirst = [&](TqlTokenNode* Token, const TPoint& P) {
        bool Unknown = false;
        for (const TScope& Scope : ScopesAt(Token, P, Unknown)) {
            bool Reached = false;
            TqlSymbol* F = Scope.Container == Unit ? AtUnit(FNewName, Reached)
                                                   : Scope.Container->FindSymbol(Unit, Scope.Class, FNewName);
            if (Reached || AtHome(Scope))
                return true;
            if (F)
                return false;
        }
        return false;
    };
    auto HidesAt = [&](TqlTokenNode* Token, const TPoint& P, TqlUsedByLocation* Use) {
        TqlSymbol* Other = Use ? Use->GetUsedByList()->GetSymbol() : nullptr;
        if (!Other || IsRenamed(Other) || OutsideItsRoutine(Other, P) || !ComesFirst(Token, P))
            return false;
        Post(Format2(Hides, FNewName, FOldName), FileIndex, P.X, P.Y);
        return true;
    };
    // The analysis left the new name unresolved here (a used unit it could
    // not find may declare it): once renamed, the symbol may take its place.
    const bool Unresolved = qlIsUnresolvedName(Unit, FNewName);
    std::unordered_set<uint64_t> Declared;
    if (Unresolved)
        ForEachDeclared(
            Unit,
            [&](TqlSymbolContainer*, TqlSymbol* S) {
                if (S->GetFileIndex() == FileIndex && qlSameName(S->GetName(), FNewName))
                    Declared.insert(qlPointKey(S->GetX(), S->GetY()));
            },
            true);
    auto TakesUnresolved = [&](TqlTokenNode* Token, const TPoint& P, TqlUsedByLocation* Use) {
        if (!Unresolved || Use || Declared.count(qlPointKey(P.X, P.Y)) || !ComesFirst(Token, P))
            return false;
        Post(Format2(TakesUnresolvedName, FNewName, FOldName), FileIndex, P.X, P.Y);
        return true;
    };
    bool Ok = true;
    if (Tree)
        qlForEachSourceLeaf(Tree, [&](TqlCodeNode* Leaf) {
            auto* Token = dynamic_cast<TqlTokenNode*>(Leaf);
            if (Ok && Token && Token->TokenKind() == ptIdentifier && qlSameName(Token->Code(), FNewName) &&
                !Qualified(Token)) {
                TqlUsedByLocation* Use = Uses.Find(Token);
                Ok = !HidesAt(Token, Token->GetPoint(), Use) && !TakesUnresolved(Token, Token->GetPoint(), Use);
            }
        });
    else
        ScanWords(Source(Unit->GetFullFileName()), [&](const TWord& W) {
            if (Ok && !W.Qualified && qlSameName(std::string(W.Text), FNewName)) {
                TqlUsedByLocation* Use = Uses.Find(W.X, W.Y);
                Ok = !HidesAt(nullptr, TPoint{W.X, W.Y}, Use) && !TakesUnresolved(nullptr, TPoint{W.X, W.Y}, Use);
            }
        });
    return Ok;
}

bool TqlSymbolRename::CheckHiding()
{
    TqlUnit* Home = FSymbol->GetUnitIntf();
    TqlClass* Class = AsClass(FHome);
    if (!Home || (FHome != Home && !Class) || qlSameName(FOldName, FNewName))
        return true;
    // A unit that uses the declaring unit, or declares a descendant of the
    // renamed member's class, but does not use the renamed symbol may use
    // the new name for a symbol the renamed one would hide.
    std::set<TqlUnit*> Seen;
    for (TqlClass* Below : Class ? DescendantsOf(Class) : std::vector<TqlClass*>{})
        if (TqlUnit* U = Below->GetUnitIntf())
            Seen.insert(U);
    TqlUnitList* Units = gqlProject->GetUnits();
    for (int I = 0; I < Units->GetCount(); ++I) {
        TqlUnit* U = Units->GetUnits(I);
        if (U->GetUsedUnits() && U->GetUsedUnits()->FindUsedUnit(Home->GetName()))
            Seen.insert(U);
    }
    TqlFileNameList* Files = gqlProject->GetFileNames();
    for (TqlUnit* U : Seen) {
        const int Own = U->GetFileIndex();
        if (FPlaces.count(U) || U == Home || Own < 0 || Own >= Files->GetCount() || !Files->GetItems(Own)->Exists ||
            !FHidingChecked.insert(U).second)
            continue;
        if (HoldsWord(Source(U->GetFullFileName()), FNewName) && !CheckScopes(U, nullptr, {}))
            return false;
    }
    return true;
}

bool TqlSymbolRename::CheckForms()
{
    auto* Renamed = qlAsProperty(FFamily.front());
    TqlClass* Owner = Renamed ? Renamed->GetOwnerClass() : nullptr;
    if (!Owner || qlSameName(FOldName, FNewName))
        return true;
    // The streaming system sets a property by its name on an object of the
    // owner class or a descendant: every form of the project must not name
    // it there.
    std::set<TqlClass*> Family{Owner};
    std::set<std::string> Names{qlLowerCase(Owner->GetName())};
    for (TqlClass* Below : DescendantsOf(Owner)) {
        Family.insert(Below);
        Names.insert(qlLowerCase(Below->GetName()));
    }
    // The class of the object a property holds.
    auto ClassOfMember = [](TqlUnit* Unit, TqlClass* Class, std::string_view Name) -> TqlClass* {
        TqlSymbol* Member = Class ? Class->FindSymbol(Unit, Class, std::string(Name)) : nullptr;
        return Member ? AsClass(Member->FindContainer()) : nullptr;
    };
    TqlFileNameList* Files = gqlProject->GetFileNames();
    TqlUnitList* Units = gqlProject->GetUnits();
    for (int I = 0; I < Units->GetCount(); ++I) {
        TqlUnit* Unit = Units->GetUnits(I);
        TqlDFMResource* Form = Unit->GetDFMResource();
        const int FormIndex = Form ? Form->GetFileIndex() : -1;
        if (FormIndex < 0 || FormIndex >= Files->GetCount() || !Files->GetItems(FormIndex)->Exists)
            continue;
        const std::string& FileName = Files->GetItems(FormIndex)->GetFullFileName();
        std::string Text = Source(FileName);
        if (Text.compare(0, 3, std::string_view("\xFF\x0A\x00", 3)) == 0) {
            try {
                Text = qlObjectBinaryToText(Text);
            } catch (const Exception&) {
                Text.clear();
            }
        }
        if (!HoldsWord(Text, FOldName))
            continue;
        std::map<std::string, TqlClass*> Classes;
        auto ClassNamed = [&](std::string_view Name) {
            auto [It, New] = Classes.try_emplace(qlLowerCase(std::string(Name)));
            if (New)
                It->second = AsClass(Unit->FindReferencedSymbol(nullptr, std::string(Name), false, TqlUsedByInfo{}));
            return It->second;
        };
        bool Refused = false;
        const bool Followed = TFormScanner(Text, [&](const TFormProperty& P) {
            if (Refused)
                return;
            // Down from the object's class: the class of each object a name
            // leads to, and whether it may be one of the family.
            TqlClass* Class = ClassNamed(P.Class);
            bool Member = Names.count(qlLowerCase(std::string(P.Class))) > 0 || Family.count(Class) > 0;
            bool Maybe = false;
            auto Step = [&](std::string_view Name) {
                Class = ClassOfMember(Unit, Class, Name);
                Member = Family.count(Class) > 0;
            };
            // The object by its name and class, or the collection that holds
            // the item.
            std::string Object =
                P.Object.empty() ? std::string(P.Class) : std::string(P.Object) + " (" + std::string(P.Class) + ")";
            if (!P.Collections.empty()) {
                Object = "an item of " + std::string(P.Object.empty() ? P.Class : P.Object);
                for (std::string_view C : P.Collections.back())
                    Object += "." + std::string(C);
            }
            // The collection properties themselves were written before
            // their items.
            for (const auto& Written : P.Collections) {
                TqlClass* Holder = nullptr;
                for (std::string_view Name : Written) {
                    Holder = Class;
                    Step(Name);
                }
                // An item's class is the type of the collection's default
                // (or Items) property. A collection that an object of the
                // library holds has items of the library's classes.
                TqlClass* Collection = Class;
                TqlProperty* Items = Collection ? Collection->GetDefaultProperty() : nullptr;
                TqlClass* Item = Items ? AsClass(Items->FindContainer()) : ClassOfMember(Unit, Collection, "Items");
                Maybe = Maybe || (Holder && !Item);
                Class = Item;
                Member = Family.count(Item) > 0;
            }
            for (std::string_view Name : P.Path) {
                if ((Member || Maybe) && qlSameName(std::string(Name), FOldName)) {
                    const std::string At = FileName + ", line " + std::to_string(P.Line);
                    Post(Format2(qlFormat(Member ? WrittenInForm : MayBeWrittenInForm, FOldName), Object, At),
                         FormIndex, 1, P.Line);
                    Refused = true;
                    return;
                }
                Step(Name);
            }
        }).Run();
        if (Refused)
            return false;
        if (!Followed) {
            int Line = 1;
            ScanWords(Text, [&](const TWord& W) {
                if (Line == 1 && qlSameName(std::string(W.Text), FOldName))
                    Line = W.Y;
            });
            Post(Format2(FormNotFollowed, FOldName, FileName), FormIndex, 1, Line);
            return false;
        }
    }
    return true;
}

bool TqlSymbolRename::Prepare()
{
    FPlaces.clear();
    FUnits.clear();
    FHeadings.clear();
    FWordsChecked.clear();
    FHidingChecked.clear();
    FOk = false;
    if (!IsValidName(FNewName)) {
        Post(qlFormat(InvalidName, FNewName), FSymbol->GetFileIndex(), FSymbol->GetX(),
             FSymbol->GetY());
        return false;
    }
    FHome = HomeOf(FSymbol);
    FFamily = {FSymbol};
    FHomes = {FHome};
    // The checks of one method hold for each method renamed with it.
    if (!CheckKind() || !CheckFamily() ||
        !ForEachMember([&](bool Selected) { return (Selected || CheckKind()) && CheckClashes(); }))
        return false;
    // A function's name stands for its result inside it too.
    for (TqlSymbol* Member : std::vector<TqlSymbol*>(FFamily))
        if (auto* Routine = qlAsRoutine(Member); Routine && Routine->GetRoutineType() &&
                                                 qlSameName(Routine->GetRoutineType()->GetName(), FOldName))
            FFamily.push_back(Routine->GetRoutineType());
    bool Ok = true;
    for (TqlSymbol* Member : FFamily) {
        // The declaration; the result variable's is the function's own.
        if (!qlAsRoutine(FSymbol) || qlAsRoutine(Member))
            Ok = Ok && SortPlace(Member->GetFileIndex(), Member->GetX(), Member->GetY());
        TqlUsedByList* UsedBy = Member->GetUsedBy();
        for (int I = 0; Ok && I < UsedBy->GetCount(); ++I) {
            TqlUsedByLocation* Use = UsedBy->GetLocations(I);
            // A default array property used as Items[I] has no name there.
            if (Use->GetX() < 1 || Use->GetY() < 1 || Use->GetIsUnnamed())
                continue;
            if (Use->GetIsHeading())
                FHeadings.insert({Use->GetFileIndex(), Use->GetX(), Use->GetY()});
            if (Use->GetIsAmbiguous()) {
                Post(qlFormat(Ambiguous, FOldName), Use->GetFileIndex(), Use->GetX(), Use->GetY());
                return false;
            }
            Ok = SortPlace(Use->GetFileIndex(), Use->GetX(), Use->GetY());
        }
    }
    FOk = Ok && CheckForms() && ForEachMember([&](bool) { return CheckWords() && CheckHiding(); });
    return FOk;
}

namespace {

// The entry of a uses or contains clause; "contains" is a directive word,
// which the tree holds as an identifier.
bool IsClauseEntry(const TqlTokenNode* Token)
{
    const TqlNode* Parent = Token->Parent();
    for (int I = Token->GetIndex() - 1; Parent && I >= 0; --I) {
        auto* Prior = dynamic_cast<const TqlTokenNode*>(Parent->GetNode(I));
        if (!Prior)
            continue;
        if (Prior->TokenKind() == ptUses || Prior->TokenKind() == ptContains ||
            (Prior->TokenKind() == ptIdentifier && qlSameName(Prior->Code(), "contains")))
            return true;
    }
    return false;
}

// The string literal after "in" that follows Token in its clause: a token of
// its own, or the one token of an expression node.
TqlTokenNode* InPathOf(const TqlTokenNode* Token)
{
    TqlTokenNode* In = Token->GetNextPeerTokenNode(ptUnknown, true);
    if (!In || In->TokenKind() != ptIn)
        return nullptr;
    const TqlNode* Parent = In->Parent();
    for (int I = In->GetIndex() + 1; I < Parent->Count(); ++I) {
        TqlNode* Next = Parent->GetNode(I);
        if (qlIsTrivia(Next))
            continue;
        std::vector<TqlCodeNode*> Leaves;
        qlForEachSourceLeaf(Next, [&](TqlCodeNode* Leaf) {
            if (!qlIsTrivia(Leaf))
                Leaves.push_back(Leaf);
        });
        return Leaves.size() == 1 && qlIsToken(Leaves[0], ptStringConst)
                   ? static_cast<TqlTokenNode*>(Leaves[0])
                   : nullptr;
    }
    return nullptr;
}

} // namespace

void TqlSymbolRename::Rename(TqlTokenNode* Token)
{
    Token->SetCode(FNewName);
    if (!dynamic_cast<TqlUnit*>(FSymbol))
        return;
    // A uses or contains entry "Name in 'path'" names the file too.
    if (!IsClauseEntry(Token))
        return;
    if (TqlTokenNode* Path = InPathOf(Token))
        Path->SetCode(RenamePath(Path->Code(), FOldName, FNewName));
}

// ---------------------------------------------------------------------------
// The refactoring

#include "Refactorings/uqlPlugin.h"

#include <fcntl.h>
#include <fstream>
#include <unistd.h>

bool TSymbolRenamer::GetCanExecute()
{
    return gqlRefactoringHost && gqlRefactoringHost->GetSelectedSymbol() != nullptr;
}

void TSymbolRenamer::Execute()
{
    TqlSymbol* Symbol = gqlRefactoringHost ? gqlRefactoringHost->GetSelectedSymbol() : nullptr;
    if (!Symbol)
        return;
    std::string Name = Symbol->GetName();
    if (!qlInputQuery("Rename", "Rename", Name))
        return;
    const std::string Base = GetBaseFolderName();
    RenameRefactor(Symbol, Name, Base);
    ViewRefactoring(Base);
}

namespace {

// Writes Size bytes of Data to Fd; Ok goes false on failure.
void WriteNew(int Fd, const char* Data, size_t Size, bool& Ok)
{
    for (size_t Done = 0; Ok && Done < Size;) {
        const ssize_t W = ::write(Fd, Data + Done, Size - Done);
        Ok = W > 0;
        Done += W > 0 ? size_t(W) : 0;
    }
}

int CreateExclusive(const std::string& To)
{
    const int Fd = ::open(To.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (Fd < 0)
        throw Exception(qlFormat("Attempt to overwrite file, %s.", To));
    return Fd;
}

void CloseWritten(int Fd, const std::string& To, bool Ok)
{
    if (::close(Fd) != 0)
        Ok = false;
    if (!Ok)
        throw Exception("Could not write " + To);
}

} // namespace

void TSymbolRenamer::WriteExclusive(const std::string& To, const std::string& Text)
{
    const int Fd = CreateExclusive(To);
    bool Ok = true;
    WriteNew(Fd, Text.data(), Text.size(), Ok);
    CloseWritten(Fd, To, Ok);
}

void TSymbolRenamer::CopyForm(TqlUnit* Unit, const std::string& To)
{
    // The form file that the analysis read goes along, byte for byte.
    TqlDFMResource* Form = Unit->GetDFMResource();
    if (!Form || Form->GetFileName().empty() || !std::filesystem::exists(Form->GetFileName()))
        return;
    const std::string From = Form->GetFileName();
    std::ifstream In(From, std::ios::binary);
    if (!In)
        throw Exception("Could not read " + From);
    const int Fd = CreateExclusive(To);
    char Buffer[65536];
    bool Ok = true;
    while (Ok && In) {
        In.read(Buffer, sizeof Buffer);
        WriteNew(Fd, Buffer, size_t(In.gcount()), Ok);
    }
    CloseWritten(Fd, To, Ok);
}

void TSymbolRenamer::RenameRefactor(TqlSymbol* Symbol, const std::string& NewName,
                                    const std::string& BaseFolder)
{
    FSymbol = Symbol;
    TqlSymbolRename Rename(
        Symbol, NewName,
        [this, &BaseFolder](TqlUnit* Unit) {
            if (!GetLocked(Unit))
                BeginRefactoring(BaseFolder, Unit);
            return GetModuleNode(Unit);
        },
        [this](const std::string& Text, int FileIndex, int X, int Y) {
            qlPostMessage(this, Text, FileIndex, X, Y);
        });
    const bool IsUnit = dynamic_cast<TqlUnit*>(Symbol) != nullptr;
    // Every unit is opened, renamed and closed in turn, so that one tree at a
    // time is in memory; only the texts are kept until all places mapped.
    std::vector<std::pair<TqlUnit*, std::string>> Texts;
    if (Rename.Prepare()) {
        for (TqlUnit* Unit : Rename.Units()) {
            Rename.RenameIn(Unit);
            if (!GetLocked(Unit))
                continue;
            auto& Entry = RefactoringList()->GetNode(CheckRefactoringUnit(Unit))->ModuleNode;
            if (Rename.Succeeded() && Entry) {
                std::string Text = Entry->GetText();
                if (!Text.empty() && Text.back() != '\n' && Text.back() != '\r')
                    Text += Entry->LineBreak();
                Texts.emplace_back(Unit, std::move(Text));
            }
            // The unit stays open, without its tree, until the rename ends.
            Entry.reset();
        }
    }
    if (!Rename.Succeeded()) {
        // All or nothing: the units opened for the check close unwritten.
        while (RefactoringList()->Count() > 0)
            CancelRefactoring(RefactoringList()->GetNode(0)->Unit);
        return;
    }
    // The last check: nothing is written when the output, analysed, would
    // not resolve as the sources did.
    std::vector<TqlOutputText> Outputs;
    for (const auto& [Unit, Text] : Texts)
        Outputs.push_back({Unit->GetFullFileName(), Text,
                           IsUnit && Unit == Symbol ? NewName + qlExtractFileExt(Unit->GetFullFileName())
                                                    : std::string()});
    CheckOutput(Outputs, Symbol->GetName(), NewName);
    try {
        for (const auto& [Unit, Text] : Texts) {
            std::string Folder;
            std::string Source = Unit->GetFullFileName();
            if (IsUnit && Unit == Symbol) {
                const std::filesystem::path Path(Source);
                Source = (Path.parent_path() / (NewName + Path.extension().string())).string();
            }
            const std::string Target = GetFilenameToGenerate(Source, BaseFolder, Folder);
            if (IsUnit && Unit == Symbol)
                CopyForm(Unit, (std::filesystem::path(Folder) / (NewName + ".dfm")).string());
            WriteExclusive(Target, Text);
        }
        // Closes the units (no tree left to write) and tells the host.
        EndRefactorings(BaseFolder);
    } catch (...) {
        // A half-written rename is worse than none.
        DiscardRunOutput();
        throw;
    }
}

// ---------------------------------------------------------------------------
// The plug-in's entry points

namespace {

void Initialize()
{
    qlRequireHost();
    qlPluginRegistrations().Register(new TSymbolRenamer, "");
}

} // namespace

QL_PLUGIN_ENTRY_POINTS(Initialize, qlFinalizePlugin)
