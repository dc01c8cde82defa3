// The symbols of the code model: plain symbols, containers, records,
// classes, routines, units, types, variables, properties, labels and
// parameters, and the kind tests that replace casts on the lookup paths.
#pragma once

#include "model/uqlLocations.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

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
    // A symbol's end: where its declaration ends; it moves with X and Y.
    int GetEndX() const override { return FEndX; }
    int GetEndY() const override { return FEndY; }
    void SetX(int Value) override;
    void SetY(int Value) override;
    void SetEndX(int Value) { FEndX = Value; }
    void SetEndY(int Value) { FEndY = Value; }
    bool GetPointerType() const { return FPointerType; }
    void SetPointerType(bool Value) { FPointerType = Value; }
    const std::string& GetPointerTypeName() const;
    void SetPointerTypeName(const std::string& Value);
    TqlSymbol* GetPredefinedArrayType() const { return FExtras ? FExtras->PredefinedArrayType : nullptr; }
    void SetPredefinedArrayType(TqlSymbol* Value);
    // The type name a declaration wrote where the type was not found (of an
    // open array parameter: its element type's name); "" otherwise. Two
    // declarations of unknown types are told apart by it.
    const std::string& GetWrittenTypeName() const;
    void SetWrittenTypeName(const std::string& Value);
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
    // declarations came last: the count goes round after 2^32 symbols, so
    // two serials compare by their distance (the symbols of one analysis are
    // far fewer than 2^31).
    uint32_t GetSerial() const { return FSerial; }
    bool CreatedAfter(const TqlSymbol* Other) const
    {
        return static_cast<int32_t>(FSerial - Other->FSerial) > 0;
    }

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
    // The same name written in another case (the name indexes hash names
    // without regard to case, so the symbol keeps its place in them).
    void SetNameCase(const std::string& Name);

    // The small fields come first and fill the four bytes that end the
    // location: the model holds a great many symbols.
    TqlTypeKind FTypeKind;

private:
    TVisibilityKind FVisibility;
    uint8_t FKindMarks = 0;
    bool FPointerType : 1 = false;
    bool FFindingReported : 1 = false;

protected:
    TqlSymbol* FType = nullptr;

private:
    std::string FName;
    // What few symbols have (a pointer type's target name, the array type a
    // declaration brings along) is kept apart: nil until one is set.
    struct TExtras {
        std::string PointerTypeName;
        TqlSymbol* PredefinedArrayType = nullptr;
        std::string WrittenTypeName;
    };
    std::unique_ptr<TExtras> FExtras;
    TExtras& Extras();
    std::unique_ptr<TqlUsedByList> FUsedBy;
    uint32_t FSerial;
    int FEndX;
    int FEndY;
    // The small fields of the kinds below follow in the four bytes after it.
};

// The name of an object that is a symbol, for the name indexes that read
// names from their symbols.
inline std::string_view qlSymbolName(const TqlBase* Symbol)
{
    return static_cast<const TqlSymbol*>(Symbol)->GetName();
}

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

    // Gives back the room the name index and the lists keep for growth,
    // once a parse of the container's declarations has ended.
    void TrimLists();

    // Enters PointerType under its PointerTypeName.
    void AddForwardPointerType(TqlSymbol* PointerType);
    TqlSymbol* FindForwardPointerType(const std::string& Name);

private:
    // Most containers (routines, mostly) hold none of the lists: they come
    // together, with the first list asked for.
    struct TLists : TqlPoolObject {
        std::unique_ptr<TqlEnumerationList> Enumerations;
        std::unique_ptr<TqlArrayList> Arrays;
        std::unique_ptr<TqlVariablesList> Constants;
        std::unique_ptr<TqlLabelsList> Labels;
        std::unique_ptr<TqlRecordsList> Records;
        std::unique_ptr<TqlSetList> Sets;
        std::unique_ptr<TqlHashedObjectList> ForwardPointerTypes;
        std::unique_ptr<TqlVariablesList> Variables;
        std::unique_ptr<TqlOwnedClassList> Classes;
        std::unique_ptr<TqlOwnedObjectList> Objects;
        std::unique_ptr<TqlOwnedInterfaceList> Interfaces;
        std::unique_ptr<TqlRoutineList> Routines;
        // Declared last so that it goes first: the typed lists above only
        // refer to what the types list owns.
        std::unique_ptr<TqlTypesList> Types;
        ~TLists();
    };
    TLists& Lists();
    template <class L>
    L* Lazy(std::unique_ptr<L> TLists::*List);

    std::unique_ptr<TLists> FLists;
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
    // Own members, then the ancestors', with the visibility rules. Final:
    // the walk up the ancestors takes FindMember.
    TqlSymbol* FindSymbol(TqlUnit* Unit, TqlClass* Class, const std::string& Name,
                          bool AddReference, const TqlUsedByInfo& Info) final;
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
    // A class that compares to Ancestor lies among this class's ancestors,
    // at any depth. Asks the one chain up from this class, not the whole
    // tree of Ancestor's descendants, which may hold thousands of classes.
    bool DescendsFrom(const TqlClass* Ancestor) const;
    // Some implemented interface has a member of that name.
    bool IsSymbolFromInterface(const std::string& Name);
    // The heritage names an ancestor the analysis did not find.
    bool GetAncestorUnknown() const { return FAncestorUnknown; }
    void SetAncestorUnknown(bool Value) { FAncestorUnknown = Value; }
    // Every ancestor is known: none up the chain names one the analysis did
    // not find.
    bool HasKnownAncestry() const;

private:
    // FindSymbol with the name's hash in the member indexes, taken once for
    // the whole chain of ancestors.
    TqlSymbol* FindMember(TqlUnit* Unit, TqlClass* Class, const std::string& Name, uint32_t Hash,
                          bool AddReference, const TqlUsedByInfo& Info);
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
    bool FAncestorUnknown = false;
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
    // The body holds an asm block (or is one): its instructions may take the
    // parameters from registers or pass them on unseen.
    bool GetHasAsmBlock() const { return FHasAsmBlock; }
    void SetHasAsmBlock(bool Value) { FHasAsmBlock = Value; }
    // A message handler's message, as the expression after "message" writes
    // it (a key of its words, 0 for no message): handlers of the same
    // message have the same key.
    uint32_t GetMessageKey() const { return FMessageKey; }
    void SetMessageKey(uint32_t Value) { FMessageKey = Value; }

private:
    TRoutineDirectives FDirectives;
    int FImplEndX = 0;
    int FImplEndY = 0;
    int FImplStartX = 0;
    int FImplStartY = 0;
    std::unique_ptr<TqlParameterList> FParameters;
    std::unique_ptr<TqlVariable> FReturnType;
    TRoutineKind FRoutineKind;
    bool FHasAsmBlock = false;
    uint32_t FMessageKey = 0;
    TqlRoutineList* FRoutineList;
    std::unique_ptr<TqlVariable> FRoutineType;
};

class TqlUsedUnitList;
class TqlParameter;

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
    // Every use whose file belongs to this unit, in order of recording (not
    // owned).
    TqlList* GetUsedByLocations();
    // Where the uses in this unit's files are carved; they go with the unit.
    TqlUseStore& GetUseStore() { return FUseStore; }
    // Gives back the room the store kept for more uses, once the unit's
    // files have been parsed.
    void TrimUses() { FUseStore.Trim(FListedUses); }
    // Enters a use made outside the store.
    void AddUsedByLocation(TqlUsedByLocation* Location);
    TqlUsedUnitList* GetUsedUnits() { return FUsedUnits.get(); }
    // The unit's line counts; zeros until the analysis fills them.
    TqlCodeStatistics& GetCodeStatistics() { return FCodeStatistics; }

    // Found on the library path, or not parsed to the end.
    bool IsLibraryUnit() const;
    std::string GetFullFileName() const;
    // Notes a form file the unit streams: the first is its own form
    // (FormResource), any other one joins FurtherFormResources.
    void LoadFormResource(const std::string& FileName);
    // The unit's forms: its own (GetDFMResource) first, then one for each
    // of FurtherFormResources that has been read.
    int GetFormCount() const { return 1 + static_cast<int>(FFurtherForms.size()); }
    TqlDFMResource* GetForms(int Index) const;
    TqlDFMResource* AddFurtherForm();
    // The unit's name as its heading writes it, when it differs from the
    // name it was added under only in case (a file named in lower case).
    void SetHeadingName(const std::string& Name);

    // The variables of the exception handlers of the unit's own blocks (a
    // main block, initialization): each is visible in its own handler only,
    // so none is a global; the unit owns them.
    TqlVariable* AddHandlerVariable(const std::string& Name, int FileIndex, int X, int Y);
    TqlSymbolList* GetHandlerVariables() { return FHandlerVariables.get(); }
    // The parameters named in procedural types (TEvent = procedure(Sender:
    // TObject)): declarations of no scope, which the unit owns.
    TqlParameter* AddProceduralParameter(const std::string& Name, int FileIndex, int X, int Y);
    TqlSymbolList* GetProceduralParameters() { return FProceduralParameters.get(); }
    // The heading of a procedural type, its parameters added by the caller;
    // the unit owns it.
    TqlRoutine* AddProceduralSignature(TRoutineKind Kind, int FileIndex, int X, int Y);

    std::string FormResource;
    std::vector<std::string> FurtherFormResources;
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
    std::vector<std::unique_ptr<TqlDFMResource>> FFurtherForms;
    int FImplementationLine = 0;
    int FInterfaceLine = 0;
    std::unique_ptr<TqlSymbolList> FStringLiterals;
    std::unique_ptr<TqlSymbolList> FHandlerVariables;
    std::unique_ptr<TqlSymbolList> FProceduralParameters;
    std::unique_ptr<TqlSymbolList> FProceduralSignatures;
    std::unique_ptr<TqlUsedUnitList> FUsedUnits;
    TDirectoryType FUnitType = dtProject;
    // Lists the store's uses on request: FListedUses of them are listed.
    std::unique_ptr<TqlList> FUsedByLocations;
    size_t FListedUses = 0;
    TqlUseStore FUseStore;
    TqlCodeStatistics FCodeStatistics;
    std::unordered_set<std::string> FUnresolvedNames;
};

// The unit is the shipped QuilletSystem, which stands for the run-time
// library: not the analysed program's code, and no source of the user's.
bool qlStandsForRunTimeLibrary(const TqlUnit* Unit);

class TqlType : public TqlSymbol {
public:
    TqlType(const std::string& Name, TqlTypeKind TypeKind, TVisibilityKind Visibility,
            int FileIndex, int X, int Y, bool TypeRequired);
    // The named type (may be nil).
    TqlSymbol* GetTypeIntf() override { return FType; }
    void SetTypeIntf(TqlSymbol* Symbol) override { FType = Symbol; }
    bool TypeRequired() override { return FTypeRequired; }
    // Declared as another type's name (type A = B): the very type it names.
    bool GetIsAlias() const { return FIsAlias; }
    void SetIsAlias(bool Value) { FIsAlias = Value; }
    // Declared as a new type like another (type A = type B): a type of its
    // own, of the same kind as the one it names.
    bool GetIsDistinct() const { return FIsDistinct; }
    void SetIsDistinct(bool Value) { FIsDistinct = Value; }
    // A procedural type's heading (type TProc = procedure(A: Integer)): a
    // routine of no list that holds its kind and parameters; the unit owns
    // it. Nil for other types.
    TqlRoutine* GetSignature() const { return FSignature; }
    void SetSignature(TqlRoutine* Value) { FSignature = Value; }

private:
    TqlRoutine* FSignature = nullptr;
    bool FTypeRequired;
    bool FIsAlias = false;
    bool FIsDistinct = false;
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
    // The indexes its declaration writes (array[0..3, Boolean] of T: 2; a
    // dynamic array: 0), whether their types were found or not.
    int GetIndexCount() const { return FIndexCount; }
    void SetIndexCount(int Value) { FIndexCount = static_cast<uint8_t>(Value > 255 ? 255 : Value); }

private:
    TqlSymbol* FArrayType = nullptr;
    std::unique_ptr<TqlList> FDimensions;
    uint8_t FIndexCount = 0;
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
    // The function whose result this variable is, when it is the variable
    // named like the function; nil for every other variable.
    virtual TqlRoutine* GetNamedRoutine() const { return nullptr; }
    // Declared with a pointer or class reference written in place (^T,
    // class of T): the type kept is T, which the variable is not a value of.
    bool GetTypeIsIndirect() const { return FTypeIsIndirect; }
    void SetTypeIsIndirect(bool Value) { FTypeIsIndirect = Value; }

private:
    bool FIsConst;
    bool FIsThreadVar = false;
    bool FTypeIsIndirect = false;
};

// The variable named like its function: assigning to it sets the result.
class TqlRoutineNameVariable final : public TqlVariable {
public:
    TqlRoutineNameVariable(TqlRoutine* Routine, int FileIndex, int X, int Y);
    TqlRoutine* GetNamedRoutine() const override { return FRoutine; }

private:
    TqlRoutine* FRoutine;
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
    // For a property redeclared in a descendant (property Name;): the
    // ancestor's property it takes its type from; nil otherwise.
    TqlProperty* GetRedeclaredProperty() const { return FRedeclared; }
    void SetRedeclaredProperty(TqlProperty* Value) { FRedeclared = Value; }

private:
    bool FDefaultProperty = false;
    bool FIsArrayProperty = false;
    TqlClass* FOwnerClass;
    TqlSymbol* FReadAccess = nullptr;
    TqlSymbol* FWriteAccess = nullptr;
    TqlProperty* FRedeclared = nullptr;
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
    // Declared with a default value: a call may leave it out.
    bool GetHasDefault() const { return FHasDefault; }
    void SetHasDefault(bool Value) { FHasDefault = Value; }
    // The routine assigns the parameter, passes it to a var or out
    // parameter, or takes its address.
    bool GetIsModified() const { return FIsModified; }
    void SetIsModified(bool Value) { FIsModified = Value; }

private:
    TParamKind FParamKind;
    bool FUntypedParameter = false;
    bool FIsModified = false;
    bool FHasDefault = false;
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
