#include "Refactorings/uqlOutputCheck.h"

#include "base/uqlPathUtils.h"
#include "lexer/lxPasLexTypes.h"
#include "Refactorings/uqlRefactorNodes.h"
#include "model/uqlClasses.h"

#include <cctype>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace {

struct TMessageSeen {
    std::string FileName;
    std::string Text;
    int X, Y;
};

// A method that claims an ancestor's method: its file, the class's place
// among the classes of that file, its place among the class's methods.
using TMethodKey = std::tuple<std::string, int, int>;

struct TClaim {
    bool Found;
    std::string Name;  // "Class.Method"
    std::string FileName;
    int X, Y;
};

// What an analysis found, as far as the check compares it.
struct TDigest {
    std::vector<TMessageSeen> Messages;
    // Per file, the names left unresolved, by case-insensitive key.
    std::map<std::string, std::map<std::string, std::string>> Unresolved;
    std::map<TMethodKey, TClaim> Claims;
};

std::string FileNameOf(IqlProject* Project, int FileIndex)
{
    TqlFileNameList* Files = Project->GetFileNames();
    if (!Files || FileIndex < 0 || FileIndex >= Files->GetCount())
        return std::string();
    return Files->GetItems(FileIndex)->GetFullFileName();
}

std::string TypeNameOf(TqlParameter* P)
{
    if (TqlSymbol* T = P->GetParamType())
        return qlSameTextKey(T->GetName());
    return qlSameTextKey(P->GetWrittenTypeName());
}

bool SameParameters(TqlRoutine* A, TqlRoutine* B)
{
    TqlParameterList* PA = A->GetParameters();
    TqlParameterList* PB = B->GetParameters();
    const int NA = PA ? PA->GetCount() : 0;
    const int NB = PB ? PB->GetCount() : 0;
    if (NA != NB)
        return false;
    for (int I = 0; I < NA; ++I) {
        TqlParameter* X = PA->GetParameters(I);
        TqlParameter* Y = PB->GetParameters(I);
        if (X->GetParamKind() != Y->GetParamKind() || TypeNameOf(X) != TypeNameOf(Y))
            return false;
    }
    return true;
}

bool IsVirtual(TRoutineDirectives D)
{
    return D.Contains(rdVirtual) || D.Contains(rdDynamic) || D.Contains(rdAbstract) ||
           D.Contains(rdOverride);
}

// A virtual method of the same name and parameters in an ancestor of Class.
bool FindsAncestorMethod(TqlClass* Class, TqlRoutine* Method)
{
    int Steps = 0;
    for (TqlClass* A = Class->GetInheritsFromClass(); A && Steps < 10000;
         A = A->GetInheritsFromClass(), ++Steps) {
        TqlRoutineList* Routines = A->GetRoutines();
        for (int I = 0; Routines && I < Routines->GetCount(); ++I) {
            TqlRoutine* R = Routines->GetRoutine(I);
            if (qlSameText(R->GetName(), Method->GetName()) && IsVirtual(R->GetDirectives()) &&
                SameParameters(R, Method))
                return true;
        }
    }
    return false;
}

void DigestClasses(IqlProject* Project, TqlClassList* Classes, std::map<std::string, int>& Ordinals,
                   TDigest& Digest)
{
    for (int C = 0; Classes && C < Classes->GetCount(); ++C) {
        TqlClass* Class = Classes->GetClasses(C);
        const std::string File = FileNameOf(Project, Class->GetFileIndex());
        if (File.empty())
            continue;
        const int Ordinal = Ordinals[File]++;
        const bool IsObject = Class->GetTypeKind() == tkObject;
        TqlRoutineList* Routines = Class->GetRoutines();
        for (int I = 0; Routines && I < Routines->GetCount(); ++I) {
            TqlRoutine* R = Routines->GetRoutine(I);
            const TRoutineDirectives D = R->GetDirectives();
            if (!D.Contains(rdOverride) && !(IsObject && D.Contains(rdVirtual)))
                continue;
            Digest.Claims[{File, Ordinal, I}] = {FindsAncestorMethod(Class, R),
                                                 Class->GetName() + "." + R->GetName(), File,
                                                 R->GetX(), R->GetY()};
        }
    }
}

// gqlProject must be Project.
TDigest DigestOf(IqlProject* Project)
{
    TDigest Digest;
    if (Ref<IqlMessageList> List = Project->GetMessages())
        for (int I = 0; I < List->GetCount(); ++I) {
            Ref<IqlMessage> M = List->GetItems(I);
            TqlCodeLocation* Where = M->GetCodeLocation();
            Digest.Messages.push_back({Where ? FileNameOf(Project, Where->GetFileIndex()) : std::string(),
                                       M->GetMessageText(), Where ? Where->GetX() : 0,
                                       Where ? Where->GetY() : 0});
        }
    if (TqlUnitList* Units = Project->GetUnits())
        for (int I = 0; I < Units->GetCount(); ++I) {
            TqlUnit* Unit = Units->GetUnits(I);
            if (Unit->GetUnresolvedNames().empty())
                continue;
            auto& Names = Digest.Unresolved[FileNameOf(Project, Unit->GetFileIndex())];
            for (const std::string& Name : Unit->GetUnresolvedNames())
                Names.emplace(qlSameTextKey(Name), Name);
        }
    std::map<std::string, int> Ordinals;
    if (TqlUnitList* Units = Project->GetUnits())
        for (int I = 0; I < Units->GetCount(); ++I) {
            DigestClasses(Project, Units->GetUnits(I)->GetClasses(), Ordinals, Digest);
            DigestClasses(Project, Units->GetUnits(I)->GetObjects(), Ordinals, Digest);
        }
    return Digest;
}

// Makes Project the hub while it lives, and frees its model before it goes.
class TTrialScope {
public:
    explicit TTrialScope(const Ref<IqlProject>& Trial) : FSaved(gqlProject), FTrial(Trial)
    {
        gqlProject = Trial;
    }
    ~TTrialScope()
    {
        try {
            FTrial->Clear();
        } catch (...) {
            // Only memory is at stake; the hub goes back regardless.
        }
        gqlProject = FSaved;
    }
    TTrialScope(const TTrialScope&) = delete;
    TTrialScope& operator=(const TTrialScope&) = delete;

private:
    Ref<IqlProject> FSaved;
    Ref<IqlProject> FTrial;
};

int SourceFileIndex(const std::string& FileName)
{
    TqlFileNameList* Files = gqlProject ? gqlProject->GetFileNames() : nullptr;
    TqlSourceFile* File = Files && !FileName.empty() ? Files->Find(FileName) : nullptr;
    return File ? File->GetFileIndex() : -1;
}

TqlOutputFault FaultAt(const std::string& Text, const std::string& FileName, int X, int Y)
{
    return {Text, SourceFileIndex(FileName), X, Y};
}

bool IsWordChar(char C)
{
    return std::isalnum(static_cast<unsigned char>(C)) || C == '_';
}

// Text with every word New (in any case) written Old.
std::string WithOldName(std::string Text, const std::string& Old, const std::string& New)
{
    if (Old.empty() || New.empty())
        return Text;
    for (size_t At = 0; At + New.size() <= Text.size();) {
        if (qlSameText(Text.substr(At, New.size()), New) && (At == 0 || !IsWordChar(Text[At - 1])) &&
            (At + New.size() == Text.size() || !IsWordChar(Text[At + New.size()]))) {
            Text.replace(At, New.size(), Old);
            At += Old.size();
        } else {
            ++At;
        }
    }
    return Text;
}

// Line and column (from 1) of the first word Name in Text; 1, 1 when none.
void FirstWord(const std::string& Text, const std::string& Name, int& X, int& Y)
{
    X = Y = 1;
    const std::string Marked = WithOldName(Text, std::string(1, '\x01'), Name);
    const size_t At = Marked.find('\x01');
    if (At == std::string::npos)
        return;
    for (size_t I = 0; I < At; ++I)
        if (Marked[I] == '\n') {
            ++Y;
            X = 1;
        } else {
            ++X;
        }
}

// A with statement of a unit's text, known by its expressions' text and its
// place among the unit's with statements of that text (the n-th "with
// TheStream do"). An edit that qualifies names inside with statements moves
// them on their lines but keeps that key.
using TWithKey = std::pair<std::string, int>;

struct TWithSite {
    TqlStatementNode* Node;
    TWithKey Key;
    // A type the analysis does not know is brought into scope: every name
    // read in the body may be a member of it.
    bool Unknown;
};

// A unit's text parsed into a tree, with the uses its analysis recorded in
// its own file by place.
struct TUnitText {
    std::unique_ptr<TqlModuleNode> Tree;
    TqlUnit* Unit = nullptr;
    std::unordered_map<uint64_t, TqlUsedByLocation*> Uses;
    std::vector<TWithSite> Withs;
    std::map<std::string, int> WithCounts;

    TqlUsedByLocation* UseAt(const TqlCodeNode* Node) const
    {
        const TPoint& P = Node->GetPoint();
        const auto It = Uses.find((uint64_t(uint32_t(P.Y)) << 32) | uint32_t(P.X));
        return It == Uses.end() ? nullptr : It->second;
    }
};

TqlUnit* UnitOfFile(IqlProject* Project, const std::string& FileName)
{
    if (TqlUnitList* Units = Project->GetUnits())
        for (int I = 0; I < Units->GetCount(); ++I)
            if (FileNameOf(Project, Units->GetUnits(I)->GetFileIndex()) == FileName)
                return Units->GetUnits(I);
    return nullptr;
}

TqlTokenNode* AsToken(TqlNode* Node, TptTokenKind Kind)
{
    auto* Token = dynamic_cast<TqlTokenNode*>(Node);
    return Token && Token->Count() == 0 && Token->TokenKind() == Kind ? Token : nullptr;
}

// The token leaves below Root in text order; a stack of its own, as trees of
// long expressions run deep.
void ForEachToken(TqlNode* Root, const std::function<void(TqlTokenNode*)>& Visit)
{
    std::vector<TqlNode*> Stack{Root};
    while (!Stack.empty()) {
        TqlNode* Node = Stack.back();
        Stack.pop_back();
        if (Node->Count() == 0) {
            if (auto* Token = dynamic_cast<TqlTokenNode*>(Node))
                Visit(Token);
            continue;
        }
        for (int I = Node->Count() - 1; I >= 0; --I)
            Stack.push_back(Node->GetNode(I));
    }
}

bool IsWith(const TqlNode* Node)
{
    auto* Statement = dynamic_cast<const TqlStatementNode*>(Node);
    return Statement && Statement->GetStatementKind() == ptWith;
}

// The body of a with statement: its last child, when that is a statement.
TqlNode* WithBody(TqlStatementNode* With)
{
    return With->Count() > 0 ? dynamic_cast<TqlStatementNode*>(With->GetNode(With->Count() - 1)) : nullptr;
}

// One with-expression (its tokens) brings in a type the analysis does not
// know: a plain name or a chain of names whose last name the analysis did
// not resolve, or whose variable's type it did not find. Any other form
// (a call, an index, a cast) counts as known.
bool UnknownExpression(const TUnitText& Text, const std::vector<TqlTokenNode*>& Tokens)
{
    for (size_t I = 0; I < Tokens.size(); ++I)
        if (Tokens[I]->TokenKind() != (I % 2 ? ptPoint : ptIdentifier))
            return false;
    if (Tokens.empty() || Tokens.size() % 2 == 0)
        return false;
    TqlUsedByLocation* Use = Text.UseAt(Tokens.back());
    TqlSymbol* Symbol = Use && Use->GetUsedByList() ? Use->GetUsedByList()->GetSymbol() : nullptr;
    if (!Symbol)
        return true;
    TqlSymbol* Container = Symbol->FindContainer();
    TqlSymbol* Type = (Container ? Container : Symbol)->GetTypeIntf();
    return !Type || !Type->GetTypeIntf();
}

void CollectWiths(TUnitText& Text, TqlNode* Root)
{
    std::vector<TqlNode*> Stack{Root};
    while (!Stack.empty()) {
        TqlNode* Node = Stack.back();
        Stack.pop_back();
        if (IsWith(Node)) {
            auto* With = static_cast<TqlStatementNode*>(Node);
            std::string Key;
            bool Unknown = false;
            std::vector<TqlTokenNode*> Part;
            for (int I = 1; I < With->Count() && !AsToken(With->GetNode(I), ptDo); ++I)
                ForEachToken(With->GetNode(I), [&](TqlTokenNode* Token) {
                    if (Token->Code().empty())
                        return;
                    Key += qlSameTextKey(Token->Code()) + " ";
                    if (Token->TokenKind() == ptComma) {
                        Unknown = Unknown || UnknownExpression(Text, Part);
                        Part.clear();
                    } else {
                        Part.push_back(Token);
                    }
                });
            Unknown = Unknown || UnknownExpression(Text, Part);
            Text.Withs.push_back({With, {Key, Text.WithCounts[Key]++}, Unknown});
        }
        for (int I = Node->Count() - 1; I >= 0; --I)
            Stack.push_back(Node->GetNode(I));
    }
}

// Parses the text that the file has now (the output's, under an overlay)
// and indexes it against Project's analysis of Unit, that file's unit; no
// tree when there is no such unit or the file does not parse.
TUnitText ReadUnitText(IqlProject* Project, TqlUnit* Unit, const std::string& FileName)
{
    TUnitText Text;
    Text.Unit = Unit;
    if (!Text.Unit)
        return Text;
    try {
        TlxLexStream Source;
        Source.LoadFromFile(FileName);
        std::string Defines;
        if (Ref<IqlOptions> Options = Project->GetOptions())
            if (Ref<IqlStringList> List = Options->GetDefines())
                Defines = List->GetText();
        auto Root = std::make_unique<TqlModuleNode>();
        Root->SetFileIndex(Text.Unit->GetFileIndex());
        TqlNodeBuilder Builder(Root.get(), Defines, GlobalKeyHashTable, GlobalDirectiveHash);
        Builder.Run(FileName, &Source);
        Text.Tree = std::move(Root);
    } catch (const std::exception&) {
        return Text;
    }
    if (TqlList* Uses = Text.Unit->GetUsedByLocations())
        for (int I = 0; I < Uses->GetCount(); ++I) {
            auto* Use = static_cast<TqlUsedByLocation*>(Uses->GetItem(I));
            if (Use->GetFileIndex() == Text.Unit->GetFileIndex())
                Text.Uses.emplace((uint64_t(uint32_t(Use->GetY())) << 32) | uint32_t(Use->GetX()), Use);
        }
    CollectWiths(Text, Text.Tree.get());
    return Text;
}

// The unit keeps the names it left unresolved in ASCII capitals.
bool IsUnresolvedIn(TqlUnit* Unit, std::string Name)
{
    for (char& C : Name)
        if (C >= 'a' && C <= 'z')
            C = static_cast<char>(C - 'a' + 'A');
    return Unit->GetUnresolvedNames().count(Name) > 0;
}

// Every name read in Text's tree, with the innermost with statement over an
// unknown type whose body holds it (nil when none).
void ForEachName(const TUnitText& Text, const std::function<void(TqlTokenNode*, const TWithSite*)>& Visit)
{
    std::map<const TqlNode*, const TWithSite*> Sites;
    for (const TWithSite& W : Text.Withs)
        if (W.Unknown)
            Sites[W.Node] = &W;
    ForEachToken(Text.Tree.get(), [&](TqlTokenNode* Token) {
        if (Token->TokenKind() != ptIdentifier)
            return;
        const TWithSite* Around = nullptr;
        for (TqlNode* N = Token; N && !Around; N = N->Parent()) {
            const auto Site = N->Parent() ? Sites.find(N->Parent()) : Sites.end();
            if (Site != Sites.end() && WithBody(Site->second->Node) == N)
                Around = Site->second;
        }
        Visit(Token, Around);
    });
}

// What the sources of one edited file had: the with statements over an
// unknown type with a name left unresolved in their body; how many with
// statements of each text the file had; and per name, how often it stands
// outside the bodies of with statements over an unknown type where the
// analysis recorded no use of it (its declarations, for one).
struct TSourceDoubts {
    std::set<TWithKey> Withs;
    std::map<std::string, int> WithCounts;
    std::map<std::string, int> Unused;
};

// Only files that the output edits, whose units left names unresolved.
std::map<std::string, TSourceDoubts> SourceDoubtsOf(IqlProject* Project, const std::vector<TqlOutputText>& Outputs)
{
    std::map<std::string, TSourceDoubts> Result;
    for (const TqlOutputText& O : Outputs) {
        if (!O.NewFileName.empty())
            continue;
        TqlUnit* Unit = UnitOfFile(Project, O.FileName);
        if (!Unit || Unit->GetUnresolvedNames().empty())
            continue;
        const TUnitText Text = ReadUnitText(Project, Unit, O.FileName);
        if (!Text.Tree)
            continue;
        TSourceDoubts& Doubts = Result[O.FileName];
        Doubts.WithCounts = Text.WithCounts;
        ForEachName(Text, [&](TqlTokenNode* Token, const TWithSite* Around) {
            if (Around) {
                if (IsUnresolvedIn(Unit, Token->Code()))
                    Doubts.Withs.insert(Around->Key);
            } else if (!Text.UseAt(Token)) {
                ++Doubts.Unused[qlSameTextKey(Token->Code())];
            }
        });
    }
    return Result;
}

// The names of Names (by key) that the output leaves unresolved only where
// the sources carried the same doubt. The name is read in the body of a with
// statement over an unknown type that the sources had (the same text at the
// same place among those of that text) with a name unresolved in its body,
// and in no other with statement over an unknown type. Elsewhere the
// analysis notes a name unresolved only for a call whose arguments fit no
// routine of that name in sight: no place outside reads the name as a
// routine, and the places outside with no recorded use are as many as in
// the sources.
std::set<std::string> SameDoubt(IqlProject* Trial, const std::string& FileName, const TSourceDoubts& Source,
                                const std::map<std::string, std::string>& Names)
{
    std::set<std::string> Result;
    const TUnitText Text = ReadUnitText(Trial, UnitOfFile(Trial, FileName), FileName);
    if (!Text.Tree || Text.WithCounts != Source.WithCounts)
        return Result;
    std::set<std::string> InWith, Refused;
    std::map<std::string, int> Unused;
    ForEachName(Text, [&](TqlTokenNode* Token, const TWithSite* Around) {
        const std::string Key = qlSameTextKey(Token->Code());
        if (!Names.count(Key))
            return;
        if (Around) {
            (Source.Withs.count(Around->Key) ? InWith : Refused).insert(Key);
            return;
        }
        TqlUsedByLocation* Use = Text.UseAt(Token);
        if (!Use)
            ++Unused[Key];
        else if (!Use->GetUsedByList() || qlAsRoutine(Use->GetUsedByList()->GetSymbol()))
            Refused.insert(Key);
    });
    for (const std::string& Key : InWith) {
        const auto Had = Source.Unused.find(Key);
        const auto Has = Unused.find(Key);
        if (!Refused.count(Key) && (Had == Source.Unused.end() ? 0 : Had->second) ==
                                       (Has == Unused.end() ? 0 : Has->second))
            Result.insert(Key);
    }
    return Result;
}

} // namespace

bool qlFindOutputFault(const std::vector<TqlOutputText>& Outputs, TqlOutputFault& Fault,
                       const std::string& OldName, const std::string& NewName)
{
    Ref<IqlTrialProjects> Maker = Supports<IqlTrialProjects>(gqlProject);
    if (Outputs.empty() || !Maker)
        return false;
    const TDigest Before = DigestOf(gqlProject.get());
    const std::map<std::string, TSourceDoubts> SourceDoubts = SourceDoubtsOf(gqlProject.get(), Outputs);

    std::vector<std::pair<std::string, std::string>> Texts;
    std::vector<std::pair<std::string, std::string>> Renamed;
    for (const TqlOutputText& O : Outputs) {
        Texts.emplace_back(O.FileName, O.Text);
        if (!O.NewFileName.empty())
            Renamed.emplace_back(qlExtractFileName(O.NewFileName), O.FileName);
    }
    TDigest After;
    {
        const Ref<IqlProject> Trial = Maker->CreateTrialProject();
        const TTrialScope Scope(Trial);
        const TlxSourceOverlay Overlay(std::move(Texts), std::move(Renamed));
        try {
            Trial->Analyze(true);
        } catch (const std::exception& E) {
            Fault = {std::string("The output was not written: its analysis failed: ") + E.what(), -1, 0, 0};
            return true;
        }
        After = DigestOf(Trial.get());
        // Names that now carry the doubt of a with statement over an
        // unknown type, which other names carried there in the sources,
        // are no new fault.
        for (auto& [File, Names] : After.Unresolved) {
            const auto Doubts = SourceDoubts.find(File);
            if (Doubts == SourceDoubts.end())
                continue;
            const auto Was = Before.Unresolved.find(File);
            std::map<std::string, std::string> New;
            for (const auto& [Key, Name] : Names)
                if (Was == Before.Unresolved.end() || !Was->second.count(Key))
                    New.emplace(Key, Name);
            if (!New.empty())
                for (const std::string& Key : SameDoubt(Trial.get(), File, Doubts->second, New))
                    Names.erase(Key);
        }
    }

    // A message the sources did not have.
    std::map<std::pair<std::string, std::string>, int> Had;
    for (const TMessageSeen& M : Before.Messages)
        ++Had[{M.FileName, M.Text}];
    for (const TMessageSeen& M : After.Messages) {
        // As it stands, or as the sources said it before the rename.
        int* Left = &Had[{M.FileName, M.Text}];
        if (*Left == 0)
            Left = &Had[{M.FileName, WithOldName(M.Text, OldName, NewName)}];
        if (*Left > 0) {
            --*Left;
            continue;
        }
        Fault = FaultAt("The output was not written: its analysis says \"" + M.Text +
                            "\", which that of the sources did not.",
                        M.FileName, M.X, M.Y);
        return true;
    }
    // A name resolved in the sources and left unresolved by the output.
    for (const auto& [File, Names] : After.Unresolved) {
        const auto Was = Before.Unresolved.find(File);
        for (const auto& [Key, Name] : Names)
            if (Was == Before.Unresolved.end() ||
                !(Was->second.count(Key) ||
                  (!OldName.empty() && qlSameText(Name, NewName) && Was->second.count(qlSameTextKey(OldName))))) {
                int X = 1, Y = 1;
                for (const TqlOutputText& O : Outputs)
                    if (O.FileName == File)
                        FirstWord(O.Text, Name, X, Y);
                Fault = FaultAt("The output was not written: " + Name + " no longer resolves in it.", File, X, Y);
                return true;
            }
    }
    // An override that no longer finds what it overrode.
    for (const auto& [Key, Claim] : Before.Claims) {
        if (!Claim.Found)
            continue;
        const auto Now = After.Claims.find(Key);
        if (Now != After.Claims.end() && !Now->second.Found) {
            Fault = FaultAt("The output was not written: " + Now->second.Name +
                                " would no longer override a method of an ancestor.",
                            Now->second.FileName, Now->second.X, Now->second.Y);
            return true;
        }
    }
    return false;
}
