// The reference-counted interfaces (Iql...) through which every subsystem
// reaches the others, each with its GUID and its operations in slot order,
// and the global hubs with the shared word tables.
#pragma once

#include "base/qlException.h"
#include "base/qlInterface.h"
#include "model/uqlValues.h"

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

class TlxPasHash;
class TlxDirectiveHash;

// ---------------------------------------------------------------------------
// Code-model classes named by the interfaces (declared further below)
// ---------------------------------------------------------------------------

class TqlCodeLocation;
class TqlUsedByList;
class TqlSymbol;
class TqlType;
class TqlUnit;
class TqlUnitList;
class TqlUnitNameIndex;
class TqlFileNameList;
class TqlSymbolList;
class TqlOwnedClassList;
class TqlOwnedInterfaceList;
class TqlOwnedObjectList;

// ---------------------------------------------------------------------------
// Interfaces
// ---------------------------------------------------------------------------

class IqlStringList : public virtual IInterface {
public:
    static constexpr TGUID IID{0xA5A50DE6, 0xFB1C, 0x4937, {0x8A, 0x6D, 0x89, 0xB7, 0xCE, 0x48, 0x55, 0xDC}};
    virtual int Add(const std::string& S) = 0;
    virtual void Clear() = 0;
    virtual void CopyToClipboard() = 0;
    virtual int GetCount() = 0;
    virtual std::string GetString(int Index) = 0;
    virtual std::string GetText() = 0;
    virtual void SaveToFile(const std::string& FileName) = 0;
    virtual void SetText(const std::string& Value) = 0;
    virtual int IndexOf(const std::string& S) = 0;
};

class IqlFileSettings : public virtual IInterface {
public:
    static constexpr TGUID IID{0x4F2C704D, 0xFE4F, 0x4B56, {0xBC, 0xF4, 0x96, 0x79, 0x01, 0xDC, 0x1C, 0x1F}};
    virtual std::string GetFileName() = 0;
    virtual Variant ReadValue(const std::string& Section, const std::string& Ident,
                              const Variant& Default) = 0;
    virtual bool Open(const std::string& FileName) = 0;
    virtual void ReadSection(const std::string& Section, const Ref<IqlStringList>& List) = 0;
    virtual void ReadSectionValues(const std::string& Section, const Ref<IqlStringList>& List) = 0;
    virtual void SaveAs(const std::string& FileName) = 0;
    virtual void WriteSection(const std::string& Section, const Ref<IqlStringList>& List) = 0;
    virtual void WriteValue(const std::string& Section, const std::string& Ident,
                            const Variant& Value) = 0;
};

class IqlRefactorOptions : public virtual IInterface {
public:
    static constexpr TGUID IID{0x85859A49, 0xC97D, 0x4BBB, {0x97, 0x3D, 0x12, 0x22, 0x20, 0x6F, 0xC2, 0xEC}};
    virtual std::string GetFolderComparisonExe() = 0;
    virtual std::string GetFolderComparisonExeParams() = 0;
    // The list of plug-in packages; owned by the options.
    virtual std::vector<std::string>& GetRefactorings() = 0;
    virtual void Load(const Ref<IqlFileSettings>& Settings) = 0;
    virtual void LoadDefaults() = 0;
    virtual void Save(const Ref<IqlFileSettings>& Settings) = 0;
    virtual void SetFolderComparisonExe(const std::string& Value) = 0;
    virtual void SetFolderComparisonExeParams(const std::string& Value) = 0;
    virtual void SetRefactorings(const std::vector<std::string>& List) = 0;
};

class IqlSystemOptions : public virtual IInterface {
public:
    static constexpr TGUID IID{0xED4CBDA8, 0x8588, 0x49CD, {0x93, 0x8B, 0xF6, 0x1D, 0xD1, 0x36, 0xA2, 0x69}};
    virtual Ref<IqlStringList> GetLibrarySearchPath() = 0;
    virtual Ref<IqlRefactorOptions> GetRefactorOptions() = 0;
    virtual void Load(const Ref<IqlFileSettings>& Settings) = 0;
    virtual void LoadDefaults() = 0;
    virtual void Save(const Ref<IqlFileSettings>& Settings) = 0;
};

class IqlOptions : public virtual IInterface {
public:
    static constexpr TGUID IID{0x00C66710, 0xD6DF, 0x4F9B, {0x82, 0x9E, 0x80, 0xFE, 0x74, 0x4C, 0xA7, 0x26}};
    virtual void Clear() = 0;
    virtual Ref<IqlStringList> GetAliases() = 0;
    virtual Ref<IqlStringList> GetDefines() = 0;
    virtual std::string GetFileToAnalyze() = 0;
    virtual Ref<IqlStringList> GetProjectSearchPath() = 0;
    virtual void Load(const Ref<IqlFileSettings>& Settings) = 0;
    virtual void Save(const Ref<IqlFileSettings>& Settings) = 0;
    virtual void SetFileToAnalyze(const std::string& Value) = 0;
};

class IqlCodeViewer : public virtual IInterface {
public:
    static constexpr TGUID IID{0x523EDCE0, 0x9EF4, 0x4032, {0x91, 0xD1, 0xA6, 0xB3, 0x1C, 0x87, 0x23, 0x71}};
    virtual void ShowCode(const std::string& FileName, int X, int Y) = 0;
};

class IqlProgressNotifier : public virtual IInterface {
public:
    static constexpr TGUID IID{0xBB7D22F5, 0x4FC0, 0x4C0C, {0xBB, 0x2F, 0x91, 0x97, 0x63, 0xBF, 0x51, 0x64}};
    virtual void Notify(const std::string& Name, TParserState Stage, bool& Abort) = 0;
};

class IqlSetting : public virtual IInterface {
public:
    static constexpr TGUID IID{0x72F1C3FF, 0x9408, 0x49E8, {0x82, 0xC5, 0x1E, 0x27, 0x12, 0x4F, 0xAA, 0x3C}};
    virtual std::string GetCategoryName() = 0;
    virtual bool GetLibrary() = 0;
    virtual std::string GetName() = 0;
    virtual bool GetProject() = 0;
    virtual void SetLibrary(bool Value) = 0;
    virtual void SetProject(bool Value) = 0;
};

class IqlSettingsCategory : public virtual IInterface {
public:
    static constexpr TGUID IID{0x6B4A6B43, 0x1867, 0x4665, {0x99, 0xBD, 0xB1, 0x25, 0xDF, 0x8F, 0xF8, 0x55}};
    virtual Ref<IqlSettingsCategory> AddCategory(const std::string& Name) = 0;
    virtual Ref<IqlSetting> AddSetting(const std::string& Name, bool ProjectDefault,
                                       bool LibraryDefault) = 0;
    virtual Ref<IqlSettingsCategory> GetCategory(int Index) = 0;
    virtual int GetCategoryCount() = 0;
    virtual int GetSettingCount() = 0;
    virtual Ref<IqlSetting> GetSetting(int Index) = 0;
    virtual std::string GetName() = 0;
};

class IqlSettings : public virtual IqlSettingsCategory {
public:
    static constexpr TGUID IID{0xBCFE8D72, 0xF6CA, 0x477F, {0x9F, 0x60, 0x38, 0xA3, 0x17, 0xD6, 0xE2, 0xC3}};
    virtual void Load(const Ref<IqlFileSettings>& Settings) = 0;
    virtual void Save(const Ref<IqlFileSettings>& Settings) = 0;
};

class IqlComponentPrefix : public virtual IInterface {
public:
    static constexpr TGUID IID{0xC0C6F2AC, 0xCF9F, 0x4BA9, {0x93, 0xB7, 0x98, 0x48, 0xFB, 0x5C, 0xC6, 0xA6}};
    virtual std::string GetComponentClass() = 0;
    virtual std::string GetPrefix() = 0;
    virtual void SetComponentClass(const std::string& Value) = 0;
    virtual void SetPrefix(const std::string& Value) = 0;
};

class IqlPrefixList : public virtual IInterface {
public:
    static constexpr TGUID IID{0xC2C19BB1, 0xAE90, 0x43CD, {0x98, 0x8F, 0xA4, 0xB2, 0x40, 0xBE, 0x26, 0x03}};
    virtual Ref<IqlComponentPrefix> Add(const std::string& Prefix, const std::string& ComponentClass) = 0;
    virtual void Clear() = 0;
    virtual bool CheckPrefix(const std::string& ComponentClass, TqlSymbol* Component,
                             std::string& ExpectedPrefix) = 0;
    virtual void Delete(int Index) = 0;
    virtual void Remove(const Ref<IqlComponentPrefix>& Prefix) = 0;
    virtual Ref<IqlComponentPrefix> Find(const std::string& ComponentClass) = 0;
    virtual int GetCount() = 0;
    virtual bool GetEnforcePrefixOnUnreferenced() = 0;
    virtual Ref<IqlComponentPrefix> GetItem(int Index) = 0;
    virtual void Load(const Ref<IqlFileSettings>& Settings) = 0;
    virtual void LoadDefaults() = 0;
    virtual void Save(const Ref<IqlFileSettings>& Settings) = 0;
    virtual void SetEnforcePrefixOnUnreferenced(bool Value) = 0;
};

class IqlNamingConventions : public virtual IInterface {
public:
    static constexpr TGUID IID{0x1CAE66C1, 0x2FF7, 0x47EA, {0xB6, 0x9B, 0x2E, 0xE7, 0xCD, 0x57, 0x58, 0x62}};
    virtual std::string GetClassFields() = 0;
    virtual std::string GetClassTypes() = 0;
    virtual std::string GetConstants() = 0;
    virtual std::string GetConstParameters() = 0;
    virtual std::string GetGetRoutines() = 0;
    virtual std::string GetGlobalVariables() = 0;
    virtual std::string GetInterfaceTypes() = 0;
    virtual std::string GetLocalVariables() = 0;
    virtual std::string GetObjectTypes() = 0;
    virtual std::string GetParameters() = 0;
    virtual std::string GetPointerTypes() = 0;
    virtual std::string GetProperties() = 0;
    virtual std::string GetRecordTypes() = 0;
    virtual std::string GetRoutineNames() = 0;
    virtual std::string GetSetRoutines() = 0;
    virtual std::string GetVarParameters() = 0;
    virtual void Load(const Ref<IqlFileSettings>& Settings) = 0;
    virtual void LoadDefaults() = 0;
    virtual void Save(const Ref<IqlFileSettings>& Settings) = 0;
    virtual void SetClassFields(const std::string& Value) = 0;
    virtual void SetClassTypes(const std::string& Value) = 0;
    virtual void SetConstants(const std::string& Value) = 0;
    virtual void SetConstParameters(const std::string& Value) = 0;
    virtual void SetGetRoutines(const std::string& Value) = 0;
    virtual void SetGlobalVariables(const std::string& Value) = 0;
    virtual void SetInterfaceTypes(const std::string& Value) = 0;
    virtual void SetLocalVariables(const std::string& Value) = 0;
    virtual void SetObjectTypes(const std::string& Value) = 0;
    virtual void SetParameters(const std::string& Value) = 0;
    virtual void SetPointerTypes(const std::string& Value) = 0;
    virtual void SetProperties(const std::string& Value) = 0;
    virtual void SetRecordTypes(const std::string& Value) = 0;
    virtual void SetRoutineNames(const std::string& Value) = 0;
    virtual void SetSetRoutines(const std::string& Value) = 0;
    virtual void SetVarParameters(const std::string& Value) = 0;
};

class IqlIndentationConventions : public virtual IInterface {
public:
    static constexpr TGUID IID{0x956021B3, 0x46F7, 0x4AFF, {0xA9, 0x2F, 0xDF, 0xA1, 0x2D, 0xAF, 0x3C, 0x51}};
    virtual bool GetIndentBeforeBegin() = 0;
    virtual bool GetIndentBeforeElseInCaseBlock() = 0;
    virtual bool GetIndentBeforeElseInTryBlock() = 0;
    virtual bool GetIndentBeforeTry() = 0;
    virtual bool GetIndentComments() = 0;
    virtual bool GetIndentDirectives() = 0;
    virtual bool GetNeverIndentElseIf() = 0;
    virtual int GetSpacesPerIndent() = 0;
    virtual void Load(const Ref<IqlFileSettings>& Settings) = 0;
    virtual void LoadDefaults() = 0;
    virtual void Save(const Ref<IqlFileSettings>& Settings) = 0;
    virtual void SetIndentBeforeBegin(bool Value) = 0;
    virtual void SetIndentBeforeElseInCaseBlock(bool Value) = 0;
    virtual void SetIndentBeforeElseInTryBlock(bool Value) = 0;
    virtual void SetIndentBeforeTry(bool Value) = 0;
    virtual void SetIndentComments(bool Value) = 0;
    virtual void SetIndentDirectives(bool Value) = 0;
    virtual void SetNeverIndentElseIf(bool Value) = 0;
    virtual void SetSpacesPerIndent(int Value) = 0;
};

class IqlCodingConventions : public virtual IInterface {
public:
    static constexpr TGUID IID{0xF5965926, 0x03D2, 0x4C89, {0x8D, 0x37, 0xEA, 0x0D, 0x2E, 0xA3, 0xAD, 0xD7}};
    virtual Ref<IqlPrefixList> GetComponentPrefixes() = 0;
    virtual Ref<IqlIndentationConventions> GetIndentationConventions() = 0;
    virtual Ref<IqlNamingConventions> GetNamingConventions() = 0;
    virtual void Load() = 0;
    virtual void LoadDefaults() = 0;
    virtual void LoadDefaultsComponentPrefixes() = 0;
    virtual void LoadDefaultsIndentation() = 0;
    virtual void LoadDefaultsNaming() = 0;
    virtual void LoadDefaultsReserved() = 0;
    virtual void LoadFromFile(const Ref<IqlFileSettings>& Settings) = 0;
    virtual void Save() = 0;
    virtual void SaveToFile(const Ref<IqlFileSettings>& Settings) = 0;
};

class IqlReportData : public virtual IInterface {
public:
    static constexpr TGUID IID{0x5EF6D97A, 0x951D, 0x4FCF, {0xBF, 0x38, 0x6A, 0x2C, 0x8A, 0xB4, 0x02, 0xF9}};
    virtual void AddEmptyRow() = 0;
    virtual void AddEmptyRowIfEnabled(const Ref<IqlSetting>& Setting) = 0;
    virtual void AddEmptyRowIfEnabledFor(const Ref<IqlSetting>& Setting, bool IsLibrary) = 0;
    virtual void AddRowIfEnabledFor(const Ref<IqlSetting>& Setting, bool IsLibrary,
                                    TqlCodeLocation* Symbol, TqlUsedByList* UsedBy,
                                    const std::vector<Variant>& Values) = 0;
    virtual void AddRowIfEnabled(const Ref<IqlSetting>& Setting, TqlCodeLocation* Symbol,
                                 TqlUsedByList* UsedBy, const std::vector<Variant>& Values) = 0;
    virtual void AddRow(TqlCodeLocation* Symbol, TqlUsedByList* UsedBy,
                        const std::vector<Variant>& Values) = 0;
    virtual void AddUnitRow(TqlUnit* Unit, const Ref<IqlSetting>& Setting, TqlCodeLocation* Symbol,
                            TqlUsedByList* UsedBy, const std::vector<Variant>& Values) = 0;
    virtual void AddValueRow(const std::vector<Variant>& Values) = 0;
    virtual void AddTitleRowIfEnabledFor(const Ref<IqlSetting>& Setting, bool IsLibrary,
                                         const Variant& Title) = 0;
    virtual void AddTitleRowIfEnabled(const Ref<IqlSetting>& Setting, const Variant& Title) = 0;
    virtual void AddTitleRow(const Variant& Title) = 0;
    virtual void Clear() = 0;
    virtual void ShowCode(int Row) = 0;
    virtual int GetRowCount() = 0;
    virtual TqlUsedByList* GetUsedBy(int Row) = 0;
    virtual void GetValue(int Row, int Column, Variant& Value) = 0;
    virtual void Sort(bool Ascending, int Column) = 0;
};

class IqlColumn : public virtual IInterface {
public:
    static constexpr TGUID IID{0x0FAC4110, 0x06C1, 0x40E6, {0x85, 0x5B, 0x2B, 0x38, 0x04, 0x1E, 0xAA, 0x0C}};
    virtual uint8_t GetKind() = 0;
    virtual int GetIndex() = 0;
    virtual std::string GetTitle() = 0;
};

class IqlColumns : public virtual IInterface {
public:
    static constexpr TGUID IID{0xE081A698, 0x1E51, 0x4656, {0x9F, 0x87, 0xC8, 0x6F, 0xFC, 0x1D, 0x56, 0x5A}};
    virtual int Add(const std::string& Title, uint8_t Kind, Ref<IqlColumn>& Column) = 0;
    virtual Ref<IqlColumn> GetItem(int Index) = 0;
    virtual int GetCount() = 0;
};

class IqlReport : public virtual IInterface {
public:
    static constexpr TGUID IID{0xBF298C61, 0x9A88, 0x468C, {0x97, 0x97, 0x98, 0x26, 0xA5, 0x37, 0x9C, 0x68}};
    virtual void Clear() = 0;
    virtual void Run() = 0;
    virtual Ref<IqlStringList> AsCSV(bool Header, bool Quote) = 0;
    virtual Ref<IqlColumns> GetColumns() = 0;
    virtual Ref<IqlReportData> GetData() = 0;
    virtual bool GetHasUsedBy() = 0;
    virtual std::string GetName() = 0;
    virtual Ref<IqlSettings> GetSettings() = 0;
    virtual bool GetSortable() = 0;
    virtual bool GetVisible() = 0;
    virtual void SetVisible(bool Value) = 0;
};

class IqlReports : public virtual IInterface {
public:
    static constexpr TGUID IID{0xF54A3712, 0xCF91, 0x4A15, {0xB7, 0xD3, 0x37, 0xED, 0xB3, 0x4E, 0xE8, 0x07}};
    virtual int Add(const Ref<IqlReport>& Report) = 0;
    virtual void ClearAll() = 0;
    virtual int GetCount() = 0;
    virtual Ref<IqlReport> FindByName(const std::string& Name) = 0;
    virtual Ref<IqlReport> GetItem(int Index) = 0;
    virtual bool Remove(const Ref<IqlReport>& Report) = 0;
};

class IqlRegExpr : public virtual IInterface {
public:
    static constexpr TGUID IID{0x4FB7AC8E, 0x9F2E, 0x4288, {0x8E, 0x0F, 0xA6, 0x1D, 0x61, 0x56, 0x33, 0x79}};
    virtual bool Matches(const std::string& Expression, const std::string& Text) = 0;
};

class IqlMessage : public virtual IInterface {
public:
    static constexpr TGUID IID{0xE32A27C5, 0x1273, 0x4163, {0xA6, 0x60, 0x2B, 0xF7, 0xC2, 0x8E, 0xB8, 0x8A}};
    // The message's own location object, not a copy.
    virtual TqlCodeLocation* GetCodeLocation() = 0;
    virtual bool GetInterfaceSection() = 0;
    virtual std::string GetMessageText() = 0;
};

class IqlMessageList : public virtual IInterface {
public:
    static constexpr TGUID IID{0xC431285B, 0xBFE7, 0x4E15, {0x91, 0x7F, 0x0D, 0x9B, 0xB0, 0xA0, 0x8E, 0xA5}};
    virtual Ref<IqlMessage> Add(const std::string& Text, int FileIndex, int X, int Y,
                                bool InInterfaceSection) = 0;
    virtual void Clear() = 0;
    virtual int GetCount() = 0;
    virtual Ref<IqlMessage> GetItems(int Index) = 0;
    virtual void Sort(TMessageListSortBy SortBy) = 0;
};

class IqlProject : public virtual IInterface {
public:
    static constexpr TGUID IID{0x1BCCB41B, 0x6209, 0x43E9, {0xB9, 0x4C, 0xFE, 0x60, 0x31, 0xF5, 0x52, 0x5C}};
    virtual TqlUnit* GetMainUnit() = 0;
    virtual void AddCodeViewer(const Ref<IqlCodeViewer>& Viewer) = 0;
    virtual void AddProgressNotifier(const Ref<IqlProgressNotifier>& Notifier) = 0;
    virtual void Clear() = 0;
    virtual Ref<IqlSettings> CreateSettings(const std::string& Name) = 0;
    virtual TqlUnitList* GetUnits() = 0;
    virtual bool GetAborted() = 0;
    virtual Ref<IqlCodingConventions> GetCodingConventions() = 0;
    virtual Ref<IqlOptions> GetOptions() = 0;
    virtual TqlFileNameList* GetFileNames() = 0;
    virtual Ref<IqlMessageList> GetMessages() = 0;
    virtual TqlSymbol* FindSystemSymbol(const std::string& Name) = 0;
    virtual TqlType* GetSystemType(TqlTypeKind Kind) = 0;
    virtual Ref<IqlFileSettings> GetProjectSettingsFile() = 0;
    virtual Ref<IqlSystemOptions> GetSystemOptions() = 0;
    virtual Ref<IqlRegExpr> GetRegExpr() = 0;
    virtual Ref<IqlReports> GetReports() = 0;
    virtual Ref<IqlFileSettings> GetSystemSettingsFile() = 0;
    virtual TqlOwnedClassList* GetClasses() = 0;
    virtual TqlOwnedInterfaceList* GetInterfaces() = 0;
    virtual TqlOwnedObjectList* GetObjects() = 0;
    virtual TqlSymbolList* GetSystemSymbols() = 0;
    virtual bool LoadFromFile(const std::string& FileName) = 0;
    virtual void NotifyProgress(const std::string& Name, TParserState Stage) = 0;
    virtual void RemoveCodeViewer(const Ref<IqlCodeViewer>& Viewer) = 0;
    virtual void RemoveProgressNotifier(const Ref<IqlProgressNotifier>& Notifier) = 0;
    virtual void FindUnitFile(const std::string& Name, const std::string& Folder,
                              std::string& FileName, bool& IsLibrary) = 0;
    virtual TqlUnit* AddUnit(const std::string& UnitName, const std::string& FileName) = 0;
    virtual void Analyze(bool ParseAll) = 0;
    virtual void ParseInterface(TqlUnit* Unit) = 0;
    virtual void SaveToFile(const std::string& FileName) = 0;
    virtual void ShowCode(TqlCodeLocation* Location) = 0;
    virtual void NotifyCodeViewers(const std::string& FileName, int X, int Y) = 0;
};

// A project that makes others of its kind for a trial analysis: the same
// options and search paths, a model of their own. A refactoring's last
// check analyses its output in one, and the project's own model, which the
// host and the refactoring still use, stays as it is. While a trial project
// analyses or its model is read, it must be gqlProject.
class IqlTrialProjects : public virtual IInterface {
public:
    static constexpr TGUID IID{0x5E0B7A41, 0x2C6D, 0x4F93, {0xA1, 0x8E, 0x47, 0x3D, 0x90, 0x6B, 0xC2, 0x15}};
    virtual Ref<IqlProject> CreateTrialProject() = 0;
};

class IqlRefactoring : public virtual IInterface {
public:
    static constexpr TGUID IID{0x2719AD0C, 0x999A, 0x4F00, {0x9F, 0x68, 0x95, 0x2C, 0x4F, 0xB8, 0x7A, 0x45}};
    virtual void Execute() = 0;
    virtual bool GetCanExecute() = 0;
    virtual std::string GetGroupName() = 0;
    virtual std::string GetMenuCaption() = 0;
    virtual std::string GetName() = 0;
};

class IqlRefactoringHost : public virtual IInterface {
public:
    static constexpr TGUID IID{0xCE37AB84, 0x309B, 0x4E44, {0x86, 0xE6, 0x5B, 0x3B, 0x71, 0x8D, 0x65, 0xAA}};
    virtual void AddMessage(const Ref<IqlRefactoring>& Refactoring, const Ref<IqlMessage>& Msg) = 0;
    virtual void AddGroup(const std::string& Name, const std::string& Caption,
                          const std::string& ParentName) = 0;
    virtual TqlSymbol* GetSelectedSymbol() = 0;
    virtual TqlUnit* GetSelectedUnit() = 0;
    virtual void UnitRefactored(TqlUnit* Unit) = 0;
    virtual void RegisterRefactoring(const Ref<IqlRefactoring>& Refactoring,
                                     const std::string& GroupName) = 0;
    virtual void RemoveGroup(const std::string& Name) = 0;
    virtual void UnregisterRefactoring(const Ref<IqlRefactoring>& Refactoring) = 0;
};

// ---------------------------------------------------------------------------
// Global hubs and shared word tables (defined in QuilletBase)
// ---------------------------------------------------------------------------

extern Ref<IqlProject> gqlProject;
extern Ref<IqlFileSettings> gqlQuilletOptions;
extern Ref<IqlRefactoringHost> gqlRefactoringHost;

// The keyword and directive word tables every lexer of the system shares;
// created when QuilletBase is loaded, read-only afterwards, never freed by a
// lexer or parser.
extern TlxPasHash* GlobalKeyHashTable;
extern TlxDirectiveHash* GlobalDirectiveHash;

// Creates the two word tables when they do not exist (QuilletBase does this
// when it is loaded; calling it again is harmless).
void qlCreateGlobalTables();

// Program shut-down: releases gqlRefactoringHost, gqlQuilletOptions and
// gqlProject in this order, and only then frees the two word tables, so no
// parser that a hub still holds is ever left with a freed table. Safe to call
// more than once; QuilletBase calls it itself when it is unloaded.
void qlReleaseGlobals();
