// A unit's line counts, with its include files counted to it, reach the
// Code Metrics and Used Units reports; and how far each unit's parse came.
#include "ProjectTestSupport.h"

#include "reports/uqlBuiltInReports.h"
#include "reports/uqlReport.h"

namespace {

Variant Value(const Ref<IqlReport>& R, const std::string& Metric)
{
    Ref<IqlReportData> D = R->GetData();
    for (int i = 0; i < D->GetRowCount(); ++i) {
        Variant Name, V;
        D->GetValue(i, 1, Name);
        if (qlVariantToText(Name) == Metric) {
            D->GetValue(i, 2, V);
            return V;
        }
    }
    return Variant();
}

} // namespace

TEST(UnitLines, IncludeFilesCountToTheirUnit)
{
    TCliFolder T;
    T.Write("inc/defs.inc", "// shared\nconst FromInc = 1;\n\n");
    T.Write("U.pas", "unit U;\n{ counted }\ninterface\n{$I inc\\defs.inc}\n\nimplementation\n"
                     "{$I inc\\defs.inc}\nend.\n");
    const std::string Prog = T.Write("Prog.dpr", "program Prog;\nuses U;\nbegin\nend.\n");
    TProjectScope P;
    RegisterBuiltInReports();
    P.Analyze(Prog);
    TqlUnit* U = P.Unit("U");
    ASSERT_NE(U, nullptr);
    // U: 7 code, 1 brace, 1 empty; the include file once: 1 code, 1 slash, 1 empty.
    const TqlCodeStatistics& S = U->GetCodeStatistics();
    EXPECT_EQ(S.GetCodeLines(), 7);
    EXPECT_EQ(S.GetBorCommentLines(), 1);
    EXPECT_EQ(S.GetSlashCommentLines(), 1);
    EXPECT_EQ(S.GetEmptyLines(), 2);
    EXPECT_EQ(U->AnalysedLines, 8);
    EXPECT_TRUE(U->AnalysedToEnd);
    EXPECT_EQ(P.Unit("Prog")->GetCodeStatistics().GetCodeLines(), 4);

    Ref<IqlReport> Metrics = P->GetReports()->FindByName("Code Metrics");
    Metrics->Run();
    EXPECT_EQ(qlVariantToText(Value(Metrics, "Project Code Lines")), "11");
    EXPECT_EQ(qlVariantToText(Value(Metrics, "TOTAL PROJECT LINES")), "15");
    Ref<IqlReport> Used = P->GetReports()->FindByName("Used Units");
    Used->Run();
    bool Seen = false;
    for (int i = 0; i < Used->GetData()->GetRowCount(); ++i) {
        Variant Name, Code, Total;
        Used->GetData()->GetValue(i, 2, Name);
        if (qlVariantToText(Name) != "U")
            continue;
        Seen = true;
        Used->GetData()->GetValue(i, 4, Code);
        Used->GetData()->GetValue(i, 7, Total);
        EXPECT_EQ(qlVariantToText(Code), "7");
        EXPECT_EQ(qlVariantToText(Total), "11");
    }
    EXPECT_TRUE(Seen);
}

TEST(UnitLines, UnitsIncludingTheSameFileEachCountItsLines)
{
    // Both a small include and one larger than a page (kept apart from the
    // heap and mapped by each inclusion); the second unit's counts come
    // from the first count of each file.
    TCliFolder T;
    std::string Big = "{ a comment\n  over lines }\n";
    for (int i = 0; i < 400; ++i)
        Big += "const C" + std::to_string(i) + " = " + std::to_string(i) + "; // note\n\n(* ansi *)\n";
    T.Write("inc/big.inc", Big);
    T.Write("inc/small.inc", "// shared\nconst FromInc = 1;\n\n");
    for (const char* Name : {"U", "V"})
        T.Write(std::string(Name) + ".pas", std::string("unit ") + Name +
                                                ";\ninterface\n{$I inc\\small.inc}\n{$I inc\\big.inc}\n"
                                                "implementation\n{$I inc\\small.inc}\nend.\n");
    const std::string Prog = T.Write("Prog.dpr", "program Prog;\nuses U, V;\nbegin\nend.\n");
    TProjectScope P;
    P.Analyze(Prog);
    TqlCodeStatistics Expected;
    const std::string Own = "unit U;\ninterface\n{$I inc\\small.inc}\n{$I inc\\big.inc}\nimplementation\n"
                            "{$I inc\\small.inc}\nend.\n";
    Expected.AddText(Own.data(), Own.size());
    Expected.AddText(Big.data(), Big.size());
    const std::string Small = "// shared\nconst FromInc = 1;\n\n";
    Expected.AddText(Small.data(), Small.size());
    for (const char* Name : {"U", "V"}) {
        TqlUnit* U = P.Unit(Name);
        ASSERT_NE(U, nullptr) << Name;
        const TqlCodeStatistics& S = U->GetCodeStatistics();
        EXPECT_EQ(S.GetCodeLines(), Expected.GetCodeLines()) << Name;
        EXPECT_EQ(S.GetBorCommentLines(), Expected.GetBorCommentLines()) << Name;
        EXPECT_EQ(S.GetAnsiCommentLines(), Expected.GetAnsiCommentLines()) << Name;
        EXPECT_EQ(S.GetSlashCommentLines(), Expected.GetSlashCommentLines()) << Name;
        EXPECT_EQ(S.GetEmptyLines(), Expected.GetEmptyLines()) << Name;
    }
    EXPECT_EQ(Expected.GetAnsiCommentLines(), 400);
}

TEST(UnitLines, HowFarEachParseCame)
{
    struct TCase {
        const char* Name;
        std::string Text;
        int Lines;
        bool ToEnd;
    };
    const TCase Cases[] = {
        {"whole unit", "unit U;\ninterface\nimplementation\nend.\n", 4, true},
        {"text after the end", "unit U;\ninterface\nimplementation\nend.\nrubbish\n", 5, true},
        {"syntax problem", "unit U;\ninterface\nimplementation\nprocedure P;\nbegin\n  P(1;\nend;\nend.\n", 8, false},
        {"missing include file", "unit U;\ninterface\n{$I nothere.inc}\nimplementation\nend.\n", 5, false},
        {"parse stops early", "unit U;\ninterface\n  123;\nimplementation\nprocedure P;\nbegin\nend;\nend.\n", 3, false},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TCliFolder T;
        T.Write("U.pas", C.Text);
        const std::string Prog = T.Write("Prog.dpr", "program Prog;\nuses U;\nbegin\nend.\n");
        TProjectScope P;
        P.Analyze(Prog);
        TqlUnit* U = P.Unit("U");
        ASSERT_NE(U, nullptr);
        EXPECT_EQ(U->AnalysedLines, C.Lines);
        EXPECT_EQ(U->AnalysedToEnd, C.ToEnd);
        EXPECT_TRUE(P.Unit("Prog")->AnalysedToEnd);
    }
}
