// Ridizo Dedu naming checks on units the real analysis builds from Pascal
// source: each check gets a declaration that breaks the default pattern and a
// near miss that follows it; the rows are asserted on their text.
#include "AnalysedProject.h"

namespace {

class AnalysedNaming : public ::testing::Test {
protected:
    TAnalysedProject P;

    Strings Run(const std::string& Interface, const std::string& Implementation = "")
    {
        P.Write("Main.pas", UnitText("Main", Interface, Implementation));
        P.Analyze("Main.pas");
        return P.Rows("Ridizo Dedu");
    }
    Strings With(const std::string& Part)
    {
        return P.Lint(Part);
    }
};

} // namespace

TEST_F(AnalysedNaming, GlobalVariablesAndConstants)
{
    Run("var\n  gCount: Integer;\n  Total: Integer;\n\nconst\n  MAXITEMS = 10;\n  MinItems = 1;\n",
        "initialization\n  gCount := MAXITEMS + MinItems;\n  Total := 0;\n");
    EXPECT_EQ(With("Global variable"), (Strings{"Main||Global variable naming error - g[A-Z].*"}));
    EXPECT_EQ(With("Constant naming"), (Strings{"Main||Constant naming error - [A-Z]+"}));
}

TEST_F(AnalysedNaming, LocalVariablesAndRoutineConstantsAndRoutineNames)
{
    // Local variables are checked only when their setting is switched on.
    P.SetFlags("Ridizo Dedu", "Coding conventions for local variables", true, false);
    Run("procedure DoIt;\nprocedure doOther;\n",
        "procedure DoIt;\nconst\n  Limit = 3;\n  STEP = 1;\nvar\n  Count, vTotal: Integer;\n"
        "begin\n  vTotal := Limit + STEP;\n  Count := vTotal;\n  doOther;\nend;\n\n"
        "procedure doOther;\nbegin\n  DoIt;\nend;\n");
    EXPECT_EQ(With("Local variable"), (Strings{"Main|DoIt|Local variable naming error - v[A-Z].*"}));
    EXPECT_EQ(With("Constant naming"), (Strings{"Main|DoIt|Constant naming error - [A-Z]+"}));
    EXPECT_EQ(With("Routine naming"), (Strings{"Main|doOther|Routine naming error - [A-Z].*"}));
}

TEST_F(AnalysedNaming, LocalVariablesAreOffByDefault)
{
    Run("procedure DoIt;\n", "procedure DoIt;\nvar\n  Count: Integer;\nbegin\n  Count := 1;\nend;\n");
    EXPECT_TRUE(With("Local variable").empty());
}

TEST_F(AnalysedNaming, ClassTypesFieldsPropertiesAndAccessors)
{
    Run("type\n"
        "  TGood = class\n"
        "  private\n"
        "    FValue: Integer;\n"
        "    mValue: Integer;\n"
        "    function GetValue: Integer;\n"
        "    procedure SetValue(aValue: Integer);\n"
        "    function ReadOther: Integer;\n"
        "    procedure WriteOther(aValue: Integer);\n"
        "  public\n"
        "    property Value: Integer read GetValue write SetValue;\n"
        "    property other: Integer read ReadOther write WriteOther;\n"
        "  end;\n"
        "  Bad = class\n"
        "  end;\n",
        "function TGood.GetValue: Integer;\nbegin\n  Result := FValue + mValue;\nend;\n\n"
        "procedure TGood.SetValue(aValue: Integer);\nbegin\n  FValue := aValue;\n  mValue := aValue;\nend;\n\n"
        "function TGood.ReadOther: Integer;\nbegin\n  Result := 0;\nend;\n\n"
        "procedure TGood.WriteOther(aValue: Integer);\nbegin\n  FValue := aValue;\nend;\n");
    EXPECT_EQ(With("Class type naming"), (Strings{"Main||Class type naming error - T[A-Z].*"}));
    EXPECT_EQ(With("Class field naming"), (Strings{"Main|TGood|Class field naming error - F[A-Z].*"}));
    EXPECT_EQ(With("Class property naming"),
              (Strings{"Main|TGood|Class property naming error - [A-Z].*"}));
    EXPECT_EQ(With("Get routine naming"),
              (Strings{"Main|TGood|Property Get routine naming error - Get[A-Z].*"}));
    EXPECT_EQ(With("Set routine naming"),
              (Strings{"Main|TGood|Property Set routine naming error - Set[A-Z].*"}));
}

TEST_F(AnalysedNaming, RecordAndLegacyObjectTypes)
{
    // Legacy object types are checked against the class-type pattern.
    Run("type\n  TPoint2 = record\n    X, Y: Integer;\n  end;\n  Size2 = record\n    W: Integer;\n  end;\n"
        "  TShape = object\n  end;\n  Shape2 = object\n  end;\n");
    EXPECT_EQ(With("Record type naming"), (Strings{"Main||Record type naming error - T[A-Z].*"}));
    EXPECT_EQ(With("Class type naming"), (Strings{"Main||Class type naming error - T[A-Z].*"}));
}

TEST_F(AnalysedNaming, InterfacePointerAndObjectTypeSettingsGateNothing)
{
    // The three settings exist, but interface and pointer type names are not
    // checked (object types follow the class-type setting).
    Run("type\n  Bad = interface\n    ['{11111111-2222-3333-4444-555555555555}']\n  end;\n"
        "  Ptr = ^Integer;\n  Obj = object\n  end;\n");
    for (const char* S : {"Coding conventions for interface types", "Coding conventions for pointer types",
                          "Coding conventions for object types"})
        P.SetFlags("Ridizo Dedu", S, true, true);
    const Strings All = P.Rows("Ridizo Dedu");
    EXPECT_TRUE(With("Interface type").empty());
    EXPECT_TRUE(With("ointer type").empty());
    EXPECT_EQ(With("naming error"), (Strings{"Main||Class type naming error - T[A-Z].*"}));
    P.SetFlags("Ridizo Dedu", "Coding conventions for class types", false, false);
    EXPECT_TRUE(With("naming error").empty());
}

TEST_F(AnalysedNaming, Parameters)
{
    Run("procedure Take(const aName: string; const Name2: string; var aOut: Integer; var Out2: Integer;\n"
        "  out aRes: Integer; Plain: Integer);\n",
        "procedure Take(const aName: string; const Name2: string; var aOut: Integer; var Out2: Integer;\n"
        "  out aRes: Integer; Plain: Integer);\nbegin\n  aOut := Length(aName) + Length(Name2) + Plain;\n"
        "  Out2 := 0;\n  aRes := 0;\nend;\n");
    EXPECT_EQ(With("Const parameter naming"), (Strings{"Main|Take|Const parameter naming error - a[A-Z].*"}));
    EXPECT_EQ(With("Var parameter naming"), (Strings{"Main|Take|Var parameter naming error - a[A-Z].*"}));
    // Plain parameters have an empty default pattern, which every name follows.
    EXPECT_TRUE(With("|Parameter naming").empty());
    P->GetCodingConventions()->GetNamingConventions()->SetParameters("p[A-Z].*");
    EXPECT_EQ(With("|Parameter naming"), (Strings{"Main|Take|Parameter naming error - p[A-Z].*"}));
}

TEST_F(AnalysedNaming, OverridesAndEventHandlersAreNotNameChecked)
{
    Run("type\n  TBase = class\n  public\n    procedure run; virtual;\n  end;\n"
        "  TChild = class(TBase)\n  public\n    procedure run; override;\n  end;\n",
        "procedure TBase.run;\nbegin\nend;\n\nprocedure TChild.run;\nbegin\n  inherited;\nend;\n");
    EXPECT_EQ(With("Routine naming"), (Strings{"Main|run|Routine naming error - [A-Z].*"}));
}

TEST_F(AnalysedNaming, Indentation)
{
    // Only the first word of the unit is measured.
    P.Write("Main.pas", "  unit Main;\ninterface\nimplementation\nend.\n");
    P.Analyze("Main.pas");
    EXPECT_EQ(With("indentation"), (Strings{"Main||Bad indentation"}));
}

TEST_F(AnalysedNaming, IndentationNearMiss)
{
    Run("");
    EXPECT_TRUE(With("indentation").empty());
}

TEST_F(AnalysedNaming, IndentationOfProgramsAndLibraries)
{
    // The first word is measured whatever the kind of file, not the name
    // after it.
    P.Write("Prog.dpr", "program Prog;\n\nbegin\nend.\n");
    P.Write("Lib.dpr", "  library Lib;\n\nbegin\nend.\n");
    P.Analyze("Prog.dpr");
    EXPECT_TRUE(With("indentation").empty());
    TAnalysedProject Q;
    Q.Write("Lib.dpr", "  library Lib;\n\nbegin\nend.\n");
    Q.Analyze("Lib.dpr");
    EXPECT_EQ(Q.Lint("indentation"), (Strings{"Lib||Bad indentation"}));
}

TEST_F(AnalysedNaming, ComponentPrefixes)
{
    Run("type\n  TButton = class\n  end;\n  TForm1 = class\n  published\n    btnOk: TButton;\n"
        "    Button1: TButton;\n  end;\n",
        "procedure Touch(F: TForm1);\nbegin\n  F.btnOk := nil;\n  F.Button1 := nil;\nend;\n");
    const Strings Rows = With("Component prefix");
    ASSERT_EQ(Rows.size(), 1u);
    EXPECT_EQ(Rows[0].substr(0, 41), "Main|Button1|Component prefix mismatch - ");
    EXPECT_NE(Rows[0].find("btn"), std::string::npos);
}
