// Ridizo Dedu GUID checks on interfaces the real analysis builds, within one
// unit and across units.
#include "AnalysedProject.h"

TEST(AnalysedGuids, MissingAndDuplicatedGuids)
{
    TAnalysedProject P;
    P.Write("Main.pas", UnitText("Main",
                                 "uses Other;\n\ntype\n"
                                 "  INoGuid = interface\n    procedure A;\n  end;\n"
                                 "  IFirst = interface\n    ['{6B4A6B43-1867-4665-99BD-B125DF8F5501}']\n  end;\n"
                                 "  ISecond = interface\n    ['{6b4a6b43-1867-4665-99bd-b125df8f5501}']\n  end;\n"
                                 "  IThird = interface\n    ['{6B4A6B43-1867-4665-99BD-B125DF8F5502}']\n  end;\n",
                                 ""));
    P.Write("Other.pas", UnitText("Other",
                                  "type\n  IElsewhere = interface\n"
                                  "    ['{6B4A6B43-1867-4665-99BD-B125DF8F5502}']\n  end;\n",
                                  ""));
    P.Analyze("Main.pas");
    EXPECT_EQ(P.Lint("no GUID"), (Strings{"Main|INoGuid|Interface has no GUID defined"}));
    // Compared without regard to case; the first declaration met is named.
    const Strings Dup = P.Lint("Duplicate GUID");
    ASSERT_EQ(Dup.size(), 2u) << ::testing::PrintToString(Dup);
    EXPECT_EQ(Dup[0], "Main|ISecond|Duplicate GUID defined in ISecond and IFirst");
    EXPECT_EQ(Dup[1].substr(0, 36), "Other|IElsewhere|Duplicate GUID defi");
}

TEST(AnalysedGuids, DistinctGuidsGiveNoRow)
{
    TAnalysedProject P;
    P.Write("Main.pas", UnitText("Main",
                                 "type\n"
                                 "  IFirst = interface\n    ['{6B4A6B43-1867-4665-99BD-B125DF8F5501}']\n  end;\n"
                                 "  ISecond = interface(IFirst)\n    ['{6B4A6B43-1867-4665-99BD-B125DF8F5503}']\n  end;\n",
                                 ""));
    P.Analyze("Main.pas");
    EXPECT_TRUE(P.Lint("GUID").empty());
}
