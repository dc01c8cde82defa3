// Ridizo Dedu parameter checks (non-const parameters, unused parameters) and
// the routine name used instead of Result, on units the real analysis builds.
#include "AnalysedProject.h"

namespace {

class AnalysedParams : public ::testing::Test {
protected:
    TAnalysedProject P;

    void Run(const std::string& Interface, const std::string& Implementation)
    {
        P.Write("Main.pas", UnitText("Main", Interface, Implementation));
        P.Analyze("Main.pas");
    }
};

} // namespace

TEST_F(AnalysedParams, NonConstStringAndVariantParameters)
{
    Run("type\n  TLog = class\n  public\n    procedure Add(aText: string; const aOk: string; aN: Integer);\n"
        "  end;\n\nprocedure Send(aWhat: Variant; var aBack: string);\n",
        "procedure TLog.Add(aText: string; const aOk: string; aN: Integer);\nbegin\n"
        "  aN := Length(aText) + Length(aOk);\nend;\n\n"
        "procedure Send(aWhat: Variant; var aBack: string);\nbegin\n  aBack := aWhat;\nend;\n");
    EXPECT_EQ(P.Lint("should be declared as const"),
              (Strings{"Main|TLog.Add|Parameter aText should be declared as const",
                       "Main|Send|Parameter aWhat should be declared as const"}));
}

TEST_F(AnalysedParams, NonConstParametersOfInterfaceRoutines)
{
    Run("type\n  IShow = interface\n    ['{00000000-0000-0000-0000-000000000031}']\n"
        "    procedure Show(aText: string);\n    procedure Hide(const aText: string);\n  end;\n",
        "");
    EXPECT_EQ(P.Lint("should be declared as const"),
              (Strings{"Main|IShow.Show|Parameter aText should be declared as const"}));
}

TEST_F(AnalysedParams, UnusedParametersNeverFire)
{
    // The parameter names of a routine heading are looked up in the routine's
    // parameters and each is recorded as a use, also in the heading that
    // declares them; so no parameter of an analysed routine has an empty
    // used-by list, and the check stays silent even for aB.
    Run("type\n  TTool = class\n  public\n    procedure Use(aA, aB: Integer);\n  end;\n\n"
        "function Sum(aA, aB: Integer): Integer;\n",
        "procedure TTool.Use(aA, aB: Integer);\nbegin\n  aA := 0;\nend;\n\n"
        "function Sum(aA, aB: Integer): Integer;\nbegin\n  Result := aA;\nend;\n\n"
        "procedure Local(aX: Integer);\nbegin\nend;\n");
    EXPECT_EQ(P.Lint("Unused parameter"), Strings{});
    TqlUnit* U = P->GetUnits()->FindUnit("Main");
    auto* Local = dynamic_cast<TqlRoutine*>(U->GetRoutines()->Find("Local"));
    ASSERT_TRUE(Local);
    EXPECT_EQ(Local->GetParameters()->GetParameters(0)->GetUsedBy()->GetCount(), 1);
}

TEST_F(AnalysedParams, RoutineNameUsedInsteadOfResult)
{
    Run("function Twice(aN: Integer): Integer;\nfunction Thrice(aN: Integer): Integer;\n",
        "function Twice(aN: Integer): Integer;\nbegin\n  Twice := aN * 2;\nend;\n\n"
        "function Thrice(aN: Integer): Integer;\nbegin\n  Result := aN * 3;\nend;\n");
    EXPECT_EQ(P.Lint("routine name to return"),
              (Strings{"Main|Twice|Usage of routine name to return routine result: Twice"}));
}
