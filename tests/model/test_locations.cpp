#include "ModelTestSupport.h"

#include "model/uqlFind.h"
#include "model/uqlQuickSort.h"

#include <gtest/gtest.h>

TEST(CodeLocation, NegativeFileIndexHasNoFileAndNoUnit)
{
    TProjectScope Project;
    Project->NewUnit("UnitA");
    TqlCodeLocation L(-1, 3, 4);
    EXPECT_EQ(L.GetFileName(), "???");
    EXPECT_EQ(L.GetUnitIndex(), -1);
    EXPECT_EQ(L.GetUnitIntf(), nullptr);

    TqlSymbol S("X", vkPublic, tkNone, 0, 1, 1);
    S.GetUsedBy()->AddUsedBy(UsedByInfo(-1, false, 5, 6));
    EXPECT_EQ(S.GetUsedBy()->GetLocations(0)->GetFileName(), "???");
    EXPECT_EQ(Project->GetUnits()->GetUnits(0)->GetUsedByLocations()->GetCount(), 0);
}

TEST(CodeLocation, SetXMovesTheEndAndSetEndXOnlyTheEnd)
{
    // A plain location ends where it starts.
    TqlCodeLocation P(0, 1, 2);
    EXPECT_EQ(P.GetEndX(), 1);
    EXPECT_EQ(P.GetEndY(), 2);
    P.SetX(3);
    EXPECT_EQ(P.GetEndX(), 3);
    // A symbol's end, also when moved through the location it is.
    TqlSymbol L("L", vkPublic, tkNone, 0, 1, 2);
    EXPECT_EQ(L.GetEndX(), 1);
    EXPECT_EQ(L.GetEndY(), 2);
    TqlCodeLocation& AsLocation = L;
    AsLocation.SetX(10);
    AsLocation.SetY(20);
    EXPECT_EQ(AsLocation.GetEndX(), 10);
    EXPECT_EQ(AsLocation.GetEndY(), 20);
    L.SetEndX(15);
    L.SetEndY(25);
    EXPECT_EQ(L.GetX(), 10);
    EXPECT_EQ(AsLocation.GetEndX(), 15);
    EXPECT_EQ(L.GetY(), 20);
    EXPECT_EQ(AsLocation.GetEndY(), 25);

    TqlCodeLocation M(0, 10, 20);
    EXPECT_TRUE(AsLocation.ComparesTo(&M)) << "end positions are not compared";
    TqlCodeLocation N(1, 10, 20);
    EXPECT_FALSE(AsLocation.ComparesTo(&N));
    EXPECT_FALSE(AsLocation.ComparesTo(nullptr));
}

TEST(CodeLocation, PositionsBeyond65535DoNotWrap)
{
    TProjectScope Project;
    TqlUnit* U = Project->NewUnit("Big");
    TqlCodeLocation L(0, 70000, 131072);
    EXPECT_EQ(L.GetX(), 70000);
    EXPECT_EQ(L.GetY(), 131072);
    TqlVariable* V = U->GetVariables()->AddVariable("V", vkInterface, false, 0, 65536, 65537);
    EXPECT_EQ(V->GetX(), 65536);
    EXPECT_EQ(V->GetY(), 65537);
    V->GetUsedBy()->AddUsedBy(UsedByInfo(0, false, 1, 100000));
    EXPECT_EQ(V->GetUsedBy()->GetLocations(0)->GetY(), 100000);
    TqlMessage M("m", 0, 66000, 99999, false);
    EXPECT_EQ(M.GetCodeLocation()->GetX(), 66000);
    EXPECT_EQ(M.GetCodeLocation()->GetY(), 99999);
}

TEST(CodeLocation, UnitIndexIsCachedOnceFoundAndLookedUpAgainWhileMinusOne)
{
    TProjectScope Project;
    TqlFileNameList* Files = Project->GetFileNames();
    const int Orphan = Files->Add("orphan.inc", true, -1);
    TqlCodeLocation L(Orphan, 1, 1);
    EXPECT_EQ(L.GetUnitIndex(), -1);
    EXPECT_EQ(L.GetUnitIntf(), nullptr);

    TqlUnit* U = Project->NewUnit("Owner");
    TqlCodeLocation K(U->GetFileIndex(), 1, 1);
    EXPECT_EQ(K.GetUnitIndex(), 0);
    EXPECT_EQ(K.GetUnitIntf(), U);
    EXPECT_EQ(K.GetFileName(), "Owner.pas");
}

TEST(CodeLocation, UsedByLocationRegistersWithTheUnitOfItsFile)
{
    TProjectScope Project;
    TqlUnit* A = Project->NewUnit("A");
    TqlUnit* B = Project->NewUnit("B");
    TqlVariable* V = A->GetVariables()->AddVariable("V", vkInterface, false, A->GetFileIndex(), 1, 1);
    TqlUsedByList* Uses = V->GetUsedBy();
    EXPECT_EQ(Uses->GetSymbol(), V);
    EXPECT_EQ(Uses->AddUsedBy(UsedByInfo(B->GetFileIndex(), true, 3, 7)), 0);
    ASSERT_EQ(B->GetUsedByLocations()->GetCount(), 1);
    EXPECT_EQ(A->GetUsedByLocations()->GetCount(), 0);
    auto* Loc = static_cast<TqlUsedByLocation*>(B->GetUsedByLocations()->GetItem(0));
    EXPECT_EQ(Loc, Uses->GetLocations(0));
    EXPECT_TRUE(Loc->GetIsWrongCase());
    EXPECT_EQ(Loc->GetUsedByList(), Uses);
    EXPECT_EQ(Loc->GetX(), 3);
    EXPECT_EQ(Loc->GetY(), 7);
}

TEST(FileNameList, SameNameTwiceGivesTwoEntriesAndFindIgnoresCase)
{
    TqlFileNameList Files;
    EXPECT_EQ(Files.Add("C:\\Src\\Main.pas", true, 0), 0);
    EXPECT_EQ(Files.Add("C:\\Src\\Main.pas", false, 1), 1);
    EXPECT_EQ(Files.GetCount(), 2);
    TqlSourceFile* F = Files.Find("c:\\src\\MAIN.PAS");
    ASSERT_NE(F, nullptr);
    EXPECT_EQ(F->GetFullFileName(), "C:\\Src\\Main.pas");
    EXPECT_TRUE(F->GetFileIndex() == 0 || F->GetFileIndex() == 1);
    EXPECT_EQ(Files.GetItems(1)->GetFileIndex(), 1);
    EXPECT_FALSE(Files.GetItems(1)->Exists);
    EXPECT_EQ(Files.Find("other.pas"), nullptr);
    EXPECT_EQ(Files.GetFileNameList()->Count(), 2);
    Files.Clear();
    EXPECT_EQ(Files.GetCount(), 0);
    EXPECT_EQ(Files.Find("C:\\Src\\Main.pas"), nullptr);
}

TEST(ListIndex, OutOfRangeRaisesTheListError)
{
    TqlFileNameList Files;
    Files.Add("a.pas", true, -1);
    EXPECT_THROW(Files.GetItems(1), EListError);
    EXPECT_THROW(Files.GetItems(-1), EListError);
    try {
        Files.GetItems(5);
        FAIL();
    } catch (const EListError& E) {
        EXPECT_STREQ(E.what(), "List index out of bounds (5)");
    }
    TqlClass C("TC", vkInterface, -1, 0, 0);
    C.AddVisibilitySpecifier(70000, vkPrivate);
    EXPECT_EQ(C.GetVisibilitySpecifierLine(0), 70000);
    EXPECT_EQ(C.GetVisibilitySpecifierVisibility(0), vkPrivate);
    EXPECT_THROW(C.GetVisibilitySpecifierLine(1), EListError);
    EXPECT_THROW(C.GetVisibilitySpecifierVisibility(-1), EListError);

    TqlArray A("TArr", vkInterface, -1, 0, 0);
    EXPECT_EQ(A.GetDimensionCount(), 0);
    EXPECT_THROW(A.GetDimensions(0), EListError);
    TqlSymbolList L(true);
    EXPECT_THROW(L.GetSymbol(0), EListError);
    EXPECT_THROW(L.GetSortedSymbols(0), EListError);
    TqlUnitList Units;
    EXPECT_THROW(Units.GetSortedUnits(0), EListError);
    TqlHashedObjectList H;
    EXPECT_THROW(H.GetObject(0), EListError);
    EXPECT_THROW(H.Delete(0), EListError);
    TqlCodingErrorsList Errors;
    Errors.AddError(ekBadSpacing, 0, 1, 2);
    EXPECT_EQ(Errors.GetItems(0)->GetErrorKind(), ekBadSpacing);
    EXPECT_THROW(Errors.GetItems(1), EListError);
}

TEST(CodeStatistics, SumsOfCommentAndTotalLines)
{
    TqlCodeStatistics S;
    EXPECT_EQ(S.GetTotalLines(), 0);
    for (int i = 0; i < 3; ++i)
        S.IncCodeLines();
    S.IncEmptyLines();
    S.IncEmptyLines();
    S.IncAnsiCommentLines();
    S.IncBorCommentLines();
    S.IncSlashCommentLines();
    EXPECT_EQ(S.GetCommentLines(), 3);
    EXPECT_EQ(S.GetTotalLines(), 8);
    TqlUnit U(-1, "U");
    EXPECT_EQ(U.GetCodeStatistics().GetTotalLines(), 0);
}

// --- Find, QuickSort, messages ---------------------------------------------

namespace {
class TStrings : public TInterfacedObject, public IqlFindable, public IqlQuickSortable {
public:
    explicit TStrings(std::vector<std::string> Items) : FItems(std::move(Items)) {}
    int GetCount() override { return int(FItems.size()); }
    std::string GetString(int Index) override { return FItems.at(size_t(Index)); }
    void Exchange(int A, int B) override
    {
        ++Exchanges;
        std::swap(FItems.at(size_t(A)), FItems.at(size_t(B)));
    }
    int Compare(int A, int B) override
    {
        ++Compares;
        EXPECT_NE(A, B) << "an item is never compared with itself";
        return FItems.at(size_t(A)).compare(FItems.at(size_t(B)));
    }
    std::vector<std::string> FItems;
    int Exchanges = 0;
    int Compares = 0;
};
} // namespace

TEST(Find, BinarySearchGivesFirstEqualOrInsertionPoint)
{
    Ref<TStrings> S(new TStrings({"a", "b", "b", "c"}));
    int Index = -5;
    EXPECT_TRUE(Find(S.get(), "b", Index, true));
    EXPECT_EQ(Index, 1);
    EXPECT_FALSE(Find(S.get(), "bb", Index, true));
    EXPECT_EQ(Index, 3);
    EXPECT_FALSE(Find(S.get(), "0", Index, true));
    EXPECT_EQ(Index, 0);
    EXPECT_FALSE(Find(S.get(), "d", Index, true));
    EXPECT_EQ(Index, 4);
    Ref<TStrings> Empty(new TStrings({}));
    EXPECT_FALSE(Find(Empty.get(), "x", Index, false));
    EXPECT_EQ(Index, 0);
}

TEST(Find, CaseSensitivity)
{
    Ref<TStrings> S(new TStrings({"ALPHA", "BETA", "GAMMA"}));
    int Index = -1;
    EXPECT_TRUE(Find(S.get(), "beta", Index, false));
    EXPECT_EQ(Index, 1);
    EXPECT_FALSE(Find(S.get(), "beta", Index, true));
    EXPECT_EQ(Index, 3) << "lower case sorts after every upper-case item";
    EXPECT_FALSE(Find(S.get(), "BET", Index, true));
    EXPECT_EQ(Index, 1) << "a proper prefix sorts first";
}

TEST(QuickSort, SortsAndCountsComparisons)
{
    Ref<TStrings> One(new TStrings({"x"}));
    QuickSort(One.get(), 0, 0);
    EXPECT_EQ(One->Compares, 0);
    EXPECT_EQ(One->Exchanges, 0);

    Ref<TStrings> Two(new TStrings({"b", "a"}));
    QuickSort(Two.get(), 0, 1);
    EXPECT_EQ(Two->Exchanges, 1);
    EXPECT_EQ(Two->FItems, (std::vector<std::string>{"a", "b"}));

    Ref<TStrings> None(new TStrings({"b", "a"}));
    QuickSort(None.get(), 1, 0);
    EXPECT_EQ(None->Compares, 0);

    std::vector<std::string> Items;
    unsigned Seed = 12345;
    for (int i = 0; i < 500; ++i) {
        Seed = Seed * 1103515245u + 12345u;
        Items.push_back(std::to_string((Seed >> 8) % 97));
    }
    Ref<TStrings> Many(new TStrings(Items));
    QuickSort(Many.get(), 0, 499);
    std::sort(Items.begin(), Items.end());
    EXPECT_EQ(Many->FItems, Items);

    Ref<TStrings> Part(new TStrings({"z", "d", "c", "b", "a"}));
    QuickSort(Part.get(), 1, 3);
    EXPECT_EQ(Part->FItems, (std::vector<std::string>{"z", "b", "c", "d", "a"}));
}

TEST(Message, KeepsItsValuesAndItsLocation)
{
    int Before = 0;
    {
        Ref<IqlMessage> M(new TqlMessage("Symbol, X, not found in project", -1, 4, 9, true));
        EXPECT_EQ(M->GetMessageText(), "Symbol, X, not found in project");
        EXPECT_TRUE(M->GetInterfaceSection());
        TqlCodeLocation* L = M->GetCodeLocation();
        EXPECT_EQ(L, M->GetCodeLocation()) << "the location object, not a copy";
        EXPECT_EQ(L->GetX(), 4);
        EXPECT_EQ(L->GetY(), 9);
        EXPECT_EQ(L->GetFileName(), "???");
        Before = M->RefCount();
    }
    EXPECT_EQ(Before, 1);
}

TEST(UsedByList, ManyUsesKeepTheirOrderInTheUnitAndInEachList)
{
    TProjectScope Project;
    TqlUnit* A = Project->NewUnit("A");
    TqlUnit* B = Project->NewUnit("B");
    TqlVariable* V = A->GetVariables()->AddVariable("V", vkInterface, false, A->GetFileIndex(), 1, 1);
    TqlVariable* W = A->GetVariables()->AddVariable("W", vkInterface, false, A->GetFileIndex(), 2, 1);
    // Enough uses to fill several of the store's blocks, the two lists
    // interleaved, with one use made outside the store half way.
    const int Count = 5000;
    std::unique_ptr<TqlUsedByLocation> Outside;
    for (int i = 0; i < Count; ++i) {
        TqlSymbol* S = i % 3 == 0 ? static_cast<TqlSymbol*>(W) : V;
        S->GetUsedBy()->AddUsedBy(UsedByInfo(B->GetFileIndex(), i % 2 == 1, i, i + 1));
        if (i == Count / 2)
            Outside = std::make_unique<TqlOwnedUse>(V->GetUsedBy(),
                                                          UsedByInfo(B->GetFileIndex(), false, -1, -1));
    }
    TqlList* InB = B->GetUsedByLocations();
    ASSERT_EQ(InB->GetCount(), Count + 1);
    EXPECT_EQ(A->GetUsedByLocations()->GetCount(), 0);
    int V_Seen = 0, W_Seen = 0;
    for (int i = 0, Pos = 0; i < Count; ++i, ++Pos) {
        auto* Use = static_cast<TqlUsedByLocation*>(InB->GetItem(Pos));
        EXPECT_EQ(Use->GetX(), i);
        EXPECT_EQ(Use->GetY(), i + 1);
        EXPECT_EQ(Use->GetIsWrongCase(), i % 2 == 1);
        TqlUsedByList* List = (i % 3 == 0 ? static_cast<TqlSymbol*>(W) : V)->GetUsedBy();
        EXPECT_EQ(Use->GetUsedByList(), List);
        EXPECT_EQ(List->GetLocations(i % 3 == 0 ? W_Seen++ : V_Seen++), Use);
        if (i == Count / 2) {
            EXPECT_EQ(InB->GetItem(++Pos), Outside.get()) << "entered when it was made";
        }
    }
    EXPECT_EQ(V->GetUsedBy()->GetCount(), V_Seen);
    EXPECT_EQ(W->GetUsedBy()->GetCount(), W_Seen);
    // Asking again lists nothing twice; later uses are added at the end.
    V->GetUsedBy()->AddUsedBy(UsedByInfo(B->GetFileIndex(), false, 7, 7));
    ASSERT_EQ(B->GetUsedByLocations()->GetCount(), Count + 2);
    EXPECT_EQ(B->GetUsedByLocations()->GetItem(Count + 1), V->GetUsedBy()->GetLocations(V_Seen));
}

TEST(UsedByList, ListsComingBackAndAUnitUsingMoreSymbolsThanItsStoreHasPlacesFor)
{
    TProjectScope Project;
    TqlUnit* A = Project->NewUnit("A");
    TqlUnit* B = Project->NewUnit("B");
    TqlUnit* C = Project->NewUnit("C");
    // More lists than a store has places for (2^18): the uses past that are
    // made apart and still come in order, each with its own list.
    const int Count = (1 << 18) + 3;
    std::vector<TqlSymbol*> Symbols;
    TqlVariablesList* Vars = A->GetVariables();
    for (int i = 0; i < Count; ++i)
        Symbols.push_back(Vars->AddVariable("V" + std::to_string(i), vkInterface, false, A->GetFileIndex(), 1, i));
    for (int i = 0; i < Count; ++i) {
        Symbols[size_t(i)]->GetUsedBy()->AddUsedBy(UsedByInfo(B->GetFileIndex(), false, 1, i));
        // Every so often the same list is used in another unit between two
        // uses in B, so it needs a new place in B.
        if (i % 1000 == 0) {
            Symbols[0]->GetUsedBy()->AddUsedBy(UsedByInfo(C->GetFileIndex(), false, 2, i));
            Symbols[0]->GetUsedBy()->AddUsedBy(UsedByInfo(B->GetFileIndex(), true, 3, i));
        }
    }
    TqlList* InB = B->GetUsedByLocations();
    int Pos = 0;
    for (int i = 0; i < Count; ++i) {
        auto* Use = static_cast<TqlUsedByLocation*>(InB->GetItem(Pos++));
        ASSERT_EQ(Use->GetY(), i);
        ASSERT_EQ(Use->GetUsedByList()->GetSymbol(), Symbols[size_t(i)]) << i;
        if (i % 1000 == 0) {
            auto* Again = static_cast<TqlUsedByLocation*>(InB->GetItem(Pos++));
            ASSERT_EQ(Again->GetX(), 3);
            ASSERT_TRUE(Again->GetIsWrongCase());
            ASSERT_EQ(Again->GetUsedByList()->GetSymbol(), Symbols[0]) << i;
        }
    }
    EXPECT_EQ(Pos, InB->GetCount());
    EXPECT_EQ(C->GetUsedByLocations()->GetCount(), Count / 1000 + 1);
    EXPECT_EQ(Symbols[0]->GetUsedBy()->GetCount(), 1 + 2 * (Count / 1000 + 1));
    // A store given back its spare room once its unit is parsed still finds
    // the lists of its uses, and takes further ones.
    B->TrimUses();
    EXPECT_EQ(static_cast<TqlUsedByLocation*>(InB->GetItem(Pos - 1))->GetUsedByList()->GetSymbol(),
              Symbols.back());
    Symbols[5]->GetUsedBy()->AddUsedBy(UsedByInfo(B->GetFileIndex(), false, 9, 9));
    EXPECT_EQ(Symbols[5]->GetUsedBy()->GetLocations(1)->GetUsedByList(), Symbols[5]->GetUsedBy());
    EXPECT_EQ(B->GetUsedByLocations()->GetCount(), Pos + 1);
}

TEST(UsedByList, UseInAFileWithoutUnitBelongsToTheList)
{
    TProjectScope Project;
    TqlUnit* A = Project->NewUnit("A");
    const int Include = Project->GetFileNames()->Add("A.inc", true, -1);
    TqlUsedByList* Uses = A->GetUsedBy();
    Uses->AddUsedBy(UsedByInfo(Include, true, 4, 5));
    Uses->AddUsedBy(UsedByInfo(-1, false, 6, 7));
    ASSERT_EQ(Uses->GetCount(), 2);
    EXPECT_EQ(Uses->GetLocations(0)->GetFileIndex(), Include);
    EXPECT_TRUE(Uses->GetLocations(0)->GetIsWrongCase());
    EXPECT_EQ(Uses->GetLocations(1)->GetY(), 7);
    EXPECT_EQ(A->GetUsedByLocations()->GetCount(), 0);
    Uses->Clear();
    EXPECT_EQ(Uses->GetCount(), 0);
    Uses->AddUsedBy(UsedByInfo(Include, false, 1, 2));
    EXPECT_EQ(Uses->GetLocations(0)->GetX(), 1);
}

TEST(UsedByList, EveryCountKeepsItsUsesInOrderAndOnlyThoseIndexes)
{
    TProjectScope Project;
    TqlUnit* A = Project->NewUnit("A");
    const int Include = Project->GetFileNames()->Add("A.inc", true, -1);
    // Counts about the points where the list moves its uses to more room;
    // every third use lies outside the units, so the list owns it.
    for (const int Count : {0, 1, 2, 3, 4, 5, 8, 9, 16, 17, 130}) {
        SCOPED_TRACE(Count);
        TqlSymbol S("S", vkPublic, tkNone, A->GetFileIndex(), 1, 1);
        TqlUsedByList* Uses = S.GetUsedBy();
        for (int i = 0; i < Count; ++i)
            ASSERT_EQ(Uses->AddUsedBy(UsedByInfo(i % 3 == 2 ? Include : A->GetFileIndex(), false, i, 1)), i);
        ASSERT_EQ(Uses->GetCount(), Count);
        for (int i = 0; i < Count; ++i) {
            EXPECT_EQ(Uses->GetLocations(i)->GetX(), i);
            EXPECT_EQ(Uses->GetLocations(i)->GetUsedByList(), Uses);
        }
        EXPECT_THROW(Uses->GetLocations(Count), EListError);
        EXPECT_THROW(Uses->GetLocations(-1), EListError);
        // Cleared, the list takes uses afresh (the sanitizer build checks
        // that the owned ones went).
        Uses->Clear();
        EXPECT_EQ(Uses->GetCount(), 0);
        EXPECT_THROW(Uses->GetLocations(0), EListError);
        Uses->AddUsedBy(UsedByInfo(Include, false, 42, 1));
        EXPECT_EQ(Uses->GetLocations(0)->GetX(), 42);
    }
}

TEST(UsedByList, AListThatOwnsSomeUsesOutlivesTheUnitsOfItsOthers)
{
    // Declared first, so that it goes after the project and its units: it
    // must free its own uses without reading those the units held.
    std::unique_ptr<TqlSymbol> S;
    TProjectScope Project;
    TqlUnit* B = Project->NewUnit("B");
    const int Include = Project->GetFileNames()->Add("B.inc", true, -1);
    S = std::make_unique<TqlSymbol>("S", vkPublic, tkNone, -1, 1, 1);
    S->GetUsedBy()->AddUsedBy(UsedByInfo(B->GetFileIndex(), false, 1, 2));
    S->GetUsedBy()->AddUsedBy(UsedByInfo(Include, false, 3, 4));
    S->GetUsedBy()->AddUsedBy(UsedByInfo(B->GetFileIndex(), false, 5, 6));
    EXPECT_EQ(S->GetUsedBy()->GetLocations(1)->GetFileIndex(), Include);
    EXPECT_EQ(S->GetUsedBy()->GetLocations(2)->GetX(), 5);
}

TEST(UsedByList, UsesMovedWhenTheirStoreIsTrimmedStayWithTheirLists)
{
    TProjectScope Project;
    TqlUnit* A = Project->NewUnit("A");
    TqlUnit* B = Project->NewUnit("B");
    const int Include = Project->GetFileNames()->Add("B.inc", true, -1);
    TqlSymbol* V = A->GetVariables()->AddVariable("V", vkInterface, false, A->GetFileIndex(), 1, 1);
    TqlSymbol* W = A->GetVariables()->AddVariable("W", vkInterface, false, A->GetFileIndex(), 1, 2);
    // Blocks of 16, 32 and 64 slots: the uses past the first two blocks lie
    // in a block that is mostly empty. Some uses lie outside the units.
    const int Count = 53;
    for (int i = 0; i < Count; ++i) {
        TqlSymbol* S = i % 2 ? V : W;
        S->GetUsedBy()->AddUsedBy(UsedByInfo(B->GetFileIndex(), i % 3 == 0, i, i + 1));
        if (i % 7 == 0)
            S->GetUsedBy()->AddUsedBy(UsedByInfo(Include, false, -i, -i));
    }
    const TqlUsedByLocation* Latest = V->GetUsedBy()->GetLocations(V->GetUsedBy()->GetCount() - 1);
    B->TrimUses();
    ASSERT_NE(V->GetUsedBy()->GetLocations(V->GetUsedBy()->GetCount() - 1), Latest) << "no use moved";
    TqlList* InB = B->GetUsedByLocations();
    ASSERT_EQ(InB->GetCount(), Count);
    int Seen[2] = {0, 0};
    for (int i = 0; i < Count; ++i) {
        TqlSymbol* S = i % 2 ? V : W;
        auto* Use = static_cast<TqlUsedByLocation*>(InB->GetItem(i));
        EXPECT_EQ(Use->GetX(), i);
        EXPECT_EQ(Use->GetY(), i + 1);
        EXPECT_EQ(Use->GetIsWrongCase(), i % 3 == 0);
        EXPECT_EQ(Use->GetUsedByList(), S->GetUsedBy());
        EXPECT_EQ(S->GetUsedBy()->GetLocations(Seen[i % 2]++), Use);
        if (i % 7 == 0) {
            EXPECT_EQ(S->GetUsedBy()->GetLocations(Seen[i % 2]++)->GetX(), -i);
        }
    }
    // The store takes further uses after its trimmed block.
    V->GetUsedBy()->AddUsedBy(UsedByInfo(B->GetFileIndex(), false, 99, 99));
    EXPECT_EQ(B->GetUsedByLocations()->GetItem(Count), V->GetUsedBy()->GetLocations(Seen[1]));

    // Uses the unit has handed out stay where they are.
    TqlUnit* C = Project->NewUnit("C");
    TqlSymbol* X = A->GetVariables()->AddVariable("X", vkInterface, false, A->GetFileIndex(), 1, 3);
    for (int i = 0; i < 20; ++i)
        X->GetUsedBy()->AddUsedBy(UsedByInfo(C->GetFileIndex(), false, i, 1));
    TqlList* InC = C->GetUsedByLocations();
    C->TrimUses();
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(X->GetUsedBy()->GetLocations(i), InC->GetItem(i));

    // A block whose use has many later ones in its list stays as it is.
    TqlUnit* D = Project->NewUnit("D");
    TqlSymbol* Y = A->GetVariables()->AddVariable("Y", vkInterface, false, A->GetFileIndex(), 1, 4);
    Y->GetUsedBy()->AddUsedBy(UsedByInfo(D->GetFileIndex(), false, 1, 1));
    const TqlUsedByLocation* InD = Y->GetUsedBy()->GetLocations(0);
    for (int i = 0; i < 100; ++i)
        Y->GetUsedBy()->AddUsedBy(UsedByInfo(B->GetFileIndex(), false, i, 2));
    D->TrimUses();
    EXPECT_EQ(Y->GetUsedBy()->GetLocations(0), InD);
    EXPECT_EQ(D->GetUsedByLocations()->GetItem(0), InD);
    EXPECT_EQ(InD->GetUsedByList(), Y->GetUsedBy());
}
