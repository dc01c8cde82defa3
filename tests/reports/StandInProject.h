// A stand-in for the project, implementing IqlProject as far as the reports
// call it: units, file names, system symbols and the project's class,
// object and interface lists, report settings, the report list, the coding
// conventions, the matcher and the code viewers. The settings objects are
// the real ones. Plus helpers that build a code model by hand.
#pragma once

#include "model/uqlClasses.h"
#include "reports/uqlReport.h"
#include "reports/uqlReportData.h"
#include "reports/uqlReports.h"
#include "settings/uqlCodingConventions.h"
#include "settings/uqlRegExpr.h"
#include "settings/uqlSettings.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class TStandInProject : public TInterfacedObject, public IqlProject {
public:
    TStandInProject()
        : FConventions(MakeRef<TqlCodingConventions>("/nonexistent/codeconventions.ql")),
          FRegExpr(MakeRef<TqlRegExpr>()), FReports(MakeRef<TqlReports>())
    {
        FConventions->LoadDefaults();
    }

    // Every ShowCode call, as (file name, X, Y).
    struct TShown {
        std::string FileName;
        int X, Y;
    };
    std::vector<TShown> Shown;

    TqlUnit* GetMainUnit() override { return &FMainUnit; }
    void AddCodeViewer(const Ref<IqlCodeViewer>&) override {}
    void AddProgressNotifier(const Ref<IqlProgressNotifier>&) override {}
    // Reports first, then the model (the rows borrow from the model).
    void Clear() override
    {
        FReports->ClearAll();
        FUnits.Clear();
        FSystemSymbols.Clear();
        FFiles.Clear();
    }
    Ref<IqlSettings> CreateSettings(const std::string& Name) override
    {
        return MakeRef<TqlSettings>(Name);
    }
    TqlUnitList* GetUnits() override { return &FUnits; }
    bool GetAborted() override { return false; }
    Ref<IqlCodingConventions> GetCodingConventions() override { return FConventions; }
    Ref<IqlOptions> GetOptions() override { return nullptr; }
    TqlFileNameList* GetFileNames() override { return &FFiles; }
    Ref<IqlMessageList> GetMessages() override { return nullptr; }
    TqlSymbol* FindSystemSymbol(const std::string& Name) override { return FSystemSymbols.Find(Name); }
    TqlType* GetSystemType(TqlTypeKind) override { return nullptr; }
    Ref<IqlFileSettings> GetProjectSettingsFile() override { return nullptr; }
    Ref<IqlSystemOptions> GetSystemOptions() override { return nullptr; }
    Ref<IqlRegExpr> GetRegExpr() override { return FRegExpr; }
    Ref<IqlReports> GetReports() override { return FReports; }
    Ref<IqlFileSettings> GetSystemSettingsFile() override { return nullptr; }
    TqlOwnedClassList* GetClasses() override { return FMainUnit.GetClasses(); }
    TqlOwnedInterfaceList* GetInterfaces() override { return FMainUnit.GetInterfaces(); }
    TqlOwnedObjectList* GetObjects() override { return FMainUnit.GetObjects(); }
    TqlSymbolList* GetSystemSymbols() override { return &FSystemSymbols; }
    bool LoadFromFile(const std::string&) override { return false; }
    void NotifyProgress(const std::string&, TParserState) override {}
    void RemoveCodeViewer(const Ref<IqlCodeViewer>&) override {}
    void RemoveProgressNotifier(const Ref<IqlProgressNotifier>&) override {}
    void FindUnitFile(const std::string&, const std::string&, std::string& FileName,
                      bool& IsLibrary) override
    {
        FileName.clear();
        IsLibrary = false;
    }
    TqlUnit* AddUnit(const std::string&, const std::string&) override { return nullptr; }
    void Analyze(bool) override {}
    void ParseInterface(TqlUnit*) override {}
    void SaveToFile(const std::string&) override {}
    void ShowCode(TqlCodeLocation* Location) override
    {
        if (Location)
            NotifyCodeViewers(Location->GetFileName(), Location->GetX(), Location->GetY());
    }
    void NotifyCodeViewers(const std::string& FileName, int X, int Y) override
    {
        Shown.push_back({FileName, X, Y});
    }

    // --- model building ---

    // A unit with its source file "/src/<Name>.pas" (or "/lib/..." for a
    // library unit), analysed to its end.
    TqlUnit* NewUnit(const std::string& Name, bool Library = false)
    {
        const int FileIndex = FFiles.Add((Library ? "/lib/" : "/src/") + Name + ".pas", true,
                                         FUnits.GetCount());
        auto* Unit = new TqlUnit(FileIndex, Name);
        FUnits.AddUnit(Unit);
        Unit->ParserState = psrFull;
        Unit->AnalysedToEnd = true;
        Unit->SetUnitType(Library ? dtLibrary : dtProject);
        return Unit;
    }
    // A unit named in a uses clause whose file was not found.
    TqlUnit* MissingUnit(const std::string& Name)
    {
        const int FileIndex = FFiles.Add(Name, false, FUnits.GetCount());
        auto* Unit = new TqlUnit(FileIndex, Name);
        FUnits.AddUnit(Unit);
        return Unit;
    }
    // A second file of a unit (its form file).
    int AddFile(const std::string& Name, TqlUnit* Unit)
    {
        return FFiles.Add(Name, true, IndexOf(Unit));
    }
    int IndexOf(TqlUnit* Unit)
    {
        for (int I = 0; I < FUnits.GetCount(); ++I)
            if (FUnits.GetUnits(I) == Unit)
                return I;
        return -1;
    }
    // A built-in type in the system symbols.
    TqlType* SystemType(const std::string& Name, TqlTypeKind Kind)
    {
        auto* T = new TqlType(Name, Kind, vkNone, 0, 0, 0, false);
        FSystemSymbols.AddSymbol(T);
        return T;
    }

private:
    // Declared first so that it goes last: the units' symbols never point
    // into the file list, but their uses are looked up through it.
    TqlFileNameList FFiles;
    TqlUnit FMainUnit{-1, "TqlProject"};
    TqlSymbolList FSystemSymbols{true};
    TqlUnitList FUnits;
    Ref<IqlCodingConventions> FConventions;
    Ref<IqlRegExpr> FRegExpr;
    Ref<IqlReports> FReports;
};

// Installs a fresh stand-in project as gqlProject for a test.
class ReportsTest : public ::testing::Test {
protected:
    Ref<TStandInProject> Project = MakeRef<TStandInProject>();

    void SetUp() override { gqlProject = Project; }
    void TearDown() override
    {
        Project->Clear();
        gqlProject = nullptr;
    }

    Ref<IqlNamingConventions> Naming()
    {
        return Project->GetCodingConventions()->GetNamingConventions();
    }

    // --- model helpers ---
    static int Line(TqlSymbol* S) { return S->GetY(); }
    static void Use(TqlSymbol* S, TqlUnit* In, int Y = 100, bool WrongCase = false, int X = 3)
    {
        S->GetUsedBy()->AddUsedBy(UsedByInfo(In->GetFileIndex(), WrongCase, X, Y));
    }
    static TqlVariable* Var(TqlVarContainer* C, const std::string& Name, TqlUnit* U,
                            TVisibilityKind Vis = vkInterface, int Y = 10)
    {
        return C->GetVariables()->AddVariable(Name, Vis, false, U->GetFileIndex(), 3, Y);
    }
    static TqlVariable* Const(TqlVarContainer* C, const std::string& Name, TqlUnit* U,
                              TVisibilityKind Vis = vkInterface, int Y = 11)
    {
        return C->GetConstants()->AddVariable(Name, Vis, true, U->GetFileIndex(), 3, Y);
    }
    static TqlRoutine* Routine(TqlVarContainer* C, const std::string& Name, TqlUnit* U,
                               TRoutineKind Kind = rkProcedure, TVisibilityKind Vis = vkInterface,
                               int Y = 12)
    {
        return C->GetRoutines()->AddRoutine(Name, Vis, Kind, U->GetFileIndex(), 3, Y);
    }
    static TqlParameter* Param(TqlRoutine* R, const std::string& Name, TParamKind Kind,
                               TqlSymbol* Type, TqlUnit* U)
    {
        TqlParameter* P = R->GetParameters()->AddParameter(Name, Kind, U->GetFileIndex(), 20, R->GetY());
        P->SetParamType(Type);
        return P;
    }
    static TqlClass* Class(TqlUnit* U, const std::string& Name, int Y = 5)
    {
        return U->GetClasses()->AddClass(Name, vkInterface, U->GetFileIndex(), 3, Y);
    }
    static TqlInterface* Interface(TqlUnit* U, const std::string& Name, const std::string& GUID)
    {
        TqlInterface* I = U->GetInterfaces()->AddInterface(Name, vkInterface, U->GetFileIndex(), 3, 4);
        I->SetGUID(GUID);
        return I;
    }
    static void Implements(TqlClass* K, TqlInterface* I) { K->GetInterfaces()->InternalSymbolAdded(I); }
    static void Inherits(TqlClass* Descendant, TqlClass* Ancestor)
    {
        Descendant->SetInheritsFromClass(Ancestor);
        Ancestor->GetDescendants()->Add(Descendant);
    }

    // --- report helpers ---
    template <class T>
    Ref<T> NewReport()
    {
        return TqlReport::Create<T>();
    }
    static Ref<IqlSetting> SettingNamed(const Ref<IqlReport>& R, const std::string& Name)
    {
        Ref<IqlSettings> S = R->GetSettings();
        for (int I = 0; I < S->GetSettingCount(); ++I)
            if (S->GetSetting(I)->GetName() == Name)
                return S->GetSetting(I);
        ADD_FAILURE() << "no setting " << Name;
        return nullptr;
    }
    static void SetFlags(const Ref<IqlReport>& R, const std::string& Name, bool Project, bool Library)
    {
        Ref<IqlSetting> S = SettingNamed(R, Name);
        S->SetProject(Project);
        S->SetLibrary(Library);
    }
    static void AllOn(const Ref<IqlReport>& R)
    {
        Ref<IqlSettings> S = R->GetSettings();
        for (int I = 0; I < S->GetSettingCount(); ++I) {
            S->GetSetting(I)->SetProject(true);
            S->GetSetting(I)->SetLibrary(true);
        }
    }
    // Each row's values joined by "|".
    static std::vector<std::string> Rows(const Ref<IqlReport>& R)
    {
        std::vector<std::string> Out;
        Ref<IqlReportData> D = R->GetData();
        auto* Data = dynamic_cast<TqlReportData*>(D.get());
        for (int Row = 0; Row < D->GetRowCount(); ++Row) {
            std::string Line;
            for (int C = 1; C <= Data->GetValueCount(Row); ++C) {
                Variant V;
                D->GetValue(Row, C, V);
                if (C > 1)
                    Line += "|";
                Line += V.AsString();
            }
            Out.push_back(Line);
        }
        return Out;
    }
    static std::vector<std::string> RunRows(const Ref<IqlReport>& R)
    {
        R->Run();
        return Rows(R);
    }
    // Rows whose text contains Part.
    static std::vector<std::string> RowsWith(const std::vector<std::string>& Rows,
                                             const std::string& Part)
    {
        std::vector<std::string> Out;
        for (const std::string& Row : Rows)
            if (Row.find(Part) != std::string::npos)
                Out.push_back(Row);
        return Out;
    }
};
