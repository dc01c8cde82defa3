#include "analysis/uqlUnitParser.h"

#include "analysis/uqlProject.h"
#include "base/qlFileLimits.h"
#include "base/qlHash.h"
#include "base/uqlPathUtils.h"
#include "lexer/lxCompilerConditions.h"
#include "settings/uqlStringList.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <exception>
#include <fstream>
#include <cstdint>
#include <functional>
#include <pthread.h>
#include <sstream>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The room left on this thread's stack, in bytes; as much as anyone could
// want when the system does not tell. Interface parses nest on the stack (a
// used unit's interface is parsed from within the uses clause that names it).
size_t StackRoomLeft()
{
    thread_local const char* Low = nullptr;
    thread_local bool Known = false;
    if (!Known) {
        Known = true;
        pthread_attr_t Attr;
        if (pthread_getattr_np(pthread_self(), &Attr) == 0) {
            void* Addr = nullptr;
            size_t Size = 0;
            if (pthread_attr_getstack(&Attr, &Addr, &Size) == 0)
                Low = static_cast<const char*>(Addr);
            pthread_attr_destroy(&Attr);
        }
    }
    const char* Here = static_cast<const char*>(__builtin_frame_address(0));
    if (!Low)
        return SIZE_MAX;
    return Here > Low ? size_t(Here - Low) : 0;
}

struct THopArgs {
    std::function<void()>* Work;
    std::exception_ptr Error;
};

void* HopMain(void* Arg)
{
    auto* A = static_cast<THopArgs*>(Arg);
    try {
        (*A->Work)();
    } catch (...) {
        A->Error = std::current_exception();
    }
    return nullptr;
}

// Runs Work to its end on a fresh, large stack while the caller waits, so
// that chains of thousands of units that use each other in their interfaces
// cannot exhaust the stack. Only one thread runs at any time.
void RunOnFreshStack(std::function<void()> Work, size_t StackSize)
{
    THopArgs Args{&Work, nullptr};
    pthread_attr_t Attr;
    pthread_attr_init(&Attr);
    pthread_attr_setstacksize(&Attr, StackSize);
    pthread_t Thread;
    const int Rc = pthread_create(&Thread, &Attr, HopMain, &Args);
    pthread_attr_destroy(&Attr);
    if (Rc != 0) {
        Work();
        return;
    }
    pthread_join(Thread, nullptr);
    if (Args.Error)
        std::rethrow_exception(Args.Error);
}

bool IsImplementationDeclarationStart(TptTokenKind K)
{
    switch (K) {
    case ptClass: case ptConst: case ptConstructor: case ptDestructor: case ptExports:
    case ptFunction: case ptLabel: case ptProcedure: case ptResourcestring: case ptThreadvar:
    case ptType: case ptVar:
        return true;
    default:
        return false;
    }
}

// Pattern with Value in place of "%s"; a Reason, when given, replaces the
// final full stop: "..., does not exist: it is a FIFO, not a regular file.".
std::string Format1(const char* Pattern, const std::string& Value, const std::string& Reason = "")
{
    std::string S = Pattern;
    const size_t P = S.find("%s");
    if (P != std::string::npos)
        S.replace(P, 2, Value);
    if (!Reason.empty() && !S.empty() && S.back() == '.')
        S.insert(S.size() - 1, ": " + Reason);
    return S;
}

// Why a name, taken from Folder, names nothing that can be read as a file:
// "" when there is nothing of that name (or a folder).
std::string WhyNotAFile(const std::string& Folder, const std::string& FileName)
{
    const std::string Entry = qlResolveEntry(Folder, FileName);
    std::string Why;
    if (!Entry.empty() && !qlIsFolder(Entry) &&
        qlCheckLimitedFile(Entry, qlMaxSourceFileSize, Why) == TqlFileProblem::NotRegular)
        return Why;
    return "";
}

} // namespace

std::string qlDequote(const std::string& Literal)
{
    if (Literal.size() < 2 || Literal.front() != '\'')
        return Literal;
    std::string R;
    const size_t End = Literal.back() == '\'' ? Literal.size() - 1 : Literal.size();
    for (size_t i = 1; i < End; ++i) {
        R += Literal[i];
        if (Literal[i] == '\'' && i + 1 < End && Literal[i + 1] == '\'')
            ++i;
    }
    return R;
}

namespace {

size_t PageSize()
{
    static const size_t Page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    return Page;
}

// Texts longer than a page are read through pages of their own: an ended
// inclusion then keeps a page at most, whatever the size of its text.
bool IsLargeText(size_t Size) { return Size > PageSize(); }

} // namespace

// The text of one inclusion of an include file as the lexer reads it. Parse
// steps tell texts apart by their address, so every inclusion has one of its
// own, and once the inclusion has ended only that address still matters: a
// large text lies in pages of its own and gives back all but the first page
// when it ends; that page keeps the address taken.
class TIncludeText {
public:
    explicit TIncludeText(std::string&& Text) : FText(std::move(Text))
    {
        const size_t Size = FText.size() + 1;
        if (!IsLargeText(Size))
            return;
        const size_t Page = PageSize();
        const size_t Mapped = (Size + Page - 1) / Page * Page;
        void* P = mmap(nullptr, Mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (P == MAP_FAILED)
            return;
        FMapped = static_cast<char*>(P);
        FMappedSize = Mapped;
        std::memcpy(FMapped, FText.c_str(), Size);
        std::string().swap(FText);
    }
    // Maps Size bytes of the memory file Fd (the text and its terminating
    // zero): the pages are shared with every other inclusion of the file.
    // Check Mapped(): the mapping may fail.
    TIncludeText(int Fd, size_t Size)
    {
        const size_t Page = PageSize();
        const size_t Mapped = (Size + Page - 1) / Page * Page;
        void* P = mmap(nullptr, Mapped, PROT_READ, MAP_SHARED | MAP_POPULATE, Fd, 0);
        if (P == MAP_FAILED)
            return;
        FMapped = static_cast<char*>(P);
        FMappedSize = Mapped;
    }
    TIncludeText(const TIncludeText&) = delete;
    TIncludeText& operator=(const TIncludeText&) = delete;
    ~TIncludeText()
    {
        if (FMapped)
            munmap(FMapped, FMappedSize);
    }

    const char* c_str() const { return FMapped ? FMapped : FText.c_str(); }
    bool Mapped() const { return FMapped != nullptr; }

    void Ended()
    {
        const size_t Page = PageSize();
        if (FMapped && FMappedSize > Page && munmap(FMapped + Page, FMappedSize - Page) == 0)
            FMappedSize = Page;
    }

private:
    std::string FText;
    char* FMapped = nullptr;
    size_t FMappedSize = 0;
};

// An include file as read from disk, for all its inclusions while it stays
// unchanged: a large text is kept in a memory file that each inclusion maps
// afresh (no copy, and no memory of its own beyond the page tables).
class TIncludeFile {
public:
    TIncludeFile(std::string&& Text, const struct stat& St)
        : FText(std::move(Text)), FSize(FText.size()), FFileSize(St.st_size), FChanged(St.st_mtim)
    {
        if (!IsLargeText(FSize + 1))
            return;
        const int Fd = memfd_create("quillet-include", MFD_CLOEXEC);
        if (Fd < 0)
            return;
        // The size includes the terminating zero, which the new file holds.
        if (ftruncate(Fd, static_cast<off_t>(FSize + 1)) != 0 || !qlWriteAll(Fd, FText.data(), FSize)) {
            close(Fd);
            return;
        }
        FFd = Fd;
        std::string().swap(FText);
    }
    TIncludeFile(const TIncludeFile&) = delete;
    TIncludeFile& operator=(const TIncludeFile&) = delete;
    ~TIncludeFile()
    {
        if (FFd >= 0)
            close(FFd);
    }

    size_t Size() const { return FSize; }
    // What scanning the text did, for the lexer to replay.
    const std::shared_ptr<TlxIncludeReplays>& Replays() const { return FReplays; }
    // The line counts of the text, counted at the first inclusion (Text:
    // that inclusion's text, which every inclusion shares).
    const TqlCodeStatistics& Counts(const char* Text) const
    {
        if (!FCounts) {
            FCounts = std::make_unique<TqlCodeStatistics>();
            FCounts->AddText(Text, std::strlen(Text));
        }
        return *FCounts;
    }
    // The file as St finds it is still the one read.
    bool Unchanged(const struct stat& St) const
    {
        return St.st_size == FFileSize && St.st_mtim.tv_sec == FChanged.tv_sec &&
               St.st_mtim.tv_nsec == FChanged.tv_nsec;
    }

    // The text for one more inclusion.
    std::unique_ptr<TIncludeText> Open() const
    {
        if (FFd < 0)
            return std::make_unique<TIncludeText>(std::string(FText));
        auto Mapped = std::make_unique<TIncludeText>(FFd, FSize + 1);
        if (Mapped->Mapped())
            return Mapped;
        // No room for another mapping: a copy of its own.
        std::string Copy(FSize, '\0');
        for (size_t Done = 0; Done < FSize;) {
            const ssize_t N = pread(FFd, Copy.data() + Done, FSize - Done, static_cast<off_t>(Done));
            if (N < 0 && errno == EINTR)
                continue;
            if (N <= 0)
                return nullptr;
            Done += static_cast<size_t>(N);
        }
        return std::make_unique<TIncludeText>(std::move(Copy));
    }

private:
    std::string FText;
    size_t FSize = 0;
    mutable std::unique_ptr<TqlCodeStatistics> FCounts;
    std::shared_ptr<TlxIncludeReplays> FReplays = std::make_shared<TlxIncludeReplays>();
    off_t FFileSize = 0;
    struct timespec FChanged {};
    int FFd = -1;
};

// The include files read by the unit parsers of one analysis, by full name:
// alive while any of them is (so each file is read once per analysis), and
// kept to a bounded total size, the oldest going first.
class TIncludeFileCache {
public:
    static constexpr size_t MaxBytes = size_t(64) << 20;

    // The cache of the analysis on this thread; a new one when no parser
    // holds one.
    static std::shared_ptr<TIncludeFileCache> Current()
    {
        thread_local std::weak_ptr<TIncludeFileCache> Shared;
        std::shared_ptr<TIncludeFileCache> Cache = Shared.lock();
        if (!Cache) {
            Cache = std::make_shared<TIncludeFileCache>();
            Shared = Cache;
        }
        return Cache;
    }

    std::shared_ptr<const TIncludeFile> Find(const std::string& FullName, const struct stat& St) const
    {
        auto It = FFiles.find(FullName);
        return It != FFiles.end() && It->second->Unchanged(St) ? It->second : nullptr;
    }

    void Add(const std::string& FullName, std::shared_ptr<const TIncludeFile> File)
    {
        if (File->Size() > MaxBytes)
            return;
        auto It = FFiles.find(FullName);
        if (It != FFiles.end()) {
            // A newer text of a file read before.
            FBytes -= std::min(FBytes, It->second->Size());
            It->second = File;
        } else {
            FFiles.emplace(FullName, File);
            FOrder.push_back(FullName);
        }
        FBytes += File->Size();
        while (FBytes > MaxBytes && !FOrder.empty()) {
            auto Old = FFiles.find(FOrder.front());
            if (Old != FFiles.end()) {
                FBytes -= std::min(FBytes, Old->second->Size());
                FFiles.erase(Old);
            }
            FOrder.pop_front();
        }
    }

    // The folders include files are looked for in, each listed once.
    TqlFolderListings& Listings() { return FListings; }

private:
    std::unordered_map<std::string, std::shared_ptr<const TIncludeFile>> FFiles;
    TqlFolderListings FListings;
    std::deque<std::string> FOrder;
    size_t FBytes = 0;
};

TUnitParser::TUnitParser(const std::string& FileName, const TlxDirectiveHash* DirectiveHash,
                         const TlxPasHash* PasHash, const TlxAssignAbleHash* Defines)
    : TlxSimplePasPar(PasHash, DirectiveHash), FFileName(FileName)
{
    FSource.LoadFromFile(FileName);
    if (gqlProject)
        if (Ref<IqlCodingConventions> C = gqlProject->GetCodingConventions())
            if (Ref<IqlIndentationConventions> I = C->GetIndentationConventions())
                FIndentSize = I->GetSpacesPerIndent();
    SetOnMessage([this](void* Sender, const std::string& Msg, int X, int Y) {
        DoMessage(Sender, Msg, X, Y);
    });
    Lexer().DefinedList()->Assign(Defines);
    lxSetDelphi7Conditions(Lexer(), qlSystemDeclares);
    Lexer().SetOnIncludeDirect([this](TlxBasePasLex*, const std::string& Name) {
        const bool FromOwnFile = FCurrentUnit && FFileIndex == FCurrentUnit->GetFileIndex();
        const int Line = FLexer->LineNumber();
        const char* Text = IncludeFileRequest(Name);
        IncludeOpened(Text, FromOwnFile, Line);
        return Text;
    });
    Lexer().SetOnIncludeEnd([this](TlxBasePasLex*) { IncludeFileEnd(); });
    FIncludeFiles = TIncludeFileCache::Current();
}

TUnitParser::~TUnitParser() = default;

// ---------------------------------------------------------------------------
// Phases

void TUnitParser::ParseInterface(TqlUnit* Unit)
{
    QL_ASSERT(Unit != nullptr);
    FVisibility = vkInterface;
    FCurrentUnit = Unit;
    FFileIndex = Unit->GetFileIndex();
    FInterfaceOnly = true;
    const std::string& Name = Unit->GetName();
    if (FCountedFiles.insert(FFileIndex).second) {
        const size_t Size = static_cast<size_t>(FSource.Size());
        Unit->GetCodeStatistics().AddText(FSource.Memory(), Size);
        const char* Text = FSource.Memory();
        // memchr finds the line breaks many bytes at a time.
        size_t Breaks = 0;
        for (const char *Q = Text, *End = Text + Size;
             Q < End && (Q = static_cast<const char*>(std::memchr(Q, '\n', size_t(End - Q)))) != nullptr; ++Q)
            ++Breaks;
        FOwnLineCount = static_cast<int>(Breaks);
        if (Size > 0 && Text[Size - 1] != '\n')
            ++FOwnLineCount;
    }
    if (Name != "QuilletSystem") {
        AddUsedUnit("QuilletSystem", "", -1, -1);
        if (!qlSameText(Name, "System")) {
            if (!qlSameText(Name, "SysInit"))
                AddUsedUnit("SysInit", "", -1, -1);
            AddUsedUnit("System", "", -1, -1);
        }
    }
    // What was read, so that a later edit of the file can be told.
    FSourceSize = FSource.Size();
    FSourceHash = qlHash64(std::string_view(FSource.Memory(), static_cast<size_t>(FSourceSize)));
    if (TqlFileNameList* Files = gqlProject ? gqlProject->GetFileNames() : nullptr)
        if (FFileIndex >= 0 && FFileIndex < Files->GetCount()) {
            TqlSourceFile* File = Files->GetItems(FFileIndex);
            File->Size = FSourceSize;
            File->Hash = FSourceHash;
        }
    Run(FFileName, &FSource);
    FlushCallDecision();
    FClosedIncludeBuffers.clear();
    FClosedIncludeBuffers.shrink_to_fit();
    ReleaseSource();
}

void TUnitParser::ReleaseSource()
{
    // Between the phases the interface parses of every other unit run: the
    // texts of all of them would be held at once. The text can go when the
    // parse stopped in the unit's own file (no include file open, whose
    // saved state would point into it); the look-ahead restarts from the
    // lexer before each use, and the parser keeps no pointer into the text
    // but the position of the last inherited name (moved on reading).
    if (FKeepSource || FSourceReleased || Lexer().IncludeDepth() != 0 || !FIncludeBuffers.empty() ||
        Lexer().Origin() != FSource.Memory())
        return;
    FReleasedText = FSource.Memory();
    FSource.Clear();
    FSourceReleased = true;
}

void TUnitParser::ReloadSource()
{
    // Read as the constructor reads: a file that cannot be read raises the
    // stream's exception. A different text would give positions that fit
    // nothing in the model, so a file changed meanwhile is not parsed.
    FSource.LoadFromFile(FFileName);
    if (FSource.Size() != FSourceSize ||
        qlHash64(std::string_view(FSource.Memory(), static_cast<size_t>(FSource.Size()))) != FSourceHash) {
        FSource.Clear();
        throw Exception("Cannot read file \"" + FFileName + "\": it changed during the analysis");
    }
    Lexer().RelocateOrigin(FSource.Memory());
    if (FInheritedNameOrigin && FInheritedNameOrigin == FReleasedText)
        FInheritedNameOrigin = FSource.Memory();
    FReleasedText = nullptr;
    FSourceReleased = false;
}

void TUnitParser::ParseImplementation()
{
    if (!FInterfaceDone || !FCurrentUnit)
        return;
    if (FSourceReleased)
        ReloadSource();
    FInterfaceOnly = false;
    ImplementationSection();
    UnitEnd();
    Expected(ptPoint);
    FlushCallDecision();
}

void TUnitParser::ParseFile()
{
    // The first word of the file (program, library, package or unit) is the
    // one token compared with the indentation level.
    SkipJunk();
    CheckIndent();
    TlxSimplePasPar::ParseFile();
}

void TUnitParser::UnitFile()
{
    CheckIndent();
    Expected(ptUnit);
    const TPoint P = Pos();
    FCurrentUnit->SetX(P.X);
    FCurrentUnit->SetY(P.Y);
    // A unit found through its file (an in-path in lower case) is named as
    // its heading writes it.
    if (GetTokenID() == ptIdentifier)
        FCurrentUnit->SetHeadingName(Token());
    Expected(ptIdentifier);
    HintDirectives();
    SEMICOLON();
    InterfaceSection();
    FInterfaceDone = true;
    if (!FInterfaceOnly) {
        ImplementationSection();
        UnitEnd();
        Expected(ptPoint);
    }
}

void TUnitParser::UnitEnd()
{
    switch (GetTokenID()) {
    case ptBegin:
        Indent();
        Expected(ptBegin);
        StatementList();
        Outdent();
        Expected(ptEnd);
        break;
    case ptEnd:
        NextToken();
        break;
    case ptInitialization:
        NextToken();
        StatementList();
        if (GetTokenID() == ptFinalization) {
            NextToken();
            StatementList();
        }
        Expected(ptEnd);
        break;
    case ptFinalization:
        NextToken();
        StatementList();
        Expected(ptEnd);
        break;
    default:
        SynError(InvalidInitializationSection);
    }
}

void TUnitParser::InterfaceSection()
{
    FVisibility = vkInterface;
    FCurrentUnit->SetInterfaceLine(FLexer->LineNumber() + 1);
    TlxSimplePasPar::InterfaceSection();
}

void TUnitParser::ImplementationSection()
{
    FVisibility = vkImplementation;
    FCurrentUnit->SetImplementationLine(FLexer->LineNumber() + 1);
    Expected(ptImplementation);
    if (GetTokenID() == ptUses)
        UsesClause();
    while (IsImplementationDeclarationStart(GetTokenID())) {
        const int Before = FLexer->TokenPos();
        const char* Origin = FLexer->Origin();
        ParseDeclarationSection(FCurrentUnit);
        if (FLexer->TokenPos() == Before && FLexer->Origin() == Origin)
            NextToken();
    }
}

void TUnitParser::ProgramBlock()
{
    if (GetTokenID() == ptUses)
        MainUsesClause();
    while (IsImplementationDeclarationStart(GetTokenID())) {
        const int Before = FLexer->TokenPos();
        const char* Origin = FLexer->Origin();
        ParseDeclarationSection(FCurrentUnit);
        if (FLexer->TokenPos() == Before && FLexer->Origin() == Origin)
            NextToken();
    }
    if (GetTokenID() == ptEnd && NextIs(ptPoint)) {
        // A library may end with "end." and no main block.
        NextToken();
    } else if (GetTokenID() == ptAsm) {
        AsmStatement();
    } else {
        Indent();
        Expected(ptBegin);
        StatementList();
        Outdent();
        Expected(ptEnd);
    }
}

// ---------------------------------------------------------------------------
// Uses clauses

void TUnitParser::UsesClause()
{
    Indent();
    TlxSimplePasPar::UsesClause();
    Outdent();
}

void TUnitParser::MainUsesClause()
{
    Indent();
    TlxSimplePasPar::MainUsesClause();
    Outdent();
}

void TUnitParser::ContainsClause()
{
    Indent();
    TlxSimplePasPar::ContainsClause();
    Outdent();
}

void TUnitParser::UsedUnitName()
{
    if (GetTokenID() == ptIdentifier) {
        const TPoint P = Pos();
        AddUsedUnit(Token(), "", P.Y, P.X);
    }
    TlxSimplePasPar::UsedUnitName();
}

void TUnitParser::MainUsedUnitStatement()
{
    const std::string Name = Token();
    const TPoint P = Pos();
    const bool IsName = GetTokenID() == ptIdentifier;
    MainUsedUnitName();
    std::string InPath;
    if (GetTokenID() == ptIn) {
        NextToken();
        if (GetTokenID() == ptStringConst)
            InPath = qlDequote(Token());
        MainUsedUnitExpression();
    }
    if (!InPath.empty())
        AddUsedUnit(qlExtractUnitName(InPath), InPath, P.Y, P.X, IsName ? Name : std::string());
    else if (IsName)
        AddUsedUnit(Name, "", P.Y, P.X);
}

void TUnitParser::ContainsStatement()
{
    const std::string Name = Token();
    const TPoint P = Pos();
    const bool IsName = GetTokenID() == ptIdentifier;
    ContainsIdentifier();
    std::string InPath;
    if (GetTokenID() == ptIn) {
        NextToken();
        if (GetTokenID() == ptStringConst)
            InPath = qlDequote(Token());
        ContainsExpression();
    }
    if (!InPath.empty())
        AddUsedUnit(qlExtractUnitName(InPath), InPath, P.Y, P.X, IsName ? Name : std::string());
    else if (IsName)
        AddUsedUnit(Name, "", P.Y, P.X);
}

void TUnitParser::AddUsedUnit(const std::string& Name, const std::string& InPath, int Y, int X,
                              const std::string& Written)
{
    if (!gqlProject || !FCurrentUnit || Name.empty())
        return;
    TqlUnitList* Units = gqlProject->GetUnits();
    TqlFileNameList* Files = gqlProject->GetFileNames();
    TqlUnit* Unit = Units->FindUnit(Name);
    if (!Unit) {
        std::string Path = InPath;
        // The main file's uses clause may give this unit an in-path; a unit
        // named bare elsewhere is then still found through that path.
        if (Path.empty() && FUsesInfo) {
            std::string Given;
            FUsesInfo->GetUnitInPath(Name, Given);
            if (!Given.empty() && Given.front() == '\'')
                Path = qlDequote(Given);
        }
        // A unit whose file is already known under another name (an alias,
        // an in-path) is that unit.
        std::string Full;
        bool IsLibrary = false;
        gqlProject->FindUnitFile(Path.empty() ? Name : Path, "", Full, IsLibrary);
        if (!Full.empty() && Files) {
            if (TqlSourceFile* F = Files->Find(Full)) {
                const int Index = F->GetUnitIndex();
                if (Index >= 0 && Index < Units->GetCount() &&
                    Units->GetUnits(Index)->GetFileIndex() == F->GetFileIndex())
                    Unit = Units->GetUnits(Index);
            }
        }
        if (!Unit)
            Unit = gqlProject->AddUnit(Name, Path);
    }
    if (!Unit)
        return;
    FCurrentUnit->GetUsedUnits()->AddUsedUnit(new TqlUsedUnit(Unit));
    const int FI = Unit->GetFileIndex();
    if (Files && FI >= 0 && FI < Files->GetCount() && Files->GetItems(FI)->Exists) {
        if (StackRoomLeft() < StackReserve)
            RunOnFreshStack([Unit] { gqlProject->ParseInterface(Unit); }, FreshStackSize);
        else
            gqlProject->ParseInterface(Unit);
    }
    // Only the same name in another case is written wrong: a unit reached
    // through an alias or an in-path is named otherwise by design.
    const std::string& AsWritten = Written.empty() ? Name : Written;
    const bool WrongCase = AsWritten != Unit->GetName() && qlSameText(AsWritten, Unit->GetName());
    Unit->GetUsedBy()->AddUsedBy(UsedByInfo(FFileIndex, WrongCase, X, Y));
}

// ---------------------------------------------------------------------------
// Include and form files

std::string TUnitParser::FindIncludeFile(const std::string& FileName) const
{
    // Beside the file that holds the directive (the unit or an include
    // file), then beside the unit; a name with a folder part is taken
    // relative to each.
    TqlFileNameList* Files = gqlProject->GetFileNames();
    std::vector<std::string> Beside;
    if (Files && FFileIndex >= 0 && FFileIndex < Files->GetCount())
        Beside.push_back(qlFolderOf(Files->GetItems(FFileIndex)->GetFullFileName()));
    Beside.push_back(qlFolderOf(FFileName));
    return qlFindIncludeFile(Beside, FileName, &FIncludeFiles->Listings());
}

const char* TUnitParser::IncludeFileRequest(const std::string& Name)
{
    if (!gqlProject || !FCurrentUnit)
        return nullptr;
    std::string FileName = Name;
    if (qlExtractFileExt(FileName).empty())
        FileName += ".pas";
    const std::string Full = FindIncludeFile(FileName);
    if (Full.empty()) {
        AddMessage(Format1("Include file, %s, does not exist.", Name,
                           WhyNotAFile(qlFolderOf(FFileName), FileName)));
        return nullptr;
    }
    TqlFileNameList* Files = gqlProject->GetFileNames();
    const TqlSourceFile* Known = Files->Find(Full);
    const int KnownIndex = Known ? Known->GetFileIndex() : -1;
    // An include file that is already open (itself, or a cycle through
    // others) would never end.
    bool Open = KnownIndex >= 0 && (KnownIndex == FFileIndex || KnownIndex == FCurrentUnit->GetFileIndex());
    for (int F : FFileStack)
        Open = Open || (KnownIndex >= 0 && F == KnownIndex);
    if (Open) {
        AddMessage(Format1("Include file, %s, includes itself.", Name));
        return nullptr;
    }
    // Each file is read once: its inclusions share the text read.
    struct stat St {};
    std::shared_ptr<const TIncludeFile> File;
    if (::stat(Full.c_str(), &St) == 0)
        File = FIncludeFiles->Find(Full, St);
    std::string Text;
    std::string Why;
    switch (File ? TqlFileProblem::None : qlReadLimitedFile(Full, qlMaxSourceFileSize, Text, Why)) {
    case TqlFileProblem::None: break;
    case TqlFileProblem::Missing:
        AddMessage(Format1("Include file, %s, does not exist.", Name));
        return nullptr;
    case TqlFileProblem::NotRegular:
        AddMessage(Format1("Include file, %s, does not exist.", Name, Why));
        return nullptr;
    case TqlFileProblem::TooLarge:
        AddMessage(Format1("Include file, %s, is skipped.", Name, Why));
        return nullptr;
    case TqlFileProblem::Unreadable:
        AddMessage("Cannot open include file, " + Name + ": " + Why);
        return nullptr;
    }
    if (!File) {
        File = std::make_shared<const TIncludeFile>(std::move(Text), St);
        FIncludeFiles->Add(Full, File);
    }
    std::unique_ptr<TIncludeText> Opened = File->Open();
    if (!Opened) {
        AddMessage("Cannot open include file, " + Name + ": " + std::strerror(EIO));
        return nullptr;
    }
    int Index = KnownIndex;
    if (Index < 0) {
        int UnitIndex = -1;
        const int Own = FCurrentUnit->GetFileIndex();
        if (Own >= 0 && Own < Files->GetCount())
            UnitIndex = Files->GetItems(Own)->GetUnitIndex();
        Index = Files->Add(Full, true, UnitIndex);
    }
    FIncludeBuffers.push_back(std::move(Opened));
    FJustOpened = std::move(File);
    FFileStack.push_back(FFileIndex);
    FFileIndex = Index;
    return FIncludeBuffers.back()->c_str();
}

void TUnitParser::IncludeOpened(const char* Text, bool FromOwnFile, int OwnLine)
{
    if (!Text) {
        FParsedWhole = false;
        return;
    }
    if (FromOwnFile)
        FOwnLine = OwnLine;
    const std::shared_ptr<const TIncludeFile> File = std::move(FJustOpened);
    if (File)
        Lexer().OfferIncludeReplays(File->Replays());
    if (FCurrentUnit && FCountedFiles.insert(FFileIndex).second) {
        // Units that include the same file share one count of its lines.
        if (File && !FIncludeBuffers.empty() && FIncludeBuffers.back()->c_str() == Text)
            FCurrentUnit->GetCodeStatistics().Add(File->Counts(Text));
        else
            FCurrentUnit->GetCodeStatistics().AddText(Text, std::strlen(Text));
    }
}

int TUnitParser::ParsedLines() const
{
    const bool InOwnFile = FCurrentUnit && FFileIndex == FCurrentUnit->GetFileIndex();
    const int Line = (InOwnFile ? FLexer->LineNumber() : FOwnLine) + 1;
    return std::min(Line, FOwnLineCount);
}

void TUnitParser::IncludeFileEnd()
{
    if (FFileStack.empty()) {
        FFileIndex = -1;
        return;
    }
    FFileIndex = FFileStack.back();
    FFileStack.pop_back();
    if (!FIncludeBuffers.empty()) {
        FIncludeBuffers.back()->Ended();
        FClosedIncludeBuffers.push_back(std::move(FIncludeBuffers.back()));
        FIncludeBuffers.pop_back();
    }
}

void TUnitParser::ResourceIncluded(const std::string& FileName)
{
    // {$R *.dfm} names the form of the unit's own name; {$R Other.dfm},
    // {$R 'Other.dfm'} or {$R Forms\Other.dfm} another form file, beside the
    // unit or below its folder.
    if (!FCurrentUnit || !qlSameText(qlExtractFileExt(FileName), ".dfm"))
        return;
    std::string Wanted;
    if (qlSameText(FileName, "*.dfm"))
        Wanted = qlChangeFileExt(FFileName, ".dfm");
    else if (!FileName.empty() && FileName[0] == '/')
        Wanted = FileName;
    else
        Wanted = qlFolderOf(FFileName) + FileName;
    const std::string Found = qlResolveFile("", Wanted);
    FCurrentUnit->LoadFormResource(Found.empty() ? Wanted : Found);
}

// ---------------------------------------------------------------------------
// Messages and positions

bool TUnitParser::AtInheritedName() const
{
    return FInheritedNameOrigin && FLexer->TokenPos() == FInheritedNamePos &&
           FLexer->Origin() == FInheritedNameOrigin;
}

TPoint TUnitParser::Pos() const
{
    TPoint P = FLexer->GetPosXY();
    return TPoint{P.X + 1, P.Y + 1};
}

void TUnitParser::DoMessage(void*, const std::string& Msg, int X, int Y)
{
    // The grammar's own messages are syntax problems: the parse may have
    // lost text there.
    if (!FOwnMessage)
        FParsedWhole = false;
    if (gqlProject)
        if (Ref<IqlMessageList> L = gqlProject->GetMessages())
            L->Add(Msg, FFileIndex, X + 1, Y + 1, !FInterfaceDone);
    if (FCurrentUnit)
        FCurrentUnit->Warnings.Include(FInterfaceDone ? uwImplementation : uwInterface);
}

void TUnitParser::AddMessage(const std::string& Text)
{
    const TPoint P = FLexer->GetPosXY();
    AddMessageAt(Text, P);
}

void TUnitParser::AddMessageAt(const std::string& Text, const TPoint& Position0)
{
    if (FOnMessage) {
        const bool Saved = FOwnMessage;
        FOwnMessage = true;
        FOnMessage(this, Text, Position0.X, Position0.Y);
        FOwnMessage = Saved;
    }
}

TqlUsedByInfo TUnitParser::MakeUsedByInfo() const
{
    const TPoint P = Pos();
    return UsedByInfo(FFileIndex, false, P.X, P.Y);
}

TqlUsedByInfo TUnitParser::MakeUsedByInfo(const TPoint& Position, bool IsWrongCase) const
{
    return UsedByInfo(FFileIndex, IsWrongCase, Position.X, Position.Y);
}

void TUnitParser::RecordNameUse(TqlSymbol* Found, const std::string& WrittenName,
                                const TqlUsedByInfo& Info)
{
    // Every overload of a name carries the overload directive (or
    // overrides one that does).
    auto* R = qlAsRoutine(Found);
    if (!R || !(R->GetDirectives().Contains(rdOverload) || R->GetDirectives().Contains(rdOverride))) {
        RecordUse(Found, WrittenName, Info);
        return;
    }
    qlGatherOverloads(R, FOverloads);
    if (FOverloads.empty()) {
        // One overload in sight, its siblings out of it: the arguments of
        // a call may still rule it out.
        if (!R->GetDirectives().Contains(rdOverload) || !qlSameText(Token(), WrittenName) ||
            !NextIs(ptRoundOpen)) {
            RecordUse(Found, WrittenName, Info);
            return;
        }
        FOverloads.push_back({R});
    }
    auto D = std::make_unique<TCallDecision>();
    D->Lone = FOverloads.size() == 1 && FOverloads.front().size() == 1;
    D->Overloads.swap(FOverloads);
    D->WrittenName = WrittenName;
    D->Info = Info;
    // The arguments that follow decide; a name that is not the current
    // token, or that may stand for the routine itself (its address, a value
    // assigned or passed), is every overload it may mean.
    if (!qlSameText(Token(), WrittenName)) {
        Decide(*D, nullptr);
        return;
    }
    if (NextIs(ptRoundOpen)) {
        FlushCallDecision();
        FLexer->InitAhead();
        D->ParenPos = FLexer->AheadLex().TokenPos();
        D->ParenOrigin = FLexer->AheadLex().Origin();
        D->Listed = true;
        FPendingDecision = std::move(D);
        return;
    }
    // Standing for itself where a procedural type is asked for: the
    // overload of that type's parameters.
    if (const int Entry = qlOverloadOfSignature(D->Overloads, SignatureAskedHere()); Entry >= 0) {
        for (TqlRoutine* O : D->Overloads[size_t(Entry)])
            RecordUse(O, WrittenName, Info);
        return;
    }
    switch (FPrevTokenID) {
    case ptAddressOp: case ptDoubleAddressOp: case ptAssign: case ptRoundOpen: case ptComma:
        Decide(*D, nullptr);
        return;
    default: {
        const std::vector<TqlArgument> None;
        Decide(*D, &None);
    }
    }
}

TqlRoutine* TUnitParser::SignatureAskedHere()
{
    // The value assigned, where it begins with the name.
    if (FPrevTokenID == ptAssign) {
        if (!FAssignTarget || FAssignValuePos != FLexer->TokenPos() ||
            FAssignValueOrigin != FLexer->Origin())
            return nullptr;
        if (auto* V = dynamic_cast<TqlVariable*>(FAssignTarget); V && V->GetTypeIsIndirect())
            return nullptr;
        return qlSignatureOf(FAssignTarget->GetTypeIntf());
    }
    // A whole argument of a call.
    if ((FPrevTokenID != ptRoundOpen && FPrevTokenID != ptComma) || FCallFrames.empty() ||
        FCallFrames.back().Depth != FBracketDepth || !(NextIs(ptComma) || NextIs(ptRoundClose)))
        return nullptr;
    const TCallFrame& Frame = FCallFrames.back();
    std::vector<TqlRoutine*> Callees;
    if (Frame.Decision) {
        for (const auto& Entry : Frame.Decision->Overloads)
            Callees.push_back(Entry.front());
    } else if (auto* R = qlAsRoutine(Frame.Callee)) {
        Callees.push_back(R);
    }
    TqlRoutine* Asked = nullptr;
    for (TqlRoutine* R : Callees) {
        TqlParameterList* Params = R->GetParameters();
        if (Frame.Index >= Params->GetCount())
            continue;
        TqlRoutine* Signature = qlSignatureOf(Params->GetParameters(Frame.Index)->GetParamType());
        if (!Signature || (Asked && (Asked->GetRoutineKind() != Signature->GetRoutineKind() ||
                                     !qlSameParameters(Asked, Signature))))
            return nullptr;
        Asked = Signature;
    }
    return Asked;
}

std::unique_ptr<TUnitParser::TCallDecision> TUnitParser::TakeCallDecision()
{
    if (FPendingDecision && FPendingDecision->ParenPos == FLexer->TokenPos() &&
        FPendingDecision->ParenOrigin == FLexer->Origin()) {
        // At "(": is the first argument "[...]" on its own?
        FLexer->InitAhead();
        if (FLexer->GetAheadTokenID() == ptSquareOpen) {
            for (int Depth = 0, Guard = 0; Guard < 100000; ++Guard) {
                const TptTokenKind K = FLexer->GetAheadTokenID();
                if (K == ptNull)
                    break;
                if (K == ptRoundOpen || K == ptSquareOpen)
                    ++Depth;
                else if (K == ptRoundClose || K == ptSquareClose)
                    --Depth;
                FLexer->AheadNext();
                if (Depth == 0) {
                    const TptTokenKind After = FLexer->GetAheadTokenID();
                    FPendingDecision->FirstIsConstructor = After == ptComma || After == ptRoundClose;
                    break;
                }
            }
        }
        return std::move(FPendingDecision);
    }
    FlushCallDecision();
    return nullptr;
}

void TUnitParser::FlushCallDecision()
{
    // A call whose "(" was read elsewhere: every overload it may mean.
    if (std::unique_ptr<TCallDecision> D = std::move(FPendingDecision))
        Decide(*D, nullptr);
}

void TUnitParser::Decide(TCallDecision& Decision, const std::vector<TqlArgument>* Arguments)
{
    TqlOverloadChoice Choice;
    if (Arguments)
        Choice = qlChooseOverload(Decision.Overloads, *Arguments);
    if (Choice.Entries.empty()) {
        if (Arguments && Decision.Listed) {
            // Arguments that no overload in sight takes: the call is of
            // one the analysis does not see.
            if (FCurrentUnit)
                FCurrentUnit->AddUnresolvedName(Decision.WrittenName);
            return;
        }
        // Every overload it may mean; a name alone is the one in sight.
        Choice.Ambiguous = (!Arguments && !Decision.Lone) || Decision.Overloads.size() > 1;
        for (size_t e = 0; e < Decision.Overloads.size(); ++e)
            Choice.Entries.push_back(e);
    }
    TqlUsedByInfo Info = Decision.Info;
    Info.IsAmbiguous = Choice.Ambiguous;
    for (size_t e : Choice.Entries)
        for (TqlRoutine* R : Decision.Overloads[e])
            RecordUse(R, Decision.WrittenName, Info);
}

TUnitParser::TArgumentShape TUnitParser::ArgumentShapeAhead(TqlArgument& Literal)
{
    auto EndsHere = [](TptTokenKind K) { return K == ptComma || K == ptRoundClose; };
    const TptTokenKind K = GetTokenID();
    FLexer->InitAhead();
    TptTokenKind Next = FLexer->GetAheadTokenID();
    auto Ahead = [&] {
        FLexer->AheadNext();
        Next = FLexer->GetAheadTokenID();
    };
    // Past the brackets that open at Next; Commas counts the commas
    // between the outer ones. False at the end of the text.
    auto PastBrackets = [&](int& Commas) {
        Commas = 0;
        for (int Depth = 0, Guard = 0; Guard < 100000; ++Guard) {
            if (Next == ptRoundOpen || Next == ptSquareOpen)
                ++Depth;
            else if (Next == ptRoundClose || Next == ptSquareClose)
                --Depth;
            else if (Next == ptNull)
                return false;
            else if (Next == ptComma && Depth == 1)
                ++Commas;
            Ahead();
            if (Depth == 0)
                return true;
        }
        return false;
    };
    int Commas = 0;
    switch (K) {
    case ptIntegerConst: case ptFloat:
        Literal.Kind = K == ptFloat ? TqlArgument::akReal : TqlArgument::akInteger;
        return EndsHere(Next) ? asLiteral : asOther;
    case ptMinus: case ptPlus:
        if (Next != ptIntegerConst && Next != ptFloat)
            return asOther;
        Literal.Kind = Next == ptFloat ? TqlArgument::akReal : TqlArgument::akInteger;
        Ahead();
        return EndsHere(Next) ? asLiteral : asOther;
    case ptNil:
        Literal.Kind = TqlArgument::akNil;
        return EndsHere(Next) ? asLiteral : asOther;
    case ptStringConst: case ptAsciiChar: {
        int Parts = 1;
        for (; Next == ptStringConst || Next == ptAsciiChar; ++Parts)
            Ahead();
        if (!EndsHere(Next))
            return asOther;
        const bool OneChar = K == ptAsciiChar || qlDequote(Token()).size() == 1;
        Literal.Kind = Parts == 1 && OneChar ? TqlArgument::akChar : TqlArgument::akString;
        return asLiteral;
    }
    case ptSquareOpen: {
        // [a, b] or []: the "[" is the current token, Next is past it.
        int Depth = 1;
        for (int Guard = 0; Depth > 0 && Guard < 100000; ++Guard) {
            if (Next == ptRoundOpen || Next == ptSquareOpen)
                ++Depth;
            else if (Next == ptRoundClose || Next == ptSquareClose)
                --Depth;
            else if (Next == ptNull)
                return asOther;
            Ahead();
        }
        if (Depth > 0 || !EndsHere(Next))
            return asOther;
        Literal.Kind = TqlArgument::akConstructor;
        return asLiteral;
    }
    case ptIdentifier: {
        const bool Self = qlSameText(Token(), "Self");
        bool Single = true;
        while (Next == ptPoint) {
            Ahead();
            if (Next != ptIdentifier)
                return asOther;
            Ahead();
            Single = false;
        }
        if (EndsHere(Next))
            return Self && Single ? asSelf : asName;
        if (Next == ptAs) {
            Ahead();
            if (Next != ptIdentifier)
                return asOther;
            Ahead();
            return EndsHere(Next) ? asCast : asOther;
        }
        if (Next == ptSquareOpen)
            // One index: S[i], Values[i].
            return PastBrackets(Commas) && Commas == 0 && EndsHere(Next) ? asIndexed : asOther;
        if (Next != ptRoundOpen)
            return asOther;
        return PastBrackets(Commas) && EndsHere(Next) ? asCall : asOther;
    }
    default:
        return asOther;
    }
}

namespace {

// A routine of the language whose value is of the type it is given (Abs
// of an Integer is an Integer, Succ of a Char a Char), whatever the
// run-time library declares it to give.
bool GivesWhatItTakes(TqlRoutine* R)
{
    static const char* const Names[] = {"Abs", "Copy", "High", "Low", "Pred", "Sqr", "Succ", "Swap"};
    if (std::none_of(std::begin(Names), std::end(Names),
                     [R](const char* N) { return qlSameText(R->GetName(), N); }))
        return false;
    TqlUnit* Unit = R->GetUnitIntf();
    return Unit && (qlSameText(Unit->GetName(), "QuilletSystem") || qlSameText(Unit->GetName(), "System"));
}

// The type of the value a call of R gives, when every overload it may be
// gives the same.
TqlSymbol* ResultTypeOf(TqlRoutine* R)
{
    if (R->GetRoutineKind() != rkFunction || !R->GetReturnType() || GivesWhatItTakes(R))
        return nullptr;
    TqlSymbol* T = R->GetReturnType()->GetTypeIntf();
    if (!T || !(R->GetDirectives().Contains(rdOverload) || R->GetDirectives().Contains(rdOverride)))
        return T;
    TqlOverloads Overloads;
    qlGatherOverloads(R, Overloads);
    for (const auto& Entry : Overloads) {
        TqlRoutine* O = Entry.front();
        TqlSymbol* OT = O->GetReturnType() ? O->GetReturnType()->GetTypeIntf() : nullptr;
        if (O->GetRoutineKind() != rkFunction || qlTypeIdentity(OT) != qlTypeIdentity(T))
            return nullptr;
    }
    return T;
}

bool IsTypeSymbol(TqlSymbol* S)
{
    switch (S->GetTypeKind()) {
    case tkRecord: case tkEnum: case tkSet: case tkClass: case tkInterface:
        return qlAsContainer(S) != nullptr;
    default:
        return dynamic_cast<TqlType*>(S) != nullptr;
    }
}

} // namespace

TqlArgument TUnitParser::ArgumentOf(TArgumentShape Shape, const TqlArgument& Literal,
                                    TqlSymbol* Symbol)
{
    TqlArgument A;
    auto Value = [&A](TqlSymbol* Type) {
        if (Type) {
            A.Kind = TqlArgument::akValue;
            A.Type = Type;
        }
        return A;
    };
    switch (Shape) {
    case asLiteral:
        return Literal;
    case asSelf:
        return Value(FCurrentClass);
    case asCast:
        // X as T: an object or interface of T.
        return Symbol && qlAsClass(Symbol) ? Value(Symbol) : A;
    case asCall:
        if (!Symbol)
            return A;
        if (auto* R = qlAsRoutine(Symbol))
            return Value(ResultTypeOf(R));
        // A type cast, or a constructor called through its class.
        return IsTypeSymbol(Symbol) ? Value(Symbol) : A;
    case asIndexed:
        if (!Symbol)
            return A;
        // An array property indexed is of its type (a default one is
        // what the designator resolves to).
        if (auto* Prop = qlAsProperty(Symbol))
            return Value(Prop->GetIsArrayProperty() ? Prop->GetTypeIntf() : qlIndexedType(Prop->GetTypeIntf()));
        if (auto* P = qlAsParameter(Symbol)) {
            if (P->GetUntypedParameter())
                return A;
            if (P->GetParamType() == SystemType(tkArray))
                return Value(P->GetPredefinedArrayType());
            return Value(qlIndexedType(P->GetParamType()));
        }
        if (auto* V = dynamic_cast<TqlVariable*>(Symbol))
            return V->GetTypeIsIndirect() ? A : Value(qlIndexedType(V->GetTypeIntf()));
        return A;
    case asName:
        if (!Symbol)
            return A;
        if (auto* P = qlAsParameter(Symbol))
            return P->GetUntypedParameter() ? A : Value(P->GetParamType());
        if (auto* R = qlAsRoutine(Symbol)) {
            // A routine that gives no value when called so stands for
            // itself: a procedure, a function that takes arguments.
            const TRoutineDirectives D = R->GetDirectives();
            if (D.Contains(rdOverload) || D.Contains(rdOverride))
                return A;
            TqlParameterList* Params = R->GetParameters();
            if (R->GetRoutineKind() == rkProcedure ||
                (R->GetRoutineKind() == rkFunction && Params->GetCount() > 0 &&
                 !Params->GetParameters(0)->GetHasDefault()))
                A.Kind = TqlArgument::akRoutine;
            return A;
        }
        if (TqlSymbol* E = qlEnumerationOf(Symbol))
            return Value(E);
        if (auto* V = dynamic_cast<TqlVariable*>(Symbol)) {
            if (V->GetTypeIsIndirect())
                return A;
            if (!V->GetTypeIntf() && V->GetIsConst() &&
                (qlSameText(V->GetName(), "True") || qlSameText(V->GetName(), "False")))
                A.Kind = TqlArgument::akBoolean;
            return Value(V->GetTypeIntf());
        }
        return A;
    default:
        return A;
    }
}

void TUnitParser::DecidingExpressionList(size_t Frame)
{
    std::vector<TqlArgument> Arguments;
    for (;;) {
        TqlArgument Literal;
        TArgumentShape Shape;
        if (Arguments.empty() && FCallFrames[Frame].FirstBegun) {
            // Read already: only an array constructor is known.
            Shape = asOther;
            if (FCallFrames[Frame].Decision->FirstIsConstructor) {
                Literal.Kind = TqlArgument::akConstructor;
                Shape = asLiteral;
            }
        } else {
            Shape = ArgumentShapeAhead(Literal);
        }
        FCallFrames[Frame].Designated = nullptr;
        Expression();
        Arguments.push_back(ArgumentOf(Shape, Literal, FCallFrames[Frame].Designated));
        if (GetTokenID() != ptComma)
            break;
        NextToken();
    }
    std::unique_ptr<TCallDecision> D = std::move(FCallFrames[Frame].Decision);
    Decide(*D, &Arguments);
}

void TUnitParser::NoteUnresolved(const std::string& Name)
{
    if (FCurrentUnit)
        FCurrentUnit->AddUnresolvedName(Name);
    FLastUnresolved = Name;
}

void TUnitParser::NoteCall(TqlSymbol* Callee, std::unique_ptr<TCallDecision> Decision,
                           bool FirstBegun)
{
    FCallPending = true;
    FPendingCallee = Callee;
    FPendingName = Callee ? Callee->GetName() : FLastUnresolved;
    FLastUnresolved.clear();
    FListDecision = std::move(Decision);
    FListFirstBegun = FirstBegun;
}

void TUnitParser::ExpressionList()
{
    TCallFrame Frame;
    if (FCallPending) {
        Frame.Callee = FPendingCallee;
        Frame.Name = FPendingName;
        Frame.Decision = std::move(FListDecision);
        Frame.FirstBegun = FListFirstBegun;
    }
    Frame.Depth = FBracketDepth;
    FCallPending = false;
    FCallFrames.push_back(std::move(Frame));
    struct TPop {
        std::vector<TCallFrame>& Frames;
        ~TPop() { Frames.pop_back(); }
    } Pop{FCallFrames};
    if (FCallFrames.back().Decision)
        DecidingExpressionList(FCallFrames.size() - 1);
    else
        TlxSimplePasPar::ExpressionList();
}

namespace {

// Routines of the language that change a variable given to them.
bool WritesItsArguments(const std::string& Name)
{
    static const char* const Names[] = {
        "Addr", "Dec", "Delete", "Exclude", "FillChar", "Finalize", "FreeAndNil", "Inc",
        "Include", "Initialize", "Insert", "Move", "Read", "ReadLn", "SetLength", "SetString",
        "Str", "UniqueString", "Val"};
    for (const char* N : Names)
        if (qlSameText(Name, N))
            return true;
    return false;
}

} // namespace

bool TUnitParser::PassedByReference() const
{
    if (FCallFrames.empty())
        return false;
    const TCallFrame& F = FCallFrames.back();
    if (F.Name.empty())
        return false;
    if (WritesItsArguments(F.Name))
        return true;
    auto* R = qlAsRoutine(F.Callee);
    if (!R)
        return false;
    // Any overload of the name in the same list may be the one called.
    std::vector<TqlRoutine*> Candidates{R};
    if (TqlRoutineList* List = R->GetRoutineList())
        for (int i = 0; i < List->GetCount(); ++i)
            if (List->GetRoutine(i) != R && qlSameText(List->GetRoutine(i)->GetName(), F.Name))
                Candidates.push_back(List->GetRoutine(i));
    for (TqlRoutine* C : Candidates) {
        TqlParameterList* Params = C->GetParameters();
        if (F.Index < Params->GetCount()) {
            const TParamKind K = Params->GetParameters(F.Index)->GetParamKind();
            if (K == pkVar || K == pkOut)
                return true;
        }
    }
    return false;
}

bool TUnitParser::AssignedNext()
{
    // The identifier, then dereferences and indexes, then ":=".
    if (const TptTokenKind Seen = FLexer->PeekPunctuation(); Seen != ptUnknown)
        return Seen == ptAssign;
    return AssignedAhead(false);
}

bool TUnitParser::AssignedAhead(bool ThroughFields)
{
    FLexer->InitAhead();
    int Depth = 0;
    for (int Guard = 0; Guard < 100000; ++Guard) {
        const TptTokenKind K = FLexer->GetAheadTokenID();
        if (K == ptNull)
            return false;
        if (Depth > 0) {
            if (K == ptSquareOpen)
                ++Depth;
            else if (K == ptSquareClose)
                --Depth;
        } else if (K == ptSquareOpen) {
            Depth = 1;
        } else if (K == ptPoint && ThroughFields) {
            FLexer->AheadNext();
            if (FLexer->GetAheadTokenID() != ptIdentifier)
                return false;
        } else if (K != ptPointerSymbol) {
            return K == ptAssign;
        }
        FLexer->AheadNext();
    }
    return false;
}

bool TUnitParser::AtResultTarget()
{
    if (FCallingName || FPrevTokenID == ptAddressOp || FPrevTokenID == ptDoubleAddressOp)
        return false;
    // F.Name := ... sets a field of a record result.
    return AssignedAhead(true);
}

bool TUnitParser::IsWrittenHere(TqlParameter*)
{
    return FPrevTokenID == ptAddressOp || FPrevTokenID == ptDoubleAddressOp || PassedByReference() ||
           AssignedNext();
}

void TUnitParser::RecordUse(TqlSymbol* Symbol, const std::string& WrittenName,
                            const TqlUsedByInfo& Info)
{
    if (!Symbol)
        return;
    TqlUsedByInfo I = Info;
    I.IsWrongCase = WrittenName != Symbol->GetName();
    Symbol->GetUsedBy()->AddUsedBy(I);
    if (auto* P = qlAsParameter(Symbol))
        if (!P->GetIsModified() && IsWrittenHere(P))
            P->SetIsModified(true);
}

// ---------------------------------------------------------------------------
// Indentation

void TUnitParser::Indent() { FIndentLevel += FIndentSize; }

void TUnitParser::Outdent()
{
    if (FIndentLevel > 0)
        FIndentLevel -= FIndentSize;
    if (FIndentLevel < 0)
        FIndentLevel = 0;
}

void TUnitParser::CheckIndent()
{
    if (!FCheckIndentation || !FCurrentUnit)
        return;
    const TPoint P = FLexer->GetPosXY();
    if (P.X != FIndentLevel)
        FCurrentUnit->GetCodingErrorsList()->AddError(ekBadIndentation, FFileIndex, P.X + 1, P.Y + 1);
    FCheckIndentation = false;
}

void TUnitParser::NextToken()
{
    const bool AfterInherited = GetTokenID() == ptInherited;
    const TptTokenKind Left = GetTokenID();
    switch (Left) {
    case ptRoundOpen: case ptSquareOpen:
        ++FBracketDepth;
        break;
    case ptRoundClose: case ptSquareClose:
        if (FBracketDepth > 0)
            --FBracketDepth;
        break;
    case ptComma:
        if (!FCallFrames.empty() && FCallFrames.back().Depth == FBracketDepth)
            ++FCallFrames.back().Index;
        break;
    default:
        break;
    }
    FPrevTokenID = Left;
    FLexer->Next();
    SkipJunk();
    // The grammar passes over "inherited" in several rules; the name after
    // it is remembered by its place.
    if (AfterInherited && GetTokenID() == ptIdentifier) {
        FInheritedNamePos = FLexer->TokenPos();
        FInheritedNameOrigin = FLexer->Origin();
    }
    if (GetTokenID() == ptEnd)
        Outdent();
    CheckIndent();
}

// ---------------------------------------------------------------------------
// Scopes

void TUnitParser::PushScope(TqlVarContainer* Container, TqlClass* Class)
{
    if (FScopes.size() == FScopes.capacity())
        FScopes.reserve(FScopes.capacity() + 50);
    FScopes.push_back(TScope{Container, Class});
    if (Class)
        FCurrentClass = Class;
    if (auto* R = qlAsRoutine(Container)) {
        const TPoint P = Pos();
        R->SetImplStartX(P.X);
        R->SetImplStartY(P.Y);
    }
}

void TUnitParser::PopScope()
{
    if (FScopes.empty()) {
        FCurrentClass = nullptr;
        return;
    }
    if (FScopes.back().Class == FCurrentClass)
        FCurrentClass = nullptr;
    FScopes.pop_back();
}

TqlVarContainer* TUnitParser::CurrentContainer() const
{
    return FScopes.empty() ? FCurrentUnit : FScopes.back().Container;
}

void TUnitParser::SetEndPosition(TqlSymbol* Symbol)
{
    if (!Symbol)
        return;
    const TPoint P = Pos();
    Symbol->SetEndX(P.X);
    Symbol->SetEndY(P.Y);
}

// ---------------------------------------------------------------------------
// Lookup

TqlSymbol* TUnitParser::FindSymbol(const std::string& Name, bool AddReference, bool ReportMissing,
                                   const TqlUsedByInfo& Info)
{
    // Self inside a method is its implicit parameter, an object of its class,
    // whatever else may be named Self; no use of the class is recorded.
    if (FCurrentClass && qlSameText(Name, "Self"))
        return FCurrentClass;
    TqlSymbol* Found = nullptr;
    // A name inside a with-statement over a type the analysis does not know
    // may be a member of that type, whatever it resolves to here.
    bool UnknownWith = false;
    // The variables of the enclosing exception handlers, innermost first.
    for (auto It = FHandlerVariables.rbegin(); !Found && It != FHandlerVariables.rend(); ++It)
        if (qlSameText((*It)->GetName(), Name))
            Found = *It;
    // 1. The enclosing with-statements, innermost first.
    for (auto It = FWithScopes.rbegin(); !Found && It != FWithScopes.rend(); ++It) {
        TqlSymbol* T = *It ? (*It)->GetTypeIntf() : nullptr;
        if (!T || !T->GetTypeIntf())
            UnknownWith = true;
        // What the code here cannot reach of the type's members is not
        // found through the with-statement.
        if (T && T->GetTypeIntf())
            Found = T->GetTypeIntf()->FindSymbol(FCurrentUnit, ViewClass(), Name, false, Info);
    }
    // 2. The scopes, innermost first.
    for (auto It = FScopes.rbegin(); !Found && It != FScopes.rend(); ++It) {
        if (It->Container) {
            Found = It->Container->FindSymbol(FCurrentUnit, ViewClass(), Name, false, Info);
            // Inside function F, its name is its result only where it is
            // assigned (F := ...); anywhere else (F(...), Base + A, @F,
            // inherited F) it calls F or another routine of that name.
            auto* R = qlAsRoutine(It->Container);
            if (Found && R && Found == R->GetRoutineType() && !AtResultTarget())
                Found = R;
        }
        if (!Found && It->Class)
            Found = It->Class->FindSymbol(FCurrentUnit, ViewClass(), Name, false, Info);
    }
    // 3. The class whose declaration is being read.
    if (!Found && FDeclaredClass)
        Found = FDeclaredClass->FindSymbol(FCurrentUnit, ViewClass(), Name, false, Info);
    if (FCurrentUnit) {
        // 4. The unit itself.
        if (!Found)
            Found = FCurrentUnit->FindSymbol(FCurrentUnit, ViewClass(), Name, false, Info);
        // 5. A used unit of that name.
        if (!Found)
            if (TqlUsedUnit* UU = FCurrentUnit->GetUsedUnits()->FindUsedUnit(Name))
                Found = UU->GetUnit();
        // 6. The used units, last first (their interface declarations only).
        if (!Found)
            Found = FindInUsedUnits(Name, Info);
        // The unit's own name qualifies its own declarations (uBase.Count).
        if (!Found && qlSameText(Name, FCurrentUnit->GetName()))
            Found = FCurrentUnit;
    }
    // 7. The built-in symbols.
    if (!Found && gqlProject)
        Found = gqlProject->FindSystemSymbol(Name);
    // A probe (no use, no message) leaves the name as it was.
    if ((!Found || UnknownWith) && (AddReference || ReportMissing))
        NoteUnresolved(Name);
    if (!Found) {
        if (ReportMissing)
            AddMessage(Format1("Symbol, %s, not found in project", Name));
        return nullptr;
    }
    if (AddReference)
        RecordNameUse(Found, Name, Info);
    return Found;
}

bool TUnitParser::UpdateUsedPlaces(TqlUsedUnitList* Used)
{
    TUsedPlaces& P = FUsedPlaces;
    if (P.List != Used || Used->GetCount() < P.Count) {
        P.List = Used;
        P.Count = 0;
        P.Indexed = true;
        P.Place.clear();
    }
    for (; P.Count < Used->GetCount(); ++P.Count) {
        TqlUnit* U = Used->GetUsedUnit(P.Count)->GetUnit();
        if (!U)
            continue;
        if (U->GetNameIndex() != FNameIndex)
            P.Indexed = false;
        P.Place[U] = P.Count;
    }
    return P.Indexed;
}

TqlSymbol* TUnitParser::FindInUsedUnits(const std::string& Name, const TqlUsedByInfo& Info)
{
    TqlUsedUnitList* Used = FCurrentUnit->GetUsedUnits();
    if (FNameIndex && !FNameIndex->Active() && Used->GetCount() >= IndexedUsesCount)
        FNameIndex->Activate();
    if (FNameIndex && FNameIndex->Active() && UpdateUsedPlaces(Used)) {
        // Only the units that declare the name visibly can have it: of
        // those in the uses list, the one used last.
        const TqlUnitNameIndex::TEntry* E = FNameIndex->Find(Name);
        if (!E)
            return nullptr;
        if (E->Count() <= size_t(Used->GetCount())) {
            TqlUnit* Last = nullptr;
            int LastPlace = -1;
            for (size_t i = 0; i < E->Count(); ++i) {
                TqlUnit* U = E->Unit(i);
                if (U == FCurrentUnit)
                    continue;
                auto It = FUsedPlaces.Place.find(U);
                if (It != FUsedPlaces.Place.end() && It->second > LastPlace) {
                    Last = U;
                    LastPlace = It->second;
                }
            }
            if (!Last)
                return nullptr;
            if (TqlSymbol* Found = Last->FindSymbol(FCurrentUnit, ViewClass(), Name, false, Info))
                return Found;
        }
    }
    for (int i = Used->GetCount() - 1; i >= 0; --i) {
        TqlUnit* U = Used->GetUsedUnit(i)->GetUnit();
        if (U && U != FCurrentUnit)
            if (TqlSymbol* Found = U->FindSymbol(FCurrentUnit, ViewClass(), Name, false, Info))
                return Found;
    }
    return nullptr;
}

namespace {

// Declarations of another unit's implementation section are not visible.
TqlSymbol* Visible(TqlSymbol* S, TqlUnit* Owner, TqlUnit* Current)
{
    if (S && Owner != Current && S->GetVisibility() == vkImplementation)
        return nullptr;
    return S;
}

} // namespace

TqlSymbol* TUnitParser::FindType(const std::string& Name, bool Quiet)
{
    TqlSymbol* Found = nullptr;
    for (auto It = FScopes.rbegin(); !Found && It != FScopes.rend(); ++It)
        if (It->Container)
            Found = It->Container->GetTypes()->Find(Name);
    if (FCurrentUnit) {
        if (!Found)
            Found = FCurrentUnit->GetTypes()->Find(Name);
        TqlUsedUnitList* Used = FCurrentUnit->GetUsedUnits();
        for (int i = Used->GetCount() - 1; !Found && i >= 0; --i) {
            TqlUnit* U = Used->GetUsedUnit(i)->GetUnit();
            if (U && U != FCurrentUnit)
                Found = Visible(U->GetTypes()->Find(Name), U, FCurrentUnit);
        }
    }
    if (!Found && gqlProject)
        Found = gqlProject->FindSystemSymbol(Name);
    // A quiet lookup may be answered later (a pointer's target declared
    // further on): its caller notes the name if it stays unresolved.
    if (!Found && !Quiet)
        NoteUnresolved(Name);
    if (!Found && !Quiet)
        AddMessage(Format1("Type, %s, not found in project", Name));
    return Found;
}

TqlClass* TUnitParser::FindClass(const std::string& Name)
{
    if (!FCurrentUnit)
        return nullptr;
    if (TqlClass* C = FCurrentUnit->GetClasses()->Find(Name))
        return C;
    TqlUsedUnitList* Used = FCurrentUnit->GetUsedUnits();
    for (int i = Used->GetCount() - 1; i >= 0; --i) {
        TqlUnit* U = Used->GetUsedUnit(i)->GetUnit();
        if (U && U != FCurrentUnit)
            if (auto* C = static_cast<TqlClass*>(Visible(U->GetClasses()->Find(Name), U, FCurrentUnit)))
                return C;
    }
    return nullptr;
}

TqlInterface* TUnitParser::FindInterface(const std::string& Name)
{
    if (!FCurrentUnit)
        return nullptr;
    if (TqlInterface* I = FCurrentUnit->GetInterfaces()->Find(Name))
        return I;
    TqlUsedUnitList* Used = FCurrentUnit->GetUsedUnits();
    for (int i = Used->GetCount() - 1; i >= 0; --i) {
        TqlUnit* U = Used->GetUsedUnit(i)->GetUnit();
        if (U && U != FCurrentUnit)
            if (auto* I = static_cast<TqlInterface*>(
                    Visible(U->GetInterfaces()->Find(Name), U, FCurrentUnit)))
                return I;
    }
    return nullptr;
}

void TUnitParser::ReadIdentifierList(TPositionList& List)
{
    for (;;) {
        const TPoint P = FLexer->GetPosXY();
        List.emplace_back(Token(), P);
        Expected(ptIdentifier);
        if (GetTokenID() != ptComma)
            break;
        NextToken();
    }
}

void TUnitParser::ReadHeritageList(TPositionList& List)
{
    for (;;) {
        const TPoint P = FLexer->GetPosXY();
        if (GetTokenID() != ptIdentifier) {
            Expected(ptIdentifier);
            break;
        }
        List.emplace_back(Token(), P);
        ResolveIdentifier(nullptr);
        if (GetTokenID() != ptComma)
            break;
        NextToken();
    }
}

TqlSymbol* TUnitParser::ResolveIdentifier(TqlSymbol*)
{
    // Without reference resolution: the name is looked up and consumed.
    TqlSymbol* Found = nullptr;
    if (GetTokenID() == ptIdentifier)
        Found = FindSymbol(Token(), true, false, MakeUsedByInfo());
    Expected(ptIdentifier);
    return Found;
}

TqlSymbol* TUnitParser::ResolveDesignator(TqlSymbol*)
{
    TlxSimplePasPar::Designator();
    return nullptr;
}

TqlSymbol* TUnitParser::ParseStructuredType(TqlVarContainer*, const std::string&, bool& IsNew,
                                            const TPoint&)
{
    IsNew = false;
    QL_ASSERT(false, "Abstract method call");
    return nullptr;
}

void TUnitParser::ParseDeclarationSection(TqlVarContainer*)
{
    QL_ASSERT(false, "Abstract method call");
}

TqlType* TUnitParser::SystemType(TqlTypeKind Kind) const
{
    return gqlProject ? gqlProject->GetSystemType(Kind) : nullptr;
}

// ---------------------------------------------------------------------------
// Types

TqlSymbol* TUnitParser::ParseTypeId(bool Quiet)
{
    TqlUnit* InUnit = nullptr;
    bool Qualified = false;
    if (GetTokenID() == ptIdentifier && NextIs(ptPoint)) {
        Qualified = true;
        const std::string UnitName = Token();
        if (FCurrentUnit) {
            if (TqlUsedUnit* UU = FCurrentUnit->GetUsedUnits()->FindUsedUnit(UnitName))
                InUnit = UU->GetUnit();
            else if (!qlSameText(UnitName, FCurrentUnit->GetName()))
                AddMessage(Format1("Unit, %s, not found among used units", UnitName));
            else
                InUnit = FCurrentUnit;
            // The qualifying name is a use of the unit.
            RecordUse(InUnit, UnitName, MakeUsedByInfo());
        }
        NextToken();
        NextToken();
    }
    const TPoint P = Pos();
    const std::string Written = Token();
    TqlSymbol* Found = nullptr;
    bool Predefined = true;
    TqlTypeKind Kind = tkNone;
    switch (GetGenID()) {
    case ptBoolean: Kind = tkBoolean; break;
    case ptByte: Kind = tkByte; break;
    case ptCardinal: Kind = tkCardinal; break;
    case ptChar: Kind = tkChar; break;
    case ptDWORD: Kind = tkDWord; break;
    case ptInt64: Kind = tkInt64; break;
    case ptInteger: Kind = tkInteger; break;
    case ptLongint: Kind = tkLongInt; break;
    case ptLongword: Kind = tkLongWord; break;
    case ptPChar: Kind = tkPChar; break;
    case ptShortint: Kind = tkShortInt; break;
    case ptSmallint: Kind = tkSmallInt; break;
    case ptWideChar: Kind = tkWideChar; break;
    case ptWord: Kind = tkWord; break;
    case ptComp: Kind = tkComp; break;
    case ptCurrency: Kind = tkCurrency; break;
    case ptDouble: Kind = tkDouble; break;
    case ptExtended: Kind = tkExtended; break;
    case ptReal: Kind = tkReal; break;
    case ptReal48: Kind = tkReal48; break;
    case ptSingle: Kind = tkSingle; break;
    case ptAnsiString: Kind = tkAnsiString; break;
    case ptShortString: Kind = tkShortString; break;
    case ptWideString: Kind = tkWideString; break;
    case ptOleVariant: Kind = tkOleVariant; break;
    case ptVariant: Kind = tkVariant; break;
    case ptString: Kind = tkString; break;
    default: Predefined = false;
    }
    if (Predefined) {
        Found = SystemType(Kind);
        if (GetTokenID() == ptString)
            StringType();
        else
            NextToken();
    } else {
        if (GetTokenID() == ptIdentifier) {
            if (Qualified)
                Found = InUnit ? Visible(InUnit->GetTypes()->Find(Written), InUnit, FCurrentUnit)
                               : nullptr;
            else
                Found = FindType(Written, Quiet);
        }
        Expected(ptIdentifier);
    }
    if (Found)
        RecordUse(Found, Predefined ? Found->GetName() : Written, MakeUsedByInfo(P, false));
    return Found;
}

TqlSymbol* TUnitParser::ParseSimpleType(TqlVarContainer* Container, const std::string& TypeName,
                                         const TPoint& Position)
{
    if (GetTokenID() == ptRoundOpen) {
        TqlEnumeration* E = nullptr;
        if (!TypeName.empty())
            E = Container->GetEnumerations()->AddItem(TypeName, FVisibility, FFileIndex, Position.X,
                                                      Position.Y);
        NextToken();
        while (GetTokenID() == ptIdentifier) {
            const TPoint P = Pos();
            const std::string Member = Token();
            if (E) {
                TqlSymbol* S = E->GetItems()->AddSymbol(Member, FVisibility, FFileIndex, P.X, P.Y);
                E->AddSymbol(S);
                Container->AddSymbol(S);
            } else if (FCurrentUnit) {
                FCurrentUnit->GetConstants()->AddVariable(Member, FVisibility, true, FFileIndex, P.X,
                                                          P.Y);
            }
            NextToken();
            if (GetTokenID() == ptEqual || GetTokenID() == ptAssign) {
                NextToken();
                ConstantExpression();
            }
            if (GetTokenID() != ptComma)
                break;
            NextToken();
        }
        Expected(ptRoundClose);
        if (GetTokenID() == ptDotDot) {
            NextToken();
            SimpleExpression();
        }
        return E;
    }
    if (GetTokenID() == ptSquareOpen) {
        SetConstructor();
        return nullptr;
    }
    SubrangeType();
    return nullptr;
}

TqlSymbol* TUnitParser::DeclareType(TqlVarContainer* Container, const std::string& TypeName,
                                    TqlSymbol* Found, bool Required, const TPoint& Position)
{
    // A type whose target is unknown (an alias of a type from a unit that
    // was not found) is still declared, so that its name resolves.
    if (Required && !Found)
        AddMessageAt(Format1("Type not found for type named, %s", TypeName),
                     TPoint{Position.X - 1, Position.Y - 1});
    // Types of an implementation section stay private to their unit.
    const TVisibilityKind Vis = FVisibility == vkImplementation ? vkImplementation : vkInterface;
    TqlType* T = Container->GetTypes()->AddType(TypeName, Vis, FFileIndex, Position.X, Position.Y,
                                                Required);
    T->SetTypeIntf(Found);
    return T;
}

TqlSymbol* TUnitParser::ParseType(TqlVarContainer* Container, const std::string& TypeName,
                                  bool IsTypeDeclaration, const TPoint& Position)
{
    if (!Container)
        Container = CurrentContainer();
    const bool Declaring = IsTypeDeclaration && !TypeName.empty();
    FLastTypeIndirect = false;
    TqlSymbol* Found = nullptr;
    bool Required = true;
    switch (GetTokenID()) {
    case ptArray: case ptFile: case ptPacked: case ptRecord: case ptSet: {
        bool IsNew = false;
        Found = ParseStructuredType(Container, TypeName, IsNew, Position);
        if (IsNew)
            return Found;
        Required = Found != nullptr;
        break;
    }
    case ptAsciiChar: case ptFloat: case ptIntegerConst: case ptStringConst: case ptMinus:
    case ptNil: case ptPlus: case ptRoundOpen: case ptSquareOpen:
        Found = ParseSimpleType(Container, Declaring ? TypeName : std::string(), Position);
        if (Found)
            return Found;
        Required = false;
        break;
    case ptFunction: case ptProcedure: {
        const bool IsFunction = GetTokenID() == ptFunction;
        Found = SystemType(IsFunction ? tkFunction : tkProcedure);
        // A type declared keeps its heading, which picks the overload a
        // routine name assigned or passed to one of its kind stands for.
        TqlRoutine* Signature = nullptr;
        if (Declaring && FCurrentUnit && FProceduralDepth == 0)
            Signature = FCurrentUnit->AddProceduralSignature(IsFunction ? rkFunction : rkProcedure,
                                                             FFileIndex, Position.X, Position.Y);
        struct TDepth {
            int& Value;
            TqlRoutine*& Heading;
            TqlRoutine* Saved;
            ~TDepth() { --Value; Heading = Saved; }
        } Depth{++FProceduralDepth, FSignature, FSignature};
        FSignature = Signature;
        ProceduralType();
        Required = Found != nullptr;
        if (Signature) {
            auto* T = static_cast<TqlType*>(DeclareType(Container, TypeName, Found, Required, Position));
            T->SetSignature(Signature);
            return T;
        }
        break;
    }
    case ptIdentifier: {
        FLexer->InitAhead();
        const TptTokenKind Next = FLexer->GetAheadTokenID();
        const TptTokenKind NextEx = FLexer->GetAheadExID();
        if (Next == ptEqual || Next == ptOf || Next == ptPoint || Next == ptRoundClose ||
            Next == ptSemiColon || Next == ptNull) {
            Found = ParseTypeId(false);
        } else if (NextEx == ptDeprecated || NextEx == ptPlatform || Next == ptLibrary) {
            Found = ParseTypeId(false);
            Required = false;
            HintDirectives();
        } else {
            SimpleExpression();
            if (GetTokenID() == ptDotDot) {
                NextToken();
                SimpleExpression();
            }
            Required = false;
        }
        break;
    }
    case ptPointerSymbol:
        NextToken();
        if (Declaring) {
            const std::string Target = Token();
            TqlType* T = Container->GetTypes()->AddType(
                TypeName, FVisibility == vkImplementation ? vkImplementation : vkInterface,
                FFileIndex, Position.X, Position.Y, false);
            T->SetPointerType(true);
            T->SetPointerTypeName(Target);
            TqlSymbol* To = GetTokenID() == ptIdentifier ? FindType(Target, true) : nullptr;
            if (To) {
                T->SetTypeIntf(To);
                RecordUse(To, Target, MakeUsedByInfo());
            } else if (GetTokenID() == ptIdentifier) {
                Container->AddForwardPointerType(T);
                // A use of the target once the type section declares it.
                FForwardPointers.push_back({T, Target, MakeUsedByInfo()});
            } else {
                Container->AddForwardPointerType(T);
            }
            TypeId();
            return T;
        }
        // A pointer to a type that may be declared later, or not at all.
        if (GetTokenID() == ptIdentifier) {
            const std::string Target = Token();
            Found = ParseTypeId(true);
            if (!Found)
                NoteUnresolved(Target);
        } else {
            TypeId();
        }
        FLastTypeIndirect = Found != nullptr;
        Required = false;
        break;
    case ptString:
        Found = SystemType(tkString);
        StringType();
        break;
    case ptClass:
        // A class reference written in place (class of T).
        NextToken();
        Expected(ptOf);
        Found = GetTokenID() == ptIdentifier ? ParseTypeId(false) : nullptr;
        FLastTypeIndirect = Found != nullptr && !Declaring;
        break;
    default:
        SynError(InvalidTypeKind);
        return nullptr;
    }
    if (Declaring)
        return DeclareType(Container, TypeName, Found, Required, Position);
    return Found;
}

void TUnitParser::RecordForwardPointerUses()
{
    for (const TForwardPointer& F : FForwardPointers) {
        if (TqlSymbol* To = F.Pointer->GetTypeIntf())
            RecordUse(To, F.Target, F.Info);
        else
            NoteUnresolved(F.Target);
    }
    FForwardPointers.clear();
}

void TUnitParser::RecordStringLiteral()
{
    if (!FCurrentUnit)
        return;
    const TPoint P = Pos();
    FCurrentUnit->GetStringLiterals()->AddSymbol(
        new TqlSymbol(Token(), vkNone, tkString, FFileIndex, P.X, P.Y));
}

void TUnitParser::ParseCharString()
{
    switch (GetTokenID()) {
    case ptAsciiChar: case ptIdentifier: case ptRoundOpen: case ptStringConst:
        break;
    default:
        if (!AtControlChar()) {
            SynError(InvalidCharString);
            return;
        }
    }
    // Whatever an expression may hold: the string literals in it are
    // recorded by the factors that read them.
    Expression();
}

void TUnitParser::StringFactor()
{
    // A literal with the characters written next to it ('a'#13#10^M'b').
    for (;;) {
        if (GetTokenID() == ptStringConst) {
            RecordStringLiteral();
            NextToken();
        } else if (GetTokenID() == ptAsciiChar) {
            // 'x' is a literal of one character, #13 a character code.
            if (*FLexer->GetTokenPtr() == '\'')
                RecordStringLiteral();
            NextToken();
        } else if (AtControlChar()) {
            NextToken(); // ^M: the caret and its letter
            NextToken();
        } else {
            break;
        }
    }
}

// ---------------------------------------------------------------------------
// Other rules

void TUnitParser::ExceptionHandler()
{
    ExpectedEx(ptOn);
    // The handler's variable is its own, visible in its statement only: a
    // routine lists it among its variables without its name index (so the
    // checks of unused locals still see it); a main block's is no global,
    // the unit keeps it apart.
    TqlVariable* Variable = nullptr;
    if (GetTokenID() == ptIdentifier && !NextIs(ptPoint) && NextIs(ptColon)) {
        const TPoint P = Pos();
        TqlVarContainer* C = CurrentContainer();
        if (C && C != FCurrentUnit) {
            Variable = new TqlVariable(TokenText(), FCurrentUnit ? FCurrentUnit->GetVisibility()
                                                                 : vkInterface,
                                       false, FFileIndex, P.X, P.Y);
            C->GetVariables()->InternalSymbolAdded(Variable);
        } else if (FCurrentUnit) {
            Variable = FCurrentUnit->AddHandlerVariable(TokenText(), FFileIndex, P.X, P.Y);
        }
        // Its name is recorded where it stands, as a parameter's is: a rename
        // of another variable of that name then knows the word.
        if (Variable)
            RecordUse(Variable, Variable->GetName(), MakeUsedByInfo(P, false));
        NextToken();
        Expected(ptColon);
    }
    // The class name stands before "do": resolved like any expression; the
    // variable is an object of that class.
    TqlSymbol* Handled = nullptr;
    if (GetTokenID() == ptIdentifier)
        Handled = ResolveDesignator(nullptr);
    else
        Expression();
    Expected(ptDo);
    if (Variable) {
        if (TqlClass* K = qlAsClass(Handled))
            Variable->SetTypeIntf(K);
        FHandlerVariables.push_back(Variable);
    }
    struct TPop {
        std::vector<TqlVariable*>& List;
        bool Pushed;
        ~TPop()
        {
            if (Pushed)
                List.pop_back();
        }
    } Pop{FHandlerVariables, Variable != nullptr};
    Statement();
}

void TUnitParser::ExportsElement()
{
    if (GetTokenID() == ptIdentifier)
        ResolveDesignator(nullptr);
    else
        Expected(ptIdentifier);
    if (GetExID() == ptIndex) {
        NextToken();
        Expected(ptIntegerConst);
    }
    if (GetExID() == ptName) {
        NextToken();
        ParseCharString();
    }
    if (GetExID() == ptResident)
        NextToken();
}

void TUnitParser::ExternalDirective()
{
    struct TFlag {
        bool& F;
        explicit TFlag(bool& Flag) : F(Flag) { F = true; }
        ~TFlag() { F = false; }
    } Flag(FInExternalDirective);
    TlxSimplePasPar::ExternalDirective();
}

namespace {

// New or Dispose of the language (or of a unit that was not found).
bool IsObjectAllocation(TqlSymbol* Callee, const std::string& Name)
{
    if (!qlSameText(Name, "New") && !qlSameText(Name, "Dispose"))
        return false;
    if (!Callee)
        return true;
    TqlUnit* Unit = Callee->GetUnitIntf();
    return qlAsRoutine(Callee) && Unit &&
           (qlSameText(Unit->GetName(), "QuilletSystem") || qlSameText(Unit->GetName(), "System"));
}

} // namespace

void TUnitParser::Designator()
{
    const int Depth = FBracketDepth;
    // An argument of the call whose list is being read, not a part of one
    // (by its place: the calls inside it add frames).
    const bool InList = !FCallFrames.empty() && FCallFrames.back().Depth == Depth;
    const size_t At = InList ? FCallFrames.size() - 1 : 0;
    TqlSymbol* Context = InList && FCallFrames[At].Index == 1 ? FCallFrames[At].ObjectType : nullptr;
    TqlSymbol* S = ResolveDesignator(Context);
    if (GetTokenID() == ptAssign) {
        FAssignTarget = S;
        FLexer->InitAhead();
        FAssignValuePos = FLexer->AheadLex().TokenPos();
        FAssignValueOrigin = FLexer->AheadLex().Origin();
    }
    if (!InList)
        return;
    TCallFrame& Frame = FCallFrames[At];
    // The whole argument of a call whose overload its arguments decide.
    if (Frame.Decision)
        Frame.Designated = S;
    if (Frame.Index == 0 && S && IsObjectAllocation(Frame.Callee, Frame.Name))
        Frame.ObjectType = qlAsClass(S->FindContainer());
}

void TUnitParser::ParameterName()
{
    // A parameter of a procedural type declares a name of no scope: its use
    // where it stands marks the word as known.
    if (FProceduralDepth > 0 && GetTokenID() == ptIdentifier && FCurrentUnit) {
        const TPoint P = Pos();
        TqlParameter* Param = FCurrentUnit->AddProceduralParameter(Token(), FFileIndex, P.X, P.Y);
        if (FSignature && FProceduralDepth == 1)
            FSignature->GetParameters()
                ->AddParameter(Token(), pkNone, FFileIndex, P.X, P.Y)
                ->SetUntypedParameter(true);
        TqlUsedByInfo Info = MakeUsedByInfo();
        Info.IsHeading = true;
        RecordUse(Param, Param->GetName(), Info);
    }
    TlxSimplePasPar::ParameterName();
}

void TUnitParser::FormalParameterSection()
{
    if (FSignature)
        FSignatureSection = FSignature->GetParameters()->GetCount();
    TlxSimplePasPar::FormalParameterSection();
}

void TUnitParser::NewFormalParameterType()
{
    if (!FSignature || FProceduralDepth != 1) {
        TlxSimplePasPar::NewFormalParameterType();
        return;
    }
    // The section's type, for the heading of the procedural type.
    TqlSymbol* T = nullptr;
    TqlSymbol* Element = nullptr;
    std::string Written;
    auto TypeHere = [&]() -> TqlSymbol* {
        switch (GetTokenID()) {
        case ptString:
            NextToken();
            return SystemType(tkString);
        case ptFile:
            NextToken();
            return SystemType(tkFile);
        case ptIdentifier: {
            Written = Token();
            TqlSymbol* Found = ParseTypeId(false);
            if (Found)
                Written.clear();
            return Found;
        }
        default:
            TlxSimplePasPar::OldFormalParameterType();
            return nullptr;
        }
    };
    if (GetTokenID() == ptArray) {
        NextToken();
        Expected(ptOf);
        if (GetTokenID() == ptConst) {
            T = SystemType(tkArrayOfConst);
            NextToken();
        } else {
            T = SystemType(tkArray);
            Element = TypeHere();
        }
    } else {
        T = TypeHere();
    }
    TqlParameterList* Params = FSignature->GetParameters();
    for (int i = FSignatureSection; i < Params->GetCount(); ++i) {
        TqlParameter* Param = Params->GetParameters(i);
        Param->SetUntypedParameter(false);
        Param->SetParamType(T);
        if (Element)
            Param->SetPredefinedArrayType(Element);
        if (!Written.empty())
            Param->SetWrittenTypeName(Written);
    }
}

void TUnitParser::OldFormalParameterType()
{
    // The parameter types of procedural types are uses of those types.
    if (GetTokenID() == ptIdentifier)
        ParseTypeId(false);
    else
        TlxSimplePasPar::OldFormalParameterType();
}

void TUnitParser::ReturnType()
{
    if (GetTokenID() == ptIdentifier)
        ParseTypeId(false);
    else
        TlxSimplePasPar::ReturnType();
}
