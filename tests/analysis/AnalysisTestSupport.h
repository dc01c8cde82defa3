// A small stand-in project for the parser tests: unit-file search over the
// main file's folder and extra search folders (through the path layer),
// units, files, messages, the built-in types, and the two parse phases.
#pragma once

#include "tests/TestFolder.h"

#include "analysis/uqlAnalyzeParser.h"
#include "analysis/uqlMessageList.h"
#include "base/uqlPathUtils.h"
#include "analysis/uqlPreprocessIntf.h"
#include "model/uqlClasses.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

class TStandInProject : public TInterfacedObject, public IqlProject {
public:
    TStandInProject() : FMessages(new TqlMessageList) { qlCreateGlobalTables(); }
    ~TStandInProject() override
    {
        FParsers.clear();
        FUnits.Clear();
    }

    std::vector<std::string> Aliases; // "Name=Target"
    std::vector<std::string> SearchFolders;
    std::string BaseFolder;
    // Creates the parser of a unit file (a TAnalyzeParser by default).
    std::function<std::unique_ptr<TAnalyzeParser>(const std::string&)> Factory;

    // Analyses a main file: its interface, then every unit's rest.
    void Analyze(const std::string& MainFile, bool ParseAll)
    {
        BaseFolder = qlFolderOf(MainFile);
        MakeSystemTypes();
        FUsesInfo = GetPreProcessorInfo(MainFile);
        TqlUnit* Unit = AddUnit(qlExtractUnitName(MainFile), MainFile);
        ParseInterface(Unit);
        if (ParseAll) {
            for (int i = 0; i < FUnits.GetCount(); ++i)
                if (FUnits.GetUnits(i)->ParserState == psrInterfaceParsed)
                    FullParse(FUnits.GetUnits(i));
        } else {
            FullParse(Unit);
        }
    }

    std::vector<std::string> MessageTexts()
    {
        std::vector<std::string> R;
        for (int i = 0; i < FMessages->GetCount(); ++i)
            R.push_back(FMessages->GetItems(i)->GetMessageText());
        return R;
    }
    bool HasMessage(const std::string& Text)
    {
        auto M = MessageTexts();
        return std::find(M.begin(), M.end(), Text) != M.end();
    }

    TqlUnit* FindUnit(const std::string& Name) { return FUnits.FindUnit(Name); }
    int CountUnitsWithFile(const std::string& FileName)
    {
        int N = 0;
        for (int i = 0; i < FUnits.GetCount(); ++i) {
            TqlSourceFile* F = FFiles.GetItems(FUnits.GetUnits(i)->GetFileIndex());
            if (F->Exists && qlExtractFileName(F->GetFullFileName()) == FileName)
                ++N;
        }
        return N;
    }

    TqlUnit* GetMainUnit() override { return nullptr; }
    void AddCodeViewer(const Ref<IqlCodeViewer>&) override {}
    void AddProgressNotifier(const Ref<IqlProgressNotifier>&) override {}
    void Clear() override {}
    Ref<IqlSettings> CreateSettings(const std::string&) override { return nullptr; }
    TqlUnitList* GetUnits() override { return &FUnits; }
    bool GetAborted() override { return false; }
    Ref<IqlCodingConventions> GetCodingConventions() override { return nullptr; }
    Ref<IqlOptions> GetOptions() override { return nullptr; }
    TqlFileNameList* GetFileNames() override { return &FFiles; }
    Ref<IqlMessageList> GetMessages() override { return FMessages; }
    TqlSymbol* FindSystemSymbol(const std::string& Name) override { return FSystem.Find(Name); }
    TqlType* GetSystemType(TqlTypeKind Kind) override { return FSystemTypes[Kind]; }
    Ref<IqlFileSettings> GetProjectSettingsFile() override { return nullptr; }
    Ref<IqlSystemOptions> GetSystemOptions() override { return nullptr; }
    Ref<IqlRegExpr> GetRegExpr() override { return nullptr; }
    Ref<IqlReports> GetReports() override { return nullptr; }
    Ref<IqlFileSettings> GetSystemSettingsFile() override { return nullptr; }
    TqlOwnedClassList* GetClasses() override { return nullptr; }
    TqlOwnedInterfaceList* GetInterfaces() override { return nullptr; }
    TqlOwnedObjectList* GetObjects() override { return nullptr; }
    TqlSymbolList* GetSystemSymbols() override { return &FSystem; }
    bool LoadFromFile(const std::string&) override { return false; }
    void NotifyProgress(const std::string&, TParserState) override {}
    void RemoveCodeViewer(const Ref<IqlCodeViewer>&) override {}
    void RemoveProgressNotifier(const Ref<IqlProgressNotifier>&) override {}
    void Analyze(bool) override {}
    void SaveToFile(const std::string&) override {}
    void ShowCode(TqlCodeLocation*) override {}
    void NotifyCodeViewers(const std::string&, int, int) override {}

    void FindUnitFile(const std::string& Name, const std::string& Folder, std::string& FileName,
                      bool& IsLibrary) override
    {
        FileName = Name;
        IsLibrary = false;
        for (const std::string& A : Aliases) {
            const size_t Eq = A.find('=');
            if (Eq != std::string::npos && qlSameText(A.substr(0, Eq), FileName)) {
                FileName = A.substr(Eq + 1);
                break;
            }
        }
        if (qlExtractFileExt(FileName).empty())
            FileName += ".pas";
        if (qlHasFolderPart(FileName)) {
            FileName = qlResolveFile(Folder.empty() ? BaseFolder : Folder, FileName);
            return;
        }
        if (FIndex.IsEmpty()) {
            FIndex.AddFolder("", BaseFolder, false);
            for (const std::string& F : SearchFolders)
                FIndex.AddFolder(BaseFolder, F, true);
        }
        TqlFolderIndex::TEntry E;
        if (FIndex.Find(FileName, E)) {
            FileName = E.FullFileName;
            IsLibrary = E.IsLibrary;
        } else {
            FileName.clear();
        }
    }

    TqlUnit* AddUnit(const std::string& UnitName, const std::string& FileName) override
    {
        std::string Found;
        bool IsLibrary = false;
        FindUnitFile(FileName.empty() ? UnitName : FileName, "", Found, IsLibrary);
        const int UnitIndex = FUnits.GetCount();
        int FileIndex;
        if (!Found.empty()) {
            std::unique_ptr<TAnalyzeParser> P =
                Factory ? Factory(Found)
                        : std::make_unique<TAnalyzeParser>(Found, GlobalDirectiveHash,
                                                           GlobalKeyHashTable, nullptr);
            P->SetUsesInfo(FUsesInfo);
            FParsers.push_back(std::move(P));
            FileIndex = FFiles.Add(Found, true, UnitIndex);
        } else {
            FParsers.push_back(nullptr);
            FileIndex = FFiles.Add(UnitName, false, UnitIndex);
        }
        auto* Unit = new TqlUnit(FileIndex, UnitName);
        FUnits.AddUnit(Unit);
        Unit->SetUnitType(IsLibrary ? dtLibrary : dtProject);
        return Unit;
    }

    void ParseInterface(TqlUnit* Unit) override
    {
        if (Unit->ParserState != psrNone)
            return;
        Unit->ParserState = psrInterfaceParsing;
        ParseUnit(Unit, false);
        Unit->ParserState = psrInterfaceParsed;
    }

    void FullParse(TqlUnit* Unit)
    {
        if (Unit->ParserState == psrFull)
            return;
        Unit->ParserState = psrFull;
        ParseUnit(Unit, true);
    }

    TAnalyzeParser* ParserOf(TqlUnit* Unit) { return FParsers[size_t(IndexOf(Unit))].get(); }

private:
    int IndexOf(TqlUnit* Unit)
    {
        for (int i = 0; i < FUnits.GetCount(); ++i)
            if (FUnits.GetUnits(i) == Unit)
                return i;
        return -1;
    }

    void ParseUnit(TqlUnit* Unit, bool WithImplementation)
    {
        const int Index = IndexOf(Unit);
        TAnalyzeParser* P = FParsers[size_t(Index)].get();
        if (!P)
            return;
        if (Unit->ParserState == psrInterfaceParsing)
            P->ParseInterface(Unit);
        if (WithImplementation) {
            P->ParseImplementation();
            FParsers[size_t(Index)].reset();
        }
    }

    void MakeSystemTypes()
    {
        struct TDef {
            const char* Name;
            TqlTypeKind Kind;
            bool IsArray;
        };
        static const TDef Defs[] = {
            {"Boolean", tkBoolean, false}, {"Byte", tkByte, false}, {"ByteBool", tkBytebool, false},
            {"Cardinal", tkCardinal, false}, {"Char", tkChar, false}, {"DWord", tkDWord, false},
            {"Int64", tkInt64, false}, {"Integer", tkInteger, false}, {"LongBool", tkLongBool, false},
            {"LongInt", tkLongInt, false}, {"LongWord", tkLongWord, false}, {"PChar", tkPChar, false},
            {"ShortInt", tkShortInt, false}, {"SmallInt", tkSmallInt, false},
            {"WideChar", tkWideChar, false}, {"Word", tkWord, false}, {"WordBool", tkWordbool, false},
            {"Real48", tkReal48, false}, {"Real", tkReal, false}, {"Single", tkSingle, false},
            {"Double", tkDouble, false}, {"Extended", tkExtended, false},
            {"Currency", tkCurrency, false}, {"Comp", tkComp, false}, {"String", tkString, false},
            {"AnsiString", tkAnsiString, false}, {"ShortString", tkShortString, false},
            {"WideString", tkWideString, false}, {"OleVariant", tkOleVariant, false},
            {"Variant", tkVariant, false}, {"Array of Const", tkArrayOfConst, true},
            {"Array", tkArray, true}, {"File", tkFile, false}, {"Packed", tkPacked, false},
            {"Record", tkRecord, false}, {"Set", tkSet, false}, {"Routine", tkRoutine, false},
            {"Pointer", tkPointer, false}, {"Class", tkClass, false},
            {"Interface", tkInterface, false}, {"procedure", tkProcedure, false},
            {"function", tkFunction, false}, {"Text", tkText, false},
            {"TextFile", tkTextFile, false}};
        for (const TDef& D : Defs) {
            TqlType* T = D.IsArray ? new TqlArray(D.Name, vkNone, 0, 0, 0)
                                   : new TqlType(D.Name, D.Kind, vkNone, 0, 0, 0, false);
            FSystem.AddSymbol(T);
            FSystemTypes[D.Kind] = T;
        }
    }

    TqlFileNameList FFiles;
    TqlUnitList FUnits;
    TqlSymbolList FSystem{true};
    TqlType* FSystemTypes[64] = {};
    std::vector<std::unique_ptr<TAnalyzeParser>> FParsers;
    Ref<TqlMessageList> FMessages;
    TqlFolderIndex FIndex;
    Ref<IVxPreProcessorInfo> FUsesInfo;
};

// Installs a fresh stand-in project as gqlProject for the lifetime of a test.
class TAnalysisScope {
public:
    TAnalysisScope() : FProject(new TStandInProject) { gqlProject = Ref<IqlProject>(FProject.get()); }
    ~TAnalysisScope() { gqlProject = nullptr; }
    TStandInProject* operator->() const { return FProject.get(); }
    TStandInProject* get() const { return FProject.get(); }

private:
    Ref<TStandInProject> FProject;
};

// A temporary folder removed at the end of the test.
using TTempFolder = TTestFolder;

// A unit named Fixture, written to a temporary folder (with any files
// beside it) and analysed whole, with the shipped system unit on the search
// path. The three-part form writes one unit of the given interface and
// implementation, using a unit that is not on the search path, as Delphi 7
// projects use library units the analysis does not find.
struct TFixtureUnit {
    TAnalysisScope P;
    TTempFolder F;
    TqlUnit* Unit = nullptr;

    TFixtureUnit() = default;
    TFixtureUnit(const std::string& MissingUnit, const std::string& Interface,
                 const std::string& Implementation)
    {
        Analyze("Fixture.pas", "unit Fixture;\n\ninterface\n\nuses\n  " + MissingUnit + ";\n\n" +
                                   Interface + "\nimplementation\n\n" + Implementation + "\nend.\n");
    }
    void Analyze(const std::string& FileName, const std::string& Text)
    {
        P->SearchFolders.push_back(std::string(QUILLET_SOURCE_DIR) + "/QuilletSystem");
        P->Analyze(F.Write(FileName, Text), true);
        Unit = P->FindUnit("Fixture");
    }
    TqlSymbol* Find(const std::string& Name) { return Unit->FindSymbol(Unit, nullptr, Name); }
    int Uses(const std::string& Name)
    {
        TqlSymbol* S = Find(Name);
        return S ? S->GetUsedBy()->GetCount() : -1;
    }
    // The messages, one a line, but those that mention one of Skip.
    std::string Messages(const std::vector<std::string>& Skip = {})
    {
        std::string All;
        for (const std::string& M : P->MessageTexts())
            if (std::none_of(Skip.begin(), Skip.end(), [&M](const std::string& S) {
                    return !S.empty() && M.find(S) != std::string::npos;
                }))
                All += M + "\n";
        return All;
    }
};

// The uses of a symbol as "line:column" in order of recording; "h" marks a
// heading repeat, "u" a use where no name is written, "w" a name written
// in another case.
inline std::string UsePlaces(TqlSymbol* S)
{
    if (!S)
        return "(no symbol)";
    std::string R;
    TqlUsedByList* Uses = S->GetUsedBy();
    for (int i = 0; i < Uses->GetCount(); ++i) {
        TqlUsedByLocation* U = Uses->GetLocations(i);
        if (!R.empty())
            R += " ";
        R += std::to_string(U->GetY()) + ":" + std::to_string(U->GetX());
        if (U->GetIsHeading())
            R += "h";
        if (U->GetIsUnnamed())
            R += "u";
        if (U->GetIsWrongCase())
            R += "w";
    }
    return R;
}

// A deterministic text of a unit's model: declarations in order with their
// positions and types, and the units each unit uses.
std::string DumpProject(TStandInProject* Project);
