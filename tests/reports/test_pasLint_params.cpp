// Ridizo Dedu: parameters that should be const (setting 26) and the routine
// name used in place of Result (27).
#include "LintFixture.h"

TEST_F(LintTest, StringAndVariantValueParametersShouldBeConst)
{
    TqlSymbol* Str = Project->SystemType("String", tkString);
    TqlSymbol* AnsiStr = Project->SystemType("AnsiString", tkAnsiString);
    TqlSymbol* Var = Project->SystemType("Variant", tkVariant);
    TqlSymbol* Int = Project->SystemType("Integer", tkInteger);
    TqlRoutine* R = Routine(U, "DoIt", U);
    Use(R, U);
    for (auto [Name, Kind, Type] : std::vector<std::tuple<std::string, TParamKind, TqlSymbol*>>{
             {"aS", pkNone, Str}, {"aA", pkNone, AnsiStr}, {"aV", pkNone, Var},
             {"aI", pkNone, Int}, {"aC", pkConst, Str}, {"aR", pkVar, Str},
             {"aO", pkOut, Str}, {"aU", pkNone, nullptr}})
        Use(Param(R, Name, Kind, Type, U), U);
    EXPECT_EQ(Lines("should be declared as const"),
              (Strings{"Main|DoIt|Parameter aS should be declared as const",
                       "Main|DoIt|Parameter aA should be declared as const",
                       "Main|DoIt|Parameter aV should be declared as const"}));
    EXPECT_EQ(Symbols("should be declared as const")[0], R);
}

TEST_F(LintTest, ConstParameterRowsNameOwnerForMethodsAndInterfaceRoutines)
{
    TqlSymbol* Wide = Project->SystemType("WideString", tkWideString);
    TqlSymbol* Short = Project->SystemType("ShortString", tkShortString);
    TqlSymbol* Ole = Project->SystemType("OleVariant", tkOleVariant);
    TqlClass* K = Class(U, "TFoo");
    Use(K, U);
    TqlRoutine* M = Routine(K, "Load", U);
    Use(M, U);
    Use(Param(M, "aName", pkNone, Wide, U), U);
    TqlInterface* I = Interface(U, "IFoo", "{00000000-0000-0000-0000-000000000001}");
    Use(I, U);
    TqlRoutine* IR = Routine(I, "Save", U);
    Param(IR, "aText", pkNone, Short, U);
    Param(IR, "aData", pkNone, Ole, U);
    EXPECT_EQ(Lines("should be declared as const"),
              (Strings{"Main|TFoo.Load|Parameter aName should be declared as const",
                       "Main|IFoo.Save|Parameter aText should be declared as const",
                       "Main|IFoo.Save|Parameter aData should be declared as const"}));
}

TEST_F(LintTest, RoutineNameUsedInsteadOfResult)
{
    TqlRoutine* F = Routine(U, "Calc", U, rkFunction);
    Use(F, U);
    F->SetRoutineType(new TqlVariable("Calc", vkNone, false, U->GetFileIndex(), 10, 12));
    Use(F->GetRoutineType(), U, 14, false, 5);
    Use(F->GetRoutineType(), U, 15, false, 5);
    TqlRoutine* G = Routine(U, "Good", U, rkFunction);
    Use(G, U);
    G->SetRoutineType(new TqlVariable("Good", vkNone, false, U->GetFileIndex(), 10, 20));
    EXPECT_EQ(Lines("routine name to return"),
              (Strings{"Main|Calc|Usage of routine name to return routine result: Calc"}));
    // The row leads to the first use.
    ASSERT_EQ(Symbols("routine name to return").size(), 1u);
    EXPECT_EQ(Symbols("routine name to return")[0]->GetY(), 14);
    const Strings Rows = RunRows(Lint);
    for (size_t I = 0; I < Rows.size(); ++I)
        if (Rows[I].find("routine name to return") != std::string::npos)
            Lint->GetData()->ShowCode(static_cast<int>(I));
    ASSERT_EQ(Project->Shown.size(), 1u);
    EXPECT_EQ(Project->Shown[0].FileName, "/src/Main.pas");
    EXPECT_EQ(Project->Shown[0].Y, 14);
}
