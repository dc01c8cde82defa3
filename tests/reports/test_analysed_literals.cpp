// The String Literals report on units the real analysis builds.
#include "AnalysedProject.h"

TEST(AnalysedLiterals, OneCharacterLiteralsAreListed)
{
    // Every literal written between quotes is listed, one character or
    // more; a character given by its code (#13) is not a literal.
    struct TCase {
        const char* Name;
        const char* Statements;
        Strings Rows;
    };
    const TCase Cases[] = {
        {"assigned", "  C := 'P';\n", {"Main|'P'|15"}},
        {"set of a range", "  if C in ['0'..'9'] then\n    Exit;\n", {"Main|'0'|15", "Main|'9'|15"}},
        {"case label", "  case C of\n    'a': Exit;\n    'b', 'c': Exit;\n  end;\n",
         {"Main|'a'|16", "Main|'b'|17", "Main|'c'|17"}},
        {"argument", "  N := Pos('x', S);\n", {"Main|'x'|15"}},
        {"quote", "  S := '''';\n", {"Main|''''|15"}},
        {"longer literal", "  S := 'xy';\n", {"Main|'xy'|15"}},
        {"character code", "  C := #13;\n", {}},
        {"next to a character code", "  S := 'a'#13#10;\n", {"Main|'a'|15"}},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TAnalysedProject P;
        P.Write("Main.pas", UnitText("Main", "uses\n  SysUtils;\n",
                                     std::string("procedure Scan(S: string);\nvar\n  C: Char;\n"
                                                 "  N: Integer;\nbegin\n") +
                                         C.Statements + "end;\n"));
        P.Analyze("Main.pas");
        EXPECT_EQ(P.Rows("String Literals"), C.Rows);
    }
}
