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

TEST(AnalysedGuids, ADispinterfaceSharesTheGuidOfItsInterface)
{
    // A type-library import: the dual interface and its dispinterface carry
    // the same GUID by design. A second dispinterface of that GUID, or a
    // second interface, still clashes.
    TAnalysedProject P;
    P.Write("Main.pas",
            UnitText("Main",
                     "uses\n  ActiveX;\n\ntype\n"
                     "  IPlayer = interface(IDispatch)\n    ['{1C2B6A36-55A8-4CF7-9C0B-6E4D2E7A1B01}']\n"
                     "    procedure Play; safecall;\n  end;\n"
                     "  IPlayerDisp = dispinterface\n    ['{1C2B6A36-55A8-4CF7-9C0B-6E4D2E7A1B01}']\n"
                     "    procedure Play; dispid 1;\n  end;\n"
                     "  IRecorder = interface(IDispatch)\n    ['{1C2B6A36-55A8-4CF7-9C0B-6E4D2E7A1B02}']\n  end;\n"
                     "  IRecorderDisp = dispinterface\n    ['{1C2B6A36-55A8-4CF7-9C0B-6E4D2E7A1B02}']\n  end;\n"
                     "  IRecorderCopy = dispinterface\n    ['{1C2B6A36-55A8-4CF7-9C0B-6E4D2E7A1B02}']\n  end;\n"
                     "  IRecorderTwin = interface(IDispatch)\n    ['{1C2B6A36-55A8-4CF7-9C0B-6E4D2E7A1B02}']\n  end;\n",
                     ""));
    P.Analyze("Main.pas");
    EXPECT_EQ(P.Lint("Duplicate GUID"),
              (Strings{"Main|IRecorderCopy|Duplicate GUID defined in IRecorderCopy and IRecorderDisp",
                       "Main|IRecorderTwin|Duplicate GUID defined in IRecorderTwin and IRecorder"}));
}

TEST(AnalysedGuids, AGuidGivenByAConstantIsAGuid)
{
    // Interfaces of the Windows headers name their GUID by a constant.
    TAnalysedProject P;
    P.Write("Main.pas",
            UnitText("Main",
                     "uses\n  Windows, ActiveX;\n\nconst\n"
                     "  SID_IShellView = '{000214E3-0000-0000-C000-000000000046}';\n"
                     "  SID_IShellBrowser = '{000214E2-0000-0000-C000-000000000046}';\n\n"
                     "type\n"
                     "  IShellView = interface(IUnknown)\n    [SID_IShellView]\n"
                     "    function Refresh: HResult; stdcall;\n  end;\n"
                     "  IShellBrowser = interface(IUnknown)\n    [SID_IShellBrowser]\n  end;\n"
                     "  IShellViewCopy = interface(IUnknown)\n    [SID_IShellView]\n  end;\n"
                     "  INoGuid = interface(IUnknown)\n  end;\n",
                     ""));
    P.Analyze("Main.pas");
    EXPECT_EQ(P.Lint("GUID"),
              (Strings{"Main|IShellViewCopy|Duplicate GUID defined in IShellViewCopy and IShellView",
                       "Main|INoGuid|Interface has no GUID defined"}));
    EXPECT_EQ(P.Lint("Unused constant"), Strings{});
}
