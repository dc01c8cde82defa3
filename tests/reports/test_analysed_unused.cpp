// Ridizo Dedu checks on declarations nothing uses, on units the real
// analysis builds; and their silence where the analysis could not resolve
// every use because a unit named in a uses clause was not found.
#include "AnalysedProject.h"

namespace {

// A library unit Helper with one of each kind of declaration, used from Main
// except for the "Idle" ones.
const char* const HelperText =
    "unit Helper;\n\ninterface\n\n"
    "type\n"
    "  TPair = record\n    Used: Integer;\n    Idle: Integer;\n  end;\n"
    "  TWidget = class\n"
    "  private\n    FUsed: Integer;\n    FIdle: Integer;\n    FIdler: Integer;\n"
    "    function GetUsed: Integer;\n"
    "  public\n"
    "    procedure Work;\n    procedure IdleWork;\n"
    "    procedure Paint; virtual;\n"
    "    property Used: Integer read GetUsed;\n    property IdleProp: Integer read FIdle;\n"
    "  end;\n\n"
    "const\n  USEDCONST = 1;\n  IDLECONST = 2;\n\n"
    "var\n  gUsed: Integer;\n  gIdle: Integer;\n\n"
    "procedure UsedProc;\nprocedure IdleProc;\n\n"
    "implementation\n\n"
    "function TWidget.GetUsed: Integer;\nbegin\n  Result := FUsed;\nend;\n\n"
    "procedure TWidget.Work;\nbegin\n  FUsed := USEDCONST;\nend;\n\n"
    "procedure TWidget.IdleWork;\nbegin\nend;\n\n"
    "procedure TWidget.Paint;\nbegin\nend;\n\n"
    "procedure UsedProc;\nvar\n  vUsed, vIdle: Integer;\nbegin\n  vUsed := gUsed;\n  gUsed := vUsed;\nend;\n\n"
    "procedure IdleProc;\nbegin\nend;\n\n"
    "procedure Hidden;\nbegin\nend;\n\n"
    "end.\n";

const char* const MainText =
    "program Main;\n\nuses\n  Helper%s;\n\n"
    "var\n  gW: TWidget;\n  gP: TPair;\n\n"
    "begin\n  gW.Work;\n  gP.Used := gW.Used;\n  UsedProc;\nend.\n";

std::string MainUsing(const std::string& Extra)
{
    std::string T = MainText;
    return T.replace(T.find("%s"), 2, Extra);
}

const Strings AllUnused = {
    "Helper|TWidget|Unused field: FIdler",
    "Helper|TWidget|Unused property: IdleProp",
    "Helper|TWidget|Unused routine: IdleWork",
    "Helper|TPair|Unused field: Idle",
    "Helper|UsedProc|Unused variable: vIdle",
    "Helper|Helper|Unused variable: gIdle",
    "Helper|Helper|Unused constant: IDLECONST",
    "Helper|Helper|Unused routine: IdleProc",
    "Helper|Helper|Unused routine: Hidden",
};

} // namespace

TEST(AnalysedUnused, EveryKindFiresWhenAllUnitsArePresent)
{
    TAnalysedProject P;
    P.Write("Helper.pas", HelperText);
    P.Write("Main.dpr", MainUsing(""));
    P.Analyze("Main.dpr");
    ASSERT_EQ(P.Messages(), "");
    EXPECT_EQ(P.Lint("Unused"), AllUnused);
}

TEST(AnalysedUnused, AnImplementationHeadingIsNoUse)
{
    // IdleProc, declared in Helper's interface, is only named again where
    // it is implemented; UsedProc is also called from Main.
    TAnalysedProject P;
    P.Write("Helper.pas", HelperText);
    P.Write("Main.dpr", MainUsing(""));
    P.Analyze("Main.dpr");
    EXPECT_EQ(P.Lint("routine: IdleProc"), Strings{"Helper|Helper|Unused routine: IdleProc"});
    EXPECT_EQ(P.Lint("routine: UsedProc"), Strings{});
}

TEST(AnalysedUnused, ImplicitSystemUnitsDoNotSilenceTheChecks)
{
    // System and SysInit are never found here; every unit uses them without
    // naming them.
    TAnalysedProject P;
    P.Write("Helper.pas", HelperText);
    P.Write("Main.dpr", MainUsing(""));
    P.Analyze("Main.dpr");
    TqlUnit* System = P->GetUnits()->FindUnit("System");
    ASSERT_TRUE(System);
    EXPECT_FALSE(P->GetFileNames()->GetItems(System->GetFileIndex())->Exists);
    EXPECT_FALSE(P.Lint("Unused").empty());
}

TEST(AnalysedUnused, WhatNamesLeftUnresolvedSilence)
{
    // Main also names a unit whose file does not exist. That alone silences
    // nothing; each name the analysis could not resolve silences the
    // declarations of that name, and inside a with-statement over a type it
    // does not know, every name counts as unresolved.
    struct TCase {
        const char* Name;
        const char* Declarations; // added to Main's var section
        const char* Statements;   // added to Main's block
        Strings Silenced;
    };
    const TCase Cases[] = {
        {"missing unit only", "", "", {}},
        {"unresolved call", "", "  idlework;\n", {"Helper|TWidget|Unused routine: IdleWork"}},
        {"member of an unknown type", "  gX: TUnknown;\n", "  gX.Hidden := 1;\n",
         {"Helper|Helper|Unused routine: Hidden"}},
        {"with over an unknown type", "  Idle: Integer;\n  gX: TUnknown;\n",
         "  with gX do\n    Idle := 1;\n", {"Helper|TPair|Unused field: Idle"}},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TAnalysedProject P;
        P.Write("Helper.pas", HelperText);
        std::string Main = MainUsing(",\n  Missing");
        Main.insert(Main.find("\nbegin"), C.Declarations);
        Main.insert(Main.find("end."), C.Statements);
        P.Write("Main.dpr", Main);
        P.Analyze("Main.dpr");
        Strings Expected;
        for (const std::string& Row : AllUnused)
            if (std::find(C.Silenced.begin(), C.Silenced.end(), Row) == C.Silenced.end())
                Expected.push_back(Row);
        EXPECT_EQ(P.Lint("Unused"), Expected);
    }
}

TEST(AnalysedUnused, SilentInAUnitNotAnalysedToItsEnd)
{
    // A syntax problem in Helper: what the parse lost may hold uses.
    TAnalysedProject P;
    std::string Text = HelperText;
    Text.insert(Text.find("procedure IdleProc;\nbegin\n") + 27, "  P(1;\n");
    P.Write("Helper.pas", Text);
    P.Write("Main.dpr", MainUsing(""));
    P.Analyze("Main.dpr");
    EXPECT_FALSE(P->GetUnits()->FindUnit("Helper")->AnalysedToEnd);
    EXPECT_EQ(P.Lint("Unused"), Strings{});
    // The other checks still run on the unit.
    EXPECT_FALSE(P.Lint("Helper|").empty());
}

TEST(AnalysedUnused, OverridesInterfaceRoutinesAndMessageHandlersAreNotUnused)
{
    TAnalysedProject P;
    P.Write("Main.pas",
            UnitText("Main",
                     "type\n"
                     "  IRun = interface\n    ['{00000000-0000-0000-0000-000000000021}']\n    procedure Go;\n  end;\n"
                     "  TBase = class\n  public\n    procedure Hook; virtual;\n  end;\n"
                     "  TImpl = class(TBase, IRun)\n  public\n    procedure Go;\n    procedure Hook; override;\n"
                     "    procedure WMPaint(var aMsg); message 15;\n  end;\n",
                     "procedure TBase.Hook;\nbegin\nend;\n\nprocedure TImpl.Go;\nbegin\nend;\n\n"
                     "procedure TImpl.Hook;\nbegin\nend;\n\nprocedure TImpl.WMPaint(var aMsg);\nbegin\nend;\n"));
    P.Analyze("Main.pas");
    EXPECT_EQ(P.Lint("Unused routine"), Strings{});
}

// A method reached only through a method resolution clause is used there;
// one that no clause names and nothing calls is still reported.
TEST(AnalysedUnused, MethodNamedByAResolutionClauseIsUsed)
{
    TAnalysedProject P;
    P.Write("Main.pas",
            UnitText("Main",
                     "type\n"
                     "  ICounter = interface\n    ['{00000000-0000-0000-0000-000000000031}']\n"
                     "    procedure Reset;\n  end;\n"
                     "  TTally = class(TInterfacedObject, ICounter)\n  public\n"
                     "    procedure ICounter.Reset = ResetCounter;\n"
                     "    procedure ResetCounter;\n    procedure Forgotten;\n  end;\n",
                     "procedure TTally.ResetCounter;\nbegin\nend;\n\n"
                     "procedure TTally.Forgotten;\nbegin\nend;\n"));
    P.Analyze("Main.pas");
    EXPECT_EQ(P.Lint("Unused routine"), Strings{"Main|TTally|Unused routine: Forgotten"});
}
