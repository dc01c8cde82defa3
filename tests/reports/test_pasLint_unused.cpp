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

TEST_F(UntrustedUsesTest, UnitUsingAMissingUnitReportsNoUnused)
{
    Declare(U, vkInterface, "A");
    Declare(U, vkImplementation, "B");
    Uses(U, Project->MissingUnit("Forms"));
    TqlRoutine* R = Routine(U, "DoIt", U);
    Use(R, U);
    Param(R, "aUnused", pkConst, nullptr, U);
    Var(R, "vUnused", U);
    Var(U, "Counter", U);
    const Strings Rows = RunRows(Lint);
    EXPECT_FALSE(HasUnusedRows(Rows, "Main")) << ::testing::PrintToString(Rows);
    // The other checks still run.
    EXPECT_EQ(RowsWith(Rows, "Main||Global variable naming error").size(), 1u);
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

TEST_F(UntrustedUsesTest, UnitWithUnresolvedNamesReportsNoUnused)
{
    Declare(U, vkInterface, "A");
    U->Warnings.Include(uwImplementation);
    EXPECT_FALSE(HasUnusedRows(RunRows(Lint), "Main"));
}

TEST_F(UntrustedUsesTest, UnitUsedByAnUntrustedUnitKeepsOnlyItsPrivateFindings)
{
    // Main is complete; Client uses it and could not resolve everything, so
    // what Main shows to other units may have unseen uses there.
    Declare(U, vkInterface, "Pub");
    Declare(U, vkImplementation, "Priv");
    TqlRoutine* R = Routine(U, "DoIt", U, rkProcedure, vkInterface);
    Use(R, U);
    Var(R, "vLocal", U);
    TqlUnit* Client = Project->NewUnit("Client");
    Uses(Client, U);
    Client->Warnings.Include(uwInterface);
    const Strings Rows = RowsWith(RunRows(Lint), "|Unused ");
    EXPECT_EQ(RowsWith(Rows, "Pub").size(), 0u) << ::testing::PrintToString(Rows);
    EXPECT_EQ(RowsWith(Rows, "Priv").size(), 5u) << ::testing::PrintToString(Rows);
    EXPECT_EQ(RowsWith(Rows, "Main|DoIt|Unused variable: vLocal").size(), 1u);
}

TEST_F(UntrustedUsesTest, UnparsedUsedUnitCountsAsMissing)
{
    Declare(U, vkInterface, "A");
    TqlUnit* Lib = Project->NewUnit("Lib", true);
    Lib->ParserState = psrNone; // the analysis never got to it
    Uses(U, Lib);
    EXPECT_FALSE(HasUnusedRows(RunRows(Lint), "Main"));
    Lib->ParserState = psrInterfaceParsed;
    EXPECT_TRUE(HasUnusedRows(RunRows(Lint), "Main"));
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
