#include "Refactorings/SymbolRenamer/uSymbolRenamer.h"

#include "Refactorings/SymbolRenamer/uRenameSupport.h"
#include "Refactorings/uqlRefactoring.h"
#include "base/qlFileLimits.h"
#include "base/uqlPathUtils.h"

#include <cctype>
#include <filesystem>
#include <set>

using namespace SymbolRenamer;

namespace {

const char* const InvalidName = "Identifier, %s, is not a valid name";
const char* const Ambiguous = "Call of %s here could not be bound to one overload; not renamed";

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
    // The form of the unit's own name goes along, byte for byte; a form
    // that {$R Name.dfm} names keeps its name.
    std::string From;
    for (int I = 0; From.empty() && I < Unit->GetFormCount(); ++I) {
        const std::string& Name = Unit->GetForms(I)->GetFileName();
        if (!Name.empty() && qlSameText(qlExtractUnitName(Name), qlExtractUnitName(Unit->GetFullFileName())) &&
            std::filesystem::exists(Name))
            From = Name;
    }
    if (From.empty())
        return;
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
