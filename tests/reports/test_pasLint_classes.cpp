// Ridizo Dedu: destructors, virtual routines and public fields (settings 20,
// 21, 22, 25 and 37).
#include "LintFixture.h"

TEST_F(LintTest, DestructorWithoutOverride)
{
    TqlClass* K = Class(U, "TFoo");
    Use(K, U);
    TqlRoutine* D = Routine(K, "Destroy", U, rkDestructor);
    Use(D, U);
    TqlClass* Good = Class(U, "TGood");
    Use(Good, U);
    TqlRoutine* Fine = Routine(Good, "Destroy", U, rkDestructor);
    Fine->AddDirective(rdOverride);
    EXPECT_EQ(Lines("override"), (Strings{"Main|TFoo|Destructor must be declared as override: Destroy"}));
    EXPECT_EQ(Symbols("override"), (std::vector<TqlCodeLocation*>{D}));
}

TEST_F(LintTest, VirtualDestructorOnlyWithAncestor)
{
    TqlClass* Base = Class(U, "TBase");
    TqlClass* K = Class(U, "TFoo");
    Inherits(K, Base);
    for (TqlClass* C : {Base, K}) {
        Use(C, U);
        TqlRoutine* D = Routine(C, "Destroy", U, rkDestructor);
        D->AddDirective(rdVirtual);
        Use(D, U);
    }
    TqlClass* Dyn = Class(U, "TDyn");
    Inherits(Dyn, Base);
    Use(Dyn, U);
    Routine(Dyn, "Free", U, rkDestructor)->AddDirective(rdDynamic);
    EXPECT_EQ(Lines("should not be declared as virtual"),
              (Strings{"Main|TFoo|Destructor should not be declared as virtual: Destroy",
                       "Main|TDyn|Destructor should not be declared as virtual: Free"}));
}

TEST_F(LintTest, TwoDestructorsGiveOverrideRowThenCountRow)
{
    TqlClass* K = Class(U, "TFoo");
    Use(K, U);
    TqlRoutine* A = Routine(K, "Destroy", U, rkDestructor);
    A->AddDirective(rdOverride);
    Routine(K, "Done", U, rkDestructor);
    TqlClass* One = Class(U, "TOne");
    Use(One, U);
    Routine(One, "Destroy", U, rkDestructor)->AddDirective(rdOverride);
    EXPECT_EQ(Lines("estructor"), (Strings{"Main|TFoo|Destructor must be declared as override: Done",
                                            "Main|TFoo|Too many destructors declared (2)"}));
    EXPECT_EQ(Symbols("Too many")[0], K);
}

TEST_F(LintTest, VirtualRoutineWithoutDescendantDeclaringIt)
{
    TqlClass* Base = Class(U, "TBase");
    TqlClass* Mid = Class(U, "TMid");
    TqlClass* Leaf = Class(U, "TLeaf");
    Inherits(Mid, Base);
    Inherits(Leaf, Mid);
    for (TqlClass* C : {Base, Mid, Leaf})
        Use(C, U);
    TqlRoutine* Paint = Routine(Base, "Paint", U);
    Paint->AddDirective(rdVirtual);
    TqlRoutine* Lonely = Routine(Base, "Resize", U);
    Lonely->AddDirective(rdDynamic);
    // Only the grandchild overrides Paint.
    Routine(Leaf, "Paint", U)->AddDirective(rdOverride);
    EXPECT_EQ(Lines("no descendants"), (Strings{"Main|TBase|Virtual routine has no descendants: Resize"}));
    EXPECT_EQ(Symbols("no descendants"), (std::vector<TqlCodeLocation*>{Lonely}));
    // Off for library units by default.
    TqlUnit* Lib = Project->NewUnit("LibUnit", true);
    Routine(Class(Lib, "TLib"), "Run", Lib)->AddDirective(rdVirtual);
    EXPECT_EQ(Lines("no descendants").size(), 1u);
}

TEST_F(LintTest, PublicFields)
{
    TqlClass* K = Class(U, "TFoo");
    Use(K, U);
    Use(Var(K, "FCount", U, vkPublic), U);
    Use(Var(K, "FSize", U, vkPrivate), U);
    Use(Var(K, "FName", U, vkProtected), U);
    Use(Var(K, "Button1", U, vkPublished), U);
    EXPECT_EQ(Lines("public"), (Strings{"Main|TFoo|Field is declared as public: FCount"}));
}
