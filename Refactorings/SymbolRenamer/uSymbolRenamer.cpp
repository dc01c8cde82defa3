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
    auto Report = [&](const char* Text, uint64_t Key) {
        Post(Text, Unit->GetFileIndex(), int(Key & 0xffffffffu), int(Key >> 32));
    };
    if (!Tree) {
        for (uint64_t Key : It->second)
            Report(qlFormat(NoSource, FOldName).c_str(), Key);
        return FOk = false;
    }
    // One walk finds the leaves at all the unit's places.
    const TqlLeafIndex Index(Tree, Wanted);
    std::vector<TqlTokenNode*> Tokens;
    bool Mapped = true;
    for (uint64_t Key : It->second) {
        auto* Token = dynamic_cast<TqlTokenNode*>(Index.FindUnchanged(int(Key & 0xffffffffu), int(Key >> 32)));
        if (!Token || Token->TokenKind() != ptIdentifier || !qlSameName(Token->Code(), FOldName)) {
            Report(TokenNotFound, Key);
            Mapped = false;
        } else if (std::find(Tokens.begin(), Tokens.end(), Token) == Tokens.end()) {
            Tokens.push_back(Token);
        }
    }
    FOk = FOk && Mapped;
    if (FOk)
        for (TqlTokenNode* Token : Tokens)
            Rename(Token);
    return Mapped;
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
    FOk = false;
    if (!IsValidName(FNewName)) {
        Post(qlFormat(InvalidName, FNewName), FSymbol->GetFileIndex(), FSymbol->GetX(),
             FSymbol->GetY());
        return false;
    }
    if (!CheckClashes())
        return false;
    bool Ok = SortPlace(FSymbol->GetFileIndex(), FSymbol->GetX(), FSymbol->GetY());
    TqlUsedByList* UsedBy = FSymbol->GetUsedBy();
    for (int I = 0; I < UsedBy->GetCount(); ++I) {
        TqlUsedByLocation* Use = UsedBy->GetLocations(I);
        if (Use->GetX() < 1 || Use->GetY() < 1)
            continue;
        Ok = SortPlace(Use->GetFileIndex(), Use->GetX(), Use->GetY()) && Ok;
    }
    FOk = Ok && CheckReach();
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
