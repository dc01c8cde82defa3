// Delphi 7 forms the grammar once misread: each source must parse without a
// message, and the rule after the form must still be reached.
#include "test_parserCommon.h"

#include <gtest/gtest.h>

TEST(ParserDelphi7, FormsReadWithoutMessages)
{
    const struct {
        const char* Behaviour;
        std::string Source;
        const char* RuleAfter; // entered after the form, so the rest was read
    } Cases[] = {
        {"dereferenced nil as an untyped argument",
         UnitWithStatements("  Check(THandle(nil^));\n  Done;"), "Statement"},
        {"named arguments of an automation call",
         UnitWithStatements("  Word.Documents.Open(FileName := 'a.doc', ReadOnly := True);\n  Done;"),
         "Statement"},
        {"procedural variables with a calling convention and an initial value",
         UnitWithDecls("var\n  FOnLoad: procedure cdecl = nil;\n"
                       "  FOnCalc: function(X: Integer): Integer stdcall = nil;\n"
                       "type\n  TAfter = Integer;"),
         "TypeSection"},
        {"library that ends with end and no main block",
         "library Plugin;\n\nexports\n  Init;\n\nend.\n", "ExportsClause"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Behaviour);
        auto P = ParsePas(C.Source);
        EXPECT_TRUE(P->Messages.empty()) << P->MessageText();
        EXPECT_GE(P->Count(C.RuleAfter), 1);
    }
}
