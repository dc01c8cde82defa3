// Golden comma-separated exports of all seven reports over a hand-built model
// of the Inventory sample: a program, two project units, a library unit and a
// unit whose file was not found. Set QUILLET_UPDATE_GOLDEN=1 to rewrite the
// files after a deliberate change, and review the difference.
#include "StandInProject.h"

#include "reports/uqlBuiltInReports.h"
#include "settings/uqlStringList.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

class GoldenTest : public ReportsTest {
protected:
    void SetUp() override
    {
        ReportsTest::SetUp();
        RegisterBuiltInReports();
        BuildInventory();
    }

    static void Stats(TqlUnit* U, int Code, int Empty, int Slash, int Ansi, int Bor)
    {
        TqlCodeStatistics& S = U->GetCodeStatistics();
        for (int I = 0; I < Code; ++I) S.IncCodeLines();
        for (int I = 0; I < Empty; ++I) S.IncEmptyLines();
        for (int I = 0; I < Slash; ++I) S.IncSlashCommentLines();
        for (int I = 0; I < Ansi; ++I) S.IncAnsiCommentLines();
        for (int I = 0; I < Bor; ++I) S.IncBorCommentLines();
    }
    static void Uses(TqlUnit* User, TqlUnit* Used)
    {
        User->GetUsedUnits()->AddUsedUnit(new TqlUsedUnit(Used));
        Use(Used, User, 5);
    }

    void BuildInventory()
    {
        TqlType* Str = Project->SystemType("String", tkString);
        TqlType* Int = Project->SystemType("Integer", tkInteger);
        TqlType* Dbl = Project->SystemType("Double", tkDouble);
        Project->SystemType("Boolean", tkBoolean);

        TqlUnit* Program = Project->NewUnit("Inventory");
        TqlUnit* Items = Project->NewUnit("StockItems");
        TqlUnit* Store = Project->NewUnit("StockStore");
        TqlUnit* Contnrs = Project->NewUnit("Contnrs", true);
        TqlUnit* Windows = Project->MissingUnit("Windows");
        Uses(Program, Items);
        Uses(Program, Store);
        Uses(Store, Items);
        Uses(Store, Contnrs);
        Uses(Contnrs, Windows); // Contnrs could not resolve everything
        Stats(Program, 18, 4, 0, 0, 1);
        Stats(Items, 30, 6, 2, 0, 0);
        Stats(Store, 40, 8, 0, 1, 3);
        Stats(Contnrs, 200, 30, 10, 5, 20);

        // StockItems: TStockItem with fields, a getter, a constructor.
        TqlClass* Item = Class(Items, "TStockItem", 6);
        Use(Item, Program, 17);
        Use(Item, Program, 18);
        Use(Item, Store, 14);
        TqlVariable* FName = Var(Item, "FName", Items, vkPrivate, 8);
        TqlVariable* FCount = Var(Item, "FCount", Items, vkPrivate, 9);
        TqlVariable* FPrice = Var(Item, "FPrice", Items, vkPrivate, 10);
        FName->SetTypeIntf(Str);
        FCount->SetTypeIntf(Int);
        FPrice->SetTypeIntf(Dbl);
        Use(FName, Items, 25);
        Use(FCount, Items, 26);
        Use(FCount, Items, 33, true); // written "fCount"
        Use(FPrice, Items, 27);
        TqlRoutine* GetValue = Routine(Item, "GetValue", Items, rkFunction, vkPrivate, 11);
        TqlRoutine* Create = Routine(Item, "Create", Items, rkConstructor, vkPublic, 13);
        Use(Create, Program, 17);
        Param(Create, "AName", pkConst, Str, Items);
        Use(Create->GetParameters()->Find("AName"), Items, 25);
        Use(Param(Create, "ACount", pkNone, Int, Items), Items, 26);
        Param(Create, "APrice", pkNone, Dbl, Items); // unused
        auto* Name = Item->GetProperties()->AddProperty("Name", vkPublic, Item, Items->GetFileIndex(), 14, 14);
        Name->SetReadAccess(FName);
        auto* Value = Item->GetProperties()->AddProperty("Value", vkPublic, Item, Items->GetFileIndex(), 14, 17);
        Value->SetReadAccess(GetValue);
        Use(GetValue, Items, 17);
        Use(Value, Store, 49);

        // StockStore: a constant, a class with a destructor, a global.
        TqlVariable* MaxItems = Const(Store, "MaxItems", Store, vkInterface, 9);
        Use(MaxItems, Store, 14);
        TqlClass* StoreClass = Class(Store, "TStockStore", 12);
        Use(StoreClass, Program, 14);
        Use(StoreClass, Program, 16);
        Use(Var(StoreClass, "FItems", Store, vkPrivate, 14), Store, 34);
        Use(Var(StoreClass, "FCount", Store, vkPrivate, 15), Store, 33);
        TqlRoutine* Destroy = Routine(StoreClass, "Destroy", Store, rkDestructor, vkPublic, 17);
        Destroy->AddDirective(rdOverride);
        Var(Destroy, "i", Store, vkNone, 30);
        TqlRoutine* Add = Routine(StoreClass, "Add", Store, rkProcedure, vkPublic, 18);
        Use(Add, Program, 17);
        Use(Param(Add, "AItem", pkNone, Item, Store), Store, 41);
        TqlRoutine* Total = Routine(StoreClass, "TotalValue", Store, rkFunction, vkPublic, 19);
        Use(Total, Program, 19, true); // written "totalvalue"
        TqlVariable* Last = Var(Store, "LastTotal", Store, vkInterface, 24);
        Last->SetTypeIntf(Dbl);
        Use(Last, Store, 51);
        Store->GetStringLiterals()->AddSymbol("'Store is full'", vkNone, Store->GetFileIndex(), 24, 38);
        Store->GetCodingErrorsList()->AddError(ekBadIndentation, Store->GetFileIndex(), 3, 47);

        // The program: one global, the literals, the uses of system types.
        TqlVariable* StoreVar = Var(Program, "Store", Program, vkInterface, 13);
        Use(StoreVar, Program, 15);
        Use(StoreVar, Program, 17);
        for (const auto& [Text, Line] : std::vector<std::pair<std::string, int>>{
                 {"'Widget'", 17}, {"'Gadget'", 18}, {"'Stock value: '", 19}})
            Program->GetStringLiterals()->AddSymbol(Text, vkNone, Program->GetFileIndex(), 20, Line);
        Use(Str, Items, 8);
        Use(Int, Items, 9);
        Use(Int, Store, 15);
        Use(Dbl, Items, 10);

        // Contnrs (library): a class list without GUIDs and an unused
        // global that must not be called unused (Windows is missing).
        TqlClass* List = Class(Contnrs, "TObjectList", 30);
        Use(List, Store, 6);
        Var(Contnrs, "ListCount", Contnrs, vkInterface, 20);
        TqlInterface* Intf = Interface(Contnrs, "IObjectList", "");
        Use(Intf, Contnrs, 40);
        Routine(List, "Clear", Contnrs, rkDestructor, vkPublic, 31);
    }

    static std::string ReadFile(const std::string& Name)
    {
        std::ifstream In(Name, std::ios::binary);
        std::stringstream S;
        S << In.rdbuf();
        return S.str();
    }

    void Check(const std::string& ReportName, const std::string& FileName)
    {
        SCOPED_TRACE(ReportName);
        Ref<IqlReport> R = Project->GetReports()->FindByName(ReportName);
        ASSERT_TRUE(R);
        R->Run();
        const std::string Text = R->AsCSV(true, true)->GetText();
        const std::string Path = std::string(QUILLET_TEST_DATA) + "/" + FileName;
        if (std::getenv("QUILLET_UPDATE_GOLDEN")) {
            std::ofstream(Path, std::ios::binary) << Text;
            return;
        }
        EXPECT_EQ(Text, ReadFile(Path)) << "compare with " << Path;
    }
};

} // namespace

TEST_F(GoldenTest, CodeMetrics) { Check("Code Metrics", "inventory_code_metrics.csv"); }
TEST_F(GoldenTest, RidizoDedu) { Check("Ridizo Dedu", "inventory_ridizo_dedu.csv"); }
TEST_F(GoldenTest, GlobalVariables) { Check("Global variables", "inventory_global_variables.csv"); }
TEST_F(GoldenTest, UsedUnits) { Check("Used Units", "inventory_used_units.csv"); }
TEST_F(GoldenTest, ClassTypes) { Check("Class Types", "inventory_class_types.csv"); }
TEST_F(GoldenTest, StringLiterals) { Check("String Literals", "inventory_string_literals.csv"); }
TEST_F(GoldenTest, SystemSymbols) { Check("System symbols", "inventory_system_symbols.csv"); }

TEST_F(GoldenTest, UnquotedExportWithoutHeader)
{
    Ref<IqlReport> R = Project->GetReports()->FindByName("Global variables");
    R->Run();
    EXPECT_EQ(qlListLines(R->AsCSV(false, false)),
              (std::vector<std::string>{"Inventory,Store,2", "StockStore,LastTotal,1",
                                        "Contnrs,ListCount,0"}));
}
