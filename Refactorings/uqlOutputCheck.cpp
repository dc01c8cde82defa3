#include "Refactorings/uqlOutputCheck.h"

#include "base/uqlPathUtils.h"
#include "lexer/lxPasLexTypes.h"
#include "model/uqlClasses.h"

#include <cctype>
#include <map>
#include <tuple>
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

} // namespace

bool qlFindOutputFault(const std::vector<TqlOutputText>& Outputs, TqlOutputFault& Fault,
                       const std::string& OldName, const std::string& NewName)
{
    Ref<IqlTrialProjects> Maker = Supports<IqlTrialProjects>(gqlProject);
    if (Outputs.empty() || !Maker)
        return false;
    const TDigest Before = DigestOf(gqlProject.get());

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
