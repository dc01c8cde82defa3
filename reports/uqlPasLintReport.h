// The "Ridizo Dedu" report: coding problems found in every analysed unit, one
// row per finding: naming conventions, component prefixes, indentation,
// destructors, public fields, interface GUIDs, declarations nothing uses,
// parameters, case mismatches. Each kind of finding has its own check
// setting with a project flag and a library flag.
//
// Declarations nothing uses are reported only where every use of them can
// have been seen: see MayBeUnused.
#pragma once

#include "reports/uqlReport.h"

#include <map>
#include <string>
#include <unordered_set>

class TRPTpasLint : public TqlReport {
public:
    std::string GetName() override { return "Ridizo Dedu"; }

    // Name begins with "Form" and "On" followed by the rest of Name is an
    // event of the standard form class (compared without regard to case).
    static bool IsFormEventHandler(const std::string& Name);

protected:
    void DefineColumns() override;
    void DefineSettings() override;
    void Execute() override;

private:

    void CheckUnit(TqlUnit* Unit);
    void CheckComponentPrefixes(TqlUnit* Unit);
    void CheckIndentation(TqlUnit* Unit);
    void CheckClasses(TqlUnit* Unit, TqlClassList* List);
    void CheckInterface(TqlUnit* Unit, TqlInterface* Interface);
    void CheckImplementedInterfaces(TqlUnit* Unit, TqlClass* Class);
    void CheckClassFieldsAndProperties(TqlUnit* Unit, TqlClass* Class);
    bool HasDescendantDeclaring(TqlClass* Class, TqlRoutine* Routine);
    void CheckUnusedClassMembers(TqlUnit* Unit, TqlClass* Class);
    void CheckRecords(TqlUnit* Unit);
    void CheckRoutine(TqlUnit* Unit, TqlSymbol* Owner, TqlRoutine* Routine);
    void CheckConstParameters(TqlUnit* Unit, TqlSymbol* Owner, TqlRoutine* Routine);
    void CheckUnusedParameters(TqlUnit* Unit, TqlSymbol* Owner, TqlRoutine* Routine);
    void CheckUnusedSymbols(TqlUnit* Unit, TqlSymbol* Owner, TqlVarContainer* Container);
    void CheckRoutineNameAsResult(TqlUnit* Unit, TqlRoutine* Routine);
    void CheckCaseMismatch(TqlUnit* Unit, TqlSymbol* Owner, TqlSymbolContainer* Container);
    void CheckRoutineNaming(TqlUnit* Unit, TqlSymbol* Owner, TqlRoutine* Routine);

    // A row [unit name, location, message] for Unit, gated by Setting for
    // the unit's side.
    void Finding(TqlUnit* Unit, const Ref<IqlSetting>& Setting, TqlCodeLocation* Symbol,
                 const std::string& Location, const std::string& Message);
    // The setting is on for the unit's side (spares the matcher otherwise).
    static bool IsOn(const Ref<IqlSetting>& Setting, TqlUnit* Unit);
    bool Follows(const std::string& Pattern, const std::string& Name);
    // Name against Pattern; a "<Message> - <Pattern>" row when it fails.
    void CheckName(TqlUnit* Unit, const Ref<IqlSetting>& Setting, TqlSymbol* Symbol,
                   const std::string& Location, const std::string& Pattern,
                   const std::string& Message);

    // Whether an empty used-by list of Symbol, declared in Unit, means
    // "unused": Unit was analysed to its end, no identifier left unresolved
    // anywhere in the project bears the symbol's name (compared without
    // case), and, for a symbol other units can see, every unit that uses
    // Unit was analysed to its end.
    bool MayBeUnused(TqlUnit* Unit, TqlSymbol* Symbol, bool VisibleOutside) const;
    // Nothing uses Symbol: its used-by list holds no use but the name
    // written where the symbol is declared or where its declaration is
    // completed (an implementation heading repeating a routine's name or its
    // parameters).
    static bool HasNoUse(TqlSymbol* Symbol);
    void CollectUnresolved();

    Ref<IqlSetting> FAncestorInterface;        // 1
    Ref<IqlSetting> FComponentPrefixes;        // 2
    Ref<IqlSetting> FIndentation;              // 3
    Ref<IqlSetting> FLocalVariables;           // 4
    Ref<IqlSetting> FGlobalVariables;          // 5
    Ref<IqlSetting> FConstants;                // 6
    Ref<IqlSetting> FClassFields;              // 7
    Ref<IqlSetting> FClassTypes;               // 8
    Ref<IqlSetting> FInterfaceTypes;           // 9
    Ref<IqlSetting> FRecordTypes;              // 10
    Ref<IqlSetting> FObjectTypes;              // 11
    Ref<IqlSetting> FPointerTypes;             // 12
    Ref<IqlSetting> FRoutineNames;             // 13
    Ref<IqlSetting> FConstParameters;          // 14
    Ref<IqlSetting> FVarParameters;            // 15
    Ref<IqlSetting> FOtherParameters;          // 16
    Ref<IqlSetting> FProperties;               // 17
    Ref<IqlSetting> FGetRoutines;              // 18
    Ref<IqlSetting> FSetRoutines;              // 19
    Ref<IqlSetting> FDestructorsNoOverride;    // 20
    Ref<IqlSetting> FVirtualDestructors;       // 21
    Ref<IqlSetting> FPublicFields;             // 22
    Ref<IqlSetting> FGUIDNotDefined;           // 23
    Ref<IqlSetting> FGUIDDuplicated;           // 24
    Ref<IqlSetting> FManyDestructors;          // 25
    Ref<IqlSetting> FNonConstParameters;       // 26
    Ref<IqlSetting> FRoutineNameAsResult;      // 27
    Ref<IqlSetting> FSameRoutineTwoInterfaces; // 28
    Ref<IqlSetting> FUnusedClassFields;        // 29
    Ref<IqlSetting> FUnusedRecordFields;       // 30
    Ref<IqlSetting> FUnusedClassProperties;    // 31
    Ref<IqlSetting> FUnusedClassRoutines;      // 32
    Ref<IqlSetting> FUnusedConstants;          // 33
    Ref<IqlSetting> FUnusedRoutines;           // 34
    Ref<IqlSetting> FUnusedParameters;         // 35
    Ref<IqlSetting> FUnusedVariables;          // 36
    Ref<IqlSetting> FVirtualNoDescendants;     // 37
    Ref<IqlSetting> FCaseMismatch;             // 38

    // Run state, valid during Execute only.
    Ref<IqlNamingConventions> FNaming;
    Ref<IqlPrefixList> FPrefixes;
    Ref<IqlRegExpr> FRegExpr;
    // The first interface and the first dispinterface that declared a GUID.
    // A dispinterface shares the GUID of the dual interface it mirrors by
    // design (IFoo and IFooDisp of a type-library import): only two of the
    // same kind clash.
    struct TGUIDOwners {
        TqlInterface* Interface = nullptr;
        TqlInterface* Dispatch = nullptr;
    };
    // GUID (upper case) -> its first owners.
    std::map<std::string, TGUIDOwners> FGUIDs;
    // The names left unresolved in any unit (upper-cased).
    std::unordered_set<std::string> FUnresolvedNames;
    // Units used by a unit that was not analysed to its end.
    std::unordered_set<TqlUnit*> FUsedByUnfinished;
    // The unit that stands for the run-time library, if analysed: no row
    // is about its code.
    TqlUnit* FRunTimeLibrary = nullptr;
    bool InRunTimeLibrary(TqlCodeLocation* Location) const;
};
