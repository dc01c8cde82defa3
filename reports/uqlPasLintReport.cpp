#include "reports/uqlPasLintReport.h"

#include "base/uqlPathUtils.h"
#include "reports/uqlReportData.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <vector>

namespace {

// The event properties of the standard form class.
const char* const FormEvents[] = {
    "OnActivate",     "OnCanResize",    "OnClick",          "OnClose",
    "OnCloseQuery",   "OnConstrainedResize", "OnContextPopup", "OnCreate",
    "OnDblClick",     "OnDestroy",      "OnDeactivate",     "OnDockDrop",
    "OnDockOver",     "OnDragDrop",     "OnDragOver",       "OnEndDock",
    "OnGetSiteInfo",  "OnHide",         "OnHelp",           "OnKeyDown",
    "OnKeyPress",     "OnKeyUp",        "OnMouseDown",      "OnMouseMove",
    "OnMouseUp",      "OnMouseWheel",   "OnMouseWheelDown", "OnMouseWheelUp",
    "OnPaint",        "OnResize",       "OnShortCut",       "OnShow",
    "OnStartDock",    "OnUnDock",
};

std::string Upper(std::string S)
{
    for (char& C : S)
        C = static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
    return S;
}

bool HasAny(TRoutineDirectives D, std::initializer_list<TRoutineDirective> Any)
{
    for (TRoutineDirective X : Any)
        if (D.Contains(X))
            return true;
    return false;
}

std::string Format(const std::string& Text, const std::string& Arg)
{
    const size_t P = Text.find("%s");
    return P == std::string::npos ? Text : Text.substr(0, P) + Arg + Text.substr(P + 2);
}

// The kind of a type, through type aliases (TName = OtherName) to the type
// they name.
TqlTypeKind AliasedTypeKind(TqlSymbol* Type)
{
    for (int Depth = 0; Type && Depth < 100; ++Depth) {
        const TqlTypeKind Kind = Type->GetTypeKind();
        auto* Alias = dynamic_cast<TqlType*>(Type);
        if (Kind != tkNone || !Alias || Alias->GetPointerType() || dynamic_cast<TqlArray*>(Type))
            return Kind;
        TqlSymbol* Next = Alias->GetTypeIntf();
        if (Next == Type)
            return Kind;
        Type = Next;
    }
    return tkNone;
}

// Owner name + "." + container name when an owner is given, else the
// container name.
std::string OwnerRule(TqlSymbol* Owner, TqlSymbol* Container)
{
    return Owner ? Owner->GetName() + "." + Container->GetName() : Container->GetName();
}

bool VisibleOutsideUnit(TqlSymbol* Symbol)
{
    return Symbol->GetVisibility() != vkImplementation;
}

// A member of a class or record that other units can reach: its type is
// visible outside the unit and the member is not private to the unit.
bool MemberVisibleOutsideUnit(TqlSymbol* Owner, TqlSymbol* Member)
{
    const TVisibilityKind V = Member->GetVisibility();
    return VisibleOutsideUnit(Owner) && V != vkPrivate && V != vkStrictPrivate;
}

} // namespace

bool TRPTpasLint::IsFormEventHandler(const std::string& Name)
{
    if (Name.compare(0, 4, "Form") != 0)
        return false;
    const std::string Event = "On" + Name.substr(4);
    for (const char* E : FormEvents)
        if (qlCompareText(E, Event) == 0)
            return true;
    return false;
}

void TRPTpasLint::DefineColumns()
{
    AddColumn("Unit", dtString);
    AddColumn("Class Name", dtString);
    AddColumn("Message", dtString);
}

void TRPTpasLint::DefineSettings()
{
    FAncestorInterface = AddSetting("Ancestor Interface not implemented", true, true);
    FComponentPrefixes = AddSetting("Component Prefixes convention check", true, true);
    FIndentation = AddSetting("Indentation conventions check", true, false);
    FLocalVariables = AddSetting("Coding conventions for local variables", false, false);
    FGlobalVariables = AddSetting("Coding conventions for global variables", true, false);
    FConstants = AddSetting("Coding conventions for constants", true, false);
    FClassFields = AddSetting("Coding conventions for class fields", true, false);
    FClassTypes = AddSetting("Coding conventions for class types", true, false);
    FInterfaceTypes = AddSetting("Coding conventions for interface types", true, false);
    FRecordTypes = AddSetting("Coding conventions for record types", true, false);
    FObjectTypes = AddSetting("Coding conventions for object types", true, false);
    FPointerTypes = AddSetting("Coding conventions for pointer types", true, false);
    FRoutineNames = AddSetting("Coding conventions for routine names", true, false);
    FConstParameters = AddSetting("Coding conventions for const parameters", true, false);
    FVarParameters = AddSetting("Coding conventions for var parameters", true, false);
    FOtherParameters = AddSetting("Coding conventions for other parameters", true, false);
    FProperties = AddSetting("Coding conventions for properties", true, false);
    FGetRoutines = AddSetting("Coding conventions for Get routines", true, false);
    FSetRoutines = AddSetting("Coding conventions for Set routines", true, false);
    FDestructorsNoOverride = AddSetting("Destructors without override", true, true);
    FVirtualDestructors = AddSetting("Destructors declared as virtual", true, true);
    FPublicFields = AddSetting("Fields declared as public", true, true);
    FGUIDNotDefined = AddSetting("GUID not defined in interface", true, true);
    FGUIDDuplicated = AddSetting("GUID declaration duplicated", true, true);
    FManyDestructors = AddSetting("More than 1 destructor", true, true);
    FNonConstParameters = AddSetting("Non \"const\" Parameters", true, false);
    FRoutineNameAsResult = AddSetting("Routine Name used instead of Result", true, true);
    FSameRoutineTwoInterfaces = AddSetting("Same routine implementing two interfaces", true, false);
    FUnusedClassFields = AddSetting("Unused Class Fields", true, false);
    FUnusedRecordFields = AddSetting("Unused Record Fields", true, false);
    FUnusedClassProperties = AddSetting("Unused Class Properties", true, false);
    FUnusedClassRoutines = AddSetting("Unused Class Routines", true, false);
    FUnusedConstants = AddSetting("Unused Constants", true, false);
    FUnusedRoutines = AddSetting("Unused Routines", true, false);
    FUnusedParameters = AddSetting("Unused Routine Parameters", true, false);
    FUnusedVariables = AddSetting("Unused Variables", true, false);
    FVirtualNoDescendants = AddSetting("Virtual routines with no descendants", true, false);
    FCaseMismatch = AddSetting("Case mismatch on symbol", true, true);
}

// ---------------------------------------------------------------------------
// Helpers
// ---------------------------------------------------------------------------

bool TRPTpasLint::IsOn(const Ref<IqlSetting>& Setting, TqlUnit* Unit)
{
    return TqlReportData::IsEnabledFor(Setting, Unit->IsLibraryUnit());
}

bool TRPTpasLint::InRunTimeLibrary(TqlCodeLocation* Location) const
{
    return FRunTimeLibrary && Location && Location->GetUnitIntf() == FRunTimeLibrary;
}

void TRPTpasLint::Finding(TqlUnit* Unit, const Ref<IqlSetting>& Setting, TqlCodeLocation* Symbol,
                          const std::string& Location, const std::string& Message)
{
    if (InRunTimeLibrary(Symbol))
        return;
    FData->AddUnitRow(Unit, Setting, Symbol, nullptr, {Unit->GetName(), Location, Message});
}

bool TRPTpasLint::Follows(const std::string& Pattern, const std::string& Name)
{
    return FRegExpr->Matches(Pattern, Name);
}

void TRPTpasLint::CheckName(TqlUnit* Unit, const Ref<IqlSetting>& Setting, TqlSymbol* Symbol,
                            const std::string& Location, const std::string& Pattern,
                            const std::string& Message)
{
    if (IsOn(Setting, Unit) && !Follows(Pattern, Symbol->GetName()))
        Finding(Unit, Setting, Symbol, Location, Message + " - " + Pattern);
}

void TRPTpasLint::CollectUnresolved()
{
    FUnresolvedNames.clear();
    FUsedByUnfinished.clear();
    TqlUnitList* Units = Project().GetUnits();
    for (int I = 0; I < Units->GetCount(); ++I) {
        TqlUnit* Unit = Units->GetUnits(I);
        const auto& Names = Unit->GetUnresolvedNames();
        FUnresolvedNames.insert(Names.begin(), Names.end());
        if (Unit->AnalysedToEnd)
            continue;
        TqlUsedUnitList* Used = Unit->GetUsedUnits();
        for (int J = 0; J < Used->GetCount(); ++J)
            FUsedByUnfinished.insert(Used->GetUsedUnit(J)->GetUnit());
    }
}

bool TRPTpasLint::HasNoUse(TqlSymbol* Symbol)
{
    TqlUsedByList* Uses = Symbol->GetUsedBy();
    for (int I = 0; I < Uses->GetCount(); ++I) {
        TqlUsedByLocation* Use = Uses->GetLocations(I);
        const bool AtDeclaration = Use->GetFileIndex() == Symbol->GetFileIndex() &&
                                   Use->GetX() == Symbol->GetX() && Use->GetY() == Symbol->GetY();
        if (!Use->GetIsHeading() && !AtDeclaration)
            return false;
    }
    return true;
}

bool TRPTpasLint::MayBeUnused(TqlUnit* Unit, TqlSymbol* Symbol, bool VisibleOutside) const
{
    if (!Unit->AnalysedToEnd || FUnresolvedNames.count(Upper(Symbol->GetName())))
        return false;
    return !(VisibleOutside && FUsedByUnfinished.count(Unit));
}

// ---------------------------------------------------------------------------
// The walk
// ---------------------------------------------------------------------------

void TRPTpasLint::Execute()
{
    IqlProject& P = Project();
    TqlUnitList* Units = P.GetUnits();
    if (!Units)
        return;
    Ref<IqlCodingConventions> Conventions = P.GetCodingConventions();
    if (!Conventions)
        throw Exception("The report \"Ridizo Dedu\" needs the project's coding conventions.");
    FNaming = Conventions->GetNamingConventions();
    FPrefixes = Conventions->GetComponentPrefixes();
    FRegExpr = P.GetRegExpr();
    if (!FNaming || !FPrefixes || !FRegExpr)
        throw Exception("The report \"Ridizo Dedu\" needs the naming conventions, the component "
                        "prefixes and the project's matcher.");
    FGUIDs.clear();
    CollectUnresolved();

    struct TRunEnd {
        TRPTpasLint& R;
        ~TRunEnd()
        {
            R.FGUIDs.clear();
            R.FUnresolvedNames.clear();
            R.FUsedByUnfinished.clear();
            R.FRunTimeLibrary = nullptr;
            R.FNaming = nullptr;
            R.FPrefixes = nullptr;
            R.FRegExpr = nullptr;
        }
    } RunEnd{*this};

    // The run-time library's GUIDs come first: a program's interface that
    // repeats one is the duplicate.
    for (int I = 0; I < Units->GetCount() && !FRunTimeLibrary; ++I)
        if (qlStandsForRunTimeLibrary(Units->GetUnits(I)))
            FRunTimeLibrary = Units->GetUnits(I);
    if (FRunTimeLibrary) {
        TqlOwnedInterfaceList* Interfaces = FRunTimeLibrary->GetInterfaces();
        for (int J = 0; J < Interfaces->GetCount(); ++J) {
            TqlInterface* I = Interfaces->GetInterfaces(J);
            if (!I->GetGUID().empty()) {
                TGUIDOwners& Owners = FGUIDs[Upper(I->GetGUID())];
                TqlInterface*& First = I->GetIsDispatchInterface() ? Owners.Dispatch : Owners.Interface;
                if (!First)
                    First = I;
            }
        }
    }

    for (int I = 0; I < Units->GetCount(); ++I) {
        TqlUnit* Unit = Units->GetUnits(I);
        CheckUnit(Unit);
        CheckClasses(Unit, Unit->GetClasses());
        CheckClasses(Unit, Unit->GetObjects());
        CheckRecords(Unit);
        TqlOwnedInterfaceList* Interfaces = Unit->GetInterfaces();
        for (int J = 0; J < Interfaces->GetCount(); ++J)
            CheckInterface(Unit, Interfaces->GetInterfaces(J));
        TqlRoutineList* Routines = Unit->GetRoutines();
        for (int J = 0; J < Routines->GetCount(); ++J)
            CheckRoutine(Unit, nullptr, Routines->GetRoutine(J));
        CheckUnusedSymbols(Unit, nullptr, Unit);
        CheckCaseMismatch(Unit, nullptr, Unit);
    }
}

void TRPTpasLint::CheckInterface(TqlUnit* Unit, TqlInterface* I)
{
    CheckCaseMismatch(Unit, I, I);
    const std::string& GUID = I->GetGUID();
    if (GUID.empty()) {
        Finding(Unit, FGUIDNotDefined, I, I->GetName(), "Interface has no GUID defined");
    } else {
        TGUIDOwners& Owners = FGUIDs[Upper(GUID)];
        TqlInterface*& First = I->GetIsDispatchInterface() ? Owners.Dispatch : Owners.Interface;
        if (First && First != I)
            Finding(Unit, FGUIDDuplicated, I, I->GetName(),
                    "Duplicate GUID defined in " + I->GetName() + " and " + First->GetName());
        else if (!First)
            First = I;
    }
    TqlRoutineList* Routines = I->GetRoutines();
    for (int R = 0; R < Routines->GetCount(); ++R)
        CheckConstParameters(Unit, I, Routines->GetRoutine(R));
}

void TRPTpasLint::CheckUnit(TqlUnit* Unit)
{
    CheckComponentPrefixes(Unit);
    CheckIndentation(Unit);
    TqlVariablesList* Variables = Unit->GetVariables();
    for (int I = 0; I < Variables->GetCount(); ++I)
        CheckName(Unit, FGlobalVariables, Variables->GetVariables(I), "",
                  FNaming->GetGlobalVariables(), "Global variable naming error");
    TqlVariablesList* Constants = Unit->GetConstants();
    for (int I = 0; I < Constants->GetCount(); ++I)
        CheckName(Unit, FConstants, Constants->GetVariables(I), "", FNaming->GetConstants(),
                  "Constant naming error");
}

void TRPTpasLint::CheckComponentPrefixes(TqlUnit* Unit)
{
    if (!Unit->GetDFMResource() || !IsOn(FComponentPrefixes, Unit) || Unit == FRunTimeLibrary)
        return;
    TqlOwnedClassList* Classes = Unit->GetClasses();
    for (int C = 0; C < Classes->GetCount(); ++C) {
        std::unique_ptr<TqlSymbolList> Members;
        Classes->GetClasses(C)->GetMembersWithVisibility(Members, {vkPublished});
        for (int M = 0; M < Members->GetCount(); ++M) {
            TqlSymbol* Member = Members->GetSymbol(M);
            if (!Member->GetTypeAssigned())
                continue;
            TqlSymbol* Type = Member->GetTypeIntf();
            if (!Type)
                continue;
            std::string Pattern;
            if (!FPrefixes->CheckPrefix(Type->GetName(), Member, Pattern))
                FData->AddRow(Member, nullptr,
                              {Unit->GetName(), Member->GetName(),
                               "Component prefix mismatch - " + Pattern});
        }
    }
}

void TRPTpasLint::CheckIndentation(TqlUnit* Unit)
{
    if (!IsOn(FIndentation, Unit) || Unit == FRunTimeLibrary)
        return;
    TqlCodingErrorsList* Errors = Unit->GetCodingErrorsList();
    for (int I = 0; I < Errors->GetCount(); ++I) {
        TqlCodeError* Error = Errors->GetItems(I);
        if (Error->GetErrorKind() == ekBadIndentation)
            FData->AddRow(Error, nullptr, {Unit->GetName(), "", "Bad indentation"});
    }
}

void TRPTpasLint::CheckClasses(TqlUnit* Unit, TqlClassList* List)
{
    for (int I = 0; I < List->GetCount(); ++I) {
        TqlClass* K = List->GetClasses(I);
        int Destructors = 0;
        TqlRoutineList* Routines = K->GetRoutines();
        for (int J = 0; J < Routines->GetCount(); ++J) {
            TqlRoutine* R = Routines->GetRoutine(J);
            const TRoutineDirectives D = R->GetDirectives();
            const bool IsVirtual = HasAny(D, {rdVirtual, rdDynamic});
            if (R->GetRoutineKind() == rkDestructor) {
                ++Destructors;
                // The root class introduces the virtual destructor: it has
                // nothing to override.
                const bool Root = !K->GetInheritsFromClass() && qlSameText(K->GetName(), "TObject");
                if (!D.Contains(rdOverride) && !Root)
                    Finding(Unit, FDestructorsNoOverride, R, K->GetName(),
                            Format("Destructor must be declared as override: %s", R->GetName()));
                if (K->GetInheritsFromClass() && IsVirtual)
                    Finding(Unit, FVirtualDestructors, R, K->GetName(),
                            Format("Destructor should not be declared as virtual: %s",
                                   R->GetName()));
            }
            if (IsVirtual && IsOn(FVirtualNoDescendants, Unit) && !HasDescendantDeclaring(K, R))
                Finding(Unit, FVirtualNoDescendants, R, K->GetName(),
                        Format("Virtual routine has no descendants: %s", R->GetName()));
            CheckRoutine(Unit, K, R);
        }
        CheckCaseMismatch(Unit, K, K);
        CheckName(Unit, FClassTypes, K, "", FNaming->GetClassTypes(), "Class type naming error");
        if (Destructors > 1)
            Finding(Unit, FManyDestructors, K, K->GetName(),
                    "Too many destructors declared (" + std::to_string(Destructors) + ")");
        CheckImplementedInterfaces(Unit, K);
        CheckClassFieldsAndProperties(Unit, K);
        CheckUnusedClassMembers(Unit, K);
    }
}

void TRPTpasLint::CheckImplementedInterfaces(TqlUnit* Unit, TqlClass* K)
{
    TqlOwnedInterfaceList* Implemented = K->GetInterfaces();
    std::set<std::string> Reported; // upper-case routine names
    // Implemented by K or by one of its ancestor classes.
    auto IsImplemented = [K](TqlInterface* A) {
        int Depth = 0;
        for (TqlClass* C = K; C && Depth < 1000; C = C->GetInheritsFromClass(), ++Depth) {
            TqlOwnedInterfaceList* List = C->GetInterfaces();
            for (int X = 0; X < List->GetCount(); ++X)
                if (List->GetInterfaces(X) == A)
                    return true;
        }
        return false;
    };
    for (int II = 0; II < Implemented->GetCount(); ++II) {
        TqlInterface* I = Implemented->GetInterfaces(II);
        TqlRoutineList* Routines = I->GetRoutines();
        for (int RI = 0; RI < Routines->GetCount(); ++RI) {
            TqlRoutine* R = Routines->GetRoutine(RI);
            const std::string Key = Upper(R->GetName());
            if (!K->GetRoutines()->Find(R->GetName()) || Reported.count(Key))
                continue;
            for (int JI = 0; JI < Implemented->GetCount(); ++JI) {
                TqlInterface* J = Implemented->GetInterfaces(JI);
                if (J == I || !J->GetRoutines()->Find(R->GetName()))
                    continue;
                Reported.insert(Key);
                Finding(Unit, FSameRoutineTwoInterfaces, R, K->GetName(),
                        "Ambiguous routine naming : " + R->GetName() + " is declared in " +
                            I->GetName() + " and " + J->GetName());
            }
        }
        // The interfaces I descends from: its own interfaces list, and the
        // parent the analysis records as its ancestor.
        std::vector<TqlInterface*> Ancestors;
        TqlOwnedInterfaceList* Own = I->GetInterfaces();
        for (int AI = 0; AI < Own->GetCount(); ++AI)
            Ancestors.push_back(Own->GetInterfaces(AI));
        if (auto* Parent = dynamic_cast<TqlInterface*>(I->GetInheritsFromClass()))
            if (std::find(Ancestors.begin(), Ancestors.end(), Parent) == Ancestors.end())
                Ancestors.push_back(Parent);
        for (TqlInterface* A : Ancestors)
            if (!IsImplemented(A))
                Finding(Unit, FAncestorInterface, K, K->GetName(),
                        "Class does not implement interface " + A->GetName() +
                            ", from which " + I->GetName() + " is descending");
    }
}

void TRPTpasLint::CheckClassFieldsAndProperties(TqlUnit* Unit, TqlClass* K)
{
    TqlVariablesList* Fields = K->GetFieldList();
    for (int I = 0; I < Fields->GetCount(); ++I) {
        TqlVariable* F = Fields->GetVariables(I);
        if (F->GetVisibility() == vkPublic)
            Finding(Unit, FPublicFields, F, K->GetName(),
                    Format("Field is declared as public: %s", F->GetName()));
        if (!(Unit->GetDFMResource() && F->GetVisibility() == vkPublished))
            CheckName(Unit, FClassFields, F, K->GetName(), FNaming->GetClassFields(),
                      "Class field naming error");
    }
    TqlPropertyList* Properties = K->GetProperties();
    for (int I = 0; I < Properties->GetCount(); ++I) {
        TqlProperty* P = Properties->GetProperties(I);
        CheckName(Unit, FProperties, P, K->GetName(), FNaming->GetProperties(),
                  "Class property naming error");
        if (auto* Read = dynamic_cast<TqlRoutine*>(P->GetReadAccess()))
            CheckName(Unit, FGetRoutines, Read, K->GetName(), FNaming->GetGetRoutines(),
                      "Property Get routine naming error");
        if (auto* Write = dynamic_cast<TqlRoutine*>(P->GetWriteAccess()))
            CheckName(Unit, FSetRoutines, Write, K->GetName(), FNaming->GetSetRoutines(),
                      "Property Set routine naming error");
    }
}

bool TRPTpasLint::HasDescendantDeclaring(TqlClass* K, TqlRoutine* R)
{
    // Depth first through the descendants; the seen set keeps a malformed
    // model (a class reachable twice) from being walked twice.
    std::vector<TqlClass*> Seen;
    std::vector<std::pair<TqlClass*, int>> Stack{{K, 0}};
    while (!Stack.empty()) {
        auto& [Class, Next] = Stack.back();
        TqlList* Descendants = Class->GetDescendants();
        if (Next >= Descendants->GetCount()) {
            Stack.pop_back();
            continue;
        }
        auto* E = dynamic_cast<TqlClass*>(Descendants->GetItem(Next++));
        if (!E || std::find(Seen.begin(), Seen.end(), E) != Seen.end())
            continue;
        Seen.push_back(E);
        if (E->GetRoutines()->Find(R->GetName()))
            return true;
        Stack.push_back({E, 0});
    }
    return false;
}

void TRPTpasLint::CheckUnusedClassMembers(TqlUnit* Unit, TqlClass* K)
{
    auto Unused = [&](TqlSymbol* S) {
        return HasNoUse(S) && MayBeUnused(Unit, S, MemberVisibleOutsideUnit(K, S));
    };
    TqlVariablesList* Fields = K->GetFieldList();
    for (int I = 0; I < Fields->GetCount(); ++I) {
        TqlVariable* F = Fields->GetVariables(I);
        if (Unused(F))
            Finding(Unit, FUnusedClassFields, F, K->GetName(), Format("Unused field: %s", F->GetName()));
    }
    TqlPropertyList* Properties = K->GetProperties();
    for (int I = 0; I < Properties->GetCount(); ++I) {
        TqlProperty* P = Properties->GetProperties(I);
        if (Unused(P) && !K->IsSymbolFromInterface(P->GetName()))
            Finding(Unit, FUnusedClassProperties, P, K->GetName(),
                    Format("Unused property: %s", P->GetName()));
    }
    TqlRoutineList* Routines = K->GetRoutines();
    for (int I = 0; I < Routines->GetCount(); ++I) {
        TqlRoutine* R = Routines->GetRoutine(I);
        if (Unused(R) && !HasAny(R->GetDirectives(), {rdOverride, rdVirtual, rdMessage}) &&
            !K->IsSymbolFromInterface(R->GetName()) && !IsFormEventHandler(R->GetName()))
            Finding(Unit, FUnusedClassRoutines, R, K->GetName(),
                    Format("Unused routine: %s", R->GetName()));
    }
}

void TRPTpasLint::CheckRecords(TqlUnit* Unit)
{
    TqlRecordsList* Records = Unit->GetRecords();
    for (int I = 0; I < Records->GetCount(); ++I) {
        TqlRecord* Q = Records->GetRecords(I);
        TqlVariablesList* Fields = Q->GetFieldList();
        for (int J = 0; J < Fields->GetCount(); ++J) {
            TqlVariable* F = Fields->GetVariables(J);
            if (HasNoUse(F) && MayBeUnused(Unit, F, VisibleOutsideUnit(Q)))
                Finding(Unit, FUnusedRecordFields, F, Q->GetName(),
                        Format("Unused field: %s", F->GetName()));
        }
        CheckCaseMismatch(Unit, nullptr, Q);
        CheckName(Unit, FRecordTypes, Q, "", FNaming->GetRecordTypes(), "Record type naming error");
    }
}

void TRPTpasLint::CheckRoutine(TqlUnit* Unit, TqlSymbol* Owner, TqlRoutine* R)
{
    CheckConstParameters(Unit, Owner, R);
    CheckUnusedParameters(Unit, Owner, R);
    CheckUnusedSymbols(Unit, Owner, R);
    CheckRoutineNameAsResult(Unit, R);
    CheckCaseMismatch(Unit, Owner, R);
    CheckRoutineNaming(Unit, Owner, R);
}

void TRPTpasLint::CheckConstParameters(TqlUnit* Unit, TqlSymbol* Owner, TqlRoutine* R)
{
    TqlParameterList* Parameters = R->GetParameters();
    for (int I = 0; I < Parameters->GetCount(); ++I) {
        TqlParameter* P = Parameters->GetParameters(I);
        // A parameter the routine changes cannot be const.
        if (P->GetParamKind() != pkNone || !P->GetParamType() || P->GetIsModified())
            continue;
        switch (AliasedTypeKind(P->GetParamType())) {
        case tkAnsiString:
        case tkShortString:
        case tkString:
        case tkWideString:
        case tkOleVariant:
        case tkVariant:
            Finding(Unit, FNonConstParameters, R, OwnerRule(Owner, R),
                    Format("Parameter %s should be declared as const", P->GetName()));
            break;
        default: break;
        }
    }
}

void TRPTpasLint::CheckUnusedParameters(TqlUnit* Unit, TqlSymbol* Owner, TqlRoutine* R)
{
    // The instructions of an assembler routine, or of an asm block in its
    // body, may find its parameters in registers, or pass them on by a jump.
    if (HasAny(R->GetDirectives(),
               {rdAbstract, rdExternal, rdMessage, rdVirtual, rdOverride, rdAssembler}) ||
        R->GetHasAsmBlock())
        return;
    if (Owner) {
        auto* OwnerClass = dynamic_cast<TqlClass*>(Owner);
        if (R->GetIsUsedFromDFM() || IsFormEventHandler(R->GetName()) ||
            (OwnerClass && OwnerClass->IsSymbolFromInterface(R->GetName())))
            return;
    }
    TqlParameterList* Parameters = R->GetParameters();
    for (int I = 0; I < Parameters->GetCount(); ++I) {
        TqlParameter* P = Parameters->GetParameters(I);
        if (HasNoUse(P) && MayBeUnused(Unit, P, false))
            Finding(Unit, FUnusedParameters, P, OwnerRule(Owner, R),
                    Format("Unused parameter: %s", P->GetName()));
    }
}

void TRPTpasLint::CheckUnusedSymbols(TqlUnit* Unit, TqlSymbol* Owner, TqlVarContainer* Container)
{
    const bool IsUnit = Container == Unit;
    const std::string Location = IsUnit ? Unit->GetName() : OwnerRule(Owner, Container);
    auto Unused = [&](TqlSymbol* S) {
        return HasNoUse(S) && MayBeUnused(Unit, S, IsUnit && VisibleOutsideUnit(S));
    };
    TqlVariablesList* Variables = Container->GetVariables();
    for (int I = 0; I < Variables->GetCount(); ++I) {
        TqlVariable* V = Variables->GetVariables(I);
        if (Unused(V))
            Finding(Unit, FUnusedVariables, V, Location, Format("Unused variable: %s", V->GetName()));
    }
    TqlVariablesList* Constants = Container->GetConstants();
    for (int I = 0; I < Constants->GetCount(); ++I) {
        TqlVariable* C = Constants->GetVariables(I);
        if (Unused(C))
            Finding(Unit, FUnusedConstants, C, Location, Format("Unused constant: %s", C->GetName()));
    }
    TqlRoutineList* Routines = Container->GetRoutines();
    for (int I = 0; I < Routines->GetCount(); ++I) {
        TqlRoutine* R = Routines->GetRoutine(I);
        if (Unused(R))
            Finding(Unit, FUnusedRoutines, R, Location, Format("Unused routine: %s", R->GetName()));
    }
}

void TRPTpasLint::CheckRoutineNameAsResult(TqlUnit* Unit, TqlRoutine* R)
{
    TqlVariable* Own = R->GetRoutineType();
    if (!Own || Own->GetUsedBy()->GetCount() == 0)
        return;
    Finding(Unit, FRoutineNameAsResult, Own->GetUsedBy()->GetLocations(0), R->GetName(),
            Format("Usage of routine name to return routine result: %s", R->GetName()));
}

void TRPTpasLint::CheckCaseMismatch(TqlUnit* Unit, TqlSymbol* Owner, TqlSymbolContainer* Container)
{
    if (!IsOn(FCaseMismatch, Unit))
        return;
    const std::string Location =
        (Owner && Owner != Container) ? OwnerRule(Owner, Container) : Container->GetName();
    for (int I = 0; I < Container->GetSymbolCount(); ++I) {
        TqlSymbol* S = Container->GetSymbol(I);
        TqlUsedByList* Uses = S->GetUsedBy();
        for (int J = 0; J < Uses->GetCount(); ++J) {
            TqlUsedByLocation* Use = Uses->GetLocations(J);
            if (!Use->GetIsWrongCase() || InRunTimeLibrary(Use))
                continue;
            // A use in no known unit (no file) names no unit.
            TqlUnit* UseUnit = Use->GetUnitIntf();
            FData->AddUnitRow(Unit, FCaseMismatch, Use, nullptr,
                              {UseUnit ? UseUnit->GetName() : std::string(), Location,
                               Format("Case mismatch on symbol: %s", S->GetName())});
        }
    }
}

void TRPTpasLint::CheckRoutineNaming(TqlUnit* Unit, TqlSymbol* Owner, TqlRoutine* R)
{
    if (HasAny(R->GetDirectives(), {rdAbstract, rdExternal, rdMessage, rdOverride}))
        return;
    if (Owner && (R->GetIsUsedFromDFM() || IsFormEventHandler(R->GetName())))
        return;
    const std::string& Name = R->GetName();
    CheckName(Unit, FRoutineNames, R, Name, FNaming->GetRoutineNames(), "Routine naming error");
    TqlVariablesList* Locals = R->GetVariables();
    for (int I = 0; I < Locals->GetCount(); ++I)
        CheckName(Unit, FLocalVariables, Locals->GetVariables(I), Name,
                  FNaming->GetLocalVariables(), "Local variable naming error");
    TqlVariablesList* Constants = R->GetConstants();
    for (int I = 0; I < Constants->GetCount(); ++I)
        CheckName(Unit, FConstants, Constants->GetVariables(I), Name, FNaming->GetConstants(),
                  "Constant naming error");
    TqlParameterList* Parameters = R->GetParameters();
    for (int I = 0; I < Parameters->GetCount(); ++I) {
        TqlParameter* P = Parameters->GetParameters(I);
        switch (P->GetParamKind()) {
        case pkVar:
        case pkOut:
            CheckName(Unit, FVarParameters, P, Name, FNaming->GetVarParameters(),
                      "Var parameter naming error");
            break;
        case pkConst:
        case pkIn:
            CheckName(Unit, FConstParameters, P, Name, FNaming->GetConstParameters(),
                      "Const parameter naming error");
            break;
        default:
            CheckName(Unit, FOtherParameters, P, Name, FNaming->GetParameters(),
                      "Parameter naming error");
            break;
        }
    }
}
