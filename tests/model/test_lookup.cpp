#include "ModelTestSupport.h"
#include "lexer/lxPasLexTypes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace {
TqlUsedByInfo At(TqlUnit* U, int X, int Y) { return UsedByInfo(U->GetFileIndex(), false, X, Y); }
int Uses(TqlSymbol* S) { return S->GetUsedBy()->GetCount(); }
bool SameTextForTest(const std::string& A, const std::string& B)
{
    return A.size() == B.size() &&
           std::equal(A.begin(), A.end(), B.begin(), [](char C, char D) { return std::toupper(C) == std::toupper(D); });
}
} // namespace

TEST(Lookup, WrongCaseIsRecorded)
{
    TProjectScope Project;
    TqlUnit* U = Project->NewUnit("Main");
    TqlVariable* V = U->GetVariables()->AddVariable("MyVar", vkInterface, false, 0, 1, 1);
    EXPECT_EQ(U->FindSymbol(U, nullptr, "myvar", true, At(U, 5, 10)), V);
    EXPECT_EQ(U->FindSymbol(U, nullptr, "MyVar", true, At(U, 6, 11)), V);
    ASSERT_EQ(Uses(V), 2);
    EXPECT_TRUE(V->GetUsedBy()->GetLocations(0)->GetIsWrongCase());
    EXPECT_EQ(V->GetUsedBy()->GetLocations(0)->GetX(), 5);
    EXPECT_EQ(V->GetUsedBy()->GetLocations(0)->GetY(), 10);
    EXPECT_FALSE(V->GetUsedBy()->GetLocations(1)->GetIsWrongCase());
    // The same place looked up again is recorded again.
    U->FindSymbol(U, nullptr, "MyVar", true, At(U, 6, 11));
    EXPECT_EQ(Uses(V), 3);
    // An absent name records nothing.
    EXPECT_EQ(U->FindSymbol(U, nullptr, "Other", true, At(U, 1, 1)), nullptr);
    EXPECT_EQ(U->GetUsedByLocations()->GetCount(), 3);
}

TEST(Lookup, CaseFoldingCoversWindows1252Letters)
{
    TProjectScope Project;
    TqlUnit* U = Project->NewUnit("Main");
    // "Größe" with upper-case umlauts written in the other case.
    const std::string Declared = "Gr\xF6\xDF" "e";
    const std::string Written = "GR\xD6\xDF" "E";
    TqlVariable* V = U->GetVariables()->AddVariable(Declared, vkInterface, false, 0, 1, 1);
    EXPECT_EQ(U->FindSymbol(U, nullptr, Written, true, At(U, 1, 2)), V);
    EXPECT_TRUE(V->GetUsedBy()->GetLocations(0)->GetIsWrongCase());
    EXPECT_EQ(U->GetVariables()->Find("gr\xF6\xDF" "E"), V);
}

TEST(Lookup, AncestorMemberTwoLevelsUpRecordsOneUse)
{
    TProjectScope Project;
    TqlUnit* U = Project->NewUnit("Main");
    TqlClass* A = U->GetClasses()->AddClass("TA", vkInterface, 0, 1, 1);
    TqlClass* B = U->GetClasses()->AddClass("TB", vkInterface, 0, 1, 2);
    TqlClass* C = U->GetClasses()->AddClass("TC", vkInterface, 0, 1, 3);
    B->SetInheritsFromClass(A);
    C->SetInheritsFromClass(B);
    TqlRoutine* Run = A->GetRoutines()->AddRoutine("Run", vkPublic, rkProcedure, 0, 1, 4);
    EXPECT_EQ(C->FindSymbol(U, nullptr, "run", true, At(U, 7, 9)), Run);
    ASSERT_EQ(Uses(Run), 1);
    EXPECT_TRUE(Run->GetUsedBy()->GetLocations(0)->GetIsWrongCase());
    EXPECT_EQ(C->FindSymbol(U, nullptr, "Missing", true, At(U, 7, 9)), nullptr);
}

TEST(Lookup, LaterUsedUnitHidesEarlierOne)
{
    TProjectScope Project;
    TqlUnit* Main = Project->NewUnit("Main");
    TqlUnit* First = Project->NewUnit("First");
    TqlUnit* Second = Project->NewUnit("Second");
    Main->GetUsedUnits()->AddUsedUnit(new TqlUsedUnit(First));
    Main->GetUsedUnits()->AddUsedUnit(new TqlUsedUnit(Second));

    TqlVariable* OnlySecond = Second->GetVariables()->AddVariable("OnlySecond", vkInterface, false,
                                                                  Second->GetFileIndex(), 1, 1);
    EXPECT_EQ(Main->FindReferencedSymbol(nullptr, "OnlySecond", true, At(Main, 3, 3)), OnlySecond);
    EXPECT_EQ(Uses(OnlySecond), 1);
    EXPECT_EQ(Main->GetUsedByLocations()->GetCount(), 1) << "the use lies in the referencing unit";

    TqlVariable* InFirst = First->GetVariables()->AddVariable("Both", vkInterface, false,
                                                              First->GetFileIndex(), 1, 1);
    TqlVariable* InSecond = Second->GetVariables()->AddVariable("Both", vkInterface, false,
                                                                Second->GetFileIndex(), 1, 1);
    EXPECT_EQ(Main->FindReferencedSymbol(nullptr, "Both", true, At(Main, 4, 4)), InSecond);
    EXPECT_EQ(Uses(InSecond), 1);
    EXPECT_EQ(Uses(InFirst), 0);

    // A declaration of the unit itself comes first.
    TqlVariable* Own = Main->GetVariables()->AddVariable("Both", vkImplementation, false,
                                                         Main->GetFileIndex(), 1, 1);
    EXPECT_EQ(Main->FindReferencedSymbol(nullptr, "Both", false, At(Main, 4, 4)), Own);
    EXPECT_EQ(Main->GetUsedUnits()->FindUsedUnit("second")->GetUnit(), Second);
    EXPECT_EQ(Main->GetUsedUnits()->GetUsedUnit(0)->GetUnit(), First);
}

TEST(Lookup, ImplementationSymbolsOnlyFromTheirOwnUnit)
{
    TProjectScope Project;
    TqlUnit* A = Project->NewUnit("A");
    TqlUnit* B = Project->NewUnit("B");
    B->GetUsedUnits()->AddUsedUnit(new TqlUsedUnit(A));
    TqlVariable* Hidden = A->GetVariables()->AddVariable("Hidden", vkImplementation, false,
                                                         A->GetFileIndex(), 1, 1);
    EXPECT_EQ(A->FindSymbol(B, nullptr, "Hidden"), nullptr);
    EXPECT_EQ(B->FindReferencedSymbol(nullptr, "Hidden", true, At(B, 1, 1)), nullptr);
    EXPECT_EQ(A->FindSymbol(A, nullptr, "Hidden"), Hidden);
    EXPECT_EQ(Uses(Hidden), 0);
    // A parameter-like entry (visibility none) never counts at unit level.
    TqlVariable* Nothing = A->GetVariables()->AddVariable("Nothing", vkNone, false, 0, 1, 1);
    (void)Nothing;
    EXPECT_EQ(A->FindSymbol(A, nullptr, "Nothing"), nullptr);
}

TEST(Lookup, LastDeclarationThatCountsWins)
{
    TProjectScope Project;
    TqlUnit* A = Project->NewUnit("A");
    TqlUnit* B = Project->NewUnit("B");
    TqlRoutine* Forward = A->GetRoutines()->AddRoutine("Proc", vkInterface, rkProcedure, 0, 1, 1);
    TqlRoutine* Body = A->GetRoutines()->AddRoutine("Proc", vkImplementation, rkProcedure, 0, 1, 9);
    EXPECT_EQ(A->FindSymbol(A, nullptr, "Proc"), Body);
    EXPECT_EQ(A->FindSymbol(B, nullptr, "Proc"), Forward);
    // Many same-named entries, whatever the order the index sorts them in.
    TqlRoutine* Last = nullptr;
    for (int i = 0; i < 50; ++i)
        Last = A->GetRoutines()->AddRoutine("Over", vkInterface, rkFunction, 0, 1, 100 + i);
    EXPECT_EQ(A->FindSymbol(B, nullptr, "OVER"), Last);
}

TEST(Lookup, PrivateAndStrictPrivateAcrossUnits)
{
    TProjectScope Project;
    TqlUnit* A = Project->NewUnit("A");
    TqlUnit* B = Project->NewUnit("B");
    TqlClass* C = A->GetClasses()->AddClass("TC", vkInterface, A->GetFileIndex(), 1, 1);
    TqlVariable* Priv = C->GetVariables()->AddVariable("FPriv", vkPrivate, false, 0, 1, 2);
    TqlVariable* Strict = C->GetVariables()->AddVariable("FStrict", vkStrictPrivate, false, 0, 1, 3);
    EXPECT_EQ(C->FindSymbol(B, nullptr, "FPriv", true, At(B, 1, 1)), nullptr);
    EXPECT_EQ(Uses(Priv), 0);
    EXPECT_EQ(C->FindSymbol(A, nullptr, "FPriv"), Priv);
    EXPECT_EQ(C->FindSymbol(B, nullptr, "FStrict"), Strict);
}

TEST(Lookup, ProtectedMembers)
{
    TProjectScope Project;
    TqlUnit* A = Project->NewUnit("A");
    TqlUnit* B = Project->NewUnit("B");
    TqlClass* Base = A->GetClasses()->AddClass("TBase", vkInterface, A->GetFileIndex(), 1, 1);
    TqlVariable* Prot = Base->GetVariables()->AddVariable("FProt", vkProtected, false, 0, 1, 2);
    TqlClass* Derived = B->GetClasses()->AddClass("TDerived", vkInterface, B->GetFileIndex(), 1, 1);
    Derived->SetInheritsFromClass(Base);
    Base->GetDescendants()->Add(Derived);
    TqlClass* Stranger = B->GetClasses()->AddClass("TStranger", vkInterface, B->GetFileIndex(), 1, 5);

    // Code outside any method of another unit does not reach it; a lookup
    // for no code at all does.
    EXPECT_EQ(Base->FindSymbol(B, nullptr, "FProt"), nullptr) << "outside methods";
    EXPECT_EQ(Base->FindSymbol(nullptr, nullptr, "FProt"), Prot) << "no code";
    EXPECT_EQ(Base->FindSymbol(B, Derived, "FProt"), Prot) << "context is a descendant";
    EXPECT_EQ(Base->FindSymbol(B, Stranger, "FProt"), nullptr);
    EXPECT_EQ(Base->FindSymbol(A, Stranger, "FProt"), Prot) << "same unit";
    EXPECT_EQ(Base->FindSymbol(B, Base, "FProt"), Prot) << "the class itself";
    // Found through the descendant's own lookup, with itself as context.
    EXPECT_EQ(Derived->FindSymbol(B, Derived, "FProt"), Prot);
    EXPECT_TRUE(Base->IsDescendant(Derived));
    EXPECT_FALSE(Derived->IsDescendant(Base));
    EXPECT_FALSE(Base->IsDescendant(nullptr));
}

// A protected member of TBase (unit A) asked for from other units, through
// the class trees the class parser builds: TChild (unit B) and TGrandChild
// (unit C, deriving from TChild) descend from TBase, TSibling (unit D) too,
// beside forty other children of TBase; TStranger (unit C) does not.
TEST(Lookup, ProtectedMembersAcrossUnits)
{
    TProjectScope Project;
    TqlUnit* A = Project->NewUnit("A");
    TqlUnit* B = Project->NewUnit("B");
    TqlUnit* C = Project->NewUnit("C");
    TqlUnit* D = Project->NewUnit("D");
    auto Class = [](TqlUnit* U, const std::string& Name, TqlClass* Ancestor) {
        const int Y = U->GetClasses()->GetCount() + 1;
        TqlClass* K = U->GetClasses()->AddClass(Name, vkInterface, U->GetFileIndex(), 3, Y);
        if (Ancestor) {
            K->SetInheritsFromClass(Ancestor);
            Ancestor->GetDescendants()->Add(K);
        }
        return K;
    };
    TqlClass* Base = Class(A, "TBase", nullptr);
    TqlVariable* Prot = Base->GetVariables()->AddVariable("FProt", vkProtected, false, 0, 5, 1);
    for (int I = 0; I < 40; ++I)
        Class(B, "TOther" + std::to_string(I), Base);
    TqlClass* Child = Class(B, "TChild", Base);
    TqlClass* Grand = Class(C, "TGrandChild", Child);
    TqlClass* Sibling = Class(D, "TSibling", Base);
    TqlClass* Stranger = Class(C, "TStranger", nullptr);

    struct TCase {
        const char* Shape;
        TqlUnit* Unit;
        TqlClass* Caller;
        TqlClass* Asked;
        bool Visible;
    };
    const TCase Cases[] = {
        {"caller in a descendant", B, Child, Child, true},
        {"caller in a descendant, asking the base", B, Child, Base, true},
        {"caller in a descendant's descendant in another unit", C, Grand, Grand, true},
        {"the same caller asking the base", C, Grand, Base, true},
        {"caller in a descendant's descendant asking its parent", C, Grand, Child, true},
        {"caller in an unrelated class", C, Stranger, Grand, false},
        {"caller in an unrelated class asking the base", C, Stranger, Base, false},
        {"caller in an ancestor, asking through a descendant", D, Base, Child, false},
        {"caller in a sibling, asking the base", D, Sibling, Base, true},
        {"caller in a sibling, asking through another branch", D, Sibling, Grand, false},
        {"no caller class: code outside methods", D, nullptr, Grand, false},
        {"an unrelated caller in the declaring unit", A, Stranger, Base, true},
    };
    for (const TCase& T : Cases) {
        SCOPED_TRACE(T.Shape);
        EXPECT_EQ(T.Asked->FindSymbol(T.Unit, T.Caller, "FProt"), T.Visible ? Prot : nullptr);
    }
    EXPECT_TRUE(Project.Messages().empty());
}

TEST(Lookup, SlotFiveNeverRecords)
{
    TProjectScope Project;
    TqlUnit* U = Project->NewUnit("U");
    TqlRecord* R = U->GetRecords()->AddRecord("TR", vkInterface, 0, 1, 1);
    TqlVariable* F = R->GetFieldList()->AddVariable("Field", vkPublic, false, 0, 1, 2);
    TqlClass* C = U->GetClasses()->AddClass("TC", vkInterface, 0, 1, 3);
    TqlVariable* G = C->GetFieldList()->AddVariable("G", vkPublic, false, 0, 1, 4);
    EXPECT_EQ(R->FindSymbol(U, nullptr, "field"), F);
    EXPECT_EQ(C->FindSymbol(U, nullptr, "g"), G);
    EXPECT_EQ(U->FindSymbol(U, nullptr, "tr"), R);
    EXPECT_EQ(Uses(F) + Uses(G) + Uses(R), 0);
    EXPECT_EQ(U->GetUsedByLocations()->GetCount(), 0);
}

TEST(Lookup, LabelsAreNeverFoundByName)
{
    TqlUnit U(-1, "U");
    TqlRoutine* R = U.GetRoutines()->AddRoutine("P", vkInterface, rkProcedure, -1, 0, 0);
    TqlLabel* L = R->GetLabels()->AddLabel("Done", false, -1, 0, 0);
    EXPECT_EQ(R->GetLabels()->GetLabels(0), L);
    EXPECT_EQ(R->FindSymbol(&U, nullptr, "Done"), nullptr);
    EXPECT_EQ(R->GetSymbolCount(), 0);
}

TEST(Lookup, TypeLikeDeclarationsReachTheContainerThroughTheTypesList)
{
    TqlUnit U(-1, "U");
    TqlRecord* R = U.GetRecords()->AddRecord("TR", vkInterface, -1, 0, 0);
    TqlEnumeration* E = U.GetEnumerations()->AddItem("TE", vkInterface, -1, 0, 0);
    TqlArray* A = U.GetArrays()->AddArray("TA", vkInterface, -1, 0, 0);
    TqlClass* O = U.GetObjects()->AddClass("TO", vkInterface, -1, 0, 0);
    TqlInterface* I = U.GetInterfaces()->AddInterface("IX", vkInterface, -1, 0, 0);
    EXPECT_EQ(U.GetTypes()->GetCount(), 5);
    EXPECT_TRUE(U.GetTypes()->GetOwnsObjects());
    EXPECT_FALSE(U.GetRecords()->GetOwnsObjects());
    EXPECT_EQ(U.GetSymbolCount(), 5);
    for (TqlSymbol* S : std::vector<TqlSymbol*>{R, E, A, O, I})
        EXPECT_EQ(U.FindSymbol(&U, nullptr, S->GetName()), S);
    EXPECT_EQ(dynamic_cast<TqlObject*>(O), O);
    EXPECT_EQ(U.GetObjects()->Find("to"), O);
    EXPECT_EQ(U.GetInterfaces()->GetInterfaces(0), I);
    EXPECT_EQ(U.GetEnumerations()->GetEnumeration(0), E);
    EXPECT_EQ(U.GetArrays()->GetArray(0), A);
}

TEST(Lookup, ImplementedInterfacesStayOutOfTheClassIndex)
{
    TqlUnit U(-1, "U");
    TqlInterface* Intf = U.GetInterfaces()->AddInterface("IRun", vkInterface, -1, 0, 0);
    Intf->GetRoutines()->AddRoutine("Run", vkPublic, rkProcedure, -1, 0, 0);
    TqlClass* C = U.GetClasses()->AddClass("TRunner", vkInterface, -1, 0, 0);
    C->GetInterfaces()->InternalSymbolAdded(Intf);
    EXPECT_EQ(C->GetInterfaces()->Find("IRUN"), Intf);
    EXPECT_EQ(C->FindSymbol(&U, nullptr, "IRun"), nullptr);
    EXPECT_EQ(C->GetTypes()->GetCount(), 0);
    EXPECT_TRUE(C->IsSymbolFromInterface("run"));
    EXPECT_FALSE(C->IsSymbolFromInterface("Stop"));
}

TEST(Lookup, ForwardPointerIsCompletedWhenItsTargetArrives)
{
    TqlUnit U(-1, "U");
    TqlType* P = U.GetTypes()->AddType("PNode", vkInterface, -1, 0, 0, true);
    P->SetPointerType(true);
    P->SetPointerTypeName("TNode");
    U.AddForwardPointerType(P);
    EXPECT_EQ(U.FindForwardPointerType("tnode"), P);
    EXPECT_EQ(P->GetTypeIntf(), nullptr);
    TqlRecord* Node = U.GetRecords()->AddRecord("TNODE", vkInterface, -1, 0, 0);
    EXPECT_EQ(P->GetTypeIntf(), Node);
    EXPECT_EQ(U.FindForwardPointerType("Other"), nullptr);
    // A container that holds no list yet answers without making one, and
    // the lists it makes later are its own.
    TqlRoutine* R = U.GetRoutines()->AddRoutine("Run", vkInterface, rkProcedure, -1, 0, 0);
    EXPECT_EQ(R->FindForwardPointerType("TNode"), nullptr);
    R->TrimLists();
    EXPECT_NE(R->GetTypes(), U.GetTypes());
    EXPECT_EQ(R->GetTypes()->GetCount(), 0);
    EXPECT_EQ(R->GetTypes(), R->GetTypes());
}

TEST(Lookup, SortedViewsAreByNameWithoutRegardToCase)
{
    TqlUnit U(-1, "U");
    TqlOwnedClassList* Classes = U.GetClasses();
    Classes->AddClass("b", vkInterface, -1, 0, 0);
    Classes->AddClass("A", vkInterface, -1, 0, 0);
    Classes->AddClass("c", vkInterface, -1, 0, 0);
    EXPECT_EQ(Classes->GetSortedClasses(0)->GetName(), "A");
    EXPECT_EQ(Classes->GetSortedClasses(1)->GetName(), "b");
    EXPECT_EQ(Classes->GetSortedClasses(2)->GetName(), "c");
    EXPECT_EQ(Classes->GetClasses(0)->GetName(), "b") << "insertion order";
    Classes->AddClass("a0", vkInterface, -1, 0, 0);
    EXPECT_EQ(Classes->GetSortedClasses(1)->GetName(), "a0") << "the view is rebuilt after an add";
    EXPECT_THROW(Classes->GetSortedClasses(4), EListError);

    TqlUnitList Units;
    Units.AddUnit(new TqlUnit(-1, "Zeta"));
    Units.AddUnit(new TqlUnit(-1, "alpha"));
    EXPECT_EQ(Units.GetSortedUnits(0)->GetName(), "alpha");
    EXPECT_EQ(Units.GetUnits(0)->GetName(), "Zeta");
    EXPECT_EQ(Units.FindUnit("ZETA"), Units.GetUnits(0));
    Units.Clear();
    EXPECT_EQ(Units.FindUnit("Zeta"), nullptr);
    EXPECT_EQ(Units.GetCount(), 0);
}

TEST(Lookup, SymbolListFindsByNameAndOwnsItsItems)
{
    TqlSymbolList L(true);
    TqlSymbol* A = L.AddSymbol("Alpha", vkPublic, -1, 0, 0);
    EXPECT_EQ(A->GetTypeKind(), tkNone);
    EXPECT_EQ(L.Find("ALPHA"), A);
    EXPECT_EQ(L.Find("Beta"), nullptr);
    EXPECT_EQ(L.GetSortedSymbols(0), A);
    L.Clear();
    EXPECT_EQ(L.Find("Alpha"), nullptr);
}

TEST(Lookup, HashedObjectListKeepsDuplicates)
{
    TqlHashedObjectList H;
    TqlSymbol X("x", vkPublic, tkNone, -1, 0, 0), Y("y", vkPublic, tkNone, -1, 0, 0);
    EXPECT_EQ(H.Add("Name", &X), 0);
    EXPECT_EQ(H.Add("NAME", &Y), 1);
    H.Add("Other", &Y);
    int Index = -1;
    ASSERT_TRUE(H.Find("name", Index));
    EXPECT_TRUE(H.GetObject(Index) == &X || H.GetObject(Index) == &Y);
    EXPECT_EQ(H.FindAll("nAmE").size(), 2u);
    EXPECT_FALSE(H.Find("Nam", Index));
    ASSERT_TRUE(H.Find("Other", Index));
    H.SetObject(Index, &X);
    EXPECT_EQ(H.GetObject(Index), &X);
    H.Delete(Index);
    EXPECT_FALSE(H.Find("Other", Index));
    EXPECT_EQ(H.Count(), 2);
    H.Clear();
    EXPECT_EQ(H.Count(), 0);
}

TEST(Lookup, NameIndexStaysSearchableWhileAddsAndLookupsAlternate)
{
    // An index that keeps its names and one that reads them from its symbols
    // answer alike.
    for (const TqlNameHash::TNameOf NameOf : {TqlNameHash::TNameOf(nullptr), &qlSymbolName}) {
        SCOPED_TRACE(NameOf ? "names read from the symbols" : "names kept");
        TqlHashedObjectList H(NameOf);
        std::vector<std::unique_ptr<TqlSymbol>> Symbols;
        for (int i = 0; i < 3000; ++i) {
            const std::string Name = "Name" + std::to_string(i * 7919 % 3001);
            Symbols.push_back(std::make_unique<TqlSymbol>(Name, vkPublic, tkNone, -1, 0, i));
            const int At = H.Add(Name, Symbols.back().get());
            EXPECT_EQ(H.GetObject(At), Symbols.back().get());
            int Index = -1;
            ASSERT_TRUE(H.Find(Name, Index)) << Name;
            EXPECT_TRUE(SameTextForTest(H.GetString(Index), Name));
            if (i > 0) {
                const std::string Earlier = Symbols[size_t(i / 2)]->GetName();
                ASSERT_TRUE(H.Find(Earlier, Index)) << Earlier;
            }
        }
        EXPECT_EQ(H.Count(), 3000);
        // Two entries of one name keep the order in which they came.
        TqlSymbol A("Dup", vkPublic, tkNone, -1, 0, 0), B("DUP", vkPublic, tkNone, -1, 0, 0);
        H.Add("Dup", &A);
        H.Add("DUP", &B);
        const std::vector<int> Both = H.FindAll("dup");
        ASSERT_EQ(Both.size(), 2u);
        EXPECT_EQ(H.GetObject(Both[0]), &A);
        EXPECT_EQ(H.GetObject(Both[1]), &B);
        // An empty name and one longer than any length byte could give.
        const std::string Long(300, 'q');
        TqlSymbol Empty("", vkPublic, tkNone, -1, 0, 0), Longer(Long, vkPublic, tkNone, -1, 0, 0);
        H.Add("", &Empty);
        H.Add(Long, &Longer);
        int Index = -1;
        ASSERT_TRUE(H.Find("", Index));
        EXPECT_EQ(H.GetObject(Index), &Empty);
        EXPECT_EQ(H.GetString(Index), "");
        ASSERT_TRUE(H.Find(std::string(300, 'Q'), Index));
        EXPECT_EQ(H.GetString(Index), Long);
        EXPECT_FALSE(H.Find(std::string(299, 'q'), Index));
        H.Trim();
        ASSERT_TRUE(H.Find("Dup", Index));
        EXPECT_EQ(H.Count(), 3004);
    }
}

TEST(Lookup, MembersAreListedInTheOrderTheMergesGive)
{
    // Reports list a container's members by position: the positions must
    // follow the rule of the index (a tail in arrival order, merged stably by
    // hash once it outgrows the square root of the index and sixteen).
    auto HashOf = [](const std::string& Name) {
        uint32_t H = 0;
        for (char C : Name)
            H = TlxLexHashStrings::HashStep(H, C);
        return H;
    };
    TqlHashedObjectList H(&qlSymbolName);
    std::vector<std::unique_ptr<TqlSymbol>> Symbols;
    std::vector<TqlSymbol*> Expected;
    size_t Sorted = 0;
    for (int i = 0; i < 700; ++i) {
        Symbols.push_back(std::make_unique<TqlSymbol>("M" + std::to_string(i * 37 % 211), vkPublic,
                                                      tkNone, -1, 0, i));
        H.Add(Symbols.back()->GetName(), Symbols.back().get());
        Expected.push_back(Symbols.back().get());
        const size_t Tail = Expected.size() - Sorted;
        if (Tail * Tail > Expected.size() && Tail > 16) {
            auto ByHash = [&](TqlSymbol* A, TqlSymbol* B) { return HashOf(A->GetName()) < HashOf(B->GetName()); };
            std::stable_sort(Expected.begin() + std::ptrdiff_t(Sorted), Expected.end(), ByHash);
            std::inplace_merge(Expected.begin(), Expected.begin() + std::ptrdiff_t(Sorted), Expected.end(), ByHash);
            Sorted = Expected.size();
        }
        if (i % 50 == 49 || i == 699) {
            ASSERT_EQ(H.Count(), int(Expected.size()));
            for (size_t P = 0; P < Expected.size(); ++P)
                ASSERT_EQ(H.GetObject(int(P)), Expected[P]) << "after " << i + 1 << ", position " << P;
        }
    }
}

TEST(Lookup, AnIndexOfSymbolsTakesEachUnderItsOwnName)
{
    // The symbol's own name, or the same characters elsewhere, is taken; any
    // other name is a programming error.
    TqlHashedObjectList H(&qlSymbolName);
    TqlSymbol A("Alpha", vkPublic, tkNone, -1, 0, 0);
    TqlSymbol B("Beta", vkPublic, tkNone, -1, 0, 1);
    EXPECT_NO_THROW(H.Add(A.GetName(), &A));
    EXPECT_NO_THROW(H.Add(std::string("Beta"), &B));
    EXPECT_THROW(H.Add(std::string("Betb"), &B), EAssertionFailed);
    EXPECT_THROW(H.Add(A.GetName().substr(0, 4), &A), EAssertionFailed);
    EXPECT_EQ(H.Count(), 2);
}
