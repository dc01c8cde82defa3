#include "Refactorings/SymbolRenamer/uSymbolRenamer.h"


#include "base/uqlPathUtils.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>

namespace {

const char* const TokenNotFound = "Token not found";
const char* const InvalidName = "Identifier, %s, is not a valid name";
const char* const OverrideChain = "Symbol, %s, is part of an override chain; not renamed";
const char* const NoSource = "Symbol, %s, has no source to change";

std::string Format2(const std::string& Pattern, const std::string& A, const std::string& B)
{
    return qlFormat(qlFormat(Pattern, A), B);
}

TqlClass* AsClass(TqlSymbol* Symbol)
{
    return dynamic_cast<TqlClass*>(Symbol);
}

// The declarations that hold Symbol: the unit, its classes, records and
// routines and the routines of its classes, searched in that order.
TqlSymbol* FindContainerOf(TqlUnit* Unit, TqlSymbol* Symbol)
{
    if (auto* Routine = dynamic_cast<TqlRoutine*>(Symbol))
        if (Routine->GetRoutineList())
            if (TqlSymbol* C = Routine->GetRoutineList()->GetContainer())
                return C;
    const std::string& Name = Symbol->GetName();
    std::vector<TqlSymbol*> Candidates{Unit};
    auto AddList = [&](TqlList* List) {
        for (int I = 0; List && I < List->GetCount(); ++I)
            Candidates.push_back(static_cast<TqlSymbol*>(List->GetItem(I)));
    };
    AddList(Unit->GetClasses());
    AddList(Unit->GetObjects());
    AddList(Unit->GetInterfaces());
    AddList(Unit->GetRecords());
    AddList(Unit->GetRoutines());
    for (size_t I = 1; I < Candidates.size(); ++I)
        if (auto* Class = AsClass(Candidates[I]))
            AddList(Class->GetRoutines());
    for (TqlSymbol* C : Candidates)
        if (C->FindSymbol(Unit, AsClass(C), Name) == Symbol)
            return C;
    return nullptr;
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

TqlLeafIndex* TqlSymbolRename::Leaves(TqlUnit* Unit)
{
    auto& Slot = FLeaves[Unit];
    if (!Slot) {
        TqlModuleNode* Tree = FOpen(Unit);
        if (!Tree)
            return nullptr;
        // Only the places of the symbol in this unit can be asked for.
        std::unordered_set<uint64_t> Wanted;
        auto Want = [&](const TqlCodeLocation* L) {
            if (L->GetFileIndex() == Unit->GetFileIndex())
                Wanted.insert(qlPointKey(L->GetX(), L->GetY()));
        };
        Want(FSymbol);
        TqlUsedByList* UsedBy = FSymbol->GetUsedBy();
        for (int I = 0; I < UsedBy->GetCount(); ++I)
            Want(UsedBy->GetLocations(I));
        Slot = std::make_unique<TqlLeafIndex>(Tree, Wanted);
    }
    return Slot.get();
}

bool TqlSymbolRename::MapPlace(int FileIndex, int X, int Y)
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
    TqlLeafIndex* Index = Leaves(Unit);
    if (!Index) {
        Post(qlFormat(NoSource, FOldName), FileIndex, X, Y);
        return false;
    }
    auto* Token = dynamic_cast<TqlTokenNode*>(Index->Find(X, Y));
    if (!Token || Token->TokenKind() != ptIdentifier || !qlSameName(Token->Code(), FOldName)) {
        Post(TokenNotFound, FileIndex, X, Y);
        return false;
    }
    for (const TPlace& P : FPlaces)
        if (P.Token == Token)
            return true;
    FPlaces.push_back({Unit, Token});
    if (std::find(FUnits.begin(), FUnits.end(), Unit) == FUnits.end())
        FUnits.push_back(Unit);
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
        return true;
    }
    TqlUnit* Unit = FSymbol->GetUnitIntf();
    if (!Unit)
        return true;
    if (auto* Routine = dynamic_cast<TqlRoutine*>(FSymbol)) {
        const TRoutineDirectives D = Routine->GetDirectives();
        bool Chain = D.Contains(rdOverride) || D.Contains(rdVirtual) || D.Contains(rdDynamic) ||
                     D.Contains(rdAbstract) || D.Contains(rdMessage);
        if (TqlClass* Owner = AsClass(FindContainerOf(Unit, FSymbol)))
            Chain = Chain || Owner->IsSymbolFromInterface(FOldName) ||
                    dynamic_cast<TqlInterface*>(Owner) != nullptr;
        if (Chain) {
            Post(qlFormat(OverrideChain, FOldName), File, X, Y);
            return false;
        }
    }
    TqlSymbol* Container = FindContainerOf(Unit, FSymbol);
    if (Container) {
        TqlSymbol* Found = Container->FindSymbol(Unit, AsClass(Container), FNewName);
        if (Found && Found != FSymbol)
            return Clash(Container->GetName());
        if (TqlClass* Class = AsClass(Container)) {
            std::vector<TqlClass*> Below;
            std::set<TqlClass*> Seen{Class};
            Descendants(Class, Below, Seen);
            for (TqlClass* D : Below)
                if (TqlSymbol* F = D->FindSymbol(Unit, D, FNewName); F && F != FSymbol)
                    return Clash(D->GetName());
        }
    }
    return true;
}

bool TqlSymbolRename::CheckReach()
{
    if (qlSameName(FOldName, FNewName) || dynamic_cast<TqlUnit*>(FSymbol))
        return true;
    // A name that a unit of the rename already reaches would change what its
    // other uses there mean.
    for (TqlUnit* Unit : FUnits)
        if (TqlSymbol* Found = Unit->FindReferencedSymbol(nullptr, FNewName, false, TqlUsedByInfo{});
            Found && Found != FSymbol) {
            TqlUnit* Home = Found->GetUnitIntf();
            Post(Format2("Name, %s, is already declared in %s", FNewName,
                         Home ? Home->GetName() : Unit->GetName()),
                 FSymbol->GetFileIndex(), FSymbol->GetX(), FSymbol->GetY());
            return false;
        }
    return true;
}

bool TqlSymbolRename::Prepare()
{
    FPlaces.clear();
    FUnits.clear();
    if (!IsValidName(FNewName)) {
        Post(qlFormat(InvalidName, FNewName), FSymbol->GetFileIndex(), FSymbol->GetX(),
             FSymbol->GetY());
        return false;
    }
    if (!CheckClashes())
        return false;
    bool Ok = MapPlace(FSymbol->GetFileIndex(), FSymbol->GetX(), FSymbol->GetY());
    TqlUsedByList* UsedBy = FSymbol->GetUsedBy();
    for (int I = 0; I < UsedBy->GetCount(); ++I) {
        TqlUsedByLocation* Use = UsedBy->GetLocations(I);
        if (Use->GetX() < 1 || Use->GetY() < 1)
            continue;
        Ok = MapPlace(Use->GetFileIndex(), Use->GetX(), Use->GetY()) && Ok;
    }
    return Ok && CheckReach();
}

void TqlSymbolRename::Apply()
{
    const bool IsUnit = dynamic_cast<TqlUnit*>(FSymbol) != nullptr;
    for (const TPlace& P : FPlaces) {
        P.Token->SetCode(FNewName);
        if (!IsUnit)
            continue;
        // A uses or contains entry "Name in 'path'" names the file too.
        if (!P.Token->GetPriorPeerTokenNode(ptUses, true) &&
            !P.Token->GetPriorPeerTokenNode(ptContains, true))
            continue;
        TqlTokenNode* In = P.Token->GetNextPeerTokenNode(ptUnknown, true);
        if (!In || In->TokenKind() != ptIn)
            continue;
        TqlTokenNode* Path = In->GetNextPeerTokenNode(ptUnknown, true);
        if (Path && Path->TokenKind() == ptStringConst)
            Path->SetCode(RenamePath(Path->Code(), FOldName, FNewName));
    }
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

// Copies From to To byte for byte; To must not exist.
void CopyExclusive(const std::string& From, const std::string& To)
{
    std::ifstream In(From, std::ios::binary);
    if (!In)
        throw Exception("Could not read " + From);
    const int Fd = ::open(To.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (Fd < 0)
        throw Exception(qlFormat("Attempt to overwrite file, %s.", To));
    char Buffer[65536];
    bool Ok = true;
    while (Ok && In) {
        In.read(Buffer, sizeof Buffer);
        const std::streamsize N = In.gcount();
        for (std::streamsize Done = 0; Ok && Done < N;) {
            const ssize_t W = ::write(Fd, Buffer + Done, size_t(N - Done));
            Ok = W > 0;
            Done += W > 0 ? W : 0;
        }
    }
    ::close(Fd);
    if (!Ok)
        throw Exception("Could not write " + To);
}

} // namespace

void TSymbolRenamer::WriteRenamedUnit(TqlUnit* Unit, const std::string& NewName,
                                      const std::string& BaseFolder)
{
    const std::filesystem::path Source(Unit->GetFullFileName());
    const std::string NewFile =
        (Source.parent_path() / (NewName + Source.extension().string())).string();
    std::string Folder;
    const std::string Target = GetFilenameToGenerate(NewFile, BaseFolder, Folder);
    // The form file that the analysis read goes along under the new name.
    TqlDFMResource* Form = Unit->GetDFMResource();
    if (Form && !Form->GetFileName().empty() && std::filesystem::exists(Form->GetFileName()))
        CopyExclusive(Form->GetFileName(),
                      (std::filesystem::path(Folder) / (NewName + ".dfm")).string());
    const int Index = CheckRefactoringUnit(Unit);
    RefactoringList()->GetNode(Index)->ModuleNode->Generate(Target, true);
    RefactoringList()->Delete(Index);
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
    if (!Rename.Prepare()) {
        // All or nothing: the units opened for the check close unwritten.
        while (RefactoringList()->Count() > 0)
            CancelRefactoring(RefactoringList()->GetNode(0)->Unit);
        return;
    }
    Rename.Apply();
    try {
        if (auto* Unit = dynamic_cast<TqlUnit*>(Symbol))
            WriteRenamedUnit(Unit, NewName, BaseFolder);
        EndRefactorings(BaseFolder);
    } catch (...) {
        // A half-written rename is worse than none.
        std::error_code Ec;
        std::filesystem::remove_all(GetQualifiedBaseFolderName(BaseFolder), Ec);
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
