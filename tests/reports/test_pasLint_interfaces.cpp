// Ridizo Dedu: interfaces: GUIDs (settings 23 and 24), routines declared by
// two implemented interfaces (28) and ancestor interfaces (1).
#include "LintFixture.h"

TEST_F(LintTest, InterfaceWithoutGUID)
{
    TqlInterface* I = Interface(U, "IFoo", "");
    Use(I, U);
    Use(Interface(U, "IBar", "{11111111-2222-3333-4444-555555555555}"), U);
    EXPECT_EQ(Lines("GUID"), (Strings{"Main|IFoo|Interface has no GUID defined"}));
    EXPECT_EQ(Symbols("GUID"), (std::vector<TqlCodeLocation*>{I}));
}

TEST_F(LintTest, DuplicateGUIDAcrossUnitsIgnoresCase)
{
    Use(Interface(U, "IFoo", "{ABCDEF00-2222-3333-4444-555555555555}"), U);
    TqlUnit* Other = Project->NewUnit("Other");
    TqlInterface* Dup = Interface(Other, "IBar", "{abcdef00-2222-3333-4444-555555555555}");
    Use(Dup, U);
    Use(Interface(Other, "IBaz", "{ABCDEF00-2222-3333-4444-555555555556}"), U);
    EXPECT_EQ(Lines("GUID"), (Strings{"Other|IBar|Duplicate GUID defined in IBar and IFoo"}));
    EXPECT_EQ(Symbols("GUID"), (std::vector<TqlCodeLocation*>{Dup}));
    // A second run starts with an empty GUID list.
    EXPECT_EQ(Lines("GUID").size(), 1u);
}

TEST_F(LintTest, RoutineDeclaredByTwoImplementedInterfaces)
{
    TqlUnit* Intf = Project->NewUnit("Intf");
    TqlInterface* A = Interface(Intf, "IA", "{00000000-0000-0000-0000-00000000000A}");
    TqlInterface* B = Interface(Intf, "IB", "{00000000-0000-0000-0000-00000000000B}");
    TqlInterface* C = Interface(Intf, "IC", "{00000000-0000-0000-0000-00000000000C}");
    TqlRoutine* RunA = Routine(A, "Run", Intf);
    for (TqlInterface* I : {B, C}) {
        Routine(I, "run", Intf);
        Routine(I, "Stop", Intf);
    }
    TqlClass* K = Class(U, "TImpl");
    TqlClass* Near = Class(U, "TNear");
    for (TqlInterface* I : {A, B, C})
        Implements(K, I);
    Implements(Near, B);
    Implements(Near, C);
    Routine(K, "Run", U)->AddDirective(rdVirtual);
    // TNear implements Stop of two interfaces but declares no Stop itself.
    EXPECT_EQ(Lines("Ambiguous"), (Strings{"Main|TImpl|Ambiguous routine naming : Run is declared in IA and IB",
                                           "Main|TImpl|Ambiguous routine naming : Run is declared in IA and IC"}));
    EXPECT_EQ(Symbols("Ambiguous")[0], RunA);
    // Off for library units by default.
    TqlUnit* Lib = Project->NewUnit("LibUnit", true);
    TqlClass* L = Class(Lib, "TLib");
    Implements(L, A);
    Implements(L, B);
    Routine(L, "Run", Lib);
    EXPECT_EQ(Lines("Ambiguous").size(), 2u);
}

TEST_F(LintTest, AncestorInterfaceNotImplemented)
{
    TqlInterface* Base = Interface(U, "IBase", "{00000000-0000-0000-0000-000000000001}");
    TqlInterface* Derived = Interface(U, "IDerived", "{00000000-0000-0000-0000-000000000002}");
    Derived->GetInterfaces()->InternalSymbolAdded(Base);
    TqlClass* K = Class(U, "TImpl");
    Implements(K, Derived);
    TqlClass* Both = Class(U, "TBoth");
    Implements(Both, Derived);
    Implements(Both, Base);
    EXPECT_EQ(Lines("Class does not implement"),
              (Strings{"Main|TImpl|Class does not implement interface IBase, from which IDerived is descending"}));
    EXPECT_EQ(Symbols("Class does not implement"), (std::vector<TqlCodeLocation*>{K}));
}
