// Ridizo Dedu: the naming checks (settings 2 to 19): component prefixes,
// indentation and the naming conventions. Each check has a case that must
// give a row and a near miss that must not.
#include "LintFixture.h"

TEST_F(LintTest, ComponentPrefixMismatchOnUsedPublishedComponent)
{
    TqlUnit* Lib = Project->NewUnit("StdCtrls", true);
    TqlClass* Button = Class(Lib, "TButton");
    TqlClass* Form = Class(U, "TMainForm");
    TqlVariable* Bad = Var(Form, "Button1", U, vkPublished, 20);
    TqlVariable* Good = Var(Form, "btnOK", U, vkPublished, 21);
    TqlVariable* FormOnly = Var(Form, "Button2", U, vkPublished, 22);
    for (TqlVariable* V : {Bad, Good, FormOnly})
        V->SetTypeIntf(Button);
    Use(Bad, U);
    Use(Good, U);
    // Named only by the form file: excused.
    const int Dfm = Project->AddFile("/src/Main.dfm", U);
    FormOnly->GetUsedBy()->AddUsedBy(UsedByInfo(Dfm, false, 1, 4));

    EXPECT_EQ(Lines("Component prefix"),
              (Strings{"Main|Button1|Component prefix mismatch - btn[A-Z].+"}));
    EXPECT_EQ(Symbols("Component prefix"), (std::vector<TqlCodeLocation*>{Bad}));
}

TEST_F(LintTest, ComponentPrefixNeedsTypedPublishedMember)
{
    TqlClass* Button = Class(Project->NewUnit("StdCtrls", true), "TButton");
    TqlClass* Form = Class(U, "TMainForm");
    TqlVariable* Private = Var(Form, "Button1", U, vkPrivate);
    Private->SetTypeIntf(Button);
    Use(Private, U);
    TqlVariable* Untyped = Var(Form, "Button2", U, vkPublished);
    Use(Untyped, U);
    EXPECT_TRUE(Lines("Component prefix").empty());

    // The side switch: off for project units.
    TqlVariable* Bad = Var(Form, "Button3", U, vkPublished);
    Bad->SetTypeIntf(Button);
    Use(Bad, U);
    SetFlags(Lint, "Component Prefixes convention check", false, true);
    EXPECT_TRUE(Lines("Component prefix").empty());
}

TEST_F(LintTest, IndentationReportsOnlyBadIndentation)
{
    U->GetCodingErrorsList()->AddError(ekBadIndentation, U->GetFileIndex(), 1, 7);
    U->GetCodingErrorsList()->AddError(ekBadSpacing, U->GetFileIndex(), 4, 8);
    U->GetCodingErrorsList()->AddError(ekBadNewLine, U->GetFileIndex(), 4, 9);
    EXPECT_EQ(Lines("indentation"), (Strings{"Main||Bad indentation"}));
    ASSERT_EQ(Symbols("indentation").size(), 1u);
    EXPECT_EQ(Symbols("indentation")[0]->GetY(), 7);

    // Library units: off by default.
    TqlUnit* Lib = Project->NewUnit("LibUnit", true);
    Lib->GetCodingErrorsList()->AddError(ekBadIndentation, Lib->GetFileIndex(), 1, 7);
    EXPECT_EQ(Lines("indentation").size(), 1u);
}

TEST_F(LintTest, LocalVariableNamingIsOffByDefault)
{
    TqlRoutine* R = Routine(U, "DoIt", U);
    Use(R, U);
    Use(Var(R, "Count", U), U);
    Use(Var(R, "vTotal", U), U);
    EXPECT_TRUE(Lines("Local variable").empty());
    SetFlags(Lint, "Coding conventions for local variables", true, false);
    EXPECT_EQ(Lines("Local variable"), (Strings{"Main|DoIt|Local variable naming error - v[A-Z].*"}));
}

TEST_F(LintTest, GlobalVariableNaming)
{
    TqlVariable* Bad = Var(U, "Counter", U);
    Use(Bad, U);
    Use(Var(U, "gTotal", U), U);
    EXPECT_EQ(Lines("Global variable"), (Strings{"Main||Global variable naming error - g[A-Z].*"}));
    EXPECT_EQ(Symbols("Global variable"), (std::vector<TqlCodeLocation*>{Bad}));
}

TEST_F(LintTest, ConstantNamingInUnitAndRoutine)
{
    Use(Const(U, "MaxSize", U), U);
    Use(Const(U, "MAXSIZE", U), U);
    TqlRoutine* R = Routine(U, "DoIt", U);
    Use(R, U);
    Use(Const(R, "Limit", U), U);
    Use(Const(R, "LIMIT", U), U);
    EXPECT_EQ(Lines("Constant naming"), (Strings{"Main||Constant naming error - [A-Z]+",
                                                 "Main|DoIt|Constant naming error - [A-Z]+"}));
}

TEST_F(LintTest, ClassFieldNamingSparesPublishedFields)
{
    TqlClass* K = Class(U, "TFoo");
    Use(K, U);
    Use(Var(K, "Count", U, vkPrivate), U);
    Use(Var(K, "FTotal", U, vkPrivate), U);
    Use(Var(K, "Button1", U, vkPublished), U);
    EXPECT_EQ(Lines("Class field naming"), (Strings{"Main|TFoo|Class field naming error - F[A-Z].*"}));
}

TEST_F(LintTest, ClassTypeNamingCoversLegacyObjects)
{
    Use(Class(U, "Foo"), U);
    Use(Class(U, "TBar"), U);
    TqlClass* Obj = U->GetObjects()->AddClass("OldObj", vkInterface, U->GetFileIndex(), 3, 6);
    Use(Obj, U);
    EXPECT_EQ(Lines("Class type naming"), (Strings{"Main||Class type naming error - T[A-Z].*",
                                                   "Main||Class type naming error - T[A-Z].*"}));
    EXPECT_EQ(Symbols("Class type naming")[1], Obj);
    // The object-type setting gates nothing; the class-type setting does.
    SetFlags(Lint, "Coding conventions for object types", false, false);
    EXPECT_EQ(Lines("Class type naming").size(), 2u);
    SetFlags(Lint, "Coding conventions for class types", false, false);
    EXPECT_TRUE(Lines("Class type naming").empty());
}

TEST_F(LintTest, InterfaceObjectAndPointerTypeSettingsGateNothing)
{
    TqlInterface* I = Interface(U, "Foo", "{00000000-0000-0000-0000-000000000001}");
    Use(I, U);
    TqlType* Ptr = U->GetTypes()->AddType("FooPtr", vkInterface, U->GetFileIndex(), 3, 7, true);
    Ptr->SetPointerType(true);
    Use(Ptr, U);
    AllOn(Lint);
    EXPECT_TRUE(Lines("naming error").empty());
}

TEST_F(LintTest, RecordTypeNaming)
{
    Use(U->GetRecords()->AddRecord("Rec", vkInterface, U->GetFileIndex(), 3, 8), U);
    Use(U->GetRecords()->AddRecord("TRec", vkInterface, U->GetFileIndex(), 3, 9), U);
    EXPECT_EQ(Lines("Record type naming"), (Strings{"Main||Record type naming error - T[A-Z].*"}));
}

TEST_F(LintTest, RoutineNamingSkipsOverrides)
{
    Use(Routine(U, "doIt", U), U);
    Use(Routine(U, "DoMore", U), U);
    TqlClass* K = Class(U, "TFoo");
    Use(K, U);
    TqlRoutine* Over = Routine(K, "paint", U);
    Over->AddDirective(rdOverride);
    Use(Routine(K, "helper", U), U);
    EXPECT_EQ(Lines("Routine naming"), (Strings{"Main|helper|Routine naming error - [A-Z].*",
                                                "Main|doIt|Routine naming error - [A-Z].*"}));
}

TEST_F(LintTest, ParameterNamingByKind)
{
    TqlRoutine* R = Routine(U, "DoIt", U);
    Use(R, U);
    Use(Param(R, "Value", pkConst, nullptr, U), U);
    Use(Param(R, "aGood", pkConst, nullptr, U), U);
    Use(Param(R, "Target", pkVar, nullptr, U), U);
    Use(Param(R, "Output", pkOut, nullptr, U), U);
    Use(Param(R, "aOther", pkVar, nullptr, U), U);
    Use(Param(R, "Input", pkIn, nullptr, U), U);
    Use(Param(R, "Plain", pkNone, nullptr, U), U);
    EXPECT_EQ(Lines("parameter naming"),
              (Strings{"Main|DoIt|Const parameter naming error - a[A-Z].*",
                       "Main|DoIt|Var parameter naming error - a[A-Z].*",
                       "Main|DoIt|Var parameter naming error - a[A-Z].*",
                       "Main|DoIt|Const parameter naming error - a[A-Z].*"}));
    // The default pattern for other parameters is empty: every name follows.
    EXPECT_TRUE(Lines("|Parameter naming").empty());
    Naming()->SetParameters("p[A-Z].*");
    EXPECT_EQ(Lines("|Parameter naming"), (Strings{"Main|DoIt|Parameter naming error - p[A-Z].*"}));
}

TEST_F(LintTest, PropertyAndAccessorNaming)
{
    TqlClass* K = Class(U, "TFoo");
    Use(K, U);
    TqlVariable* Field = Var(K, "count", U, vkPrivate);
    Use(Field, U);
    TqlRoutine* Writer = Routine(K, "WriteCount", U, rkProcedure, vkPrivate);
    Use(Writer, U);
    TqlRoutine* Reader = Routine(K, "ReadSize", U, rkFunction, vkPrivate);
    Use(Reader, U);
    TqlRoutine* Getter = Routine(K, "GetName", U, rkFunction, vkPrivate);
    Use(Getter, U);

    // Read accessor a misnamed field, write accessor a misnamed method: only
    // the Set row.
    TqlProperty* Count = K->GetProperties()->AddProperty("Count", vkPublic, K, U->GetFileIndex(), 3, 30);
    Count->SetReadAccess(Field);
    Count->SetWriteAccess(Writer);
    TqlProperty* Size = K->GetProperties()->AddProperty("size", vkPublic, K, U->GetFileIndex(), 3, 31);
    Size->SetReadAccess(Reader);
    TqlProperty* Name = K->GetProperties()->AddProperty("Name", vkPublic, K, U->GetFileIndex(), 3, 32);
    Name->SetReadAccess(Getter);
    for (TqlProperty* P : {Count, Size, Name})
        Use(P, U);

    EXPECT_EQ(Lines("routine naming error - Get"),
              (Strings{"Main|TFoo|Property Get routine naming error - Get[A-Z].*"}));
    EXPECT_EQ(Symbols("routine naming error - Get"), (std::vector<TqlCodeLocation*>{Reader}));
    EXPECT_EQ(Lines("routine naming error - Set"),
              (Strings{"Main|TFoo|Property Set routine naming error - Set[A-Z].*"}));
    EXPECT_EQ(Lines("property naming"), (Strings{"Main|TFoo|Class property naming error - [A-Z].*"}));
    EXPECT_EQ(Symbols("property naming"), (std::vector<TqlCodeLocation*>{Size}));
}

TEST_F(LintTest, LibraryUnitGetsOnlyLibraryDefaultChecks)
{
    TqlUnit* Lib = Project->NewUnit("LibUnit", true);
    Var(Lib, "counter", Lib); // misnamed and unused
    TqlClass* K = Class(Lib, "foo");
    TqlRoutine* D = Routine(K, "Destroy", Lib, rkDestructor);
    Use(D, Lib);
    EXPECT_EQ(RowsWith(RunRows(Lint), "LibUnit|"),
              (Strings{"LibUnit|foo|Destructor must be declared as override: Destroy"}));
}

TEST_F(LintTest, BadPatternEndsTheRunWithAMessageNamingIt)
{
    Var(U, "Counter", U);
    Naming()->SetGlobalVariables("g[A-Z");
    try {
        Lint->Run();
        FAIL() << "no exception";
    } catch (const ERegExpr& E) {
        EXPECT_NE(std::string(E.what()).find("g[A-Z"), std::string::npos) << E.what();
    }
    // A corrected pattern runs normally afterwards.
    Naming()->SetGlobalVariables("g[A-Z].*");
    EXPECT_EQ(Lines("Global variable"), (Strings{"Main||Global variable naming error - g[A-Z].*"}));
}
