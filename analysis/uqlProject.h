// The one project object of a run: owns the code model that an analysis
// builds, the parsers of the units under analysis, the project's settings
// and the report registry, and drives the analysis.
#pragma once

#include "analysis/uqlAnalyzeParser.h"
#include "base/uqlPathUtils.h"
#include "analysis/uqlPersistIntf.h"
#include "analysis/uqlPreprocessIntf.h"
#include "model/uqlClasses.h"
#include "model/uqlNameLookup.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// The folder of the running program, with a trailing '/'.
std::string qlProgramFolder();
// The folder "QuilletSystem" beside the program, which holds the unit that
// every unit uses implicitly.
std::string qlShippedSystemFolder();
// Appends that folder to a library search path that does not list it yet.
void qlAddShippedSystemFolder(const Ref<IqlStringList>& LibrarySearchPath);

class TqlProject : public TInterfacedObject, public IqlProject, public IvxPersist, public IqlTrialProjects {
public:
    TqlProject();
    // Binds the settings files to Folder (with a trailing '/') instead of the
    // program's folder.
    explicit TqlProject(const std::string& SettingsFolder);
    ~TqlProject() override;

    // IqlProject
    TqlUnit* GetMainUnit() override { return FMainUnit.get(); }
    void AddCodeViewer(const Ref<IqlCodeViewer>& Viewer) override;
    void AddProgressNotifier(const Ref<IqlProgressNotifier>& Notifier) override;
    void Clear() override;
    Ref<IqlSettings> CreateSettings(const std::string& Name) override;
    TqlUnitList* GetUnits() override { return FUnits.get(); }
    bool GetAborted() override { return FAborted; }
    Ref<IqlCodingConventions> GetCodingConventions() override { return FCodingConventions; }
    Ref<IqlOptions> GetOptions() override { return FOptions; }
    TqlFileNameList* GetFileNames() override { return FFileNames.get(); }
    Ref<IqlMessageList> GetMessages() override { return FMessages; }
    TqlSymbol* FindSystemSymbol(const std::string& Name) override;
    TqlType* GetSystemType(TqlTypeKind Kind) override;
    Ref<IqlFileSettings> GetProjectSettingsFile() override { return FProjectSettingsFile; }
    Ref<IqlSystemOptions> GetSystemOptions() override { return FSystemOptions; }
    Ref<IqlRegExpr> GetRegExpr() override { return FRegExpr; }
    Ref<IqlReports> GetReports() override { return FReports; }
    Ref<IqlFileSettings> GetSystemSettingsFile() override { return FSystemSettingsFile; }
    TqlOwnedClassList* GetClasses() override { return FClasses.get(); }
    TqlOwnedInterfaceList* GetInterfaces() override { return FInterfaces.get(); }
    TqlOwnedObjectList* GetObjects() override { return FObjects.get(); }
    TqlSymbolList* GetSystemSymbols() override { return FSystemSymbols.get(); }
    bool LoadFromFile(const std::string& FileName) override;
    void NotifyProgress(const std::string& Name, TParserState Stage) override;
    void RemoveCodeViewer(const Ref<IqlCodeViewer>& Viewer) override;
    void RemoveProgressNotifier(const Ref<IqlProgressNotifier>& Notifier) override;
    void FindUnitFile(const std::string& Name, const std::string& Folder, std::string& FileName,
                      bool& IsLibrary) override;
    TqlUnit* AddUnit(const std::string& UnitName, const std::string& FileName) override;
    void Analyze(bool ParseAll) override;
    void ParseInterface(TqlUnit* Unit) override;
    void SaveToFile(const std::string& FileName) override;
    void ShowCode(TqlCodeLocation* Location) override;
    void NotifyCodeViewers(const std::string& FileName, int X, int Y) override;

    // IvxPersist
    void New() override;

    // IqlTrialProjects: shares this project's options, settings and
    // conventions.
    Ref<IqlProject> CreateTrialProject() override;

    // The folder relative names are taken from: the main file's folder
    // during an analysis, else the process's current folder.
    std::string BaseFolder() const;
    // The parser of a unit still being parsed (nil once its parse ended or
    // when its file was not found).
    TAnalyzeParser* ParserOf(const TqlUnit* Unit) const;

private:
    struct TTrial {};
    // A trial project (CreateTrialProject): reads no settings files.
    explicit TqlProject(TTrial);
    void Construct(const std::string& SettingsFolder, bool LoadSettings = true);
    void CreateSystemTypes();
    void FullParse(TqlUnit* Unit);
    void ParseUnit(TqlUnit* Unit, bool WithImplementation);
    // Reads one of the unit's form files into Form; a malformed one gives a
    // message.
    void ReadForm(TqlUnit* Unit, TqlDFMResource* Form, const std::string& FileName);
    // The form file of the unit file's name beside it, "" when there is none.
    std::string FormBeside(const std::string& UnitFile);
    int IndexOf(const TqlUnit* Unit) const;
    std::unique_ptr<TAnalyzeParser> CreateParser(const std::string& FileName);
    void FillSearchCache();

    std::vector<std::unique_ptr<TAnalyzeParser>> FParsers;
    std::vector<Ref<IqlCodeViewer>> FCodeViewers;
    std::vector<Ref<IqlProgressNotifier>> FProgressNotifiers;
    std::unique_ptr<TqlUnit> FMainUnit;
    std::unique_ptr<TqlUnitList> FUnits;
    // Which of FUnits declare a name; cleared with them.
    TqlUnitNameIndex FNameIndex;
    Ref<IqlOptions> FOptions;
    Ref<IqlReports> FReports;
    std::unique_ptr<TqlOwnedClassList> FClasses;
    std::unique_ptr<TqlOwnedObjectList> FObjects;
    std::unique_ptr<TqlOwnedInterfaceList> FInterfaces;
    std::unique_ptr<TqlSymbolList> FSystemSymbols;
    bool FAborted = false;
    TqlType* FSystemTypes[tkTextFile + 1] = {};
    std::unique_ptr<TqlFileNameList> FFileNames;
    Ref<IVxPreProcessorInfo> FUsesInfo;
    Ref<IqlMessageList> FMessages;
    Ref<IqlCodingConventions> FCodingConventions;
    Ref<IqlFileSettings> FProjectSettingsFile;
    Ref<IqlRegExpr> FRegExpr;
    Ref<IqlFileSettings> FSystemSettingsFile;
    Ref<IqlSystemOptions> FSystemOptions;
    TqlFolderIndex FSearchCache;
    // The form files of each folder a unit lies in, by qlSameTextKey of their
    // names; each folder is listed once per analysis.
    std::unordered_map<std::string, std::unordered_map<std::string, std::string>> FFolderForms;
    // The main file's folder while an analysis runs ("" otherwise).
    std::string FAnalysisFolder;
    std::string FFileToAnalyze;
    // The library search path of the last analysis; a trial project
    // searches its maker's instead of the options'.
    std::vector<std::string> FAnalysedLibraryPath;
    bool FIsTrial = false;
};
