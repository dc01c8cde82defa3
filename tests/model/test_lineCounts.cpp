// How the lines of a source text are counted: code, the three comment
// kinds and empty lines.
#include "model/uqlClasses.h"

#include <gtest/gtest.h>

#include <string>

TEST(LineCounts, EachLineOnceByWhatItHolds)
{
    struct TCase {
        const char* Name;
        std::string Text;
        int Code, Empty, Slash, Ansi, Bor;
    };
    const TCase Cases[] = {
        {"empty text", "", 0, 0, 0, 0, 0},
        {"code lines, final line break", "unit A;\ninterface\n", 2, 0, 0, 0, 0},
        {"last line without a break", "a;\nb;", 2, 0, 0, 0, 0},
        {"blank lines", "a;\n\n   \n\tb;\n", 2, 2, 0, 0, 0},
        {"slash comment", "// note\na; // after code\n", 1, 0, 1, 0, 0},
        {"brace comment over lines", "{ one\n\n  three }\nx;\n", 1, 0, 0, 0, 3},
        {"ansi comment then code", "(* a *) x;\n(* b\n*)\n", 1, 0, 0, 2, 0},
        {"directives are code", "{$IFDEF X}\n(*$I a.inc*)\n{$ENDIF}\n", 3, 0, 0, 0, 0},
        {"comment marks in strings", "s := '{ // (*';\nt := 1;\n", 2, 0, 0, 0, 0},
        {"first comment kind wins", "{ a } // b\n", 0, 0, 0, 0, 1},
        {"CR LF and lone CR", "a;\r\n\r\n// c\rb;\r\n", 2, 1, 1, 0, 0},
        {"code after a comment closes", "{ a\n b } c;\n", 1, 0, 0, 0, 1},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TqlCodeStatistics S;
        S.AddText(C.Text.data(), C.Text.size());
        EXPECT_EQ(S.GetCodeLines(), C.Code);
        EXPECT_EQ(S.GetEmptyLines(), C.Empty);
        EXPECT_EQ(S.GetSlashCommentLines(), C.Slash);
        EXPECT_EQ(S.GetAnsiCommentLines(), C.Ansi);
        EXPECT_EQ(S.GetBorCommentLines(), C.Bor);
    }
}
