// Renames of every kind of symbol over Free Pascal package sources: each
// unit of a folder is analysed as the main file, a few symbols of each kind
// that it declares are renamed (to a new name, and a few unit-level ones to
// a name the unit already uses elsewhere), and every unit a rename writes
// must still compile where the original compiles; a refused rename must say
// why.
#include "tests/Refactorings/FpcRunSupport.h"
#include "tests/Refactorings/PluginCorpusSupport.h"

#include "Refactorings/SymbolRenamer/uSymbolRenamer.h"

#include <cctype>
#include <cstring>
#include <initializer_list>

namespace {

enum TKind {
    kMethod, kField, kProperty, kClass, kForwardClass, kRecord, kPointer, kPascalResult,
    kOverload, kLocal, kParameter, kLabel, kConstant, kEnumValue, kUnit,
    // Unit-level routines and constants given a name the unit already uses:
    // the name of a parameter of some routine, a name the analysis left
    // unresolved.
    kToParameterName, kToUnresolvedName, kKinds
};
const char* const KindNames[kKinds] = {
    "method", "field", "property", "class", "forward-declared class", "record", "pointer type",
    "routine with Pascal result", "overload", "local", "parameter", "label", "constant",
    "enum value", "unit", "to a parameter's name", "to an unresolved name"};

// Each rename tried at most this often per kind and folder.
constexpr int PerKind = 6;

// Lower holds Name (in lower case) as a word followed by each of Then in
// turn, with blanks between.
bool Followed(const std::string& Lower, const std::string& Name, std::initializer_list<const char*> Then)
{
    auto Word = [&](size_t At) { return At < Lower.size() && (std::isalnum(static_cast<unsigned char>(Lower[At])) || Lower[At] == '_'); };
    for (size_t At = Lower.find(Name); At != std::string::npos; At = Lower.find(Name, At + 1)) {
        if ((At > 0 && Word(At - 1)) || Word(At + Name.size()))
            continue;
        size_t Next = At + Name.size();
        bool All = true;
        for (const char* T : Then) {
            while (Next < Lower.size() && std::isspace(static_cast<unsigned char>(Lower[Next])))
                ++Next;
            All = All && Lower.compare(Next, std::strlen(T), T) == 0;
            Next += std::strlen(T);
        }
        if (All)
            return true;
    }
    return false;
}

// The symbols Container declares, inner containers' included, each with the
// kind it is tried as (kKinds when none).
void Classify(TqlSymbolContainer* Container, const std::string& Lower, int FileIndex,
              std::vector<std::pair<TqlSymbol*, TKind>>& Out, std::set<TqlSymbol*>& Seen)
{
    std::vector<TqlSymbol*> Members;
    for (int I = 0; I < Container->GetSymbolCount(); ++I)
        Members.push_back(Container->GetSymbol(I));
    if (auto* Vars = dynamic_cast<TqlVarContainer*>(Container))
        for (int I = 0; I < Vars->GetLabels()->GetCount(); ++I)
            Members.push_back(Vars->GetLabels()->GetLabels(I));
    for (TqlSymbol* S : Members) {
        if (!Seen.insert(S).second || S->GetFileIndex() != FileIndex)
            continue;
        // A function's result variables have no name of their own.
        if (auto* R = qlAsRoutine(Container); R && (S == R->GetReturnType() || S == R->GetRoutineType()))
            continue;
        const std::string N = qlLowerCase(S->GetName());
        const bool InClass = dynamic_cast<TqlClass*>(Container) != nullptr;
        TKind Kind = kKinds;
        if (dynamic_cast<TqlLabel*>(S))
            Kind = kLabel;
        else if (qlAsParameter(S))
            Kind = kParameter;
        else if (qlAsProperty(S))
            Kind = kProperty;
        else if (auto* R = qlAsRoutine(S))
            Kind = R->GetDirectives().Contains(rdOverload) ? kOverload
                   : InClass                              ? kMethod
                   : R->GetRoutineKind() == rkFunction && Followed(Lower, N, {":="}) ? kPascalResult
                                                          : kKinds;
        else if (dynamic_cast<TqlInterface*>(S))
            Kind = kKinds;
        else if (qlAsClass(S))
            Kind = Followed(Lower, N, {"=", "class", ";"}) ? kForwardClass : kClass;
        else if (dynamic_cast<TqlRecord*>(S))
            Kind = kRecord;
        else if (S->GetPointerType())
            Kind = kPointer;
        else if (dynamic_cast<TqlEnumeration*>(Container))
            Kind = kEnumValue;
        else if (auto* V = dynamic_cast<TqlVariable*>(S))
            Kind = InClass ? kField : qlAsRoutine(Container) ? kLocal : V->GetIsConst() ? kConstant : kKinds;
        if (Kind != kKinds)
            Out.push_back({S, Kind});
        if (auto* Inner = qlAsContainer(S))
            Classify(Inner, Lower, FileIndex, Out, Seen);
    }
}

// A rename of a symbol over node trees of the units it edits, each tree
// read on first need.
struct TTreeRename {
    std::map<TqlUnit*, std::unique_ptr<TqlModuleNode>> Trees;
    std::vector<std::string> Messages;  // what the rename said
    std::vector<TqlUnit*> Units;        // the units it edited

    // False when the rename refuses.
    bool Run(TqlSymbol* Symbol, const std::string& NewName)
    {
        TqlSymbolRename R(
            Symbol, NewName,
            [&](TqlUnit* U) -> TqlModuleNode* {
                auto& Tree = Trees[U];
                if (!Tree)
                    Tree = qlCorpusTree(U->GetFullFileName());
                return Tree.get();
            },
            [&](const std::string& Text, int, int, int) { Messages.push_back(Text); });
        bool Ok = R.Prepare();
        for (TqlUnit* U : Ok ? R.Units() : std::vector<TqlUnit*>{})
            Ok = R.RenameIn(U) && Ok;
        Units = R.Units();
        return Ok;
    }
};

struct TRenameOutput {
    std::string Source;  // the analysed main file
    std::string Folder;  // the written units
    std::string Main;    // the main unit as written
    std::string What;
};

struct TCorpusRenames {
    int Tried[kKinds] = {};
    int Renamed[kKinds] = {};
    std::map<std::string, int> Refusals;  // by message, names left out
    std::vector<TRenameOutput> Outputs;
    TCorpusChecks Checks;
};

// The message without the names and places in it.
std::string Shape(std::string Message)
{
    auto Cut = [&](const std::string& From, const std::string& Until, const std::string& By) {
        const size_t At = Message.find(From);
        if (At == std::string::npos)
            return;
        const size_t End = Until.empty() ? Message.size() : Message.find(Until, At + From.size());
        if (End != std::string::npos)
            Message.replace(At + From.size(), End - At - From.size(), By);
    };
    Cut(", ", ",", "_");
    Cut("names ", ";", "_");
    Cut("already stands for ", " where", "_");
    Cut(" where ", " is used", "_");
    Cut("the renamed ", " would", "_");
    Cut("Call of ", " here", "_");
    Cut("overloaded routine ", ",", "_");
    Cut("with no name token at ", "", "_");
    Cut(" is used in ", ", which", "_");
    return Message;
}

void RenameIn(const std::string& File, const std::string& OutFolder, int Counts[kKinds], TCorpusRenames& All)
{
    const TCorpusAnalysis Analysis(File);
    TqlUnit* Main = Analysis.Main();
    if (!Main)
        return;
    std::vector<std::pair<TqlSymbol*, TKind>> Found{{Main, kUnit}};
    std::set<TqlSymbol*> Seen;
    Classify(Main, qlLowerCase(qlReadFile(File)), Main->GetFileIndex(), Found, Seen);
    std::vector<std::string> NewNames(Found.size());
    for (size_t I = 0; I < Found.size(); ++I)
        NewNames[I] = Found[I].first->GetName() + "Rn";
    // Names the unit uses that its own level does not declare.
    std::vector<std::string> Parameters, Unresolved;
    auto Fresh = [&](const std::string& Name) {
        return TqlSymbolRename::IsValidName(Name) && !Main->FindSymbol(Main, nullptr, Name);
    };
    for (const auto& [Symbol, Kind] : Found)
        if (Kind == kParameter && Fresh(Symbol->GetName()))
            Parameters.push_back(Symbol->GetName());
    for (const std::string& Name : Main->GetUnresolvedNames())
        if (Fresh(Name))
            Unresolved.push_back(Name);
    std::sort(Unresolved.begin(), Unresolved.end());
    size_t NextParameter = 0, NextUnresolved = 0;
    for (int I = 0; I < Main->GetSymbolCount(); ++I) {
        TqlSymbol* S = Main->GetSymbol(I);
        auto* Routine = qlAsRoutine(S);
        auto* Constant = dynamic_cast<TqlVariable*>(S);
        if (S->GetFileIndex() != Main->GetFileIndex() ||
            !((Routine && !Routine->GetDirectives().Contains(rdOverload)) || (Constant && Constant->GetIsConst())))
            continue;
        for (; NextParameter < Parameters.size(); ++NextParameter)
            if (!qlSameName(Parameters[NextParameter], S->GetName())) {
                Found.push_back({S, kToParameterName});
                NewNames.push_back(Parameters[NextParameter++]);
                break;
            }
        if (NextUnresolved < Unresolved.size()) {
            Found.push_back({S, kToUnresolvedName});
            NewNames.push_back(Unresolved[NextUnresolved++]);
        }
    }
    for (size_t Index = 0; Index < Found.size(); ++Index) {
        const auto& [Symbol, Kind] = Found[Index];
        if (Counts[Kind] >= PerKind)
            continue;
        ++Counts[Kind];
        ++All.Tried[Kind];
        const std::string& NewName = NewNames[Index];
        TTreeRename R;
        auto& [Trees, Messages, Units] = R;
        bool Ok = false;
        try {
            Ok = R.Run(Symbol, NewName);
        } catch (const ESyntaxError&) {
            Messages.push_back("the node builder stopped at a syntax error");
            Ok = false;
        }
        const std::string What = fs::path(File).filename().string() + ": " + KindNames[Kind] + " " +
                                 Symbol->GetName() + " -> " + NewName;
        if (!Ok) {
            EXPECT_FALSE(Messages.empty()) << What << " refused without a word";
            for (const std::string& M : Messages) {
                ++All.Refusals[Shape(M)];
                std::printf("refused: %s: %s\n", What.c_str(), M.c_str());
            }
            continue;
        }
        EXPECT_TRUE(Messages.empty()) << What;
        // The plug-in writes nothing that its last check refuses.
        std::vector<TqlOutputText> Written;
        for (TqlUnit* U : Units)
            Written.push_back({U->GetFullFileName(), Trees[U]->GetText(),
                               U == Symbol ? NewName + fs::path(U->GetFullFileName()).extension().string() : ""});
        if (!All.Checks.Check(Written, What, Symbol->GetName(), NewName))
            continue;
        ++All.Renamed[Kind];
        const fs::path Folder = fs::path(OutFolder) / std::to_string(All.Outputs.size());
        fs::create_directories(Folder);
        std::string MainOut;
        for (TqlUnit* U : Units) {
            fs::path Name = fs::path(U->GetFullFileName()).filename();
            if (U == Symbol)
                Name = NewName + Name.extension().string();
            Trees[U]->Generate((Folder / Name).string(), true);
            if (U == Main)
                MainOut = (Folder / Name).string();
        }
        All.Outputs.push_back({File, Folder.string(), MainOut, What});
    }
}

} // namespace

TEST(CorpusRename, PackageFolders)
{
    const std::string Root = std::string(QUILLET_FPCSRC) + "/packages/";
    TCorpusRenames All;
    TTestFolder Work;
    // zlib, a tar reader, the CSV readers and containers of fcl-base, and the
    // help file readers and writers of chm.
    for (const char* Folder : {"pasjpeg/src", "fcl-db/src/dbase", "regexpr/src", "hash/src", "fcl-json/src",
                               "fcl-image/src", "fcl-xml/src", "paszlib/src", "libtar/src", "fcl-base/src",
                               "chm/src"}) {
        std::vector<std::string> Files;
        std::error_code Ec;
        for (const auto& E : fs::directory_iterator(Root + Folder, Ec))
            if (E.path().extension() == ".pas" || E.path().extension() == ".pp")
                Files.push_back(E.path().string());
        std::sort(Files.begin(), Files.end());
        int Counts[kKinds] = {};
        for (const std::string& File : Files)
            RenameIn(File, Work.Path() + "/out", Counts, All);
    }
    int Tried = 0, Renamed = 0;
    for (int K = 0; K < kKinds; ++K) {
        std::printf("%-28s tried %3d renamed %3d\n", KindNames[K], All.Tried[K], All.Renamed[K]);
        Tried += All.Tried[K];
        Renamed += All.Renamed[K];
    }
    for (const auto& [Message, Count] : All.Refusals)
        std::printf("refused %3d: %s\n", Count, Message.c_str());
    All.Checks.Print("Renames");
    EXPECT_GE(Renamed, 30);
    if (!qlFpcInstalled())
        GTEST_SKIP() << "fpc is not installed: the renamed units are not compiled";
    // Each written main unit must compile where its source compiles alone,
    // with the other written units beside it.
    std::vector<std::string> Sources;
    for (const TRenameOutput& O : All.Outputs)
        Sources.push_back(O.Source);
    std::sort(Sources.begin(), Sources.end());
    Sources.erase(std::unique(Sources.begin(), Sources.end()), Sources.end());
    std::vector<char> SourceOk(Sources.size());
    const fs::path Fpc = fs::path(Work.Path()) / "fpc";
    qlInParallel(Sources.size(), [&](size_t I) {
        SourceOk[I] = qlFpcAccepts(Sources[I], fs::path(Sources[I]).parent_path().string(),
                                   Fpc / ("source" + std::to_string(I)));
    });
    std::vector<const TRenameOutput*> Checked;
    for (const TRenameOutput& O : All.Outputs)
        if (SourceOk[size_t(std::lower_bound(Sources.begin(), Sources.end(), O.Source) - Sources.begin())])
            Checked.push_back(&O);
    std::vector<char> OutputOk(Checked.size());
    qlInParallel(Checked.size(), [&](size_t I) {
        const TRenameOutput& O = *Checked[I];
        OutputOk[I] = qlFpcAccepts(O.Main, fs::path(O.Source).parent_path().string(), O.Folder);
    });
    int Failed = 0;
    for (size_t I = 0; I < Checked.size(); ++I)
        if (!OutputOk[I]) {
            ++Failed;
            ADD_FAILURE() << Checked[I]->What << " does not compile:\n"
                          << qlReadFile(fs::path(Checked[I]->Folder) / "build.log");
        }
    std::printf("%d renames tried, %d renamed, %d compiled where the source compiles, %d failed\n", Tried,
                Renamed, int(Checked.size()), Failed);
}

// Programs that stream forms, one of them named by {$R Name.dfm}, one a
// binary form beside its unit with no {$R}: each program is analysed whole,
// a few symbols of each kind of every unit beside it are renamed, and each
// rename is refused with a reason or writes units that build, with the forms
// beside them, into a program that prints what the sources print.
TEST(CorpusRename, FormPrograms)
{
    TTestFolder Work;
    const bool Fpc = qlFpcInstalled();
    int Tried = 0, Renamed = 0, Broken = 0;
    std::map<std::string, int> Refusals;
    for (const char* Case : {"rename_form_resource", "rename_form_beside"}) {
        const fs::path Before = qlCaseFolder(Case) / "before";
        const fs::path Sources = fs::path(Work.Path()) / Case / "sources";
        fs::create_directories(Sources.parent_path());
        fs::copy(Before, Sources, fs::copy_options::recursive);
        std::string Program;
        for (const auto& E : fs::directory_iterator(Before))
            if (E.path().extension() == ".dpr")
                Program = E.path().filename().string();
        ASSERT_FALSE(Program.empty()) << Case;
        std::string Was;
        if (Fpc) {
            const fs::path Built = fs::path(Work.Path()) / Case / "was";
            fs::copy(Before, Built, fs::copy_options::recursive);
            Was = qlBuildAndRun(Built, Program);
            ASSERT_EQ(Was.find("did not load"), std::string::npos) << Was;
            ASSERT_NE(Was, "<build failed>") << Case;
        }
        const TCorpusAnalysis Analysis((Sources / Program).string());
        ASSERT_NE(Analysis.Main(), nullptr) << Case;
        std::vector<std::pair<TqlSymbol*, TKind>> Found;
        std::set<TqlSymbol*> Seen;
        TqlUnitList* Units = gqlProject->GetUnits();
        for (int I = 0; I < Units->GetCount(); ++I) {
            TqlUnit* U = Units->GetUnits(I);
            const fs::path File = U->GetFullFileName();
            if (U == Analysis.Main() || File.parent_path() != Sources)
                continue;
            Found.push_back({U, kUnit});
            Classify(U, qlLowerCase(qlReadFile(File)), U->GetFileIndex(), Found, Seen);
        }
        int Counts[kKinds] = {};
        for (const auto& [Symbol, Kind] : Found) {
            if (Counts[Kind]++ >= PerKind)
                continue;
            ++Tried;
            const std::string NewName = Symbol->GetName() + "Rn";
            const std::string What = std::string(Case) + ": " + KindNames[Kind] + " " + Symbol->GetName();
            TTreeRename R;
            auto& [Trees, Messages, Units] = R;
            if (!R.Run(Symbol, NewName)) {
                EXPECT_FALSE(Messages.empty()) << What << " refused without a word";
                for (const std::string& M : Messages) {
                    ++Refusals[Shape(M)];
                    std::printf("refused: %s: %s\n", What.c_str(), M.c_str());
                }
                continue;
            }
            ++Renamed;
            // The sources with the written units in their place.
            const fs::path Out = fs::path(Work.Path()) / Case / std::to_string(Renamed);
            fs::copy(Before, Out, fs::copy_options::recursive);
            for (TqlUnit* U : Units) {
                fs::path Name = fs::path(U->GetFullFileName()).filename();
                fs::remove(Out / Name);
                if (U == Symbol)
                    Name = NewName + Name.extension().string();
                Trees[U]->Generate((Out / Name).string(), true);
            }
            if (!Fpc)
                continue;
            const std::string Now = qlBuildAndRun(Out, Program);
            if (Now != Was) {
                ++Broken;
                ADD_FAILURE() << What << " -> " << NewName << " prints\n" << Now << "instead of\n" << Was
                              << qlReadFile(Out / "build.log");
            }
        }
    }
    for (const auto& [Message, Count] : Refusals)
        std::printf("refused %3d: %s\n", Count, Message.c_str());
    std::printf("form programs: %d renames tried, %d renamed, %d refused, %d broken\n", Tried, Renamed,
                Tried - Renamed, Broken);
    EXPECT_GE(Renamed, 10);
    if (!Fpc)
        GTEST_SKIP() << "fpc is not installed: the renamed programs are not built";
}
