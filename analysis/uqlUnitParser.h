// The base of the analysis parsers: turns the grammar parser into a builder
// of the code model for one source file. It holds the source and include
// files, runs the two parse phases (interface, then the rest), records the
// uses clauses, keeps the scope stack and looks names and types up.
#pragma once

#include "analysis/uqlOverloads.h"
#include "analysis/uqlPreprocessIntf.h"
#include "lexer/lxPasLexTypes.h"
#include "lexer/lxSimplePasPar.h"
#include "model/uqlClasses.h"
#include "model/uqlNameLookup.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class TIncludeText;
class TIncludeFile;
class TIncludeFileCache;

class TUnitParser : public TlxSimplePasPar {
public:
    // Reads the whole file; a missing file raises the stream's exception.
    TUnitParser(const std::string& FileName, const TlxDirectiveHash* DirectiveHash,
                const TlxPasHash* PasHash, const TlxAssignAbleHash* Defines);
    ~TUnitParser() override;

    // Phase 1: the implicit used units, then the file up to the end of its
    // interface section (a program or package file is parsed whole).
    void ParseInterface(TqlUnit* Unit);
    // Phase 2: the rest of a unit file, where phase 1 stopped. When phase 1
    // gave the text back, the file is read again; a file that cannot be read
    // or that has changed meanwhile raises Exception.
    void ParseImplementation();
    // Keep the text between the phases instead of reading it again (for
    // comparisons); set before phase 1.
    void SetKeepSource(bool Value) { FKeepSource = Value; }
    // The text is given back until phase 2 starts.
    bool SourceReleased() const { return FSourceReleased; }

    // The main file's used units with their in-paths; consulted before a used
    // unit named without an in-path is searched on the search paths.
    void SetUsesInfo(const Ref<IVxPreProcessorInfo>& Info) { FUsesInfo = Info; }
    // The project's index of which units declare a name (not owned): a long
    // uses list is then searched through it instead of unit by unit.
    void SetNameIndex(TqlUnitNameIndex* Index) { FNameIndex = Index; }
    // From this many used units on, the index is put to use.
    static constexpr int IndexedUsesCount = 8;

    // The line of the unit's own file up to which the parse has come.
    int ParsedLines() const;
    // No syntax problem was raised and every include file named was read.
    bool ParsedWhole() const { return FParsedWhole; }

    const std::string& FileName() const { return FFileName; }
    TqlUnit* CurrentUnit() const { return FCurrentUnit; }
    int FileIndex() const { return FFileIndex; }
    bool InterfaceDone() const { return FInterfaceDone; }
    TVisibilityKind Visibility() const { return FVisibility; }
    void SetVisibility(TVisibilityKind Value) { FVisibility = Value; }
    int IndentLevel() const { return FIndentLevel; }
    TqlClass* CurrentClass() const { return FCurrentClass; }
    // The class whose members the code here sees as its own: the method's
    // class, or the class whose declaration is being read (nil elsewhere).
    TqlClass* ViewClass() const { return FCurrentClass ? FCurrentClass : FDeclaredClass; }
    TqlClass* DeclaredClass() const { return FDeclaredClass; }
    void SetDeclaredClass(TqlClass* Value) { FDeclaredClass = Value; }
    // The symbols of the enclosing with-statements, innermost last.
    std::vector<TqlSymbol*>& WithList() { return FWithScopes; }

    // Operations that the chain below supplies.
    virtual TqlSymbol* ParseStructuredType(TqlVarContainer* Container, const std::string& TypeName,
                                           bool& IsNew, const TPoint& Position);
    virtual void ParseDeclarationSection(TqlVarContainer* Container);
    // Resolves the identifier at the current token (and consumes it).
    virtual TqlSymbol* ResolveIdentifier(TqlSymbol* Context);
    // Resolves (and consumes) a designator.
    virtual TqlSymbol* ResolveDesignator(TqlSymbol* Context);

    // Grammar rules.
    void NextToken() override;
    // Each list is read with a frame of its own, which knows the routine
    // called when the list holds a call's arguments (see NoteCall).
    void ExpressionList() override;
    void ContainsClause() override;
    void ContainsStatement() override;
    void Designator() override;
    void ExceptionHandler() override;
    void ExportsElement() override;
    void ExternalDirective() override;
    void ImplementationSection() override;
    void InterfaceSection() override;
    void MainUsedUnitStatement() override;
    void MainUsesClause() override;
    void FormalParameterSection() override;
    void NewFormalParameterType() override;
    void OldFormalParameterType() override;
    void ParameterName() override;
    void ParseFile() override;
    void ProgramBlock() override;
    void ResourceIncluded(const std::string& FileName) override;
    void ReturnType() override;
    void UnitFile() override;
    void UsedUnitName() override;
    void UsesClause() override;

    // A nested interface parse runs on a fresh stack of FreshStackSize bytes
    // when less than StackReserve is left on the current one: enough for the
    // deepest parse of one unit (the parser caps nesting). A stack is only as
    // many as the chain needs, so a long chain holds few of them. The reserve
    // stays well below a main thread's usual 8 MB, so an ordinary project is
    // analysed on the caller's thread: the desktop handles its events from
    // the progress calls, which it can only do there.
    static constexpr size_t FreshStackSize = size_t(64) << 20;
#if defined(__SANITIZE_ADDRESS__) || defined(QUILLET_ASAN_BUILD)
    static constexpr size_t StackReserve = size_t(6) << 20;
#else
    static constexpr size_t StackReserve = size_t(4) << 20;
#endif

protected:
    struct TScope {
        TqlVarContainer* Container = nullptr;
        TqlClass* Class = nullptr;
    };
    using TPositionList = std::vector<std::pair<std::string, TPoint>>;

    void PushScope(TqlVarContainer* Container, TqlClass* Class);
    void PopScope();
    TqlVarContainer* CurrentContainer() const;
    // The class of the innermost scope: set in the body of a method.
    TqlClass* CurrentScopeClass() const { return FScopes.empty() ? nullptr : FScopes.back().Class; }
    int ScopeDepth() const { return static_cast<int>(FScopes.size()); }
    void SetEndPosition(TqlSymbol* Symbol);
    void Indent();
    void Outdent();
    // Written: the name as the uses clause writes it, when it is not Name.
    void AddUsedUnit(const std::string& Name, const std::string& InPath, int Y, int X,
                     const std::string& Written = std::string());
    TqlSymbol* FindSymbol(const std::string& Name, bool AddReference, bool ReportMissing,
                          const TqlUsedByInfo& Info);
    // The declaration of Name in the current unit's used units, the last
    // used unit that declares it first (their interface declarations only).
    TqlSymbol* FindInUsedUnits(const std::string& Name, const TqlUsedByInfo& Info);
    TqlSymbol* FindType(const std::string& Name, bool Quiet);
    TqlClass* FindClass(const std::string& Name);
    TqlInterface* FindInterface(const std::string& Name);
    void ReadIdentifierList(TPositionList& List);
    void ReadHeritageList(TPositionList& List);
    // Reads a type after "=" or ":"; returns the type found (or declared).
    TqlSymbol* ParseType(TqlVarContainer* Container, const std::string& TypeName,
                         bool IsTypeDeclaration, const TPoint& Position);
    TqlSymbol* ParseTypeId(bool Quiet);
    // The last ParseType found the type that a pointer or class reference
    // written in place (^T, class of T) refers to.
    bool LastTypeIndirect() const { return FLastTypeIndirect; }
    // Records and reads a string expression (resource strings, exports
    // names, GUIDs).
    void ParseCharString();
    // Records and reads the literal at the current token together with the
    // character constants written next to it.
    void StringFactor();
    TqlUsedByInfo MakeUsedByInfo() const;
    TqlUsedByInfo MakeUsedByInfo(const TPoint& Position, bool IsWrongCase) const;

    // The 1-based position of the current token.
    TPoint Pos() const;
    // The current token is the name after "inherited".
    bool AtInheritedName() const;
    // Adds a finding at the current token (through the message handler).
    void AddMessage(const std::string& Text);
    void AddMessageAt(const std::string& Text, const TPoint& Position0);
    void RecordUse(TqlSymbol* Symbol, const std::string& WrittenName, const TqlUsedByInfo& Info);
    // Records a use of the name at the current token: of the symbol, or of
    // the overloads of a routine that the name may mean.
    void RecordNameUse(TqlSymbol* Found, const std::string& WrittenName, const TqlUsedByInfo& Info);
    // Records a name that an identifier here was not (or not surely)
    // resolved to: a declaration of that name may have unseen uses.
    void NoteUnresolved(const std::string& Name);
    // A use of an overloaded name whose call's arguments are still to be
    // read: recorded once they have been.
    struct TCallDecision {
        TqlOverloads Overloads;
        std::string WrittenName;
        TqlUsedByInfo Info;
        // Where its "(" stands.
        int ParenPos = -1;
        const char* ParenOrigin = nullptr;
        // The name is followed by its argument list.
        bool Listed = false;
        // The one overload of its name in sight: a use of it without
        // arguments is not ambiguous.
        bool Lone = false;
        // Its first argument is an array constructor ([a, b], []), which
        // the designator's qualifiers read.
        bool FirstIsConstructor = false;
    };
    // The decision waiting for the "(" at the current token, if any (one
    // waiting for another is recorded as it stands).
    std::unique_ptr<TCallDecision> TakeCallDecision();
    void FlushCallDecision();
    // Records the uses of a decision: those the arguments pick, or, without
    // them, every overload as an ambiguous use. Arguments of a list that no
    // overload takes record none: the name is left unresolved.
    void Decide(TCallDecision& Decision, const std::vector<TqlArgument>* Arguments);
    // The next expression list holds the arguments of a call of Callee (nil
    // when it was not resolved: the name last left unresolved is taken).
    // Decision, when given, is recorded from the arguments' types; FirstBegun
    // tells that the first argument's start has already been read.
    void NoteCall(TqlSymbol* Callee, std::unique_ptr<TCallDecision> Decision = nullptr,
                  bool FirstBegun = false);
    void CheckIndent();
    // The end of a unit: main block, initialization or "end".
    void UnitEnd();
    // The built-in type of a kind (nil without a project or before the
    // built-in types exist).
    TqlType* SystemType(TqlTypeKind Kind) const;
    // The string literal at the current token is recorded in the unit.
    void RecordStringLiteral();
    // At the end of a type section: the pointer types declared before their
    // targets use the targets the section has declared since.
    void RecordForwardPointerUses();
    std::string Token() const { return FLexer->GetToken(); }
    // The same text in a buffer the parser reuses, for a callee that copies
    // it at once: a long name then costs one heap block, not two. Valid
    // until the next call.
    const std::string& TokenText()
    {
        FTokenText.assign(FLexer->GetTokenPtr(), static_cast<size_t>(FLexer->GetTokenLen()));
        return FTokenText;
    }

    std::string FTokenText;
    bool FLastTypeIndirect = false;
    bool FInExternalDirective = false;
    bool FInterfaceDone = false;
    bool FInterfaceOnly = false;
    TVisibilityKind FVisibility = vkInterface;
    TqlUnit* FCurrentUnit = nullptr;
    TqlClass* FCurrentClass = nullptr;
    TqlClass* FDeclaredClass = nullptr;
    // The name being resolved is called (inherited Name), so a routine's
    // name inside its own body means the routine, not its result.
    bool FCallingName = false;
    // Procedural types being read (their parameters declare no scope's names).
    int FProceduralDepth = 0;
    // The heading of the procedural type being read, and where the
    // parameters of its current section begin.
    TqlRoutine* FSignature = nullptr;
    int FSignatureSection = 0;
    // The designator before the last ":=" read, and where the value
    // assigned to it begins.
    TqlSymbol* FAssignTarget = nullptr;
    int FAssignValuePos = -1;
    const char* FAssignValueOrigin = nullptr;
    // The heading of the procedural type asked for where the name at the
    // current token stands alone: the value assigned by ":=", or an
    // argument of a call whose parameter there is of a procedural type (of
    // one heading, whichever overload of the callee is meant). Nil when not
    // known.
    TqlRoutine* SignatureAskedHere();
    // Where the name after the last "inherited" stands.
    int FInheritedNamePos = -1;
    const char* FInheritedNameOrigin = nullptr;

private:
    void DoMessage(void* Sender, const std::string& Msg, int X, int Y);
    // After an include request: counts the lines of a newly read include
    // file to the unit; a request that read nothing leaves the unit short.
    void IncludeOpened(const char* Text, bool FromOwnFile, int OwnLine);
    const char* IncludeFileRequest(const std::string& Name);
    // The full name of an include file, or "" when it is nowhere: beside the
    // file that holds the directive, beside the unit, then in every folder
    // of the project and library search paths, in that order.
    std::string FindIncludeFile(const std::string& FileName) const;
    void IncludeFileEnd();
    TqlSymbol* ParseSimpleType(TqlVarContainer* Container, const std::string& TypeName,
                               const TPoint& Position);
    TqlSymbol* DeclareType(TqlVarContainer* Container, const std::string& TypeName,
                           TqlSymbol* Found, bool Required, const TPoint& Position);

    // Gives the text back after phase 1 when nothing but the lexer points
    // into it; ReloadSource reads it again for phase 2.
    void ReleaseSource();
    void ReloadSource();

    std::string FFileName;
    TlxLexStream FSource;
    // What phase 1 read, so that phase 2 parses the same text.
    int64_t FSourceSize = 0;
    uint64_t FSourceHash = 0;
    bool FSourceReleased = false;
    bool FKeepSource = false;
    // Where the released text was: only compared with the pointers that
    // pointed into it, never read.
    const char* FReleasedText = nullptr;
    // The texts of the include files now open, innermost last; the lexer
    // reads from them until each one ends.
    std::vector<std::unique_ptr<TIncludeText>> FIncludeBuffers;
    // Texts of include files that have ended. Their addresses are kept
    // until the interface parse is over, when no parse step can still compare
    // positions in them; a large one gives back its memory at once.
    std::vector<std::unique_ptr<TIncludeText>> FClosedIncludeBuffers;
    // The include files already read in this analysis.
    std::shared_ptr<TIncludeFileCache> FIncludeFiles;
    // The include file whose inclusion was opened last, until its lines
    // are counted and its replays offered to the lexer.
    std::shared_ptr<const TIncludeFile> FJustOpened;
    int FFileIndex = -1;
    std::vector<int> FFileStack;
    std::vector<TqlSymbol*> FWithScopes;
    struct TForwardPointer {
        TqlSymbol* Pointer;
        std::string Target;
        TqlUsedByInfo Info;
    };
    std::vector<TForwardPointer> FForwardPointers;
    // The variables of the exception handlers being read, innermost last.
    std::vector<TqlVariable*> FHandlerVariables;
    std::vector<TScope> FScopes;
    bool FCheckIndentation = true;
    int FIndentLevel = 0;
    int FIndentSize = 2;
    Ref<IVxPreProcessorInfo> FUsesInfo;
    TqlUnitNameIndex* FNameIndex = nullptr;
    // The last place of each unit in the current unit's uses list, kept up
    // to date as the list grows; exact while every used unit is in
    // FNameIndex.
    struct TUsedPlaces {
        const TqlUsedUnitList* List = nullptr;
        int Count = 0;
        bool Indexed = true;
        std::unordered_map<const TqlUnit*, int> Place;
    };
    TUsedPlaces FUsedPlaces;
    // Brings FUsedPlaces up to Used; false when a used unit is not indexed.
    bool UpdateUsedPlaces(TqlUsedUnitList* Used);
    // Line counting and how far the parse came.
    std::unordered_set<int> FCountedFiles;
    int FOwnLineCount = 0;
    int FOwnLine = 0;
    bool FParsedWhole = true;
    bool FOwnMessage = false;
    // Where parameters are written: the calls whose arguments are being
    // read, the bracket depth, the token before the current one.
    struct TCallFrame {
        TqlSymbol* Callee = nullptr;
        std::string Name;
        int Index = 0;
        int Depth = 0;
        // For a call of an overloaded name: the decision its arguments
        // make, and the symbol the argument being read designates.
        std::unique_ptr<TCallDecision> Decision;
        bool FirstBegun = false;
        TqlSymbol* Designated = nullptr;
        // New(P, Init(5)), Dispose(P, Done): the object type P points to,
        // whose constructor or destructor the second argument calls.
        TqlSymbol* ObjectType = nullptr;
    };
    std::vector<TCallFrame> FCallFrames;
    bool FCallPending = false;
    std::unique_ptr<TCallDecision> FListDecision;
    bool FListFirstBegun = false;
    std::unique_ptr<TCallDecision> FPendingDecision;
    // Room for the overloads of a name, until they turn out to be some.
    TqlOverloads FOverloads;

    // What an argument looks like before it is read.
    enum TArgumentShape : uint8_t { asOther, asLiteral, asName, asCall, asCast, asSelf, asIndexed };
    TArgumentShape ArgumentShapeAhead(TqlArgument& Literal);
    // What the analysis knows of an argument of that shape that designates
    // Symbol.
    TqlArgument ArgumentOf(TArgumentShape Shape, const TqlArgument& Literal, TqlSymbol* Symbol);
    // Reads the arguments of a call whose decision waits for them.
    void DecidingExpressionList(size_t Frame);
    TqlSymbol* FPendingCallee = nullptr;
    std::string FPendingName;
    std::string FLastUnresolved;
    int FBracketDepth = 0;
    TptTokenKind FPrevTokenID = ptUnknown;
    // A use of P at the current token that may change it.
    bool IsWrittenHere(TqlParameter* P);
    bool PassedByReference() const;
    bool AssignedNext();
    // Past the current token: dereferences and indexes (and, ThroughFields,
    // ".Field"), then ":=".
    bool AssignedAhead(bool ThroughFields);
    // The name at the current token is assigned to (Name := ..., also
    // through dereferences and indexes), not called or read.
    bool AtResultTarget();
};

// Removes the quotes of a Pascal string literal ('It''s' gives It's).
std::string qlDequote(const std::string& Literal);
