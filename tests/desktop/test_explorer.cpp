// The explorer trees: node kinds and images, the building blocks on a
// hand-made model, and both trees over the analysed sample project.
#include "TestFolder.h"
#include "base/uqlPathUtils.h"
#include "analysis/uqlProject.h"
#include "desktop/uqlTreeNode.h"

#include <QTest>
#include <QTreeWidget>

#include <memory>
#include <string>
#include <vector>

namespace {

using Strings = std::vector<std::string>;

Strings Captions(QTreeWidgetItem* Node)
{
    Strings R;
    for (int I = 0; I < Node->childCount(); ++I)
        R.push_back(static_cast<TqlTreeNode*>(Node->child(I))->Caption());
    return R;
}

Strings TopCaptions(QTreeWidget* Tree) { return Captions(Tree->invisibleRootItem()); }

// The child whose caption is Caption; fails the test when there is none.
TqlTreeNode* Child(QTreeWidgetItem* Node, const std::string& Caption)
{
    for (int I = 0; I < Node->childCount(); ++I) {
        auto* C = static_cast<TqlTreeNode*>(Node->child(I));
        if (C->Caption() == Caption)
            return C;
    }
    return nullptr;
}

// Expands (fills) the node in the project tree and answers it.
TqlTreeNode* Open(TqlTreeNode* Node, bool InProjectTree = true)
{
    if (Node)
        ExpandTreeNode(Node, InProjectTree);
    return Node;
}

// Walks a caption path from a tree's top level, filling on the way.
TqlTreeNode* Path(QTreeWidget* Tree, const Strings& Captions, bool InProjectTree = true)
{
    QTreeWidgetItem* At = Tree->invisibleRootItem();
    for (const std::string& C : Captions) {
        if (At != Tree->invisibleRootItem())
            Open(static_cast<TqlTreeNode*>(At), InProjectTree);
        At = Child(At, C);
        if (!At)
            return nullptr;
    }
    return static_cast<TqlTreeNode*>(At);
}

// Records what the code viewers are asked to show.
class TRecordingViewer : public TInterfacedObject, public IqlCodeViewer {
public:
    std::vector<std::tuple<std::string, int, int>> Calls;
    void ShowCode(const std::string& FileName, int X, int Y) override
    {
        Calls.emplace_back(FileName, X, Y);
    }
};

} // namespace

class TExplorerTest : public QObject {
    Q_OBJECT

private:
    TTestFolder FSettings;
    Ref<TqlProject> FProject;

    TqlUnit* Unit(const char* Name) { return FProject->GetUnits()->FindUnit(Name); }

private slots:
    void initTestCase()
    {
        FProject = Ref<TqlProject>(new TqlProject(FSettings.Path() + "/"));
        gqlProject = Ref<IqlProject>(FProject.get());
        FProject->GetOptions()->SetFileToAnalyze(std::string(QUILLET_SOURCE_DIR) +
                                                 "/samples/Inventory/Inventory.dpr");
        qlAddShippedSystemFolder(FProject->GetSystemOptions()->GetLibrarySearchPath());
        FProject->Analyze(true);
        QVERIFY(Unit("StockItems") != nullptr);
    }

    void cleanupTestCase()
    {
        gqlProject = nullptr;
        FProject = nullptr;
    }

    void kindsSetTheirImages()
    {
        const int Images[30] = {0, 1, 1, 11, 10, 13, 9, 12, 8, 15, 14, 2, 2, 3, 3,
                                3, 3, 4, 5,  5,  6, 7, 3, 3,  3, 3,  3, 3, 3, 3};
        const std::vector<int> Groups = {1, 2, 3, 5, 7, 9, 11, 13, 16, 18, 24, 26, 28};
        for (int Kind = 0; Kind < 30; ++Kind) {
            TqlTreeNode Node;
            SetNodeKind(&Node, uint8_t(Kind));
            QCOMPARE(Node.Kind, Kind);
            QCOMPARE(Node.ImageIndex(), Images[Kind]);
            QVERIFY(!Node.icon(0).isNull());
            QCOMPARE(qlIsGroupNodeKind(uint8_t(Kind)),
                     std::find(Groups.begin(), Groups.end(), Kind) != Groups.end());
        }
        QCOMPARE(int(qlTreeImages().size()), 16);
        // A node without a kind (a visibility section) has no picture.
        TqlTreeNode Section;
        QCOMPARE(Section.ImageIndex(), -1);
        QVERIFY(Section.icon(0).isNull());
        // Kinds past the table fill nothing.
        TqlTreeNode Odd;
        Odd.Kind = 30;
        Odd.Unit = Unit("StockItems");
        ExpandTreeNode(&Odd, true);
        QCOMPARE(Odd.childCount(), 0);
    }

    void buildingBlocksOnAHandMadeModel()
    {
        TqlUnit U(-1, "Hand");
        TqlType IntegerType("Integer", tkInteger, vkInterface, -1, 0, 0, false);
        TqlInterface Only("IOnly", vkInterface, -1, 0, 0);
        TqlClass Base("TBase", vkInterface, -1, 0, 0);
        TqlClass Plain("TPlain", vkInterface, -1, 0, 0);
        TqlClass WithIntf("TWithIntf", vkInterface, -1, 0, 0);
        TqlClass Both("TBoth", vkInterface, -1, 0, 0);
        WithIntf.GetInterfaces()->InternalSymbolAdded(&Only);
        Both.SetInheritsFromClass(&Base);
        Both.GetInterfaces()->InternalSymbolAdded(&Only);

        TqlTreeNode Root;
        Root.Unit = &U;
        QCOMPARE(AddClassNode(&Root, &Plain, &U, nkClass)->Caption(), std::string("TPlain"));
        QCOMPARE(AddClassNode(&Root, &WithIntf, &U, nkClass)->Caption(),
                 std::string("TWithIntf (IOnly)"));
        TqlTreeNode* BothNode = AddClassNode(&Root, &Both, &U, nkObject);
        QCOMPARE(BothNode->Caption(), std::string("TBoth (TBase, IOnly)"));
        QCOMPARE(BothNode->Kind, uint8_t(nkObject));
        QCOMPARE(BothNode->Unit, &U);
        QVERIFY(!BothNode->HasChildren());

        // Members that are all strict private or strict protected show no
        // section, only the references group.
        TqlClass Strict("TStrict", vkInterface, -1, 0, 0);
        Strict.GetVariables()->AddVariable("FHidden", vkStrictPrivate, false, -1, 0, 0);
        Strict.GetRoutines()->AddRoutine("Guarded", vkStrictProtected, rkProcedure, -1, 0, 0);
        Strict.GetUsedBy()->AddUsedBy(UsedByInfo(-1, false, 4, 5));
        TqlTreeNode* StrictNode = Open(AddClassNode(&Root, &Strict, &U, nkClass));
        QCOMPARE(Captions(StrictNode), (Strings{"Used By (1)"}));

        // Captions of members: procedure, function, typed and untyped field,
        // property with and without a type.
        TqlClass Members("TMembers", vkInterface, -1, 0, 0);
        Members.GetRoutines()->AddRoutine("Run", vkPublic, rkProcedure, -1, 0, 0);
        TqlRoutine* Get = Members.GetRoutines()->AddRoutine("Get", vkPublic, rkFunction, -1, 0, 0);
        Get->SetReturnType(new TqlVariable("Result", vkPublic, false, -1, 0, 0));
        Members.GetVariables()->AddVariable("FRaw", vkPrivate, false, -1, 0, 0);
        Members.GetVariables()->AddVariable("FCount", vkPrivate, false, -1, 0, 0)
            ->SetTypeIntf(&IntegerType);
        Members.GetProperties()->AddProperty("Size", vkPublished, &Members, -1, 0, 0)
            ->SetTypeIntf(&IntegerType);
        Members.GetProperties()->AddProperty("Bare", vkPublished, &Members, -1, 0, 0);
        TqlTreeNode* MembersNode = Open(AddClassNode(&Root, &Members, &U, nkClass));
        QCOMPARE(Captions(MembersNode), (Strings{"Private (2)", "Published (2)", "Public (2)"}));
        Strings Private = Captions(Child(MembersNode, "Private (2)"));
        Strings Published = Captions(Child(MembersNode, "Published (2)"));
        Strings Public = Captions(Child(MembersNode, "Public (2)"));
        std::sort(Private.begin(), Private.end());
        std::sort(Published.begin(), Published.end());
        std::sort(Public.begin(), Public.end());
        QCOMPARE(Private, (Strings{"FCount : Integer", "FRaw"}));
        QCOMPARE(Published, (Strings{"Property Bare", "Property Size : Integer"}));
        QCOMPARE(Public, (Strings{"Function Get : Result", "Procedure Run"}));
        TqlTreeNode* Section = Child(MembersNode, "Public (2)");
        QCOMPARE(Section->Kind, uint8_t(0));
        QVERIFY(!Section->Unit && !Section->Symbol);
        for (int I = 0; I < Section->childCount(); ++I) {
            auto* Member = static_cast<TqlTreeNode*>(Section->child(I));
            QCOMPARE(Member->Kind, uint8_t(nkRoutine));
            QCOMPARE(Member->Unit, &U);
            QVERIFY(Member->Symbol != nullptr);
        }

        // An empty member list adds no section.
        TqlTreeNode Bare;
        AddMembersSection(&Bare, "Private", std::make_unique<TqlSymbolList>(false));
        AddMembersSection(&Bare, "Public", nullptr);
        QCOMPARE(Bare.childCount(), 0);

        // Symbol nodes: a type shows its name once; a typed variable its type.
        TqlTreeNode* TypeNode = AddSymbolNode(&Root, &IntegerType, nkType);
        QCOMPARE(TypeNode->Caption(), std::string("Integer"));
        TqlVariable Typed("Total", vkPublic, false, -1, 0, 0);
        Typed.SetTypeIntf(&IntegerType);
        QCOMPARE(AddSymbolNode(&Root, &Typed, nkVariable)->Caption(), std::string("Total : Integer"));
        TqlVariable Untyped("Loose", vkPublic, false, -1, 0, 0);
        QCOMPARE(AddSymbolNode(&Root, &Untyped, nkVariable)->Caption(), std::string("Loose"));

        // A procedure in a routines group reads just its name; an array with
        // dimensions but no references expands to nothing.
        U.GetRoutines()->AddRoutine("Tick", vkInterface, rkProcedure, -1, 0, 0);
        TqlArray* Grid = U.GetArrays()->AddArray("TGrid", vkInterface, -1, 0, 0);
        Grid->AddDimension(&IntegerType);
        TqlTreeNode UnitNode;
        UnitNode.Unit = &U;
        UnitNode.Symbol = &U;
        Open(&UnitNode);
        QCOMPARE(Captions(&UnitNode), (Strings{"Types (1)", "Arrays (1)", "Routines (1)"}));
        QCOMPARE(Captions(Open(Child(&UnitNode, "Routines (1)"))), (Strings{"Tick"}));
        TqlTreeNode* GridNode = Child(Open(Child(&UnitNode, "Arrays (1)")), "TGrid");
        QVERIFY(GridNode->HasChildren());
        QCOMPARE(Open(GridNode)->childCount(), 0);
    }

    void projectTreeOverTheSample()
    {
        QTreeWidget Tree;
        FillProjectTree(&Tree);
        QCOMPARE(TopCaptions(&Tree), (Strings{"Inventory"}));
        auto* Top = static_cast<TqlTreeNode*>(Tree.topLevelItem(0));
        QCOMPARE(Top->Kind, uint8_t(nkUnit));
        QCOMPARE(Top->Unit, FProject->GetMainUnit()->GetUsedUnits()->GetUsedUnit(0)->GetUnit());
        QVERIFY(Top->Symbol == nullptr);
        QVERIFY(Top->HasChildren());
        QCOMPARE(Top->childCount(), 0);

        QCOMPARE(Captions(Open(Top)), (Strings{"Variables (1)", "Used Units (6)"}));
        QCOMPARE(Captions(Open(Child(Top, "Variables (1)"))), (Strings{"Store : TStockStore"}));
        TqlTreeNode* UsedUnits = Child(Top, "Used Units (6)");
        QCOMPARE(UsedUnits->Kind, uint8_t(nkUsedUnits));
        QCOMPARE(UsedUnits->childCount(), 6);  // filled at once

        TqlTreeNode* Items = Path(&Tree, {"Inventory", "Used Units (6)", "StockItems"});
        QVERIFY(Items);
        QCOMPARE(Items->Symbol, static_cast<TqlSymbol*>(Unit("StockItems")));
        QCOMPARE(Captions(Open(Items)),
                 (Strings{"Classes (1)", "Types (1)", "Used Units (3)", "Used By (2)"}));
        TqlTreeNode* Class =
            Path(&Tree, {"Inventory", "Used Units (6)", "StockItems", "Classes (1)", "TStockItem (TObject)"});
        QVERIFY(Class);
        QCOMPARE(Class->Kind, uint8_t(nkClass));
        QCOMPARE(Class->ImageIndex(), 10);
        QCOMPARE(Captions(Open(Class)), (Strings{"Private (4)", "Public (5)", "Used By (7)"}));
        Strings Private = Captions(Child(Class, "Private (4)"));
        Strings Public = Captions(Child(Class, "Public (5)"));
        std::sort(Private.begin(), Private.end());
        std::sort(Public.begin(), Public.end());
        QCOMPARE(Private, (Strings{"FCount : Integer", "FName : String", "FPrice : Double",
                                   "Function GetValue : Result"}));
        QCOMPARE(Public, (Strings{"Constructor Create : Result", "Property Count : Integer",
                                  "Property Name : String", "Property Price : Double",
                                  "Property Value : Double"}));
        // Each member carries its references group at once.
        TqlTreeNode* Count = Child(Child(Class, "Private (4)"), "FCount : Integer");
        QCOMPARE(Count->Kind, uint8_t(nkVariable));
        QCOMPARE(Captions(Count).size(), size_t(1));
        TqlTreeNode* CountRefs = Count->ChildNode(0);
        QCOMPARE(CountRefs->Kind, uint8_t(nkUsedBy));
        QCOMPARE(CountRefs->Symbol, Count->Symbol);
        QCOMPARE(CountRefs->childCount(), 0);
        const int CountUses = Count->Symbol->GetUsedBy()->GetCount();
        QCOMPARE(CountRefs->Caption(), "Used By (" + std::to_string(CountUses) + ")");
        QCOMPARE(Open(CountRefs)->childCount(), CountUses);
        for (int I = 0; I < CountUses; ++I) {
            TqlTreeNode* Ref = CountRefs->ChildNode(I);
            TqlUsedByLocation* Loc = Count->Symbol->GetUsedBy()->GetLocations(I);
            QCOMPARE(Ref->CodeLocation, static_cast<TqlCodeLocation*>(Loc));
            QCOMPARE(Ref->Caption(), "StockItems.pas (" + std::to_string(Loc->GetX()) + "," +
                                         std::to_string(Loc->GetY()) + ")");
            QVERIFY(!Ref->Unit && !Ref->Symbol && !Ref->HasChildren());
        }

        // The unit's references, under a unit node made by AddUnitNode, are
        // reference nodes. The unit listed with an in-path in lower case is
        // named as its heading writes it, so neither reference is in
        // another letter case.
        TqlTreeNode* StoreRefs =
            Path(&Tree, {"Inventory", "Used Units (6)", "StockStore", "Used By (2)"});
        QVERIFY(StoreRefs);
        QCOMPARE(Captions(Open(StoreRefs)), (Strings{"Inventory.dpr (3,7)", "MainForm.pas (3,6)"}));
        QCOMPARE(StoreRefs->ChildNode(0)->Kind, uint8_t(nkReference));
        QCOMPARE(StoreRefs->ChildNode(1)->Kind, uint8_t(nkReference));

        // A references group without a symbol (under a top-level unit node)
        // lists the units that hold the references.
        TqlTreeNode UnitRefs;
        UnitRefs.Unit = Unit("StockStore");
        SetNodeKind(&UnitRefs, nkUsedBy);
        Open(&UnitRefs);
        QCOMPARE(Captions(&UnitRefs), (Strings{"Inventory", "MainForm"}));
        QCOMPARE(UnitRefs.ChildNode(1)->CodeLocation,
                 static_cast<TqlCodeLocation*>(Unit("StockStore")->GetUsedBy()->GetLocations(1)));
        QCOMPARE(UnitRefs.ChildNode(1)->Kind, uint8_t(nkUnit));

        // Routine with parameters and a record-free unit's constants.
        TqlTreeNode* Assert = Path(&Tree, {"Inventory", "Used Units (6)", "QuilletSystem",
                                           "Routines (145)", "Assert"});
        QVERIFY(Assert);
        QCOMPARE(Captions(Open(Assert)), (Strings{"Parameters (2)", "Used By (1)"}));
        QCOMPARE(Captions(Open(Child(Assert, "Parameters (2)"))), (Strings{"Expr : Boolean", "Msg : String"}));
        QCOMPARE(Child(Assert, "Parameters (2)")->ChildNode(0)->Kind, uint8_t(nkParameter));
        QCOMPARE(Captions(Open(Path(&Tree, {"Inventory", "Used Units (6)", "StockStore",
                                            "Constants (1)"}))),
                 (Strings{"MaxItems"}));
        Tree.clear();
    }

    void inheritanceTreeOverTheSample()
    {
        QTreeWidget Tree;
        FillInheritanceTree(&Tree);
        QCOMPARE(TopCaptions(&Tree), (Strings{"Classes", "Interfaces", "Units"}));
        auto* Classes = static_cast<TqlTreeNode*>(Tree.topLevelItem(0));
        QCOMPARE(Classes->Kind, uint8_t(nkClasses));
        QVERIFY(Classes->HasChildren());
        QCOMPARE(Captions(Open(Classes, false)), (Strings{"TObject"}));
        TqlTreeNode* Root = Classes->ChildNode(0);
        QCOMPARE(Root->Unit, Unit("QuilletSystem"));
        QCOMPARE(Root->Kind, uint8_t(nkClass));
        QCOMPARE(Captions(Open(Root, false)),
                 (Strings{"TInterfacedObject", "TAggregatedObject", "TStockItem", "TStockStore", "TfrmMain",
                          "Used By (16)"}));
        TqlTreeNode* Heir = Child(Root, "TStockItem");
        QCOMPARE(Heir->Unit, Unit("StockItems"));
        QVERIFY(!Heir->HasChildren());  // no descendants of its own
        QCOMPARE(Captions(Open(Heir, false)), (Strings{"Used By (7)"}));

        // The units, sorted, each filled at once as in the project tree.
        auto* Units = static_cast<TqlTreeNode*>(Tree.topLevelItem(2));
        QCOMPARE(Units->Kind, uint8_t(nkUnit));
        TqlUnitList* All = FProject->GetUnits();
        QCOMPARE(Units->childCount(), All->GetCount());
        for (int I = 0; I < All->GetCount(); ++I) {
            TqlTreeNode* U = Units->ChildNode(I);
            QCOMPARE(U->Unit, All->GetSortedUnits(I));
            QCOMPARE(U->Symbol, static_cast<TqlSymbol*>(All->GetSortedUnits(I)));
            QVERIFY(U->childCount() > 0);  // every sample unit has something to show
        }
        // In the inheritance tree a unit or a routine node expands to nothing.
        TqlTreeNode Fresh;
        Fresh.Unit = Unit("StockItems");
        Fresh.Symbol = Fresh.Unit;
        ExpandTreeNode(&Fresh, false);
        QCOMPARE(Fresh.childCount(), 0);
        TqlTreeNode RoutineNode;
        RoutineNode.Unit = Unit("QuilletSystem");
        RoutineNode.Symbol = RoutineNode.Unit->GetRoutines()->Find("Assert");
        SetNodeKind(&RoutineNode, nkRoutine);
        ExpandTreeNode(&RoutineNode, false);
        QCOMPARE(RoutineNode.childCount(), 0);
        Tree.clear();
    }

    void doubleClickShowsTheSource()
    {
        Ref<TRecordingViewer> Viewer(new TRecordingViewer);
        FProject->AddCodeViewer(Viewer);
        QTreeWidget* Tree = CreateExplorerTree(nullptr, true);
        FillProjectTree(Tree);
        TqlTreeNode* Items = Path(Tree, {"Inventory", "Used Units (6)", "StockItems"});
        TqlTreeNode* Class = Path(Tree, {"Inventory", "Used Units (6)", "StockItems", "Classes (1)",
                                         "TStockItem (TObject)"});
        TqlTreeNode* Refs = Open(Child(Open(Class), "Used By (7)"));
        TqlTreeNode* Section = Child(Class, "Private (4)");
        TqlTreeNode* UsedUnits = Child(Items, "Used Units (3)");
        TqlTreeNode* ClassesGroup = Child(Items, "Classes (1)");
        for (TqlTreeNode* N : {Refs->ChildNode(0), Class, UsedUnits, Section, ClassesGroup})
            emit Tree->itemDoubleClicked(N, 0);
        TqlSymbol* C = Class->Symbol;
        TqlCodeLocation* R = Refs->ChildNode(0)->CodeLocation;
        const std::string ItemsFile = Unit("StockItems")->GetFullFileName();
        using TCall = std::tuple<std::string, int, int>;
        const std::vector<TCall> Expected = {
            {R->GetFileName(), R->GetX(), R->GetY()},
            {C->GetFileName(), C->GetX(), C->GetY()},
            {ItemsFile, 0, 0},  // a used-units group: its unit's file
            {"", 0, 0},         // a visibility section
            {ItemsFile, Unit("StockItems")->GetX(), Unit("StockItems")->GetY()},  // the container
        };
        QCOMPARE(Viewer->Calls.size(), Expected.size());
        for (size_t I = 0; I < Expected.size(); ++I)
            QVERIFY2(Viewer->Calls[I] == Expected[I], std::to_string(I).c_str());
        QCOMPARE(Refs->ChildNode(0)->Caption(),
                 qlExtractFileName(std::get<0>(Viewer->Calls[0])) + " (" + std::to_string(R->GetX()) +
                     "," + std::to_string(R->GetY()) + ")");

        // Expanding through the view fills lazily, once.
        auto* Top = static_cast<TqlTreeNode*>(Tree->topLevelItem(0));
        QCOMPARE(Top->childCount(), 2);  // filled by Path above
        TqlTreeNode* Variables = Child(Top, "Variables (1)");
        qDeleteAll(Variables->takeChildren());
        Tree->expandItem(Variables);
        QCOMPARE(Captions(Variables), (Strings{"Store : TStockStore"}));
        Tree->collapseItem(Variables);
        Tree->expandItem(Variables);
        QCOMPARE(Variables->childCount(), 1);
        FProject->RemoveCodeViewer(Viewer);
        delete Tree;
    }
};

QTEST_MAIN(TExplorerTest)
#include "test_explorer.moc"
