#include "Refactorings/SymbolRenamer/uRenameChecks.h"

#include "Refactorings/Common/uqlWithTypes.h"
#include "Refactorings/SymbolRenamer/uRenameFamily.h"
#include "Refactorings/SymbolRenamer/uRenameSupport.h"
#include "Refactorings/SymbolRenamer/uSymbolRenamer.h"
#include "base/uqlPathUtils.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <unordered_set>

using namespace SymbolRenamer;

namespace {

const char* const NotChanged = "Symbol, %s, is used in %s, which is not changed";
const char* const Unrecorded = "Name, %s, occurs here where the analysis recorded no use of it (code under an inactive conditional branch?); not renamed";
const char* const Unfinished = "Unit, %s, was not analysed to its end and names %s; not renamed";
const char* const Redeclared = "Property, %s, is redeclared in %s; not renamed";
const char* const Hidden = "Name, %s, already stands for %s where %s is used here; not renamed";
const char* const Hides = "Name, %s, stands here for another symbol, which the renamed %s would hide; not renamed";
const char* const Overloaded = "Symbol, %s, is overloaded and the analysis did not tie its declaration and implementation together; not renamed";
const char* const OverloadParameter = "Symbol, %s, is a parameter of the overloaded routine %s, whose implementation heading repeats it apart from the analysis; not renamed";
const char* const Inherits = "Property, %s, redeclares an inherited property, which keeps its name; not renamed";
const char* const ImplicitResult = "Symbol, %s, is the result of function %s, which no declaration names; not renamed";
const char* const TakesUnresolvedName = "Name, %s, is used here for a symbol the analysis could not resolve, whose place the renamed %s would take; not renamed";
const char* const ImplicitSelf = "Name, Self, stands for the object of method %s where %s is used here; not renamed";
const char* const ImplicitResultRead = "Name, Result, stands for the result of function %s where %s is used here; not renamed";
const char* const UnitNameRead = "Name, %s, is read here without a unit before it and would name the renamed unit %s; not renamed";
const char* const UnknownWith = "Name, %s, may be a member of the type of an enclosing with statement here, which the analysis does not know; not renamed";

} // namespace

namespace SymbolRenamer {

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

bool IsDirectiveWord(std::string_view Text, size_t Offset, std::string_view Word)
{
    const std::string Lower = qlLowerCase(std::string(Word));
    if (Lower != "index" && Lower != "message")
        return false;
    auto IsWordChar = [](char C) { return std::isalnum(static_cast<unsigned char>(C)) || C == '_'; };
    size_t Before = Offset;
    while (Before > 0 && std::isspace(static_cast<unsigned char>(Text[Before - 1])))
        --Before;
    size_t After = Offset + Word.size();
    while (After < Text.size() && std::isspace(static_cast<unsigned char>(Text[After])))
        ++After;
    if (Before == 0 || After >= Text.size())
        return false;
    // A constant follows: a number or a name, not a reserved word.
    size_t End = After;
    while (End < Text.size() && IsWordChar(Text[End]))
        ++End;
    const std::string Next(Text.substr(After, End - After));
    if (!(std::isdigit(static_cast<unsigned char>(Text[After])) || Text[After] == '$' ||
          (!Next.empty() && TqlSymbolRename::IsValidName(Next))))
        return false;
    // "message" after the semicolon that ends a method heading.
    if (Lower == "message")
        return Text[Before - 1] == ';';
    // "index" after the type of a property, or after the library of an
    // external routine or the routine an exports clause names.
    if (Text[Before - 1] == '\'')
        return true;
    size_t Start = Before;
    while (Start > 0 && IsWordChar(Text[Start - 1]))
        --Start;
    const std::string Prior = qlLowerCase(std::string(Text.substr(Start, Before - Start)));
    static const char* const Specifiers[] = {"read",    "write",     "stored",   "default",    "nodefault", "implements",
                                             "index",   "dispid",    "readonly", "writeonly",  "add",       "remove",
                                             "name"};
    return !Prior.empty() && !std::isdigit(static_cast<unsigned char>(Prior[0])) &&
           TqlSymbolRename::IsValidName(Prior) &&
           std::find(std::begin(Specifiers), std::end(Specifiers), Prior) == std::end(Specifiers);
}

} // namespace SymbolRenamer

namespace {

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

} // namespace

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
        // The unit's name comes before the names that the units using it
        // (and the unit itself) read bare.
        TqlUnitList* Units = gqlProject->GetUnits();
        for (int I = 0; I < Units->GetCount(); ++I) {
            TqlUnit* U = Units->GetUnits(I);
            if ((U == Unit || (U->GetUsedUnits() && U->GetUsedUnits()->FindUsedUnit(FOldName))) &&
                !CheckUnitNameRead(U))
                return false;
        }
        return true;
    }
    TqlUnit* Unit = FSymbol->GetUnitIntf();
    if (!Unit || !FHome)
        return true;
    // The other symbol by the class or scope that declares it: an ancestor
    // of the renamed member's class, the class itself, or a descendant.
    auto DeclaredIn = [](TqlSymbol* Other, TqlSymbol* Around) {
        TqlSymbol* Home = HomeOf(Other);
        return (Home ? Home : Around)->GetName();
    };
    TqlSymbol* Found = FHome->FindSymbol(Unit, AsClass(FHome), FNewName);
    if (Found && Found != FSymbol)
        return Clash(DeclaredIn(Found, FHome));
    if (TqlClass* Class = AsClass(FHome))
        for (TqlClass* D : DescendantsOf(Class))
            if (TqlSymbol* F = D->FindSymbol(Unit, D, FNewName); F && F != FSymbol)
                return Clash(DeclaredIn(F, D));
    return true;
}

bool TqlSymbolRename::CheckUnitNameRead(TqlUnit* Unit)
{
    TqlFileNameList* Files = gqlProject->GetFileNames();
    const int Own = Unit->GetFileIndex();
    if (Own < 0 || Own >= Files->GetCount() || !Files->GetItems(Own)->Exists)
        return true;
    const std::string& Text = Source(Unit->GetFullFileName());
    if (!HoldsWord(Text, FNewName))
        return true;
    // A member, a parameter or a local of that name is found before the
    // unit; a declaration, and a heading that repeats it, is no reading.
    const std::unordered_set<uint64_t> Declared = DeclaredPlaces(Unit, Own, FNewName);
    const TqlUseIndex Uses(Unit);
    bool Ok = true;
    ScanWords(Text, [&](const TWord& W) {
        if (!Ok || W.Qualified || !qlSameName(std::string(W.Text), FNewName) || Declared.count(qlPointKey(W.X, W.Y)))
            return;
        TqlUsedByLocation* Use = Uses.Find(W.X, W.Y);
        if (Use && Use->GetIsHeading())
            return;
        TqlSymbol* Home = Use ? HomeOf(Use->GetUsedByList()->GetSymbol()) : nullptr;
        if (Home && !dynamic_cast<TqlUnit*>(Home))
            return;
        Post(Format2(UnitNameRead, FNewName, FOldName), Own, W.X, W.Y);
        Ok = false;
    });
    return Ok;
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
        if (qlSameName(std::string(W.Text), FOldName) && !Edits.count(qlPointKey(W.X, W.Y)) &&
            !IsDirectiveWord(Text, W.Offset, W.Text))
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
        if (!CheckImplicitNames(Unit, Bodies, P))
            return false;
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
    const std::unordered_set<uint64_t> Declared =
        Unresolved ? DeclaredPlaces(Unit, FileIndex, FNewName) : std::unordered_set<uint64_t>{};
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

bool TqlSymbolRename::CheckImplicitNames(TqlUnit* Unit, const std::vector<TqlRoutine*>& Bodies, const TPoint& P)
{
    const bool Self = qlSameName(FNewName, "Self");
    if (!Self && !qlSameName(FNewName, "Result"))
        return true;
    // In a method's body and the routines nested in it, Self is the object
    // the method was called for; in a function's body and the routines
    // nested in it, Result is its result.
    for (TqlRoutine* R : Bodies) {
        if (!InBody(R, P.X, P.Y))
            continue;
        for (int Depth = 0; R && Depth < 1000; ++Depth) {
            if (Self && MethodClass(R)) {
                Post(Format2(ImplicitSelf, MemberName(R), FOldName), Unit->GetFileIndex(), P.X, P.Y);
                return false;
            }
            if (!Self && R->GetRoutineKind() == rkFunction) {
                Post(Format2(ImplicitResultRead, MemberName(R), FOldName), Unit->GetFileIndex(), P.X, P.Y);
                return false;
            }
            TqlRoutineList* List = R->GetRoutineList();
            R = List ? qlAsRoutine(List->GetContainer()) : nullptr;
        }
    }
    return true;
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
