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

// "inherited Name" searches the ancestors only: over one the analysis did
// not find (Classes is not on the path), the name stays unresolved rather
// than bound to the caller's own member. A bare "inherited" there still
// passes the caller's parameters on.
TEST(Bindings, InheritedOverUnknownAncestorsIsNeverTheOwnMember)
{
    TFixtureUnit Fx("Classes",
                    "type\n"                                                     // 8
                    "  TWorker = class(TThread)\n"                               // 9
                    "  public\n"                                                 // 10
                    "    procedure Resume;\n"                                    // 11
                    "    procedure ResumeThread;\n"                              // 12
                    "  end;\n"                                                   // 13
                    "  TLateWorker = class(TWorker)\n"                           // 14
                    "  public\n"                                                 // 15
                    "    procedure Terminate;\n"                                 // 16
                    "    procedure Stop;\n"                                      // 17
                    "  end;\n"                                                   // 18
                    "  TMyList = class(TStringList)\n"                           // 19
                    "  protected\n"                                              // 20
                    "    procedure Put(Index: Integer; const S: string);\n"     // 21
                    "  end;\n",                                                  // 22
                    "procedure TWorker.Resume;\nbegin\nend;\n\n"                 // 26-28
                    "procedure TWorker.ResumeThread;\nbegin\n  inherited Resume;\nend;\n\n"  // 30-33
                    "procedure TLateWorker.Terminate;\nbegin\nend;\n\n"          // 35-37
                    "procedure TLateWorker.Stop;\nbegin\n  inherited Terminate;\n  inherited Resume;\nend;\n\n"  // 39-43
                    "procedure TMyList.Put(Index: Integer; const S: string);\nbegin\n  inherited;\nend;\n");  // 45-48
    EXPECT_EQ(Fx.Messages({"Classes", "TThread", "TStringList"}), "");
    TqlSymbol* Worker = Fx.Find("TWorker");
    TqlSymbol* Late = Fx.Find("TLateWorker");
    TqlSymbol* List = Fx.Find("TMyList");
    // Only the implementation headings: TThread.Resume and TThread.Terminate
    // are not in the model.
    EXPECT_EQ(UsePlaces(Method(Worker, "Resume")), "26:19h 42:13");
    EXPECT_EQ(UsePlaces(Method(Late, "Terminate")), "35:23h");
    TqlRoutine* Put = Method(List, "Put");
    ASSERT_NE(Put, nullptr);
    ASSERT_EQ(Put->GetParameters()->GetCount(), 2);
    EXPECT_EQ(UsePlaces(Put->GetParameters()->GetParameters(0)), "21:19 45:23h 47:3u");
    EXPECT_EQ(UsePlaces(Put->GetParameters()->GetParameters(1)), "21:41 45:45h 47:3u");
    const auto& Unresolved = Fx.Unit->GetUnresolvedNames();
    EXPECT_TRUE(Unresolved.count("RESUME") && Unresolved.count("TERMINATE"));
}
