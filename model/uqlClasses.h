// The code model of Quillet and the interfaces through which every subsystem
// reaches the others.
//
// This header declares, in order:
//   - Variant, the value type of settings and report cells;
//   - the enumerations that several subsystems share;
//   - the reference-counted interfaces (Iql...), each with its GUID and its
//     operations in slot order;
//   - the global hubs gqlProject, gqlQuilletOptions, gqlRefactoringHost and
//     the shared word tables GlobalKeyHashTable and GlobalDirectiveHash;
//   - the code model: locations, uses, files, symbols, their containers and
//     the form-file model.
//
// Code-model objects (TqlUnit, TqlSymbol, TqlCodeLocation and the lists) cross
// interfaces as plain pointers that the receiver borrows; the project's lists
// own them.
#pragma once

#include "base/qlException.h"
#include "base/qlInterface.h"

#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <memory>
#include <string>
#include <unordered_set>
#include <type_traits>
#include <variant>
#include <vector>

class TlxPasHash;
class TlxDirectiveHash;
class TlxAssignAbleHash;

// ---------------------------------------------------------------------------
// Variant: an empty value, a Boolean, a 64-bit integer, a double or a string.
// ---------------------------------------------------------------------------

class Variant {
public:
    enum class Kind : uint8_t { Empty, Boolean, Integer, Double, String };

    Variant() = default;
    Variant(bool Value) : FValue(Value) {}
    template <class T>
        requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char>)
    Variant(T Value) : FValue(static_cast<int64_t>(Value))
    {
    }
    Variant(double Value) : FValue(Value) {}
    Variant(const char* Value) : FValue(std::string(Value ? Value : "")) {}
    Variant(std::string Value) : FValue(std::move(Value)) {}

    Kind GetKind() const { return static_cast<Kind>(FValue.index()); }
    bool IsEmpty() const { return GetKind() == Kind::Empty; }

    // Conversions. Strings convert to numbers and Booleans when their text is
    // one ("True"/"False" without regard to case, or a number); otherwise an
    // Exception names both types. Empty converts to 0, false and "".
    bool AsBoolean() const;
    int64_t AsInteger() const;
    double AsDouble() const;
    std::string AsString() const;

    // Equal kinds and values (an integer never equals a string).
    friend bool operator==(const Variant& A, const Variant& B) { return A.FValue == B.FValue; }

private:
    std::variant<std::monostate, bool, int64_t, double, std::string> FValue;
};

// A small set of an enumeration with at most 64 members.
template <class E>
class TqlEnumSet {
public:
    constexpr TqlEnumSet() = default;
    constexpr TqlEnumSet(std::initializer_list<E> Items)
    {
        for (E Item : Items)
            Include(Item);
    }
    constexpr void Include(E Item) { FBits |= Bit(Item); }
    constexpr void Exclude(E Item) { FBits &= ~Bit(Item); }
    constexpr bool Contains(E Item) const { return (FBits & Bit(Item)) != 0; }
    constexpr bool IsEmpty() const { return FBits == 0; }
    constexpr void Clear() { FBits = 0; }
    constexpr uint64_t Bits() const { return FBits; }
    friend constexpr bool operator==(TqlEnumSet A, TqlEnumSet B) { return A.FBits == B.FBits; }

private:
    static constexpr uint64_t Bit(E Item) { return uint64_t(1) << static_cast<unsigned>(Item); }
    uint64_t FBits = 0;
};

// ---------------------------------------------------------------------------
// Shared enumerations
// ---------------------------------------------------------------------------

// Where a unit's file was found.
enum TDirectoryType : uint8_t { dtProject, dtLibrary };

// The sections of a unit in which messages arose.
enum TqlUnitWarning : uint8_t { uwInterface, uwImplementation };
using TqlUnitWarningSet = TqlEnumSet<TqlUnitWarning>;

// Sort keys of the message list.
enum TMessageListSortBy : uint8_t { mlsbMessage, mlsbUnit, mlsbInterface };

// The kind of a report column.
enum TqlDataType : uint8_t { dtString, dtInteger, dtDouble, dtBoolean };

enum TqlDelphiVersion : uint8_t {
    dvDelphi4, dvDelphi5, dvDelphi6, dvDelphi7, dvDelphi8, dvDelphi2005, dvDelphi2006
};

// The kind of a form-file property value.
enum TDFMPropType : uint8_t { dptString, dptIdentifier, dptInteger, dptFloat, dptSet, dptList };

enum TParseState : uint8_t { psNone, psClassheritage, psInterfaceHeritage };

// How far a unit is parsed.
enum TParserState : uint8_t { psrNone, psrInterfaceParsing, psrInterfaceParsed, psrFull };

// Where a declaration stands: unit sections, then class-member visibilities.
enum TVisibilityKind : uint8_t {
    vkNone, vkInterface, vkImplementation, vkPublic, vkAutomated, vkPublished,
    vkProtected, vkStrictProtected, vkPrivate, vkStrictPrivate
};
using TVisibilityKindSet = TqlEnumSet<TVisibilityKind>;

// The built-in types of the language.
enum TqlTypeKind : uint8_t {
    tkNone, tkAnsiString, tkArray, tkArrayOfConst, tkBoolean, tkByte, tkBytebool,
    tkCardinal, tkChar, tkClass, tkComp, tkCurrency, tkDouble, tkDWord, tkExtended,
    tkFile, tkFunction, tkInt64, tkInteger, tkInterface, tkLongBool, tkLongInt,
    tkLongWord, tkOleVariant, tkPacked, tkPChar, tkPointer, tkProcedure, tkReal,
    tkReal48, tkRecord, tkRoutine, tkSet, tkShortInt, tkShortString, tkSingle,
    tkSmallInt, tkString, tkText, tkVariant, tkWideChar, tkWideString, tkWord,
    tkWordbool, tkObject, tkEnum, tkTextFile
};

enum TRoutineKind : uint8_t { rkProcedure, rkFunction, rkConstructor, rkDestructor };

enum TParamKind : uint8_t { pkNone, pkConst, pkVar, pkIn, pkOut };

enum TRoutineDirective : uint8_t {
    rdNone, rdAbstract, rdCdecl, rdPascal, rdAssembler, rdRegister, rdSafeCall,
    rdStdCall, rdExport, rdFar, rdNear, rdExternal, rdDynamic, rdMessage,
    rdOverload, rdOverride, rdReintroduce, rdVirtual, rdLocal
};
using TRoutineDirectives = TqlEnumSet<TRoutineDirective>;

enum TCodeErrorKind : uint8_t { ekBadIndentation, ekBadSpacing, ekBadNewLine };

// Display words of the routine kinds.
inline constexpr const char* RoutineKindName[4] = {"Procedure", "Function", "Constructor",
                                                   "Destructor"};

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

// ===========================================================================
// The code model
// ===========================================================================

class TqlClass;
class TqlRecord;
class TqlRoutine;
class TqlVarContainer;
class TqlProperty;
class TqlVariable;
class TqlDFMResource;

// Root of every object that the model's lists hold.
class TqlBase {
public:
    virtual ~TqlBase() = default;
};

// ---------------------------------------------------------------------------
// Locations, uses, files
// ---------------------------------------------------------------------------

// A position in a source file: file index (into the project's file-name list,
// -1 for none), start column X and line Y, end column and line. The unit index
// is looked up through the file-name list on first request and then kept.
class TqlCodeLocation : public TqlBase {
public:
    TqlCodeLocation(int FileIndex, int X, int Y);

    int GetX() const { return FX; }
    int GetY() const { return FY; }
    int GetEndX() const { return FEndX; }
    int GetEndY() const { return FEndY; }
    int GetFileIndex() const { return FFileIndex; }
    // Sets X (Y) and moves the end column (line) with it.
    void SetX(int Value);
    void SetY(int Value);
    void SetEndX(int Value) { FEndX = Value; }
    void SetEndY(int Value) { FEndY = Value; }

    // "???" for a negative file index (or when no project is set), else the
    // full name of the file.
    std::string GetFileName() const;
    int GetUnitIndex();
    // The unit of the location's file; nil when there is none.
    TqlUnit* GetUnitIntf();
    // Same file index, X and Y; the end positions are not compared.
    bool ComparesTo(const TqlCodeLocation* Other) const;

private:
    int FEndX = 0;
    int FEndY = 0;
    int FFileIndex = -1;
    int FUnitIndex = -1;
    int FX = 0;
    int FY = 0;
};

// The place of one identifier.
struct TqlUsedByInfo {
    int FileIndex = -1;
    bool IsWrongCase = false;
    int X = -1;
    int Y = -1;
};
TqlUsedByInfo UsedByInfo(int FileIndex, bool IsWrongCase, int X, int Y);

// A list of model objects in insertion order; owning or not. Index errors
// raise EListError.
class TqlList : public TqlBase {
public:
    explicit TqlList(bool OwnsObjects = true);
    ~TqlList() override;
    TqlList(const TqlList&) = delete;
    TqlList& operator=(const TqlList&) = delete;

    bool GetOwnsObjects() const { return FOwnsObjects; }
    virtual void Clear();
    int Add(TqlBase* Object);
    int GetCount() const { return static_cast<int>(FItems.size()); }
    TqlBase* GetItem(int Index) const;
    void SetItem(int Index, TqlBase* Object);

protected:
    template <class T>
    T* ItemAs(int Index) const
    {
        return static_cast<T*>(GetItem(Index));
    }

private:
    std::vector<TqlBase*> FItems;
    bool FOwnsObjects;
};

class TqlUsedByLocation;

// The uses of one symbol, in order of recording; owns its locations.
class TqlUsedByList : public TqlList {
public:
    explicit TqlUsedByList(TqlSymbol* Symbol);
    int AddUsedBy(const TqlUsedByInfo& Info);
    TqlUsedByLocation* GetLocations(int Index) const;
    TqlSymbol* GetSymbol() const { return FSymbol; }

private:
    TqlSymbol* FSymbol;
};

// One use of a symbol. Registers itself with the unit of its file.
class TqlUsedByLocation : public TqlCodeLocation {
public:
    TqlUsedByLocation(TqlUsedByList* UsedByList, const TqlUsedByInfo& Info);
    bool GetIsWrongCase() const { return FIsWrongCase; }
    TqlUsedByList* GetUsedByList() const { return FUsedByList; }

private:
    bool FIsWrongCase;
    TqlUsedByList* FUsedByList;
};

class TqlCodeError : public TqlCodeLocation {
public:
    TqlCodeError(TCodeErrorKind ErrorKind, int FileIndex, int X, int Y);
    TCodeErrorKind GetErrorKind() const { return FErrorKind; }

private:
    TCodeErrorKind FErrorKind;
};

class TqlCodingErrorsList : public TqlList {
public:
    TqlCodingErrorsList() : TqlList(true) {}
    TqlCodeError* AddError(TCodeErrorKind ErrorKind, int FileIndex, int X, int Y);
    TqlCodeError* GetItems(int Index) const { return ItemAs<TqlCodeError>(Index); }
};

// A name index of (name, object) pairs with hashed, case-insensitive lookup
// (Windows-1252 letters fold as well). Never owns the objects. Entries are
// kept in hash order; Add returns the new entry's position, and positions
// shift as further entries arrive.
class TqlHashedObjectList : public TqlBase {
public:
    TqlHashedObjectList();
    ~TqlHashedObjectList() override;
    TqlHashedObjectList(const TqlHashedObjectList&) = delete;
    TqlHashedObjectList& operator=(const TqlHashedObjectList&) = delete;

    int Add(const std::string& Name, TqlBase* Object);
    bool Find(const std::string& Name, int& Index);
    // Every position holding Name (without regard to case), ascending.
    std::vector<int> FindAll(const std::string& Name);
    // The same into Result (cleared first), without allocating when Result
    // already has room.
    void FindAll(const std::string& Name, std::vector<int>& Result);
    TqlBase* GetObject(int Index) const;
    std::string GetString(int Index) const;
    void SetObject(int Index, TqlBase* Object);
    void Delete(int Index);
    int Count() const;
    void Clear();
    void Sort();

private:
    void CheckIndex(int Index) const;
    std::unique_ptr<TlxAssignAbleHash> FHash;
};

class TqlSourceFile : public TqlBase {
public:
    TqlSourceFile(const std::string& FullFileName, bool Exists, int FileIndex, int UnitIndex);
    int GetFileIndex() const { return FFileIndex; }
    const std::string& GetFullFileName() const { return FFullFileName; }
    int GetUnitIndex() const { return FUnitIndex; }
    TqlUnit* GetUnitIntf() const;

    bool Exists;
    // Size and qlHash64 of the text the analysis read; -1 until then.
    int64_t Size = -1;
    uint64_t Hash = 0;

private:
    int FFileIndex;
    std::string FFullFileName;
    int FUnitIndex;
};

// The project's files in order of entry; the position is the file index.
class TqlFileNameList : public TqlBase {
public:
    TqlFileNameList();
    ~TqlFileNameList() override;
    int Add(const std::string& FullFileName, bool Exists, int UnitIndex);
    TqlSourceFile* Find(const std::string& FullFileName);
    void Clear();
    int GetCount() const { return FFiles.GetCount(); }
    TqlSourceFile* GetItems(int Index) const;
    TqlHashedObjectList* GetFileNameList() { return &FNames; }

private:
    TqlHashedObjectList FNames;
    TqlList FFiles{true};
};

// Line counts of one unit.
class TqlCodeStatistics {
public:
    int GetAnsiCommentLines() const { return FAnsiCommentLines; }
    int GetBorCommentLines() const { return FBorCommentLines; }
    int GetCodeLines() const { return FCodeLines; }
    int GetEmptyLines() const { return FEmptyLines; }
    int GetSlashCommentLines() const { return FSlashCommentLines; }
    int GetCommentLines() const { return FAnsiCommentLines + FBorCommentLines + FSlashCommentLines; }
    int GetTotalLines() const { return GetCommentLines() + FCodeLines + FEmptyLines; }
    void IncAnsiCommentLines() { ++FAnsiCommentLines; }
    void IncBorCommentLines() { ++FBorCommentLines; }
    void IncCodeLines() { ++FCodeLines; }
    void IncEmptyLines() { ++FEmptyLines; }
    void IncSlashCommentLines() { ++FSlashCommentLines; }
    // Counts the lines of a Pascal source text. A line that holds code (any
    // token outside comments; compiler directives count as code) is a code
    // line; else a line that lies in a comment, wholly or in part, is a
    // comment line of the first kind met on it; else it is empty. Strings
    // end at the line end; a last line without a line break counts when it
    // holds anything.
    void AddText(const char* Text, size_t Size);

private:
    int FAnsiCommentLines = 0;
    int FBorCommentLines = 0;
    int FCodeLines = 0;
    int FEmptyLines = 0;
    int FSlashCommentLines = 0;
};

// ---------------------------------------------------------------------------
// Symbols
// ---------------------------------------------------------------------------

class TqlSymbol : public TqlCodeLocation {
public:
    TqlSymbol(const std::string& Name, TVisibilityKind Visibility, TqlTypeKind TypeKind,
              int FileIndex, int X, int Y);
    ~TqlSymbol() override;

    // Slot 1: the symbol's type; the symbol itself when it has none.
    virtual TqlSymbol* GetTypeIntf();
    // Slot 2.
    virtual void SetTypeIntf(TqlSymbol* Symbol);
    // Slot 3.
    virtual TqlTypeKind GetTypeKind();
    // Slot 4: the lookup of a member name; nil for plain symbols.
    virtual TqlSymbol* FindSymbol(TqlUnit* Unit, TqlClass* Class, const std::string& Name,
                                  bool AddReference, const TqlUsedByInfo& Info);
    // Slot 5: slot 4 without recording and with an empty place.
    TqlSymbol* FindSymbol(TqlUnit* Unit, TqlClass* Class, const std::string& Name);
    // Slot 6: whether a declaration of this kind must name a type.
    virtual bool TypeRequired();

    const std::string& GetName() const { return FName; }
    bool GetPointerType() const { return FPointerType; }
    void SetPointerType(bool Value) { FPointerType = Value; }
    const std::string& GetPointerTypeName() const;
    void SetPointerTypeName(const std::string& Value);
    TqlSymbol* GetPredefinedArrayType() const { return FPredefinedArrayType; }
    void SetPredefinedArrayType(TqlSymbol* Value) { FPredefinedArrayType = Value; }
    bool GetTypeAssigned() const { return FType != nullptr; }
    void SetTypeKind(TqlTypeKind Value);
    TVisibilityKind GetVisibility() const { return FVisibility; }
    // Created on first request.
    TqlUsedByList* GetUsedBy();
    // The uses list cannot be replaced: always an assertion failure.
    void SetUsedBy(TqlUsedByList* Value);

    // Equal names (with regard to case) and equal locations.
    bool ComparesTo(const TqlSymbol* Other) const;
    // The container that supplies the members of this symbol's type (the
    // members of x in x.y); nil when there is none or the type chain loops.
    TqlSymbol* FindContainer();

    // Order of creation, used to tell which of several same-named
    // declarations came last.
    uint64_t GetSerial() const { return FSerial; }

    // The marks of what kind of model object a symbol is, so that the lookup
    // paths test a stored mark instead of casting: each constructor of the
    // kinds below adds its own, so an object carries the marks of its bases.
    enum TKindMark : uint8_t {
        kmContainer = 1,
        kmClass = 2,
        kmRoutine = 4,
        kmArray = 8,
        kmProperty = 16,
        kmParameter = 32,
    };
    bool HasKindMark(TKindMark Mark) const { return (FKindMarks & Mark) != 0; }

protected:
    void AddKindMark(TKindMark Mark) { FKindMarks = static_cast<uint8_t>(FKindMarks | Mark); }

    // Records a use of Found at Info (wrong case when Name differs from the
    // declared name) when AddReference is set.
    static void RecordUse(TqlSymbol* Found, const std::string& Name, bool AddReference,
                          const TqlUsedByInfo& Info);
    // Adds a finding about this symbol to the project's message list, once.
    void ReportFinding(const std::string& Text);

    TqlSymbol* FType = nullptr;
    TqlTypeKind FTypeKind;

private:
    // The small fields sit together: the model holds a great many symbols.
    bool FPointerType = false;
    TVisibilityKind FVisibility;
    bool FFindingReported = false;
    uint8_t FKindMarks = 0;
    std::string FName;
    // Only pointer types have a target name: kept apart, nil until set.
    std::unique_ptr<std::string> FPointerTypeName;
    TqlSymbol* FPredefinedArrayType = nullptr;
    std::unique_ptr<TqlUsedByList> FUsedBy;
    uint64_t FSerial;
};

// A symbol that holds others, with one name index over all its members.
class TqlSymbolContainer : public TqlSymbol {
public:
    TqlSymbolContainer(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X,
                       int Y);
    ~TqlSymbolContainer() override;

    using TqlSymbol::FindSymbol;
    TqlSymbol* FindSymbol(TqlUnit* Unit, TqlClass* Class, const std::string& Name,
                          bool AddReference, const TqlUsedByInfo& Info) override;

    void AddSymbol(TqlSymbol* Symbol);
    // In the order of the name index.
    TqlSymbol* GetSymbol(int Index) const;
    int GetSymbolCount() const;
    TqlHashedObjectList* GetSymbols() { return FSymbols.get(); }

protected:
    // After AddSymbol has put Symbol into the name index.
    virtual void SymbolAdded(TqlSymbol*) {}

    std::unique_ptr<TqlHashedObjectList> FSymbols;
};

class TqlSymbolList;

class TqlEnumerationMemberContainer : public TqlSymbolContainer {
public:
    using TqlSymbolContainer::TqlSymbolContainer;
    bool TypeRequired() override { return true; }
    virtual TqlSymbolList* GetItems() = 0;
};

class TqlEnumeration : public TqlEnumerationMemberContainer {
public:
    TqlEnumeration(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X, int Y);
    ~TqlEnumeration() override;
    TqlTypeKind GetTypeKind() override { return tkEnum; }
    TqlSymbolList* GetItems() override;

private:
    std::unique_ptr<TqlSymbolList> FItems;
};

class TqlSet : public TqlEnumerationMemberContainer {
public:
    TqlSet(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X, int Y);
    ~TqlSet() override;
    TqlTypeKind GetTypeKind() override { return tkSet; }
    // The enumeration's items when the set is of one, else its own (created
    // on first request).
    TqlSymbolList* GetItems() override;
    TqlEnumeration* GetEnumeration() const { return FEnumeration; }
    // Allowed while the set has no items of its own.
    void SetEnumeration(TqlEnumeration* Value);

private:
    std::unique_ptr<TqlSymbolList> FItems;
    TqlEnumeration* FEnumeration = nullptr;
};

class TqlVariablesList;
class TqlTypesList;
class TqlRecordsList;
class TqlPropertyList;
class TqlClassList;
class TqlObjectList;
class TqlInterfaceList;
class TqlParameterList;
class TqlRoutineList;
class TqlEnumerationList;
class TqlSetList;
class TqlArrayList;
class TqlLabelsList;

// A container of declarations: thirteen lists, each created on first request.
class TqlVarContainer : public TqlSymbolContainer {
public:
    TqlVarContainer(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X,
                    int Y);
    ~TqlVarContainer() override;

    TqlEnumerationList* GetEnumerations();
    TqlArrayList* GetArrays();
    TqlVariablesList* GetConstants();
    TqlLabelsList* GetLabels();
    TqlRecordsList* GetRecords();
    TqlSetList* GetSets();
    TqlTypesList* GetTypes();
    TqlVariablesList* GetVariables();
    TqlOwnedClassList* GetClasses();
    TqlOwnedObjectList* GetObjects();
    TqlOwnedInterfaceList* GetInterfaces();
    TqlRoutineList* GetRoutines();

    // Enters PointerType under its PointerTypeName.
    void AddForwardPointerType(TqlSymbol* PointerType);
    TqlSymbol* FindForwardPointerType(const std::string& Name);

private:
    std::unique_ptr<TqlEnumerationList> FEnumerations;
    std::unique_ptr<TqlArrayList> FArrays;
    std::unique_ptr<TqlVariablesList> FConstants;
    std::unique_ptr<TqlLabelsList> FLabels;
    std::unique_ptr<TqlRecordsList> FRecords;
    std::unique_ptr<TqlSetList> FSets;
    std::unique_ptr<TqlHashedObjectList> FForwardPointerTypes;
    std::unique_ptr<TqlVariablesList> FVariables;
    std::unique_ptr<TqlOwnedClassList> FClasses;
    std::unique_ptr<TqlOwnedObjectList> FObjects;
    std::unique_ptr<TqlOwnedInterfaceList> FInterfaces;
    std::unique_ptr<TqlRoutineList> FRoutines;
    // Declared last so that it goes first: the typed lists above only refer
    // to what the types list owns.
    std::unique_ptr<TqlTypesList> FTypes;
};

class TqlRecord : public TqlVarContainer {
public:
    TqlRecord(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X, int Y);
    ~TqlRecord() override;
    TqlSymbol* GetTypeIntf() override { return this; }
    void SetTypeIntf(TqlSymbol* Symbol) override;
    TqlTypeKind GetTypeKind() override { return tkRecord; }
    bool TypeRequired() override { return true; }
    TqlVariablesList* GetFieldList() { return FFieldList.get(); }

private:
    std::unique_ptr<TqlVariablesList> FFieldList;
};

class TqlClass : public TqlVarContainer {
public:
    struct TVisibilitySpecifier {
        int32_t Line;
        TVisibilityKind Visibility;
    };

    TqlClass(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X, int Y);
    ~TqlClass() override;

    TqlSymbol* GetTypeIntf() override { return this; }
    void SetTypeIntf(TqlSymbol* Symbol) override;
    TqlTypeKind GetTypeKind() override { return tkClass; }
    bool TypeRequired() override { return true; }
    using TqlSymbol::FindSymbol;
    // Own members, then the ancestors', with the visibility rules.
    TqlSymbol* FindSymbol(TqlUnit* Unit, TqlClass* Class, const std::string& Name,
                          bool AddReference, const TqlUsedByInfo& Info) override;
    virtual TVisibilityKind GetDefaultVisibility() { return vkPublished; }

    // The classes that name this class as ancestor (not owned).
    TqlList* GetDescendants() { return FDescendants.get(); }
    TqlVariablesList* GetFieldList() { return GetVariables(); }
    TqlClass* GetInheritsFromClass() const { return FInheritsFromClass; }
    // Takes effect once. An ancestor that would make the class its own
    // ancestor is refused with a finding.
    void SetInheritsFromClass(TqlClass* Value);
    TqlPropertyList* GetProperties() { return FProperties.get(); }
    // The class's own default property, else the nearest ancestor's.
    TqlProperty* GetDefaultProperty();
    void SetDefaultProperty(TqlProperty* Value) { FDefaultProperty = Value; }

    void AddVisibilitySpecifier(int Line, TVisibilityKind Visibility);
    int GetVisibilitySpecifierCount() const { return static_cast<int>(FVisibilitySpecifiers.size()); }
    int GetVisibilitySpecifierLine(int Index) const;
    TVisibilityKind GetVisibilitySpecifierVisibility(int Index) const;

    // A new non-owning list (the caller's) of the fields, then routines, then
    // properties whose visibility is in Visibilities.
    void GetMembersWithVisibility(std::unique_ptr<TqlSymbolList>& List,
                                  TVisibilityKindSet Visibilities);
    // Class lies among the descendants, at any depth.
    bool IsDescendant(TqlClass* Class);
    // Some implemented interface has a member of that name.
    bool IsSymbolFromInterface(const std::string& Name);

private:
    struct TSeenClasses;
    bool IsDescendantWalk(TqlClass* Class, TSeenClasses& Seen);
    // The class at the end of this class's chain of ancestors.
    TqlClass* ChainTop();

    TqlProperty* FDefaultProperty = nullptr;
    std::unique_ptr<TqlList> FDescendants;
    TqlClass* FInheritsFromClass = nullptr;
    // Some class further up the chain of ancestors, nil at its end: a
    // shortcut for ChainTop, kept short as it is walked.
    TqlClass* FChainTop = nullptr;
    std::unique_ptr<TqlPropertyList> FProperties;
    std::vector<TVisibilitySpecifier> FVisibilitySpecifiers;
    bool FInLookup = false;
};

class TqlObject : public TqlClass {
public:
    using TqlClass::TqlClass;
    TqlTypeKind GetTypeKind() override { return tkObject; }
    TVisibilityKind GetDefaultVisibility() override { return vkPublic; }
};

class TqlInterface : public TqlClass {
public:
    using TqlClass::TqlClass;
    TqlTypeKind GetTypeKind() override { return tkInterface; }
    TVisibilityKind GetDefaultVisibility() override { return vkPublic; }
    const std::string& GetGUID() const { return FGUID; }
    void SetGUID(const std::string& Value) { FGUID = Value; }
    bool GetIsDispatchInterface() const { return FIsDispatchInterface; }
    void SetIsDispatchInterface(bool Value) { FIsDispatchInterface = Value; }

private:
    std::string FGUID;
    bool FIsDispatchInterface = false;
};

class TqlParameterList;

class TqlRoutine : public TqlVarContainer {
public:
    TqlRoutine(TqlRoutineList* RoutineList, const std::string& Name, TVisibilityKind Visibility,
               TRoutineKind RoutineKind, int FileIndex, int X, int Y);
    ~TqlRoutine() override;

    // The return variable's type; nil without one.
    TqlSymbol* GetTypeIntf() override;
    bool TypeRequired() override { return FRoutineKind == rkFunction; }

    void AddDirective(TRoutineDirective Directive) { FDirectives.Include(Directive); }
    TRoutineDirectives GetDirectives() const { return FDirectives; }
    int GetImplStartX() const { return FImplStartX; }
    int GetImplStartY() const { return FImplStartY; }
    int GetImplEndX() const { return FImplEndX; }
    int GetImplEndY() const { return FImplEndY; }
    void SetImplStartX(int Value) { FImplStartX = Value; }
    void SetImplStartY(int Value) { FImplStartY = Value; }
    void SetImplEndX(int Value) { FImplEndX = Value; }
    void SetImplEndY(int Value) { FImplEndY = Value; }
    TqlParameterList* GetParameters() { return FParameters.get(); }
    TqlVariable* GetReturnType() const { return FReturnType.get(); }
    // Takes ownership.
    void SetReturnType(TqlVariable* Value);
    TRoutineKind GetRoutineKind() const { return FRoutineKind; }
    TqlRoutineList* GetRoutineList() const { return FRoutineList; }
    TqlVariable* GetRoutineType() const { return FRoutineType.get(); }
    // Takes ownership.
    void SetRoutineType(TqlVariable* Value);
    // A property of the unit's form names the routine.
    bool GetIsUsedFromDFM();

private:
    TRoutineDirectives FDirectives;
    int FImplEndX = 0;
    int FImplEndY = 0;
    int FImplStartX = 0;
    int FImplStartY = 0;
    std::unique_ptr<TqlParameterList> FParameters;
    std::unique_ptr<TqlVariable> FReturnType;
    TRoutineKind FRoutineKind;
    TqlRoutineList* FRoutineList;
    std::unique_ptr<TqlVariable> FRoutineType;
};

class TqlUsedUnitList;

class TqlUnit : public TqlVarContainer {
public:
    TqlUnit(int FileIndex, const std::string& Name);
    ~TqlUnit() override;

    bool TypeRequired() override { return false; }
    using TqlSymbol::FindSymbol;
    // The unit's own declarations; implementation-section ones only from
    // within the unit itself.
    TqlSymbol* FindSymbol(TqlUnit* Unit, TqlClass* Class, const std::string& Name,
                          bool AddReference, const TqlUsedByInfo& Info) override;
    // The unit's declarations, then those of its used units, last first.
    TqlSymbol* FindReferencedSymbol(TqlClass* Class, const std::string& Name, bool AddReference,
                                    const TqlUsedByInfo& Info);

    TqlCodingErrorsList* GetCodingErrorsList() { return FCodingErrorsList.get(); }
    TqlDFMResource* GetDFMResource() { return FDFMResource.get(); }
    int GetImplementationLine() const { return FImplementationLine; }
    void SetImplementationLine(int Value) { FImplementationLine = Value; }
    int GetInterfaceLine() const { return FInterfaceLine; }
    void SetInterfaceLine(int Value) { FInterfaceLine = Value; }
    TqlSymbolList* GetStringLiterals() { return FStringLiterals.get(); }
    TDirectoryType GetUnitType() const { return FUnitType; }
    void SetUnitType(TDirectoryType Value) { FUnitType = Value; }
    // Every use whose file belongs to this unit (not owned).
    TqlList* GetUsedByLocations() { return FUsedByLocations.get(); }
    TqlUsedUnitList* GetUsedUnits() { return FUsedUnits.get(); }
    // The unit's line counts; zeros until the analysis fills them.
    TqlCodeStatistics& GetCodeStatistics() { return FCodeStatistics; }

    // Found on the library path, or not parsed to the end.
    bool IsLibraryUnit() const;
    std::string GetFullFileName() const;
    void LoadFormResource(const std::string& FileName) { FormResource = FileName; }

    std::string FormResource;
    TParserState ParserState = psrNone;
    TqlUnitWarningSet Warnings;
    // Lines of the unit's own file up to where its parse ended (0 while it
    // has not been parsed).
    int AnalysedLines = 0;
    // The unit was analysed to its end: its full parse ran through with no
    // syntax problem, every include file it names was read, and so was its
    // form file.
    bool AnalysedToEnd = false;

    // Names (of identifiers, members, form values) that the analysis of
    // this unit left unresolved, kept upper-cased.
    void AddUnresolvedName(const std::string& Name);
    const std::unordered_set<std::string>& GetUnresolvedNames() const { return FUnresolvedNames; }

    // The project-wide index of which units declare a name (not owned; nil
    // for a unit outside a project). The unit joins it when it is set; each
    // declaration added later is passed on to it.
    void SetNameIndex(TqlUnitNameIndex* Index);
    TqlUnitNameIndex* GetNameIndex() const { return FNameIndex; }

protected:
    void SymbolAdded(TqlSymbol* Symbol) override;

private:
    TqlUnitNameIndex* FNameIndex = nullptr;
    std::unique_ptr<TqlCodingErrorsList> FCodingErrorsList;
    std::unique_ptr<TqlDFMResource> FDFMResource;
    int FImplementationLine = 0;
    int FInterfaceLine = 0;
    std::unique_ptr<TqlSymbolList> FStringLiterals;
    std::unique_ptr<TqlUsedUnitList> FUsedUnits;
    TDirectoryType FUnitType = dtProject;
    std::unique_ptr<TqlList> FUsedByLocations;
    TqlCodeStatistics FCodeStatistics;
    std::unordered_set<std::string> FUnresolvedNames;
};

class TqlType : public TqlSymbol {
public:
    TqlType(const std::string& Name, TqlTypeKind TypeKind, TVisibilityKind Visibility,
            int FileIndex, int X, int Y, bool TypeRequired);
    // The named type (may be nil).
    TqlSymbol* GetTypeIntf() override { return FType; }
    void SetTypeIntf(TqlSymbol* Symbol) override { FType = Symbol; }
    bool TypeRequired() override { return FTypeRequired; }

private:
    bool FTypeRequired;
};

class TqlArray : public TqlType {
public:
    TqlArray(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X, int Y);
    ~TqlArray() override;
    TqlSymbol* GetTypeIntf() override { return FArrayType; }
    bool TypeRequired() override { return true; }
    TqlSymbol* GetArrayType() const { return FArrayType; }
    // Takes effect once.
    void SetArrayType(TqlSymbol* Value);
    void AddDimension(TqlSymbol* Symbol);
    int GetDimensionCount() const;
    TqlSymbol* GetDimensions(int Index) const;

private:
    TqlSymbol* FArrayType = nullptr;
    std::unique_ptr<TqlList> FDimensions;
};

class TqlVariable : public TqlSymbol {
public:
    TqlVariable(const std::string& Name, TVisibilityKind Visibility, bool IsConst, int FileIndex,
                int X, int Y);
    TqlSymbol* GetTypeIntf() override { return FType; }
    void SetTypeIntf(TqlSymbol* Symbol) override { FType = Symbol; }
    bool TypeRequired() override { return !FIsConst; }
    bool GetIsConst() const { return FIsConst; }
    bool GetIsThreadVar() const { return FIsThreadVar; }
    void SetIsThreadVar(bool Value) { FIsThreadVar = Value; }

private:
    bool FIsConst;
    bool FIsThreadVar = false;
};

class TqlProperty : public TqlVariable {
public:
    TqlProperty(const std::string& Name, TVisibilityKind Visibility, TqlClass* OwnerClass,
                int FileIndex, int X, int Y);
    bool GetDefaultProperty() const { return FDefaultProperty; }
    // When true, also makes this the owner class's default property.
    void SetDefaultProperty(bool Value);
    bool GetIsArrayProperty() const { return FIsArrayProperty; }
    void SetIsArrayProperty(bool Value) { FIsArrayProperty = Value; }
    TqlClass* GetOwnerClass() const { return FOwnerClass; }
    TqlSymbol* GetReadAccess() const { return FReadAccess; }
    void SetReadAccess(TqlSymbol* Value) { FReadAccess = Value; }
    TqlSymbol* GetWriteAccess() const { return FWriteAccess; }
    void SetWriteAccess(TqlSymbol* Value) { FWriteAccess = Value; }

private:
    bool FDefaultProperty = false;
    bool FIsArrayProperty = false;
    TqlClass* FOwnerClass;
    TqlSymbol* FReadAccess = nullptr;
    TqlSymbol* FWriteAccess = nullptr;
};

class TqlLabel : public TqlSymbol {
public:
    TqlLabel(const std::string& Name, bool IsIntLabel, int FileIndex, int X, int Y);
    bool TypeRequired() override { return false; }
    bool GetIsIntLabel() const { return FIsIntLabel; }

private:
    bool FIsIntLabel;
};

class TqlParameter : public TqlSymbol {
public:
    TqlParameter(const std::string& Name, TParamKind ParamKind, int FileIndex, int X, int Y);
    TqlSymbol* GetTypeIntf() override { return FType; }
    bool TypeRequired() override { return !FUntypedParameter; }
    TParamKind GetParamKind() const { return FParamKind; }
    TqlSymbol* GetParamType() const { return FType; }
    void SetParamType(TqlSymbol* Value) { FType = Value; }
    bool GetUntypedParameter() const { return FUntypedParameter; }
    void SetUntypedParameter(bool Value) { FUntypedParameter = Value; }
    // The routine assigns the parameter, passes it to a var or out
    // parameter, or takes its address.
    bool GetIsModified() const { return FIsModified; }
    void SetIsModified(bool Value) { FIsModified = Value; }

private:
    TParamKind FParamKind;
    bool FUntypedParameter = false;
    bool FIsModified = false;
};

// The symbol as the given kind when it is one (its kind mark is set), else
// nil; the same answer as a dynamic_cast, without the cast.
template <class T, TqlSymbol::TKindMark Mark>
T* qlSymbolAs(TqlSymbol* S)
{
    return S && S->HasKindMark(Mark) ? static_cast<T*>(S) : nullptr;
}
inline TqlSymbolContainer* qlAsContainer(TqlSymbol* S) { return qlSymbolAs<TqlSymbolContainer, TqlSymbol::kmContainer>(S); }
inline TqlClass* qlAsClass(TqlSymbol* S) { return qlSymbolAs<TqlClass, TqlSymbol::kmClass>(S); }
inline TqlRoutine* qlAsRoutine(TqlSymbol* S) { return qlSymbolAs<TqlRoutine, TqlSymbol::kmRoutine>(S); }
inline TqlArray* qlAsArray(TqlSymbol* S) { return qlSymbolAs<TqlArray, TqlSymbol::kmArray>(S); }
inline TqlProperty* qlAsProperty(TqlSymbol* S) { return qlSymbolAs<TqlProperty, TqlSymbol::kmProperty>(S); }
inline TqlParameter* qlAsParameter(TqlSymbol* S) { return qlSymbolAs<TqlParameter, TqlSymbol::kmParameter>(S); }

// ---------------------------------------------------------------------------
// Lists
// ---------------------------------------------------------------------------

// A list with a name index and a name-sorted view built on demand.
class TqlListSorted : public TqlList {
public:
    explicit TqlListSorted(bool OwnsObjects) : TqlList(OwnsObjects) {}
    ~TqlListSorted() override;
    void Clear() override;
    void DoItemAdded(const std::string& Name, TqlBase* Object);
    TqlBase* Find(const std::string& Name);
    TqlBase* GetSortedItem(int Index);

private:
    std::unique_ptr<TqlHashedObjectList> FIndex;
    std::unique_ptr<std::vector<std::pair<std::string, TqlBase*>>> FSorted;
};

// A list of declarations of one container.
class TqlContainerList : public TqlList {
public:
    TqlContainerList(TqlVarContainer* Container, bool OwnsObjects)
        : TqlList(OwnsObjects), FContainer(Container)
    {
    }
    TqlVarContainer* GetContainer() const { return FContainer; }

private:
    TqlVarContainer* FContainer;
};

class TqlContainerListSorted : public TqlContainerList {
public:
    TqlContainerListSorted(TqlVarContainer* Container, bool OwnsObjects)
        : TqlContainerList(Container, OwnsObjects)
    {
    }
    ~TqlContainerListSorted() override;
    void Clear() override;
    // List, own name index, drop the view.
    void InternalSymbolAdded(TqlSymbol* Symbol);
    // InternalSymbolAdded, then the container's name index.
    virtual void DoSymbolAdded(TqlSymbol* Symbol);
    // InternalSymbolAdded, then the container's Types list (which owns it).
    void DoTypeAdded(TqlSymbol* Symbol);
    TqlSymbol* Find(const std::string& Name);
    TqlSymbol* GetSortedItem(int Index);

private:
    std::unique_ptr<TqlHashedObjectList> FIndex;
    std::unique_ptr<std::vector<std::pair<std::string, TqlBase*>>> FSorted;
};

class TqlSymbolList : public TqlList {
public:
    explicit TqlSymbolList(bool OwnsObjects);
    ~TqlSymbolList() override;
    void Clear() override;
    int AddSymbol(TqlSymbol* Symbol);
    TqlSymbol* AddSymbol(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X,
                         int Y);
    TqlSymbol* Find(const std::string& Name);
    TqlSymbol* GetSymbol(int Index) const { return ItemAs<TqlSymbol>(Index); }
    // In the order of the name index.
    TqlSymbol* GetSortedSymbols(int Index);

private:
    std::unique_ptr<TqlHashedObjectList> FIndex;
};

class TqlUsedUnit : public TqlBase {
public:
    explicit TqlUsedUnit(TqlUnit* Unit);
    ~TqlUsedUnit() override;
    TqlUnit* GetUnit() const { return FUnit; }
    TqlUsedByList* GetUsedBy() { return FUsedBy.get(); }

private:
    TqlUnit* FUnit;
    std::unique_ptr<TqlUsedByList> FUsedBy;
};

class TqlUsedUnitList : public TqlListSorted {
public:
    TqlUsedUnitList() : TqlListSorted(true) {}
    int AddUsedUnit(TqlUsedUnit* UsedUnit);
    TqlUsedUnit* FindUsedUnit(const std::string& Name);
    TqlUsedUnit* GetUsedUnit(int Index) const { return ItemAs<TqlUsedUnit>(Index); }
    TqlUsedUnit* GetSortedUsedUnit(int Index);
};

// The project's units; the position of a unit is its unit index.
class TqlUnitList : public TqlListSorted {
public:
    TqlUnitList() : TqlListSorted(true) {}
    int AddUnit(TqlUnit* Unit);
    TqlUnit* FindUnit(const std::string& Name);
    TqlUnit* GetUnits(int Index) const { return ItemAs<TqlUnit>(Index); }
    TqlUnit* GetSortedUnits(int Index);
};

class TqlVariablesList : public TqlContainerListSorted {
public:
    explicit TqlVariablesList(TqlVarContainer* Container) : TqlContainerListSorted(Container, true) {}
    TqlVariable* AddVariable(const std::string& Name, TVisibilityKind Visibility, bool IsConst,
                             int FileIndex, int X, int Y);
    TqlVariable* Find(const std::string& Name);
    TqlVariable* GetVariables(int Index) const { return ItemAs<TqlVariable>(Index); }
    TqlVariable* GetSortedVariables(int Index);
};

class TqlTypesList : public TqlContainerListSorted {
public:
    explicit TqlTypesList(TqlVarContainer* Container) : TqlContainerListSorted(Container, true) {}
    TqlType* AddType(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X,
                     int Y, bool TypeRequired);
    void AddType(TqlSymbol* Symbol);
    // Also completes a forward pointer type waiting for this name.
    void DoSymbolAdded(TqlSymbol* Symbol) override;
    TqlSymbol* GetTypes(int Index) const { return ItemAs<TqlSymbol>(Index); }
    TqlSymbol* GetSortedTypes(int Index) { return GetSortedItem(Index); }
};

class TqlRecordsList : public TqlContainerListSorted {
public:
    explicit TqlRecordsList(TqlVarContainer* Container) : TqlContainerListSorted(Container, false) {}
    TqlRecord* AddRecord(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X,
                         int Y);
    TqlRecord* Find(const std::string& Name);
    TqlRecord* GetRecords(int Index) const { return ItemAs<TqlRecord>(Index); }
    TqlRecord* GetSortedRecords(int Index);
};

class TqlPropertyList : public TqlContainerListSorted {
public:
    explicit TqlPropertyList(TqlVarContainer* Container) : TqlContainerListSorted(Container, true) {}
    TqlProperty* AddProperty(const std::string& Name, TVisibilityKind Visibility,
                             TqlClass* OwnerClass, int FileIndex, int X, int Y);
    TqlProperty* Find(const std::string& Name);
    TqlProperty* GetProperties(int Index) const { return ItemAs<TqlProperty>(Index); }
    TqlProperty* GetSortedProperties(int Index);
};

class TqlClassList : public TqlContainerListSorted {
public:
    explicit TqlClassList(TqlVarContainer* Container, bool OwnsObjects = true)
        : TqlContainerListSorted(Container, OwnsObjects)
    {
    }
    // Slot 3: a new class, added through slot 4.
    virtual TqlClass* AddClass(const std::string& Name, TVisibilityKind Visibility, int FileIndex,
                               int X, int Y);
    // Slot 4.
    virtual void AddClass(TqlClass* Class);
    TqlClass* Find(const std::string& Name);
    TqlClass* GetClasses(int Index) const { return ItemAs<TqlClass>(Index); }
    TqlClass* GetSortedClasses(int Index);
};

// Classes that the container's Types list owns.
class TqlOwnedClassList : public TqlClassList {
public:
    explicit TqlOwnedClassList(TqlVarContainer* Container) : TqlClassList(Container, false) {}
    using TqlClassList::AddClass;
    void AddClass(TqlClass* Class) override;
};

class TqlObjectList : public TqlClassList {
public:
    explicit TqlObjectList(TqlVarContainer* Container) : TqlClassList(Container, true) {}
    using TqlClassList::AddClass;
    TqlClass* AddClass(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X,
                       int Y) override;
};

class TqlOwnedObjectList : public TqlOwnedClassList {
public:
    explicit TqlOwnedObjectList(TqlVarContainer* Container) : TqlOwnedClassList(Container) {}
    using TqlOwnedClassList::AddClass;
    TqlClass* AddClass(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X,
                       int Y) override;
};

class TqlInterfaceList : public TqlContainerListSorted {
public:
    explicit TqlInterfaceList(TqlVarContainer* Container, bool OwnsObjects = true)
        : TqlContainerListSorted(Container, OwnsObjects)
    {
    }
    TqlInterface* AddInterface(const std::string& Name, TVisibilityKind Visibility, int FileIndex,
                               int X, int Y);
    // Slot 3.
    virtual void AddInterface(TqlInterface* Interface);
    TqlInterface* Find(const std::string& Name);
    TqlInterface* GetInterfaces(int Index) const { return ItemAs<TqlInterface>(Index); }
    TqlInterface* GetSortedInterfaces(int Index);
};

// Interfaces that the container's Types list owns; also the interfaces a
// class implements (entered with InternalSymbolAdded alone).
class TqlOwnedInterfaceList : public TqlInterfaceList {
public:
    explicit TqlOwnedInterfaceList(TqlVarContainer* Container) : TqlInterfaceList(Container, false) {}
    using TqlInterfaceList::AddInterface;
    void AddInterface(TqlInterface* Interface) override;
};

class TqlParameterList : public TqlContainerListSorted {
public:
    explicit TqlParameterList(TqlVarContainer* Container) : TqlContainerListSorted(Container, true) {}
    TqlParameter* AddParameter(const std::string& Name, TParamKind ParamKind, int FileIndex, int X,
                               int Y);
    TqlParameter* Find(const std::string& Name);
    TqlParameter* GetParameters(int Index) const { return ItemAs<TqlParameter>(Index); }
};

class TqlRoutineList : public TqlContainerListSorted {
public:
    explicit TqlRoutineList(TqlVarContainer* Container) : TqlContainerListSorted(Container, true) {}
    TqlRoutine* AddRoutine(const std::string& Name, TVisibilityKind Visibility,
                           TRoutineKind RoutineKind, int FileIndex, int X, int Y);
    TqlRoutine* Find(const std::string& Name);
    TqlRoutine* GetRoutine(int Index) const { return ItemAs<TqlRoutine>(Index); }
    TqlRoutine* GetSortedRoutines(int Index);
};

class TqlEnumerationList : public TqlContainerList {
public:
    explicit TqlEnumerationList(TqlVarContainer* Container) : TqlContainerList(Container, false) {}
    TqlEnumeration* AddItem(const std::string& Name, TVisibilityKind Visibility, int FileIndex,
                            int X, int Y);
    void AddItem(TqlEnumeration* Enumeration);
    TqlEnumeration* GetEnumeration(int Index) const { return ItemAs<TqlEnumeration>(Index); }
};

class TqlSetList : public TqlContainerList {
public:
    explicit TqlSetList(TqlVarContainer* Container) : TqlContainerList(Container, false) {}
    TqlSet* AddItem(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X,
                    int Y);
    void AddItem(TqlSet* Set);
    TqlSet* GetSet(int Index) const { return ItemAs<TqlSet>(Index); }
};

class TqlArrayList : public TqlContainerList {
public:
    explicit TqlArrayList(TqlVarContainer* Container) : TqlContainerList(Container, false) {}
    TqlArray* AddArray(const std::string& Name, TVisibilityKind Visibility, int FileIndex, int X,
                       int Y);
    TqlArray* GetArray(int Index) const { return ItemAs<TqlArray>(Index); }
};

class TqlLabelsList : public TqlList {
public:
    TqlLabelsList() : TqlList(true) {}
    TqlLabel* AddLabel(const std::string& Name, bool IsIntLabel, int FileIndex, int X, int Y);
    TqlLabel* GetLabels(int Index) const { return ItemAs<TqlLabel>(Index); }
};

// ---------------------------------------------------------------------------
// Form files
// ---------------------------------------------------------------------------

// A malformed form file or a form text the reader cannot follow.
class EParserError : public Exception {
public:
    explicit EParserError(const std::string& Msg) : Exception(Msg) {}
};

class TqlComponentProperty : public TqlBase {
public:
    explicit TqlComponentProperty(const std::string& Name) : FName(Name) {}
    const std::string& GetName() const { return FName; }
    const Variant& GetValue() const { return FValue; }
    void SetValue(const Variant& Value) { FValue = Value; }
    TDFMPropType GetValueType() const { return FValueType; }
    void SetValueType(TDFMPropType Value) { FValueType = Value; }

private:
    std::string FName;
    Variant FValue;
    TDFMPropType FValueType = dptString;
};

class TqlComponentPropertiesList : public TqlBase {
public:
    TqlComponentProperty* AddProperty(const std::string& Name);
    void AddIdentifierName(const std::string& Identifier, TqlComponentProperty* Property);
    bool HasProperty(const std::string& Name);
    bool HasWithIdentifier(const std::string& Identifier);
    int GetCount() const { return FProperties.GetCount(); }
    TqlComponentProperty* GetProperties(int Index) const
    {
        return static_cast<TqlComponentProperty*>(FProperties.GetItem(Index));
    }

private:
    TqlList FProperties{true};
    TqlHashedObjectList FNames;
    TqlHashedObjectList FIdentifiers;
};

class TqlComponent;

class TqlComponentList : public TqlList {
public:
    TqlComponentList() : TqlList(true) {}
    TqlComponent* AddComponent(const std::string& Name, const std::string& ClassName);
    TqlComponent* GetComponents(int Index) const;
};

class TqlComponent : public TqlBase {
public:
    TqlComponent(const std::string& Name, const std::string& ClassName);
    const std::string& GetName() const { return FName; }
    const std::string& GetCClassName() const { return FClassName; }
    TqlComponentList* GetChildComponents() { return &FChildComponents; }
    bool GetIsInherited() const { return FIsInherited; }
    void SetIsInherited(bool Value) { FIsInherited = Value; }
    bool GetIsInline() const { return FIsInline; }
    void SetIsInline(bool Value) { FIsInline = Value; }
    int GetPosition() const { return FPosition; }
    void SetPosition(int Value) { FPosition = Value; }
    TqlComponentPropertiesList* GetProperties() { return &FProperties; }
    // Own properties, then those of each direct child.
    bool HasProperty(const std::string& Name);
    // Own properties, then each child at any depth.
    bool HasPropertyWithIdentifier(const std::string& Identifier);

private:
    TqlComponentList FChildComponents;
    std::string FClassName;
    bool FIsInherited = false;
    bool FIsInline = false;
    std::string FName;
    int FPosition = -1;
    TqlComponentPropertiesList FProperties;
};

// A unit's form: its component tree, read from a binary or text form file.
class TqlDFMResource : public TqlBase {
public:
    // Nesting of object blocks and value lists the reader follows.
    static constexpr int MaxNesting = 200;

    // Enters the file in the project's file list and, when it exists, reads
    // it. Malformed files raise EParserError.
    void ReadResource(TqlUnit* Unit, const std::string& FileName);
    // Reads a form, binary or text, from Stream.
    void ReadStream(TqlUnit* Unit, std::istream& Stream);
    // Reads form text from Stream into this model.
    void ReadDFM(TqlUnit* Unit, std::istream& Stream);
    // The stream starts with the binary resource header FF 0A 00. Raises
    // "Unable to read from stream." for fewer than 3 bytes.
    static bool IsBinary(std::istream& Stream);

    TqlComponentList* GetComponents() { return &FComponents; }
    const std::string& GetFileName() const { return FFileName; }
    int GetFileIndex() const { return FFileIndex; }
    int GetUnitIndex() const { return FUnitIndex; }
    void SetUnitIndex(int Value) { FUnitIndex = Value; }
    // A top-level component or one of its direct children has the property.
    bool HasProperty(const std::string& Name);
    // Any component at any depth has a property with that identifier value.
    bool HasPropertyWithIdentifier(const std::string& Identifier);

private:
    TqlComponentList FComponents;
    int FFileIndex = -1;
    std::string FFileName;
    int FUnitIndex = -1;
};

// Converts a binary form (with or without its resource header) to the text
// form. Raises EParserError for truncated or malformed data.
std::string qlObjectBinaryToText(const std::string& Binary);
