// The Ridizo Dedu case-mismatch check on uses the real analysis records: a
// use written in another case than the declaration gives a row in the unit
// of the use; the same spelling gives none.
#include "AnalysedProject.h"

TEST(AnalysedCase, UsesWrittenInAnotherCase)
{
    TAnalysedProject P;
    P.Write("Lib.pas", UnitText("Lib",
                                "type\n  TCounter = class\n  private\n    FCount: Integer;\n"
                                "  public\n    procedure Bump;\n  end;\n\n"
                                "procedure ResetAll;\n",
                                "procedure TCounter.Bump;\nbegin\n  FCount := FCount + 1;\nend;\n\n"
                                "procedure ResetAll;\nbegin\nend;\n"));
    P.Write("Main.dpr", "program Main;\n\nuses\n  Lib;\n\nvar\n  gC: TCounter;\n\n"
                        "begin\n  gC.bump;\n  resetall;\n  gC.Bump;\n  ResetAll;\nend.\n");
    P.Analyze("Main.dpr");
    EXPECT_EQ(P.Lint("Case mismatch"), (Strings{"Main|TCounter|Case mismatch on symbol: Bump",
                                                "Main|Lib|Case mismatch on symbol: ResetAll"}));
}

TEST(AnalysedCase, SameSpellingGivesNoRow)
{
    TAnalysedProject P;
    P.Write("Main.pas", UnitText("Main", "var\n  gValue: Integer;\n",
                                 "initialization\n  gValue := 1;\n  gValue := gValue + 1;\n"));
    P.Analyze("Main.pas");
    EXPECT_TRUE(P.Lint("Case mismatch").empty());
}
