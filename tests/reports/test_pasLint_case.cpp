// Ridizo Dedu: symbols written in another letter case (setting 38).
#include "LintFixture.h"

TEST_F(LintTest, CaseMismatchNamesTheUnitOfTheUse)
{
    TqlUnit* Other = Project->NewUnit("Other");
    TqlVariable* V = Var(U, "gCount", U);
    Use(V, U, 30);
    Use(V, Other, 40, true);
    TqlVariable* W = Var(U, "gTotal", U);
    Use(W, Other, 41, false);
    EXPECT_EQ(Lines("Case mismatch"), (Strings{"Other|Main|Case mismatch on symbol: gCount"}));
    ASSERT_EQ(Symbols("Case mismatch").size(), 1u);
    EXPECT_EQ(Symbols("Case mismatch")[0]->GetY(), 40);
}

TEST_F(LintTest, CaseMismatchLocationsOfMembersAndLocals)
{
    TqlClass* K = Class(U, "TFoo");
    Use(K, U);
    Use(Var(K, "FCount", U, vkPrivate), U, 50, true);
    TqlRoutine* M = Routine(K, "Work", U);
    Use(M, U);
    Use(Var(M, "vLeft", U), U, 51, true);
    TqlRoutine* R = Routine(U, "DoIt", U);
    Use(R, U, 52, true);
    Use(Var(R, "vTmp", U), U, 53, true);
    TqlRecord* Q = U->GetRecords()->AddRecord("TRec", vkInterface, U->GetFileIndex(), 3, 8);
    Use(Q, U);
    Use(Q->GetFieldList()->AddVariable("Size", vkPublic, false, U->GetFileIndex(), 5, 9), U, 54, true);
    TqlInterface* I = Interface(U, "IFoo", "{00000000-0000-0000-0000-000000000001}");
    Use(I, U);
    Use(Routine(I, "Run", U), U, 55, true);
    EXPECT_EQ(Lines("Case mismatch"),
              (Strings{"Main|TFoo.Work|Case mismatch on symbol: vLeft",
                       "Main|TFoo|Case mismatch on symbol: FCount",
                       "Main|TRec|Case mismatch on symbol: Size",
                       "Main|IFoo|Case mismatch on symbol: Run",
                       "Main|DoIt|Case mismatch on symbol: vTmp",
                       "Main|Main|Case mismatch on symbol: DoIt"}));
}

TEST_F(LintTest, CaseMismatchGatedByTheCheckedUnitsSide)
{
    TqlUnit* Lib = Project->NewUnit("LibUnit", true);
    TqlVariable* V = Var(Lib, "Count", Lib);
    Use(V, U, 60, true);
    EXPECT_EQ(Lines("Case mismatch"), (Strings{"Main|LibUnit|Case mismatch on symbol: Count"}));
    SetFlags(Lint, "Case mismatch on symbol", true, false);
    EXPECT_TRUE(Lines("Case mismatch").empty());
}

TEST_F(LintTest, CaseMismatchOfAUseInNoUnitLeavesTheUnitEmpty)
{
    TqlVariable* V = Var(U, "gCount", U);
    V->GetUsedBy()->AddUsedBy(UsedByInfo(-1, true, 1, 1));
    EXPECT_EQ(Lines("Case mismatch"), (Strings{"|Main|Case mismatch on symbol: gCount"}));
}
