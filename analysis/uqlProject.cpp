#include "analysis/uqlProject.h"
#include "base/uqlPathUtils.h"

#include "analysis/uqlMessageList.h"
#include "base/qlFileLimits.h"
#include "reports/uqlReports.h"
#include "settings/uqlCodingConventions.h"
#include "settings/uqlFileSettings.h"
#include "settings/uqlOptions.h"
#include "settings/uqlRegExpr.h"
#include "settings/uqlSettings.h"
#include "settings/uqlStringList.h"
#include "settings/uqlSystemOptions.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string Trim(const std::string& S)
{
    size_t B = 0, E = S.size();
    while (B < E && static_cast<unsigned char>(S[B]) <= ' ')
        ++B;
    while (E > B && static_cast<unsigned char>(S[E - 1]) <= ' ')
        --E;
    return S.substr(B, E - B);
}

std::string UpperCase(std::string S)
{
    for (char& C : S)
        if (C >= 'a' && C <= 'z')
            C = static_cast<char>(C - 'a' + 'A');
    return S;
}

std::string CurrentFolder()
{
    std::error_code Ec;
    const fs::path P = fs::current_path(Ec);
    return Ec ? std::string("/") : qlWithSlash(P.string());
}

} // namespace

namespace {

// A path taken relative to Base (unless absolute), with '\' read as '/',
// "." and ".." folded, without touching the disk.
std::string Expand(const std::string& Base, const std::string& Path)
{
    std::string P = Path;
    std::replace(P.begin(), P.end(), '\\', '/');
    fs::path R = (!P.empty() && P[0] == '/') ? fs::path(P) : fs::path(Base) / P;
    return R.lexically_normal().string();
}

} // namespace

std::string qlProgramFolder()
{
    std::error_code Ec;
    const fs::path Exe = fs::read_symlink("/proc/self/exe", Ec);
    if (Ec)
        return CurrentFolder();
    return qlWithSlash(Exe.parent_path().string());
}

std::string qlShippedSystemFolder() { return qlProgramFolder() + "QuilletSystem"; }

void qlAddShippedSystemFolder(const Ref<IqlStringList>& LibrarySearchPath)
{
    if (!LibrarySearchPath)
        return;
    const std::string Shipped = qlShippedSystemFolder();
    for (const std::string& F : qlListLines(LibrarySearchPath)) {
        std::string Listed = Trim(F);
        while (Listed.size() > 1 && qlIsPathDelimiter(Listed.back()))
            Listed.pop_back();
        if (Listed == Shipped)
            return;
    }
    LibrarySearchPath->Add(Shipped);
}

TqlProject::TqlProject() { Construct(qlProgramFolder()); }

TqlProject::TqlProject(const std::string& SettingsFolder) { Construct(qlWithSlash(SettingsFolder)); }

TqlProject::TqlProject(TTrial) { Construct(std::string(), false); }

void TqlProject::Construct(const std::string& Folder, bool LoadSettings)
{
    qlCreateGlobalTables();
    FMainUnit = std::make_unique<TqlUnit>(-1, "TqlProject");
    FProjectSettingsFile = Ref<IqlFileSettings>(new TqlFileSettings(Folder + "projectoptions.ini"));
    FUnits = std::make_unique<TqlUnitList>();
    FOptions = Ref<IqlOptions>(new TqlOptions);
    FMessages = Ref<IqlMessageList>(new TqlMessageList);
    FCodingConventions = Ref<IqlCodingConventions>(new TqlCodingConventions(Folder + "codeconventions.ql"));
    if (LoadSettings)
        FCodingConventions->Load();
    FClasses = std::make_unique<TqlOwnedClassList>(nullptr);
    FObjects = std::make_unique<TqlOwnedObjectList>(nullptr);
    FInterfaces = std::make_unique<TqlOwnedInterfaceList>(nullptr);
    FSystemSymbols = std::make_unique<TqlSymbolList>(true);
    FFileNames = std::make_unique<TqlFileNameList>();
    FReports = Ref<IqlReports>(new TqlReports);
    FRegExpr = Ref<IqlRegExpr>(new TqlRegExpr);
    FSystemSettingsFile = Ref<IqlFileSettings>(new TqlFileSettings(Folder + "options.ql"));
    FSystemOptions = Ref<IqlSystemOptions>(new TqlSystemOptions);
    if (LoadSettings)
        FSystemOptions->Load(FSystemSettingsFile);
}

Ref<IqlProject> TqlProject::CreateTrialProject()
{
    // Made without settings of its own: it takes this project's.
    Ref<TqlProject> Trial(new TqlProject(TTrial{}));
    Trial->FOptions = FOptions;
    Trial->FSystemOptions = FSystemOptions;
    Trial->FCodingConventions = FCodingConventions;
    Trial->FProjectSettingsFile = FProjectSettingsFile;
    Trial->FSystemSettingsFile = FSystemSettingsFile;
    Trial->FRegExpr = FRegExpr;
    // The library folders this project's analysis searched, which a caller
    // may have added to for that analysis only.
    Trial->FIsTrial = true;
    Trial->FAnalysedLibraryPath = FAnalysedLibraryPath;
    return Ref<IqlProject>(Trial.get());
}

TqlProject::~TqlProject()
{
    // Parsers and units refer into the model; the model goes last.
    FParsers.clear();
    FMainUnit->GetUsedUnits()->Clear();
    FUnits.reset();
    FMainUnit.reset();
}

void TqlProject::AddCodeViewer(const Ref<IqlCodeViewer>& Viewer)
{
    if (Viewer && std::find(FCodeViewers.begin(), FCodeViewers.end(), Viewer) == FCodeViewers.end())
        FCodeViewers.push_back(Viewer);
}

void TqlProject::AddProgressNotifier(const Ref<IqlProgressNotifier>& Notifier)
{
    if (Notifier &&
        std::find(FProgressNotifiers.begin(), FProgressNotifiers.end(), Notifier) ==
            FProgressNotifiers.end())
        FProgressNotifiers.push_back(Notifier);
}

void TqlProject::RemoveCodeViewer(const Ref<IqlCodeViewer>& Viewer)
{
    FCodeViewers.erase(std::remove(FCodeViewers.begin(), FCodeViewers.end(), Viewer),
                       FCodeViewers.end());
}

void TqlProject::RemoveProgressNotifier(const Ref<IqlProgressNotifier>& Notifier)
{
    FProgressNotifiers.erase(
        std::remove(FProgressNotifiers.begin(), FProgressNotifiers.end(), Notifier),
        FProgressNotifiers.end());
}

void TqlProject::Clear()
{
    FParsers.clear();
    FMainUnit->GetUsedUnits()->Clear();
    FUnits->Clear();
    FNameIndex.Clear();
    FMessages->Clear();
    FReports->ClearAll();
    FClasses->Clear();
    FObjects->Clear();
    FInterfaces->Clear();
    FFileNames->Clear();
    FSystemSymbols->Clear();
    std::fill(std::begin(FSystemTypes), std::end(FSystemTypes), nullptr);
    FSearchCache.Clear();
    FFolderForms.clear();
}

void TqlProject::New()
{
    Clear();
    FOptions->Clear();
}

Ref<IqlSettings> TqlProject::CreateSettings(const std::string& Name)
{
    return Ref<IqlSettings>(new TqlSettings(Name));
}

TqlSymbol* TqlProject::FindSystemSymbol(const std::string& Name) { return FSystemSymbols->Find(Name); }

TqlType* TqlProject::GetSystemType(TqlTypeKind Kind)
{
    return Kind <= tkTextFile ? FSystemTypes[Kind] : nullptr;
}

void TqlProject::CreateSystemTypes()
{
    struct TDef {
        const char* Name;
        TqlTypeKind Kind;
        bool IsArray;
    };
    static const TDef Defs[] = {
        {"Boolean", tkBoolean, false},     {"Byte", tkByte, false},
        {"ByteBool", tkBytebool, false},   {"Cardinal", tkCardinal, false},
        {"Char", tkChar, false},           {"DWord", tkDWord, false},
        {"Int64", tkInt64, false},         {"Integer", tkInteger, false},
        {"LongBool", tkLongBool, false},   {"LongInt", tkLongInt, false},
        {"LongWord", tkLongWord, false},   {"PChar", tkPChar, false},
        {"ShortInt", tkShortInt, false},   {"SmallInt", tkSmallInt, false},
        {"WideChar", tkWideChar, false},   {"Word", tkWord, false},
        {"WordBool", tkWordbool, false},   {"Real48", tkReal48, false},
        {"Real", tkReal, false},           {"Single", tkSingle, false},
        {"Double", tkDouble, false},       {"Extended", tkExtended, false},
        {"Currency", tkCurrency, false},   {"Comp", tkComp, false},
        {"String", tkString, false},       {"AnsiString", tkAnsiString, false},
        {"ShortString", tkShortString, false}, {"WideString", tkWideString, false},
        {"OleVariant", tkOleVariant, false}, {"Variant", tkVariant, false},
        {"Array of Const", tkArrayOfConst, true}, {"Array", tkArray, true},
        {"File", tkFile, false},           {"Packed", tkPacked, false},
        {"Record", tkRecord, false},       {"Set", tkSet, false},
        {"Routine", tkRoutine, false},     {"Pointer", tkPointer, false},
        {"Class", tkClass, false},         {"Interface", tkInterface, false},
        {"procedure", tkProcedure, false}, {"function", tkFunction, false},
        {"Text", tkText, false},           {"TextFile", tkTextFile, false}};
    for (const TDef& D : Defs) {
        TqlType* T = D.IsArray ? new TqlArray(D.Name, vkNone, 0, 0, 0)
                               : new TqlType(D.Name, D.Kind, vkNone, 0, 0, 0, false);
        FSystemSymbols->AddSymbol(T);
        FSystemTypes[D.Kind] = T;
    }
}

std::string TqlProject::BaseFolder() const
{
    return FAnalysisFolder.empty() ? CurrentFolder() : FAnalysisFolder;
}

int TqlProject::IndexOf(const TqlUnit* Unit) const
{
    // Units are appended with their index in the file entry; fall back to
    // a scan for a unit that came another way.
    const int FI = Unit->GetFileIndex();
    if (FI >= 0 && FI < FFileNames->GetCount()) {
        const int UI = FFileNames->GetItems(FI)->GetUnitIndex();
        if (UI >= 0 && UI < FUnits->GetCount() && FUnits->GetUnits(UI) == Unit)
            return UI;
    }
    for (int i = 0; i < FUnits->GetCount(); ++i)
        if (FUnits->GetUnits(i) == Unit)
            return i;
    return -1;
}

TAnalyzeParser* TqlProject::ParserOf(const TqlUnit* Unit) const
{
    const int I = IndexOf(Unit);
    return I >= 0 && size_t(I) < FParsers.size() ? FParsers[size_t(I)].get() : nullptr;
}

void TqlProject::Analyze(bool ParseAll)
{
    std::string File = FOptions->GetFileToAnalyze();
    if (File.empty())
        return;
    // A relative name is taken from the process's current folder, once; from
    // here on everything is relative to the main file's folder.
    File = Expand(CurrentFolder(), File);
    if (!qlIsRegularFile(File))
        return;
    Clear();
    CreateSystemTypes();
    if (!FIsTrial)
        FAnalysedLibraryPath = qlListLines(FSystemOptions->GetLibrarySearchPath());
    FAborted = false;
    FFileToAnalyze = File;
    FAnalysisFolder = qlFolderOf(File);
    struct TRestore {
        std::string& Folder;
        ~TRestore() { Folder.clear(); }
    } Restore{FAnalysisFolder};

    FUsesInfo = GetPreProcessorInfo(File);
    TqlUnit* Unit = AddUnit(qlExtractUnitName(File), File);
    auto* Used = new TqlUsedUnit(Unit);
    try {
        ParseInterface(Unit);
    } catch (...) {
        delete Used;
        throw;
    }
    FMainUnit->GetUsedUnits()->AddUsedUnit(Used);
    if (ParseAll) {
        for (int i = 0; i < FUnits->GetCount(); ++i)
            if (FUnits->GetUnits(i)->ParserState == psrInterfaceParsed)
                FullParse(FUnits->GetUnits(i));
    } else {
        FullParse(Unit);
    }
}

void TqlProject::ParseInterface(TqlUnit* Unit)
{
    if (!Unit || Unit->ParserState != psrNone)
        return;
    Unit->ParserState = psrInterfaceParsing;
    ParseUnit(Unit, false);
    Unit->ParserState = psrInterfaceParsed;
}

void TqlProject::FullParse(TqlUnit* Unit)
{
    if (Unit->ParserState == psrFull)
        return;
    Unit->ParserState = psrFull;
    ParseUnit(Unit, true);
}

void TqlProject::ParseUnit(TqlUnit* Unit, bool WithImplementation)
{
    if (FAborted)
        return;
    const int Index = IndexOf(Unit);
    // A unit whose file was not found has no parser and is never parsed.
    if (Index < 0 || size_t(Index) >= FParsers.size() || !FParsers[size_t(Index)])
        return;
    const std::string FileName = Unit->GetFullFileName();
    if (FileName.empty())
        return;
    if (Unit->ParserState == psrInterfaceParsing) {
        NotifyProgress(FileName, psrInterfaceParsing);
        FParsers[size_t(Index)]->ParseInterface(Unit);
        if (TAnalyzeParser* P = FParsers[size_t(Index)].get())
            Unit->AnalysedLines = P->ParsedLines();
        Unit->TrimLists();
    }
    if (WithImplementation) {
        NotifyProgress(FileName, psrFull);
        // The parser may have been freed by a nested parse meanwhile only if
        // the unit list changed under it; look it up afresh.
        if (TAnalyzeParser* P = FParsers[size_t(Index)].get()) {
            P->ParseImplementation();
            Unit->AnalysedLines = P->ParsedLines();
            Unit->AnalysedToEnd = P->ParsedWhole();
            FParsers[size_t(Index)].reset();
            Unit->TrimLists();
            Unit->TrimUses();
        }
        Unit->ParserState = psrFull;
        // A form of the unit's name beside it may be streamed at run time
        // (ObjectTextToBinary, ReadComponent) with no {$R} to name it.
        if (const std::string Beside = FormBeside(Unit->GetFullFileName()); !Beside.empty())
            Unit->LoadFormResource(Beside);
        if (!Unit->FormResource.empty())
            ReadForm(Unit, Unit->GetDFMResource(), Unit->FormResource);
        for (const std::string& Further : Unit->FurtherFormResources)
            ReadForm(Unit, Unit->AddFurtherForm(), Further);
    }
}

std::string TqlProject::FormBeside(const std::string& UnitFile)
{
    if (UnitFile.empty())
        return "";
    if (const std::string Exact = qlChangeFileExt(UnitFile, ".dfm"); qlIsRegularFile(Exact))
        return Exact;
    const std::string Folder = qlFolderOf(UnitFile);
    auto [It, New] = FFolderForms.try_emplace(Folder);
    if (New) {
        std::error_code Ec;
        for (std::filesystem::directory_iterator E(Folder, Ec), End; !Ec && E != End; E.increment(Ec)) {
            const std::string Name = E->path().filename().string();
            if (qlSameText(qlExtractFileExt(Name), ".dfm"))
                // Of several names that differ in case only, the first in
                // sorted order, as a lookup without regard to case finds.
                if (auto [At, Added] = It->second.try_emplace(qlSameTextKey(Name), Name); !Added && Name < At->second)
                    At->second = Name;
        }
    }
    const auto Found = It->second.find(qlSameTextKey(qlExtractUnitName(UnitFile) + ".dfm"));
    if (Found == It->second.end())
        return "";
    const std::string Full = Folder + Found->second;
    return qlIsRegularFile(Full) ? Full : "";
}

void TqlProject::ReadForm(TqlUnit* Unit, TqlDFMResource* R, const std::string& FileName)
{
    if (!R)
        return;
    const int Before = FMessages->GetCount();
    try {
        R->ReadResource(Unit, FileName);
        // A form file that could not be opened gives its own finding.
        if (FMessages->GetCount() != Before)
            Unit->AnalysedToEnd = false;
    } catch (const EParserError& E) {
        // A form that cannot be read costs the uses it names, not the rest
        // of the analysis: the finding goes on the unit's message list.
        std::string Text = E.what();
        int Line = 1;
        const size_t At = Text.rfind(" on line ");
        if (At != std::string::npos) {
            Line = std::max(1, std::atoi(Text.c_str() + At + 9));
            Text.erase(At);
        }
        FMessages->Add("Form file, " + qlExtractFileName(FileName) +
                           ", cannot be read: " + Text,
                       R->GetFileIndex(), 1, Line, false);
        Unit->Warnings.Include(uwImplementation);
        Unit->AnalysedToEnd = false;
    }
}

void TqlProject::NotifyProgress(const std::string& Name, TParserState Stage)
{
    // A copy: a notifier may register or remove notifiers.
    const std::vector<Ref<IqlProgressNotifier>> List = FProgressNotifiers;
    for (const Ref<IqlProgressNotifier>& N : List) {
        if (FAborted)
            break;
        N->Notify(Name, Stage, FAborted);
    }
}

std::unique_ptr<TAnalyzeParser> TqlProject::CreateParser(const std::string& FileName)
{
    const TlxAssignAbleHash Defines(FOptions->GetDefines()->GetText());
    auto P = std::make_unique<TAnalyzeParser>(FileName, GlobalDirectiveHash, GlobalKeyHashTable,
                                              &Defines);
    P->SetUsesInfo(FUsesInfo);
    P->SetNameIndex(&FNameIndex);
    return P;
}

TqlUnit* TqlProject::AddUnit(const std::string& UnitName, const std::string& FileName)
{
    std::string Found;
    bool IsLibrary = false;
    FindUnitFile(FileName.empty() ? UnitName : FileName, "", Found, IsLibrary);
    // A file too large to be a unit is not read: the unit counts as not found.
    std::string TooLarge;
    std::string Why;
    if (!Found.empty() &&
        qlCheckLimitedFile(Found, qlMaxSourceFileSize, Why) == TqlFileProblem::TooLarge) {
        TooLarge = "Unit file, " + Found + ", is skipped: " + Why + ".";
        Found.clear();
    }
    const int UnitIndex = FUnits->GetCount();
    int FileIndex;
    if (!Found.empty()) {
        FParsers.push_back(CreateParser(Found));
        FileIndex = FFileNames->Add(Found, true, UnitIndex);
    } else {
        FParsers.push_back(nullptr);
        FileIndex = FFileNames->Add(UnitName, false, UnitIndex);
    }
    if (!TooLarge.empty())
        FMessages->Add(TooLarge, FileIndex, 1, 1, false);
    auto* Unit = new TqlUnit(FileIndex, UnitName);
    FUnits->AddUnit(Unit);
    Unit->SetNameIndex(&FNameIndex);
    Unit->SetUnitType(IsLibrary ? dtLibrary : dtProject);
    return Unit;
}

void TqlProject::FillSearchCache()
{
    const std::string Base = BaseFolder();
    FSearchCache.AddFolder("", FFileToAnalyze.empty() ? Base : qlFolderOf(FFileToAnalyze), false);
    for (const std::string& F : qlListLines(FOptions->GetProjectSearchPath()))
        if (!Trim(F).empty())
            FSearchCache.AddFolder(Base, ExpandEnvironmentPrefix(F), false);
    const std::vector<std::string> Library =
        FIsTrial ? FAnalysedLibraryPath : qlListLines(FSystemOptions->GetLibrarySearchPath());
    for (const std::string& F : Library)
        if (!Trim(F).empty())
            FSearchCache.AddFolder(Base, ExpandEnvironmentPrefix(F), true);
}

void TqlProject::FindUnitFile(const std::string& Name, const std::string& Folder,
                              std::string& FileName, bool& IsLibrary)
{
    FileName = Name;
    IsLibrary = false;
    const std::string Upper = UpperCase(FileName);
    for (const std::string& Line : qlListLines(FOptions->GetAliases())) {
        const std::string A = Trim(Line);
        const size_t Eq = A.find('=');
        if (Eq == std::string::npos || UpperCase(A).rfind(Upper, 0) != 0)
            continue;
        if (qlSameText(Trim(A.substr(0, Eq)), FileName)) {
            FileName = Trim(A.substr(Eq + 1));
            break;
        }
    }
    if (qlExtractFileExt(FileName).empty())
        FileName += ".pas";
    // A unit that a refactoring's output gives a new name is read from the
    // file it had, and no longer found by the old one.
    if (std::string Renamed = TlxSourceOverlay::RenamedFile(FileName); !Renamed.empty()) {
        FileName = Renamed;
        return;
    }
    if (TlxSourceOverlay::RenamedAway(FileName)) {
        FileName.clear();
        return;
    }
    if (qlHasFolderPart(FileName)) {
        const std::string Base = Folder.empty() ? BaseFolder() : qlWithSlash(Expand(BaseFolder(), Folder));
        std::string Full = qlResolveFile(Base, FileName);
        if (Full.empty()) {
            const std::string Named = Expand(Base, FileName);
            if (FFileNames->Find(Named))
                Full = Named;
        }
        FileName = Full;
        return;
    }
    if (FSearchCache.IsEmpty())
        FillSearchCache();
    TqlFolderIndex::TEntry E;
    if (FSearchCache.Find(FileName, E)) {
        FileName = E.FullFileName;
        IsLibrary = E.IsLibrary;
    } else {
        FileName.clear();
    }
}

bool TqlProject::LoadFromFile(const std::string& FileName)
{
    const bool Opened = FProjectSettingsFile->Open(FileName);
    if (Opened) {
        FOptions->Load(FProjectSettingsFile);
        for (int i = 0; i < FReports->GetCount(); ++i)
            if (Ref<IqlSettings> S = FReports->GetItem(i)->GetSettings())
                S->Load(FProjectSettingsFile);
        const std::string File = FOptions->GetFileToAnalyze();
        AddUnit(qlExtractUnitName(File), File);
    }
    return Opened;
}

void TqlProject::SaveToFile(const std::string& FileName)
{
    Ref<IqlStringList> Names(new TqlStringList);
    for (int i = 0; i < FReports->GetCount(); ++i) {
        Ref<IqlReport> R = FReports->GetItem(i);
        if (R->GetVisible())
            Names->Add(R->GetName());
    }
    FProjectSettingsFile->WriteSection("VisibleReports", Names);
    FOptions->Save(FProjectSettingsFile);
    FProjectSettingsFile->SaveAs(FileName);
    FSystemOptions->Save(FSystemSettingsFile);
}

void TqlProject::ShowCode(TqlCodeLocation* Location)
{
    if (!Location)
        return;
    NotifyCodeViewers(Location->GetFileName(), Location->GetX(), Location->GetY());
}

void TqlProject::NotifyCodeViewers(const std::string& FileName, int X, int Y)
{
    const std::vector<Ref<IqlCodeViewer>> List = FCodeViewers;
    for (const Ref<IqlCodeViewer>& V : List)
        V->ShowCode(FileName, X, Y);
}
