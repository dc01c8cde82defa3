#include "analysis/uqlUnitParser.h"

#include "base/qlHash.h"
#include "base/uqlPathUtils.h"

#include <exception>
#include <fstream>
#include <functional>
#include <pthread.h>
#include <sstream>

namespace {

// Interface parses nested on this thread's stack (a used unit's interface is
// parsed from within the uses clause that names it).
thread_local int GInterfaceNesting = 0;

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
// that chains of hundreds of units that use each other in their interfaces
// cannot exhaust the stack. Only one thread runs at any time.
void RunOnFreshStack(std::function<void()> Work)
{
    THopArgs Args{&Work, nullptr};
    pthread_attr_t Attr;
    pthread_attr_init(&Attr);
    pthread_attr_setstacksize(&Attr, size_t(64) << 20);
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
    case ptClass: case ptConst: case ptConstructor: case ptDestructor: case ptFunction:
    case ptLabel: case ptProcedure: case ptResourcestring: case ptThreadvar: case ptType:
    case ptVar:
        return true;
    default:
        return false;
    }
}

std::string Format1(const char* Pattern, const std::string& Value)
{
    std::string S = Pattern;
    const size_t P = S.find("%s");
    if (P != std::string::npos)
        S.replace(P, 2, Value);
    return S;
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
    Lexer().SetOnIncludeDirect([this](TlxBasePasLex*, const std::string& Name) {
        return IncludeFileRequest(Name);
    });
    Lexer().SetOnIncludeEnd([this](TlxBasePasLex*) { IncludeFileEnd(); });
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
    if (Name != "QuilletSystem") {
        AddUsedUnit("QuilletSystem", "", -1, -1);
        if (!qlSameText(Name, "System")) {
            if (!qlSameText(Name, "SysInit"))
                AddUsedUnit("SysInit", "", -1, -1);
            AddUsedUnit("System", "", -1, -1);
        }
    }
    // What was read, so that a later edit of the file can be told.
    if (TqlFileNameList* Files = gqlProject ? gqlProject->GetFileNames() : nullptr)
        if (FFileIndex >= 0 && FFileIndex < Files->GetCount()) {
            TqlSourceFile* File = Files->GetItems(FFileIndex);
            File->Size = FSource.Size();
            File->Hash = qlHash64(std::string_view(FSource.Memory(), static_cast<size_t>(FSource.Size())));
        }
    Run(FFileName, &FSource);
    FClosedIncludeBuffers.clear();
    FClosedIncludeBuffers.shrink_to_fit();
}

void TUnitParser::ParseImplementation()
{
    if (!FInterfaceDone || !FCurrentUnit)
        return;
    FInterfaceOnly = false;
    ImplementationSection();
    UnitEnd();
    Expected(ptPoint);
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
    while (IsImplementationDeclarationStart(GetTokenID()) || GetTokenID() == ptExports) {
        const int Before = FLexer->TokenPos();
        const char* Origin = FLexer->Origin();
        ParseDeclarationSection(FCurrentUnit);
        if (FLexer->TokenPos() == Before && FLexer->Origin() == Origin)
            NextToken();
    }
    if (GetTokenID() == ptAsm) {
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
        AddUsedUnit(qlExtractUnitName(InPath), InPath, P.Y, P.X);
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
        AddUsedUnit(qlExtractUnitName(InPath), InPath, P.Y, P.X);
    else if (IsName)
        AddUsedUnit(Name, "", P.Y, P.X);
}

void TUnitParser::AddUsedUnit(const std::string& Name, const std::string& InPath, int Y, int X)
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
        struct TNest {
            TNest() { ++GInterfaceNesting; }
            ~TNest() { --GInterfaceNesting; }
        } Nest;
        if (GInterfaceNesting % StackHopDepth == 0)
            RunOnFreshStack([Unit] { gqlProject->ParseInterface(Unit); });
        else
            gqlProject->ParseInterface(Unit);
    }
    Unit->GetUsedBy()->AddUsedBy(UsedByInfo(FFileIndex, Unit->GetName() != Name, X, Y));
}

// ---------------------------------------------------------------------------
// Include and form files

const char* TUnitParser::IncludeFileRequest(const std::string& Name)
{
    if (!gqlProject || !FCurrentUnit)
        return nullptr;
    std::string FileName = Name;
    if (qlExtractFileExt(FileName).empty())
        FileName += ".pas";
    // A bare name is looked for beside the unit that includes it first, as
    // the compiler does; the project's search folders come after.
    std::string Full;
    if (!qlHasFolderPart(FileName))
        Full = qlResolveFile(qlFolderOf(FFileName), FileName);
    bool IsLibrary = false;
    if (Full.empty())
        gqlProject->FindUnitFile(FileName, qlFolderOf(FFileName), Full, IsLibrary);
    if (Full.empty()) {
        AddMessage(Format1("Include file, %s, does not exist.", Name));
        return nullptr;
    }
    TqlFileNameList* Files = gqlProject->GetFileNames();
    int Index;
    if (TqlSourceFile* F = Files->Find(Full)) {
        Index = F->GetFileIndex();
    } else {
        int UnitIndex = -1;
        const int Own = FCurrentUnit->GetFileIndex();
        if (Own >= 0 && Own < Files->GetCount())
            UnitIndex = Files->GetItems(Own)->GetUnitIndex();
        Index = Files->Add(Full, true, UnitIndex);
    }
    // An include file that is already open (itself, or a cycle through
    // others) would never end.
    bool Open = Index == FFileIndex || Index == FCurrentUnit->GetFileIndex();
    for (int F : FFileStack)
        Open = Open || F == Index;
    if (Open) {
        AddMessage(Format1("Include file, %s, includes itself.", Name));
        return nullptr;
    }
    std::ifstream In(Full, std::ios::binary);
    if (!In) {
        AddMessage(Format1("Include file, %s, does not exist.", Name));
        return nullptr;
    }
    // Read straight into the buffer the lexer will scan.
    auto Text = std::make_unique<std::string>();
    In.seekg(0, std::ios::end);
    const std::streamoff Size = In.tellg();
    In.seekg(0, std::ios::beg);
    if (Size > 0) {
        Text->resize(static_cast<size_t>(Size));
        In.read(Text->data(), Size);
        Text->resize(static_cast<size_t>(In.gcount()));
    } else if (Size < 0) {
        // Not seekable: read it as a stream.
        In.clear();
        std::ostringstream Stream;
        Stream << In.rdbuf();
        *Text = Stream.str();
    }
    FIncludeBuffers.push_back(std::move(Text));
    FFileStack.push_back(FFileIndex);
    FFileIndex = Index;
    return FIncludeBuffers.back()->c_str();
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
        FClosedIncludeBuffers.push_back(std::move(FIncludeBuffers.back()));
        FIncludeBuffers.pop_back();
    }
}

void TUnitParser::ResourceIncluded(const std::string& FileName)
{
    if (!FCurrentUnit || !qlSameText(FileName, "*.dfm"))
        return;
    const std::string Wanted = qlChangeFileExt(FFileName, ".dfm");
    const std::string Found = qlResolveFile("", Wanted);
    FCurrentUnit->LoadFormResource(Found.empty() ? Wanted : Found);
}

// ---------------------------------------------------------------------------
// Messages and positions

TPoint TUnitParser::Pos() const
{
    TPoint P = FLexer->GetPosXY();
    return TPoint{P.X + 1, P.Y + 1};
}

void TUnitParser::DoMessage(void*, const std::string& Msg, int X, int Y)
{
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
    if (FOnMessage)
        FOnMessage(this, Text, Position0.X, Position0.Y);
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

void TUnitParser::RecordUse(TqlSymbol* Symbol, const std::string& WrittenName,
                            const TqlUsedByInfo& Info)
{
    if (!Symbol)
        return;
    TqlUsedByInfo I = Info;
    I.IsWrongCase = WrittenName != Symbol->GetName();
    Symbol->GetUsedBy()->AddUsedBy(I);
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
    FLexer->Next();
    SkipJunk();
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
    if (auto* R = dynamic_cast<TqlRoutine*>(Container)) {
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

void TUnitParser::SetEndPosition(TqlCodeLocation* Symbol)
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
    TqlSymbol* Found = nullptr;
    // 1. The enclosing with-statements, innermost first.
    for (auto It = FWithScopes.rbegin(); !Found && It != FWithScopes.rend(); ++It) {
        TqlSymbol* T = (*It)->GetTypeIntf();
        if (T && T->GetTypeIntf()) {
            auto* AsClass = dynamic_cast<TqlClass*>(T);
            Found = T->GetTypeIntf()->FindSymbol(FCurrentUnit, AsClass ? AsClass : FCurrentClass,
                                                 Name, false, Info);
        }
    }
    // 2. The scopes, innermost first.
    for (auto It = FScopes.rbegin(); !Found && It != FScopes.rend(); ++It) {
        if (It->Container) {
            Found = It->Container->FindSymbol(FCurrentUnit, FCurrentClass, Name, false, Info);
            // Inside function F, "F(" calls F; only a bare F is its result.
            auto* R = dynamic_cast<TqlRoutine*>(It->Container);
            if (Found && R && Found == R->GetRoutineType() && NextIs(ptRoundOpen))
                Found = R;
        }
        if (!Found && It->Class)
            Found = It->Class->FindSymbol(FCurrentUnit, FCurrentClass, Name, false, Info);
    }
    // 3. The class whose declaration is being read.
    if (!Found && FDeclaredClass)
        Found = FDeclaredClass->FindSymbol(FCurrentUnit, FCurrentClass, Name, false, Info);
    if (FCurrentUnit) {
        // 4. The unit itself.
        if (!Found)
            Found = FCurrentUnit->FindSymbol(FCurrentUnit, FCurrentClass, Name, false, Info);
        // 5. A used unit of that name.
        if (!Found)
            if (TqlUsedUnit* UU = FCurrentUnit->GetUsedUnits()->FindUsedUnit(Name))
                Found = UU->GetUnit();
        // 6. The used units, last first (their interface declarations only).
        TqlUsedUnitList* Used = FCurrentUnit->GetUsedUnits();
        for (int i = Used->GetCount() - 1; !Found && i >= 0; --i) {
            TqlUnit* U = Used->GetUsedUnit(i)->GetUnit();
            if (U && U != FCurrentUnit)
                Found = U->FindSymbol(FCurrentUnit, FCurrentClass, Name, false, Info);
        }
    }
    // 7. The built-in symbols.
    if (!Found && gqlProject)
        Found = gqlProject->FindSystemSymbol(Name);
    if (!Found) {
        if (ReportMissing)
            AddMessage(Format1("Symbol, %s, not found in project", Name));
        return nullptr;
    }
    if (AddReference)
        RecordUse(Found, Name, Info);
    return Found;
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
    if (Required && !Found) {
        AddMessageAt(Format1("Type not found for type named, %s", TypeName),
                     TPoint{Position.X - 1, Position.Y - 1});
        return nullptr;
    }
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
    case ptFunction: case ptProcedure:
        Found = SystemType(GetTokenID() == ptFunction ? tkFunction : tkProcedure);
        ProceduralType();
        Required = Found != nullptr;
        break;
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
            if (To)
                T->SetTypeIntf(To);
            else
                Container->AddForwardPointerType(T);
            TypeId();
            return T;
        }
        Found = GetTokenID() == ptIdentifier ? ParseTypeId(true) : nullptr;
        if (!Found)
            TypeId();
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
        break;
    default:
        SynError(InvalidTypeKind);
        return nullptr;
    }
    if (Declaring)
        return DeclareType(Container, TypeName, Found, Required, Position);
    return Found;
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
        SynError(InvalidCharString);
        return;
    }
    // A ")" is taken only when it closes a "(" taken here: the string may be
    // an argument, and the list's own closing bracket is not ours.
    int Parens = 0;
    int Guard = 0;
    while (Guard++ < 100000) {
        const TptTokenKind K = GetTokenID();
        if (GetExID() == ptDeprecated || GetExID() == ptPlatform)
            break;
        if (FInExternalDirective && GetExID() == ptName)
            break;
        if (K == ptStringConst || K == ptAsciiChar) {
            if (K == ptStringConst)
                RecordStringLiteral();
            NextToken();
        } else if (K == ptIdentifier) {
            ResolveDesignator(nullptr);
        } else if (K == ptPointerSymbol && AtControlChar()) {
            NextToken(); // ^M: the caret and its letter
            NextToken();
        } else if (K == ptPlus) {
            NextToken();
        } else if (K == ptRoundOpen) {
            ++Parens;
            NextToken();
        } else if (K == ptRoundClose && Parens > 0) {
            --Parens;
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
    if (GetTokenID() == ptIdentifier && !NextIs(ptPoint) && NextIs(ptColon)) {
        const TPoint P = Pos();
        TqlVarContainer* C = CurrentContainer();
        C->GetVariables()->AddVariable(Token(), FCurrentUnit ? FCurrentUnit->GetVisibility()
                                                             : vkInterface,
                                       false, FFileIndex, P.X, P.Y);
        NextToken();
        Expected(ptColon);
    }
    // The class name stands before "do": resolved like any expression.
    Expression();
    Expected(ptDo);
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

void TUnitParser::Designator() { ResolveDesignator(nullptr); }
