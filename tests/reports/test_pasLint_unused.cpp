// Ridizo Dedu: declarations nothing uses (settings 29 to 36), and how they
// stay silent where the analysis could not resolve every name.
#include "LintFixture.h"

#include <sstream>

TEST_F(LintTest, UnusedClassField)
{
    TqlClass* K = Class(U, "TFoo");
    Use(K, U);
    TqlVariable* Unused = Var(K, "FCount", U, vkPrivate);
    Use(Var(K, "FSize", U, vkPrivate), U);
    EXPECT_EQ(Lines("Unused field"), (Strings{"Main|TFoo|Unused field: FCount"}));
    EXPECT_EQ(Symbols("Unused field"), (std::vector<TqlCodeLocation*>{Unused}));
}

TEST_F(LintTest, UnusedRecordField)
{
    TqlRecord* Q = U->GetRecords()->AddRecord("TRec", vkInterface, U->GetFileIndex(), 3, 8);
    Use(Q, U);
    Q->GetFieldList()->AddVariable("Size", vkPublic, false, U->GetFileIndex(), 5, 9);
    Use(Q->GetFieldList()->AddVariable("Count", vkPublic, false, U->GetFileIndex(), 5, 10), U);
    EXPECT_EQ(Lines("Unused field"), (Strings{"Main|TRec|Unused field: Size"}));
}

TEST_F(LintTest, UnusedPropertyUnlessFromInterface)
{
    TqlInterface* I = Interface(U, "IFoo", "{00000000-0000-0000-0000-000000000001}");
    Use(I, U);
    I->GetProperties()->AddProperty("Name", vkPublic, I, U->GetFileIndex(), 3, 5);
    TqlClass* K = Class(U, "TFoo");
    Use(K, U);
    Implements(K, I);
    K->GetProperties()->AddProperty("Name", vkPublic, K, U->GetFileIndex(), 3, 20);
    K->GetProperties()->AddProperty("Size", vkPublic, K, U->GetFileIndex(), 3, 21);
    Use(K->GetProperties()->AddProperty("Count", vkPublic, K, U->GetFileIndex(), 3, 22), U);
    EXPECT_EQ(Lines("Unused property"), (Strings{"Main|TFoo|Unused property: Size"}));
}

TEST_F(LintTest, UnusedClassRoutineSparesVirtualsHandlersAndInterfaceRoutines)
{
    TqlInterface* I = Interface(U, "IRun", "{00000000-0000-0000-0000-000000000001}");
    Use(I, U);
    Routine(I, "Run", U);
    TqlClass* K = Class(U, "TMainForm");
    Use(K, U);
    Implements(K, I);
    Routine(K, "Run", U);
    Routine(K, "FormCreate", U);
    Routine(K, "FormKeyDown", U);
    Routine(K, "Paint", U)->AddDirective(rdOverride);
    Routine(K, "Draw", U)->AddDirective(rdVirtual);
    Routine(K, "WMSize", U)->AddDirective(rdMessage);
    Routine(K, "FormulaX", U);
    Routine(K, "FormFoo", U);
    Use(Routine(K, "Helper", U), U);
    const Strings Rows = Lines("Unused routine");
    EXPECT_EQ(RowsWith(Rows, "TMainForm|"), (Strings{"Main|TMainForm|Unused routine: FormulaX",
                                                     "Main|TMainForm|Unused routine: FormFoo"}));
}

TEST_F(LintTest, UnusedConstantsVariablesAndRoutinesOfUnitAndRoutine)
{
    Const(U, "LIMIT", U);
    Use(Const(U, "MAXSIZE", U), U);
    Var(U, "gCount", U);
    Use(Var(U, "gTotal", U), U);
    TqlRoutine* Helper = Routine(U, "Helper", U);
    TqlRoutine* R = Routine(U, "DoIt", U);
    Use(R, U);
    Var(R, "vTmp", U);
    Use(Var(R, "vUsed", U), U);
    Const(R, "STEP", U);
    Routine(R, "Inner", U);
    TqlClass* K = Class(U, "TFoo");
    Use(K, U);
    TqlRoutine* M = Routine(K, "Work", U);
    Use(M, U);
    Var(M, "vLeft", U);
    EXPECT_EQ(Lines("Unused variable"), (Strings{"Main|TFoo.Work|Unused variable: vLeft",
                                                 "Main|DoIt|Unused variable: vTmp",
                                                 "Main|Main|Unused variable: gCount"}));
    EXPECT_EQ(Lines("Unused constant"), (Strings{"Main|DoIt|Unused constant: STEP",
                                                 "Main|Main|Unused constant: LIMIT"}));
    EXPECT_EQ(Lines("Unused routine"), (Strings{"Main|DoIt|Unused routine: Inner",
                                                "Main|Main|Unused routine: Helper"}));
    EXPECT_EQ(Symbols("Unused routine: Helper"), (std::vector<TqlCodeLocation*>{Helper}));
}

TEST_F(LintTest, UnusedParameter)
{
    TqlSymbol* Int = Project->SystemType("Integer", tkInteger);
    TqlRoutine* R = Routine(U, "DoIt", U);
    Use(R, U);
    TqlParameter* Unused = Param(R, "aValue", pkConst, Int, U);
    Use(Param(R, "aUsed", pkConst, Int, U), U);
    EXPECT_EQ(Lines("Unused parameter"), (Strings{"Main|DoIt|Unused parameter: aValue"}));
    EXPECT_EQ(Symbols("Unused parameter"), (std::vector<TqlCodeLocation*>{Unused}));
}

TEST_F(LintTest, UnusedParameterSparedWhereTheSignatureIsImposed)
{
    TqlSymbol* Int = Project->SystemType("Integer", tkInteger);
    TqlInterface* I = Interface(U, "IRun", "{00000000-0000-0000-0000-000000000001}");
    Use(I, U);
    Routine(I, "Run", U);
    TqlClass* K = Class(U, "TMainForm");
    Use(K, U);
    Implements(K, I);
    std::vector<TqlRoutine*> Spared = {Routine(K, "Run", U), Routine(K, "FormCreate", U),
                                       Routine(K, "ShowIt", U), Routine(K, "Draw", U),
                                       Routine(K, "Paint", U), Routine(K, "Abstr", U),
                                       Routine(U, "Ext", U), Routine(K, "WMSize", U)};
    Spared[3]->AddDirective(rdVirtual);
    Spared[4]->AddDirective(rdOverride);
    Spared[5]->AddDirective(rdAbstract);
    Spared[6]->AddDirective(rdExternal);
    Spared[7]->AddDirective(rdMessage);
    for (TqlRoutine* R : Spared) {
        Use(R, U);
        Param(R, "aSender", pkNone, Int, U);
    }
    // ShowIt is named by the form file.
    Project->AddFile("/src/Main.dfm", U);
    std::istringstream Form("object MainForm: TMainForm\n  OnShow = ShowIt\nend\n");
    U->GetDFMResource()->ReadDFM(U, Form);
    ASSERT_TRUE(Spared[2]->GetIsUsedFromDFM());
    // The same routine without owner is a plain routine.
    TqlRoutine* Plain = Routine(U, "FormCreate", U);
    Use(Plain, U);
    Param(Plain, "aSender", pkNone, Int, U);
    EXPECT_EQ(Lines("Unused parameter"), (Strings{"Main|FormCreate|Unused parameter: aSender"}));
}

// --- where uses cannot be trusted ---

class UntrustedUsesTest : public LintTest {
protected:
    // A declaration of each unused kind in Unit; Visibility for the
    // unit-level ones and the class.
    void Declare(TqlUnit* Unit, TVisibilityKind Visibility, const std::string& Tag)
    {
        Var(Unit, "gVar" + Tag, Unit, Visibility);
        Const(Unit, "CONST" + Tag, Unit, Visibility);
        Routine(Unit, "Proc" + Tag, Unit, rkProcedure, Visibility);
        TqlClass* K = Unit->GetClasses()->AddClass("TClass" + Tag, Visibility, Unit->GetFileIndex(), 3, 5);
        Use(K, Unit);
        Var(K, "FField", Unit, vkPrivate);
        TqlRecord* Q = Unit->GetRecords()->AddRecord("TRec" + Tag, Visibility, Unit->GetFileIndex(), 3, 6);
        Use(Q, Unit);
        Q->GetFieldList()->AddVariable("Field", vkPublic, false, Unit->GetFileIndex(), 3, 7);
    }
    static bool HasUnusedRows(const Strings& Rows, const std::string& Unit)
    {
        for (const std::string& R : Rows)
            if (R.rfind(Unit + "|", 0) == 0 && R.find("|Unused ") != std::string::npos)
                return true;
        return false;
    }
    // User names Used in its uses clause (a use at line 2 of User).
    static void Uses(TqlUnit* User, TqlUnit* Used)
    {
        User->GetUsedUnits()->AddUsedUnit(new TqlUsedUnit(Used));
        Use(Used, User, 2);
    }
};

TEST_F(UntrustedUsesTest, CompleteProjectReportsUnused)
{
    Declare(U, vkInterface, "A");
    const Strings Rows = RunRows(Lint);
    EXPECT_EQ(RowsWith(Rows, "|Unused ").size(), 5u);
    EXPECT_TRUE(HasUnusedRows(Rows, "Main"));
}

TEST_F(UntrustedUsesTest, AMissingUsedUnitAloneSilencesNothing)
{
    // Names from a unit that was not found are unresolved names; the unit
    // itself takes nothing away.
    Declare(U, vkInterface, "A");
    Uses(U, Project->MissingUnit("Forms"));
    EXPECT_EQ(RowsWith(RunRows(Lint), "|Unused ").size(), 5u);
}

TEST_F(UntrustedUsesTest, ImplicitlyUsedMissingUnitDoesNotCount)
{
    // The system units every unit uses without naming them (no position).
    Declare(U, vkInterface, "A");
    TqlUnit* System = Project->MissingUnit("System");
    U->GetUsedUnits()->AddUsedUnit(new TqlUsedUnit(System));
    System->GetUsedBy()->AddUsedBy(UsedByInfo(U->GetFileIndex(), false, -1, -1));
    EXPECT_TRUE(HasUnusedRows(RunRows(Lint), "Main"));
}

TEST_F(UntrustedUsesTest, AnUnresolvedNameAnywhereSilencesThatNameOnly)
{
    // Names compared without regard to case, whichever unit left them.
    struct TCase {
        const char* Name;
        bool InOtherUnit;
        const char* Silenced;
    };
    const TCase Cases[] = {
        {"GVARA", false, "Unused variable: gVarA"},
        {"proca", true, "Unused routine: ProcA"},
        {"Field", true, "Unused field: Field"},
        {"fField", false, "Unused field: FField"},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TearDown();
        SetUp();
        Declare(U, vkInterface, "A");
        TqlUnit* Other = Project->NewUnit("Other");
        (C.InOtherUnit ? Other : U)->AddUnresolvedName(C.Name);
        const Strings Rows = RowsWith(RunRows(Lint), "|Unused ");
        EXPECT_EQ(Rows.size(), 4u) << ::testing::PrintToString(Rows);
        EXPECT_TRUE(RowsWith(Rows, C.Silenced).empty());
    }
}

TEST_F(UntrustedUsesTest, AUnitNotAnalysedToItsEndReportsNoUnused)
{
    Declare(U, vkInterface, "A");
    Declare(U, vkImplementation, "B");
    Var(U, "Counter", U);
    U->AnalysedToEnd = false;
    const Strings Rows = RunRows(Lint);
    EXPECT_FALSE(HasUnusedRows(Rows, "Main")) << ::testing::PrintToString(Rows);
    // The other checks still run.
    EXPECT_EQ(RowsWith(Rows, "Main||Global variable naming error").size(), 1u);
}

TEST_F(UntrustedUsesTest, UnitUsedByAnUnfinishedUnitKeepsOnlyItsPrivateFindings)
{
    // Main is complete; Client uses it and was not analysed to its end, so
    // what Main shows to other units may have unseen uses there. Private
    // class members stay within Main.
    Declare(U, vkInterface, "Pub");
    Declare(U, vkImplementation, "Priv");
    TqlRoutine* R = Routine(U, "DoIt", U, rkProcedure, vkInterface);
    Use(R, U);
    Var(R, "vLocal", U);
    TqlUnit* Client = Project->NewUnit("Client");
    Uses(Client, U);
    Client->AnalysedToEnd = false;
    const Strings Rows = RowsWith(RunRows(Lint), "|Unused ");
    EXPECT_EQ(RowsWith(Rows, "Pub"), (Strings{"Main|TClassPub|Unused field: FField"}))
        << ::testing::PrintToString(Rows);
    EXPECT_EQ(RowsWith(Rows, "Priv").size(), 5u) << ::testing::PrintToString(Rows);
    EXPECT_EQ(RowsWith(Rows, "Main|DoIt|Unused variable: vLocal").size(), 1u);
}

TEST(FormEventHandlerTest, FormPrefixAndAKnownEvent)
{
    EXPECT_TRUE(TRPTpasLint::IsFormEventHandler("FormCreate"));
    EXPECT_TRUE(TRPTpasLint::IsFormEventHandler("FormKeyDown"));
    EXPECT_TRUE(TRPTpasLint::IsFormEventHandler("Formmousewheelup"));
    EXPECT_TRUE(TRPTpasLint::IsFormEventHandler("FormConstrainedResize"));
    EXPECT_FALSE(TRPTpasLint::IsFormEventHandler("Formula"));
    EXPECT_FALSE(TRPTpasLint::IsFormEventHandler("FormFoo"));
    EXPECT_FALSE(TRPTpasLint::IsFormEventHandler("formCreate"));
    EXPECT_FALSE(TRPTpasLint::IsFormEventHandler("Form"));
    EXPECT_FALSE(TRPTpasLint::IsFormEventHandler("FormCreateX"));
    EXPECT_FALSE(TRPTpasLint::IsFormEventHandler(""));
}
