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

// A protected member of a class of another unit is reached only from the
// methods of that class and its descendants, a private one nowhere: a name
// that it would otherwise be is taken from the scopes further out.
TEST(Bindings, MemberOutOfReachIsNotFound)
{
    TFixtureUnit Fx;
    Fx.F.Write("PA.pas", "unit PA;\n\ninterface\n\ntype\n"
                         "  TC = class\n  protected\n    Count: Integer;\n"
                         "  private\n    Secret: Integer;\n"
                         "  public\n    Value: Integer;\n  end;\n\n"
                         "implementation\n\nend.\n");
    Fx.Analyze("Fixture.pas",
               "unit Fixture;\n"                                                    // 1
               "\n"                                                                 // 2
               "interface\n"                                                        // 3
               "\n"                                                                 // 4
               "uses\n  PA;\n"                                                      // 5-6
               "\n"                                                                 // 7
               "var\n  Count, Secret: Integer;\n"                                   // 8-9
               "\n"                                                                 // 10
               "type\n"                                                             // 11
               "  TD = class(TC)\n  public\n    procedure Step;\n  end;\n"         // 12-15
               "  TE = class\n  public\n    procedure Peek(C: TC);\n  end;\n"      // 16-19
               "\n"                                                                 // 20
               "implementation\n"                                                   // 21
               "\n"                                                                 // 22
               "procedure Run;\nvar\n  C: TC;\nbegin\n  C := TC.Create;\n"         // 23-27
               "  with C do\n    Count := Count + Value + Secret;\nend;\n"          // 28-30
               "\n"                                                                 // 31
               "procedure TD.Step;\nbegin\n  with Self do\n    Count := Secret;\nend;\n"  // 32-36
               "\n"                                                                 // 37
               "procedure TE.Peek(C: TC);\nbegin\n  with C do\n    Count := Value;\nend;\n"  // 38-42
               "\nend.\n");
    EXPECT_EQ(Fx.Messages(), "");
    TqlUnit* PA = Fx.P->FindUnit("PA");
    ASSERT_NE(PA, nullptr);
    TqlSymbol* TC = PA->FindSymbol(PA, nullptr, "TC");
    ASSERT_NE(TC, nullptr);
    auto Member = [&](const std::string& Name) { return TC->FindSymbol(PA, nullptr, Name); };
    struct TRow {
        const char* Name;
        TqlSymbol* Symbol;
        const char* Places;
    };
    const TRow Rows[] = {
        // In Run, no method: the unit's globals; Value is public.
        {"global Count", Fx.Find("Count"), "29:5 29:14 41:5"},
        {"global Secret", Fx.Find("Secret"), "29:30 35:14"},
        {"TC.Value", Member("Value"), "29:22 41:14"},
        // In a method of a descendant the protected member is in reach, the
        // private one is not; in a method of an unrelated class neither.
        {"TC.Count", Member("Count"), "35:5"},
        {"TC.Secret", Member("Secret"), ""},
    };
    for (const TRow& R : Rows)
        EXPECT_EQ(UsePlaces(R.Symbol), R.Places) << R.Name;
}

// The field selected after a typecast in an asm operand is a use of it, as
// in the other forms of naming a field through a register.
TEST(Bindings, AsmFieldThroughATypecast)
{
    TFixtureUnit Fx("Contnrs",
                    "type\n"                                                                  // 8
                    "  TFrame = record\n    First, Second, Third, Fourth, Fifth: Integer;\n  end;\n"  // 9-11
                    "\nfunction Pick(P: Pointer): Integer;\n",                               // 12-13
                    "function Pick(P: Pointer): Integer;\n"                                   // 17
                    "asm\n"                                                                   // 18
                    "        MOV     EAX, TFrame([EAX]).Second\n"                             // 19
                    "        ADD     EAX, [EDX].TFrame.Third\n"                               // 20
                    "        ADD     EAX, [EDX + TFrame.Fourth]\n"                            // 21
                    "        ADD     EAX, DWORD PTR (TFrame([EDX + 4]).Fifth)\n"              // 22
                    "end;\n");
    EXPECT_EQ(Fx.Messages(), "");
    auto* Frame = dynamic_cast<TqlRecord*>(Fx.Find("TFrame"));
    ASSERT_NE(Frame, nullptr);
    const std::pair<const char*, const char*> Fields[] = {
        {"First", ""}, {"Second", "19:36"}, {"Third", "20:35"}, {"Fourth", "21:36"}, {"Fifth", "22:51"}};
    for (const auto& [Name, Places] : Fields)
        EXPECT_EQ(UsePlaces(Frame->FindSymbol(Fx.Unit, nullptr, Name)), Places) << Name;
}

// A bare inherited in a message handler calls the ancestor's handler of the
// same message, whatever its name, and passes the message on.
TEST(Bindings, BareInheritedInAMessageHandlerCallsTheSameMessagesHandler)
{
    TFixtureUnit Fx("Contnrs",
                    "const\n  WM_A = $0401;\n  WM_B = $0402;\n\n"
                    "type\n"
                    "  TBase = class\n  protected\n"
                    "    procedure HandleA(var M); message WM_A;\n"
                    "    procedure HandleB(var M); message WM_B;\n  end;\n"
                    "  TChild = class(TBase)\n  protected\n"
                    "    procedure HandleA(var M); message wm_b;\n"
                    "    procedure Other(var M); message 77;\n  end;\n",
                    "procedure TBase.HandleA(var M);\nbegin\nend;\n\n"
                    "procedure TBase.HandleB(var M);\nbegin\nend;\n\n"
                    "procedure TChild.HandleA(var M);\nbegin\n  inherited;\nend;\n\n"
                    "procedure TChild.Other(var M);\nbegin\n  inherited;\nend;\n");
    EXPECT_EQ(Fx.Messages(), "");
    TqlSymbol* Base = Fx.Find("TBase");
    TqlSymbol* Child = Fx.Find("TChild");
    EXPECT_EQ(UsePlaces(Method(Base, "HandleA")), "26:17h");
    EXPECT_EQ(UsePlaces(Method(Base, "HandleB")), "30:17h 36:3u");
    // Other has no handler above it: the default handler takes the message.
    for (const char* Name : {"HandleA", "Other"}) {
        TqlRoutine* R = Method(Child, Name);
        ASSERT_NE(R, nullptr);
        ASSERT_EQ(R->GetParameters()->GetCount(), 1);
        const std::string Places = UsePlaces(R->GetParameters()->GetParameters(0));
        EXPECT_EQ(Places.substr(Places.size() - 1), "u") << Name << ": " << Places;
    }
}

// Inside a method, Self is the method's object even where a type or a
// global of that name is in scope.
TEST(Bindings, SelfIsTheImplicitParameterWhateverElseIsNamedSelf)
{
    TFixtureUnit Fx("Contnrs",
                    "type\n  TCounter = class\n  private\n    FCount: Integer;\n"
                    "  public\n    procedure Reset;\n  end;\n\n"
                    "var\n  Self: Integer;\n",
                    "procedure TCounter.Reset;\nbegin\n  Self.FCount := 0;\n  with Self do\n    FCount := 1;\nend;\n\n"
                    "initialization\n  Self := 1;\n");
    EXPECT_EQ(Fx.Messages(), "");
    TqlClass* Counter = dynamic_cast<TqlClass*>(Fx.Find("TCounter"));
    ASSERT_NE(Counter, nullptr);
    EXPECT_EQ(UsePlaces(Counter->FindSymbol(Fx.Unit, Counter, "FCount")), "23:8 25:5");
    EXPECT_EQ(UsePlaces(Fx.Find("Self")), "29:3");
}

// The parameters named in a procedural type are declarations the model
// keeps, each with its word marked where it stands.
TEST(Bindings, ProceduralTypeParametersAreDeclared)
{
    TFixtureUnit Fx("Contnrs",
                    "type\n  TNotify = procedure(Sender: TObject) of object;\n"
                    "  TCompare = function(const A, B: string): Integer;\n"
                    "  TItem = record\n    OnFree: procedure(Item: Pointer);\n  end;\n",
                    "");
    EXPECT_EQ(Fx.Messages(), "");
    TqlSymbolList* Params = Fx.Unit->GetProceduralParameters();
    ASSERT_NE(Params, nullptr);
    std::string All;
    for (int i = 0; i < Params->GetCount(); ++i)
        All += Params->GetSymbol(i)->GetName() + "@" + UsePlaces(Params->GetSymbol(i)) + " ";
    EXPECT_EQ(All, "Sender@9:23h A@10:29h B@10:32h Item@12:23h ");
    // They are no names of the unit's scope.
    EXPECT_EQ(Fx.Find("Sender"), nullptr);
}

// An address taken as the first argument of a call or a cast is of a name
// of the scope, whatever is called or cast: the names in it resolve.
TEST(Bindings, AddressTakenAsFirstArgumentResolvesInTheScope)
{
    const char* Statements[] = {
        "PInteger(@TTextRec(F).UserData)^ := 0;",
        "PInteger(@Rec.Size)^ := 0;",
        "Keep(@TTextRec(F).Buffer, 1);",
        "Keep(@Rec, SizeOf(Rec));",
        "PByte(@Rec)^ := 0;",
    };
    for (const char* S : Statements) {
        SCOPED_TRACE(S);
        TFixtureUnit Fx("Classes",
                        "type\n  TPair = record\n    Size, Count: Integer;\n  end;\n\n"
                        "procedure Keep(P: Pointer; N: Integer);\n",
                        "procedure Keep(P: Pointer; N: Integer);\nbegin\nend;\n\n"
                        "procedure Open(var F: Text);\nvar\n  Rec: TPair;\nbegin\n  " +
                            std::string(S) + "\nend;\n");
        EXPECT_EQ(Fx.Messages(), "");
        std::string Unresolved;
        for (const auto& N : Fx.Unit->GetUnresolvedNames())
            Unresolved += N + " ";
        EXPECT_EQ(Unresolved, "");
    }
}
