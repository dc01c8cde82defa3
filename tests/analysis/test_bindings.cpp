// Which declaration a name is bound to where Delphi 7 looks further than the
// scopes around it, or less far: the clauses that map an interface's method
// to a class's, "inherited" over ancestors the analysis does not know,
// members the code cannot reach, and the words of asm blocks and
// procedural types.
#include "AnalysisTestSupport.h"

namespace {

TqlRoutine* Method(TqlSymbol* Class, const std::string& Name, int Nth = 0)
{
    auto* K = dynamic_cast<TqlClass*>(Class);
    if (!K)
        return nullptr;
    TqlRoutineList* L = K->GetRoutines();
    for (int i = 0; i < L->GetCount(); ++i)
        if (qlSameText(L->GetRoutine(i)->GetName(), Name) && Nth-- == 0)
            return L->GetRoutine(i);
    return nullptr;
}

} // namespace

// "procedure ICounter.Reset = ResetCounter;" uses the interface, its method
// and the class's method; of overloads, the one whose parameters match.
TEST(Bindings, MethodResolutionClauseNamesWhatItNames)
{
    TFixtureUnit Fx;
    Fx.Analyze("Fixture.pas",
               "unit Fixture;\n"                                        // 1
               "\n"                                                     // 2
               "interface\n"                                            // 3
               "\n"                                                     // 4
               "type\n"                                                 // 5
               "  ICounter = interface\n"                               // 6
               "    procedure Reset;\n"                                 // 7
               "    procedure Add(N: Integer);\n"                       // 8
               "  end;\n"                                               // 9
               "\n"                                                     // 10
               "  TTally = class(TInterfacedObject, ICounter)\n"        // 11
               "  private\n"                                            // 12
               "    FTotal: Integer;\n"                                 // 13
               "  public\n"                                             // 14
               "    procedure icounter.Reset = ResetCounter;\n"         // 15
               "    procedure ICounter.Add = Plus;\n"                   // 16
               "    procedure ResetCounter;\n"                          // 17
               "    procedure Plus(const S: string); overload;\n"       // 18
               "    procedure Plus(N: Integer); overload;\n"            // 19
               "  end;\n"                                               // 20
               "\n"                                                     // 21
               "implementation\n"                                       // 22
               "\n"                                                     // 23
               "procedure TTally.ResetCounter;\nbegin\n  FTotal := 0;\nend;\n\n"
               "procedure TTally.Plus(const S: string);\nbegin\n  FTotal := FTotal + Length(S);\nend;\n\n"
               "procedure TTally.Plus(N: Integer);\nbegin\n  FTotal := FTotal + N;\nend;\n\n"
               "end.\n");
    EXPECT_EQ(Fx.Messages(), "");
    TqlSymbol* Counter = Fx.Find("ICounter");
    TqlSymbol* Tally = Fx.Find("TTally");
    ASSERT_NE(Counter, nullptr);
    ASSERT_NE(Tally, nullptr);
    EXPECT_EQ(UsePlaces(Counter), "11:37 15:15w 16:15");
    EXPECT_EQ(UsePlaces(Method(Counter, "Reset")), "15:24");
    EXPECT_EQ(UsePlaces(Method(Counter, "Add")), "16:24");
    EXPECT_EQ(UsePlaces(Method(Tally, "ResetCounter")), "15:32 24:18h");
    EXPECT_EQ(UsePlaces(Method(Tally, "Plus", 0)), "29:18h");
    EXPECT_EQ(UsePlaces(Method(Tally, "Plus", 1)), "16:30 34:18h");
}
