#include "Refactorings/uqlRefactoring.h"

#include "base/qlHash.h"
#include "base/uqlPathUtils.h"
#include "model/uqlMessage.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string CurrentFolder()
{
    std::string Buffer(PATH_MAX, '\0');
    while (!::getcwd(Buffer.data(), Buffer.size())) {
        if (errno != ERANGE)
            return ".";
        Buffer.resize(Buffer.size() * 2);
    }
    Buffer.resize(std::char_traits<char>::length(Buffer.c_str()));
    return Buffer;
}

// FileName made absolute against the current folder, with "." and ".." and
// repeated separators taken out, without its leading "/".
std::string NormalisedRest(const std::string& FileName)
{
    const std::string Absolute =
        !FileName.empty() && FileName[0] == '/' ? FileName : CurrentFolder() + "/" + FileName;
    std::vector<std::string> Parts;
    size_t Pos = 0;
    while (Pos <= Absolute.size()) {
        size_t End = Absolute.find('/', Pos);
        if (End == std::string::npos)
            End = Absolute.size();
        const std::string Part = Absolute.substr(Pos, End - Pos);
        if (Part == "..") {
            if (!Parts.empty())
                Parts.pop_back();
        } else if (!Part.empty() && Part != ".") {
            Parts.push_back(Part);
        }
        Pos = End + 1;
    }
    std::string Rest;
    for (const std::string& Part : Parts)
        Rest += (Rest.empty() ? "" : "/") + Part;
    return Rest;
}

// A folder name taken from the current folder ("./Generated/x" gives
// "<current folder>/Generated/x").
std::string AbsoluteFolder(const std::string& Folder)
{
    if (!Folder.empty() && Folder[0] == '/')
        return Folder;
    return CurrentFolder() + "/" + (Folder.rfind("./", 0) == 0 ? Folder.substr(2) : Folder);
}

std::string ParentFolder(const std::string& Path)
{
    const size_t Slash = Path.find_last_of('/');
    if (Slash == std::string::npos)
        return ".";
    return Slash == 0 ? "/" : Path.substr(0, Slash);
}

// Creates Folder and every missing parent; false when one cannot be made or
// is not a folder.
bool ForceFolders(const std::string& Folder)
{
    if (Folder.empty())
        return false;
    size_t Pos = 0;
    while (true) {
        const size_t Slash = Folder.find('/', Pos + 1);
        const std::string Prefix = Folder.substr(0, Slash);
        if (!Prefix.empty() && ::mkdir(Prefix.c_str(), 0777) != 0) {
            const int Err = errno;
            struct stat St {};
            if (Err != EEXIST || ::stat(Prefix.c_str(), &St) != 0 || !S_ISDIR(St.st_mode))
                return false;
        }
        if (Slash == std::string::npos)
            return true;
        Pos = Slash;
    }
}

void ForceFoldersOrRaise(const std::string& Folder)
{
    if (!ForceFolders(Folder))
        throw Exception("Could not create directory, " + Folder);
}

TqlInputQueryHandler& InputQueryHandler()
{
    static TqlInputQueryHandler Handler;
    return Handler;
}

TqlProgramLauncher& ProgramLauncher()
{
    static TqlProgramLauncher Launcher;
    return Launcher;
}

template <class T, class F>
T* FindLeaf(TqlNode* Node, const TqlCodeLocation* Location, F&& Accept)
{
    if (!Node || !Location)
        return nullptr;
    const TqlNode* Root = Node;
    while (Root->Parent())
        Root = Root->Parent();
    if (const auto* Module = dynamic_cast<const TqlModuleNode*>(Root))
        if (Module->FileIndex() >= 0 && Location->GetFileIndex() != Module->FileIndex())
            return nullptr;
    const TPoint Wanted{Location->GetX(), Location->GetY()};
    std::vector<TqlNode*> Stack{Node};
    while (!Stack.empty()) {
        TqlNode* Current = Stack.back();
        Stack.pop_back();
        if (Current->Count() == 0) {
            if (auto* Leaf = dynamic_cast<T*>(Current))
                if (Leaf->GetPoint() == Wanted && Accept(Leaf))
                    return Leaf;
            continue;
        }
        for (int I = Current->Count() - 1; I >= 0; --I)
            Stack.push_back(Current->GetNode(I));
    }
    return nullptr;
}

} // namespace

// ---------------------------------------------------------------------------
// TqlRefactoringListNode, TqlRefactoringList
// ---------------------------------------------------------------------------

TqlRefactoringListNode::TqlRefactoringListNode(TqlRefactoring* Refactoring, TqlUnit* AUnit)
    : Unit(AUnit), ModuleNode(Refactoring->TryCreateModuleNode(AUnit))
{
}

int TqlRefactoringList::Add(std::unique_ptr<TqlRefactoringListNode> Entry)
{
    FItems.push_back(std::move(Entry));
    return Count() - 1;
}

TqlRefactoringListNode* TqlRefactoringList::GetNode(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError(Index);
    return FItems[static_cast<size_t>(Index)].get();
}

int TqlRefactoringList::IndexOf(const TqlUnit* Unit) const
{
    for (int I = 0; I < Count(); ++I)
        if (FItems[static_cast<size_t>(I)]->Unit == Unit)
            return I;
    return -1;
}

void TqlRefactoringList::Delete(int Index)
{
    if (Index < 0 || Index >= Count())
        throw EListError(Index);
    FItems.erase(FItems.begin() + Index);
}

// ---------------------------------------------------------------------------
// TqlRefactoring
// ---------------------------------------------------------------------------

TqlRefactoring::TqlRefactoring() : FRefactoringList(std::make_unique<TqlRefactoringList>(this)) {}

TqlRefactoring::~TqlRefactoring() = default;

std::string TqlRefactoring::GetFilenameToGenerate(const std::string& FileName,
                                                  const std::string& BaseFolder, std::string& Folder)
{
    RecordRunFolder(BaseFolder);
    const std::string Result =
        AbsoluteFolder(GetQualifiedBaseFolderName(BaseFolder)) + "/Root/" + NormalisedRest(FileName);
    Folder = ParentFolder(Result);
    ForceFoldersOrRaise(Folder);
    return Result;
}

void TqlRefactoring::RecordRunFolder(const std::string& BaseFolder)
{
    const std::string Run = AbsoluteFolder(GetQualifiedBaseFolderName(BaseFolder));
    for (const TRunFolder& R : FRunFolders)
        if (R.Folder == Run)
            return;
    // Only a folder that this refactoring makes is its to take back.
    struct stat St {};
    if (::stat(Run.c_str(), &St) == 0)
        return;
    FRunFolders.push_back({Run, ::stat(ParentFolder(Run).c_str(), &St) != 0});
}

void TqlRefactoring::ReleaseRunFolders(bool Everything) noexcept
{
    for (const TRunFolder& R : FRunFolders) {
        try {
            if (!Everything && HoldsFiles(R.Folder))
                continue;
            std::error_code Ec;
            std::filesystem::remove_all(R.Folder, Ec);
            // Only when empty: other runs may have written there since.
            if (R.MadeParent)
                ::rmdir(ParentFolder(R.Folder).c_str());
        } catch (...) {
            // Clearing up: a folder that cannot go stays.
        }
    }
    FRunFolders.clear();
}

void TqlRefactoring::DiscardRunOutput() noexcept { ReleaseRunFolders(true); }

void TqlRefactoring::PruneRunOutput() noexcept { ReleaseRunFolders(false); }

bool TqlRefactoring::HoldsFiles(const std::string& Folder)
{
    std::error_code Ec;
    for (std::filesystem::recursive_directory_iterator It(Folder, Ec), End; !Ec && It != End;
         It.increment(Ec))
        if (It->is_regular_file(Ec))
            return true;
    return false;
}

void TqlRefactoring::PostNote(const std::string& Text)
{
    if (gqlRefactoringHost)
        gqlRefactoringHost->AddMessage(Ref<IqlRefactoring>(this),
                                       Ref<IqlMessage>(new TqlMessage(Text, -1, 0, 0, false)));
}

std::string TqlRefactoring::GetBaseFolderName()
{
    FFindings = 0;
    FWritten.clear();
    return TGUID::Create().ToString();
}

std::string TqlRefactoring::GetQualifiedBaseFolderName(const std::string& BaseFolder)
{
    return "./Generated/" + BaseFolder;
}

std::string TqlRefactoring::GetGroupName() { return std::string(); }

void TqlRefactoring::BeginRefactoring(const std::string& /*BaseFolder*/, TqlUnit* Unit)
{
    if (FRefactoringList->IndexOf(Unit) >= 0)
        throw Exception("Unit is already being refactored.");
    // Its declarations are the library's: an edit there is not one the
    // compiler would ever see, and the units that follow it would no longer
    // match the library they are built with.
    if (qlStandsForRunTimeLibrary(Unit))
        throw EqlRefactoringRefused("Unit, " + Unit->GetName() +
                                        ", stands for the run-time library; no refactoring changes it.",
                                    Unit->GetFileIndex(), Unit->GetX(), Unit->GetY());
    FRefactoringList->Add(std::make_unique<TqlRefactoringListNode>(this, Unit));
}

TqlModuleNode* TqlRefactoring::GetModuleNode(const TqlUnit* Unit) const
{
    const int Index = FRefactoringList->IndexOf(Unit);
    return Index < 0 ? nullptr : FRefactoringList->GetNode(Index)->ModuleNode.get();
}

bool TqlRefactoring::GetLocked(const TqlUnit* Unit) const
{
    return FRefactoringList->IndexOf(Unit) >= 0;
}

int TqlRefactoring::CheckRefactoringUnit(const TqlUnit* Unit) const
{
    const int Index = FRefactoringList->IndexOf(Unit);
    if (Index < 0)
        throw Exception("Unit, " + (Unit ? Unit->GetName() : std::string()) +
                        ", is not being refactored.");
    return Index;
}

void TqlRefactoring::EndRefactoring(const std::string& BaseFolder, TqlUnit* Unit)
{
    const int Index = CheckRefactoringUnit(Unit);
    // A unit without a tree has nothing to write.
    if (TqlModuleNode* Module = FRefactoringList->GetNode(Index)->ModuleNode.get()) {
        std::string Folder;
        const std::string FileName = GetFilenameToGenerate(Unit->GetFullFileName(), BaseFolder, Folder);
        Module->Generate(FileName, true);
        FWritten.emplace_back(Unit->GetFullFileName(), FileName);
    }
    NotifyUnitRefactored(Unit);
    const int Still = FRefactoringList->IndexOf(Unit);
    if (Still >= 0)
        FRefactoringList->Delete(Still);
}

void TqlRefactoring::CancelRefactoring(TqlUnit* Unit)
{
    FRefactoringList->Delete(CheckRefactoringUnit(Unit));
    NotifyUnitRefactored(Unit);
}

void TqlRefactoring::EndRefactorings(const std::string& BaseFolder)
{
    while (FRefactoringList->Count() > 0)
        EndRefactoring(BaseFolder, FRefactoringList->GetNode(0)->Unit);
}

void TqlRefactoring::CancelOpenUnits() noexcept
{
    while (FRefactoringList->Count() > 0) {
        TqlUnit* Unit = FRefactoringList->GetNode(0)->Unit;
        FRefactoringList->Delete(0);
        try {
            NotifyUnitRefactored(Unit);
        } catch (...) {
            // Clearing up after a run: what the host says now changes nothing.
        }
    }
}

void TqlRefactoring::NotifyUnitRefactored(TqlUnit* Unit)
{
    if (gqlRefactoringHost)
        gqlRefactoringHost->UnitRefactored(Unit);
}

TqlSourceFile* TqlRefactoring::SourceFileOf(const TqlUnit* Unit)
{
    TqlFileNameList* Files = gqlProject ? gqlProject->GetFileNames() : nullptr;
    if (!Unit || !Files)
        return nullptr;
    const int FileIndex = Unit->GetFileIndex();
    if (FileIndex < 0 || FileIndex >= Files->GetCount())
        return nullptr;
    TqlSourceFile* File = Files->GetItems(FileIndex);
    return File->Exists ? File : nullptr;
}

std::unique_ptr<TqlModuleNode> TqlRefactoring::TryCreateModuleNode(TqlUnit* Unit)
{
    TqlSourceFile* File = SourceFileOf(Unit);
    if (!File)
        return nullptr;
    const int FileIndex = Unit->GetFileIndex();

    TlxLexStream Source;
    Source.LoadFromFile(File->GetFullFileName());
    // Positions of the model only fit the text that the analysis read.
    if (File->Size >= 0 &&
        (Source.Size() != File->Size ||
         qlHash64(std::string_view(Source.Memory(), static_cast<size_t>(Source.Size()))) != File->Hash))
        throw Exception("Unit, " + Unit->GetName() + ", has changed since the last analysis.");

    std::string Defines;
    if (Ref<IqlOptions> Options = gqlProject->GetOptions())
        if (Ref<IqlStringList> List = Options->GetDefines())
            Defines = List->GetText();
    auto Root = std::make_unique<TqlModuleNode>();
    Root->SetFileIndex(FileIndex);
    TqlNodeBuilder Builder(Root.get(), Defines, GlobalKeyHashTable, GlobalDirectiveHash);
    Builder.Run(File->GetFullFileName(), &Source);
    return Root;
}

TqlCodeNode* TqlRefactoring::FindNodeForLocation(TqlNode* Node, const TqlCodeLocation* Location)
{
    return FindLeaf<TqlCodeNode>(Node, Location, [](const TqlCodeNode*) { return true; });
}

TqlTokenNode* TqlRefactoring::FindTokenNodeForLocation(TqlNode* Node, const TqlCodeLocation* Location)
{
    return FindLeaf<TqlTokenNode>(Node, Location,
                                  [](const TqlTokenNode* Token) { return !Token->Code().empty(); });
}

TqlCodeLocation* TqlRefactoring::FindCodeLocationForNode(TqlUnit* Unit, const TqlCodeNode* Node)
{
    if (!Unit || !Node || !Unit->GetUsedByLocations())
        return nullptr;
    TqlList* Uses = Unit->GetUsedByLocations();
    const TPoint Point = Node->GetPoint();
    for (int I = 0; I < Uses->GetCount(); ++I) {
        auto* Location = dynamic_cast<TqlCodeLocation*>(Uses->GetItem(I));
        if (Location && Location->GetFileIndex() == Unit->GetFileIndex() &&
            Location->GetX() == Point.X && Location->GetY() == Point.Y)
            return Location;
    }
    return nullptr;
}

void TqlRefactoring::CheckOutput(const std::vector<TqlOutputText>& Outputs, const std::string& OldName,
                                 const std::string& NewName)
{
    TqlOutputFault Fault;
    if (qlFindOutputFault(Outputs, Fault, OldName, NewName))
        throw EqlRefactoringRefused(Fault.Text, Fault.FileIndex, Fault.X, Fault.Y);
}

void TqlRefactoring::CheckWrittenOutput()
{
    std::vector<TqlOutputText> Outputs;
    for (const auto& [Source, Written] : FWritten) {
        TlxLexStream Text;
        Text.LoadFromFile(Written);
        Outputs.push_back({Source, std::string(Text.Memory(), static_cast<size_t>(Text.Size())), ""});
    }
    FWritten.clear();
    CheckOutput(Outputs);
}

void TqlRefactoring::ViewRefactoring(const std::string& BaseFolder)
{
    std::string FileToAnalyze;
    std::string Exe;
    std::string Params;
    if (gqlProject) {
        if (Ref<IqlOptions> Options = gqlProject->GetOptions())
            FileToAnalyze = Options->GetFileToAnalyze();
        if (Ref<IqlSystemOptions> System = gqlProject->GetSystemOptions())
            if (Ref<IqlRefactorOptions> Refactor = System->GetRefactorOptions()) {
                Exe = Refactor->GetFolderComparisonExe();
                Params = Refactor->GetFolderComparisonExeParams();
            }
    }
    // A run that wrote nothing has nothing to show, and no folder is made
    // for it.
    if (!HoldsFiles(AbsoluteFolder(GetQualifiedBaseFolderName(BaseFolder)))) {
        // Findings already say why; without any the user learns that the
        // run is over.
        if (FFindings == 0)
            PostNote("Nothing was changed.");
        return;
    }
    std::string Folder;
    std::string SourceFolder;
    if (FileToAnalyze.empty()) {
        // No file to analyse: the run folder itself.
        Folder = AbsoluteFolder(GetQualifiedBaseFolderName(BaseFolder));
        ForceFoldersOrRaise(Folder);
    } else {
        GetFilenameToGenerate(FileToAnalyze, BaseFolder, Folder);
        std::string Rooted = NormalisedRest(FileToAnalyze);
        Rooted.insert(Rooted.begin(), '/');
        SourceFolder = ParentFolder(Rooted);
    }
    std::vector<std::string> Argv;
    if (!Exe.empty()) {
        Argv.push_back(Exe);
        for (std::string& Word : qlSplitComparisonParams(Params, SourceFolder, Folder))
            Argv.push_back(std::move(Word));
    } else {
        Argv = {"xdg-open", Folder};
    }
    // The output is written: a viewer that does not start is no failure of
    // the run.
    if (!qlLaunchProgram(Argv))
        PostNote("Could not start " + Argv[0] + ". The output is in " + Folder + ".");
}

void qlExecuteRefactoring(const Ref<IqlRefactoring>& Refactoring)
{
    if (!Refactoring)
        return;
    const Ref<IqlRefactoring> Keep = Refactoring;
    auto* Base = dynamic_cast<TqlRefactoring*>(Keep.get());
    try {
        Keep->Execute();
    } catch (const EqlRefactoringRefused& E) {
        if (Base) {
            Base->CancelOpenUnits();
            Base->DiscardRunOutput();
            Base->FindingPosted();
        }
        if (gqlRefactoringHost)
            gqlRefactoringHost->AddMessage(
                Keep, Ref<IqlMessage>(new TqlMessage(E.what(), E.FileIndex, E.X, E.Y, false)));
        return;
    } catch (...) {
        if (Base) {
            Base->CancelOpenUnits();
            // Part of a result is worse than none.
            Base->DiscardRunOutput();
        }
        throw;
    }
    if (Base) {
        Base->CancelOpenUnits();
        Base->PruneRunOutput();
    }
}

std::vector<std::string> qlSplitComparisonParams(const std::string& Template,
                                                 const std::string& SourceFolder,
                                                 const std::string& OutputFolder)
{
    std::vector<std::string> Words;
    std::string Word;
    bool HaveWord = false;
    bool Quoted = false;
    bool Done1 = false;
    bool Done2 = false;
    for (size_t I = 0; I < Template.size(); ++I) {
        const char C = Template[I];
        if (C == '"') {
            Quoted = !Quoted;
            HaveWord = true;
        } else if (!Quoted && (C == ' ' || C == '\t')) {
            if (HaveWord)
                Words.push_back(std::move(Word));
            Word.clear();
            HaveWord = false;
        } else if (C == '%' && I + 1 < Template.size() &&
                   ((Template[I + 1] == '1' && !Done1) || (Template[I + 1] == '2' && !Done2))) {
            if (Template[I + 1] == '1') {
                Word += SourceFolder;
                Done1 = true;
            } else {
                Word += OutputFolder;
                Done2 = true;
            }
            HaveWord = true;
            ++I;
        } else {
            Word += C;
            HaveWord = true;
        }
    }
    if (HaveWord)
        Words.push_back(std::move(Word));
    return Words;
}

// ---------------------------------------------------------------------------
// Seams
// ---------------------------------------------------------------------------

void qlSetInputQuery(TqlInputQueryHandler Handler) { InputQueryHandler() = std::move(Handler); }

bool qlInputQuery(const std::string& Caption, const std::string& Prompt, std::string& Value)
{
    const TqlInputQueryHandler& Handler = InputQueryHandler();
    return Handler ? Handler(Caption, Prompt, Value) : false;
}

void qlSetProgramLauncher(TqlProgramLauncher Launcher) { ProgramLauncher() = std::move(Launcher); }

bool qlLaunchProgram(const std::vector<std::string>& Argv)
{
    const TqlProgramLauncher& Launcher = ProgramLauncher();
    return Launcher ? Launcher(Argv) : qlStartDetached(Argv);
}

bool qlStartDetached(const std::vector<std::string>& Argv)
{
    if (Argv.empty() || Argv[0].empty())
        return false;
    std::vector<char*> Args;
    for (const std::string& A : Argv)
        Args.push_back(const_cast<char*>(A.c_str()));
    Args.push_back(nullptr);
    // The program runs as a grandchild that init adopts; the child that
    // starts it is waited for at once. A pipe closed by exec tells whether
    // the program started.
    int Pipe[2];
    if (::pipe2(Pipe, O_CLOEXEC) != 0)
        return false;
    const pid_t Child = ::fork();
    if (Child < 0) {
        ::close(Pipe[0]);
        ::close(Pipe[1]);
        return false;
    }
    if (Child == 0) {
        ::close(Pipe[0]);
        ::setsid();
        const pid_t Grandchild = ::fork();
        if (Grandchild == 0) {
            ::execvp(Args[0], Args.data());
            const int Err = errno;
            (void)!::write(Pipe[1], &Err, sizeof Err);
            ::_exit(127);
        }
        if (Grandchild < 0) {
            const int Err = errno;
            (void)!::write(Pipe[1], &Err, sizeof Err);
        }
        ::_exit(0);
    }
    ::close(Pipe[1]);
    int Status = 0;
    while (::waitpid(Child, &Status, 0) < 0 && errno == EINTR) {
    }
    int Err = 0;
    ssize_t N;
    while ((N = ::read(Pipe[0], &Err, sizeof Err)) < 0 && errno == EINTR) {
    }
    ::close(Pipe[0]);
    return N == 0;
}
