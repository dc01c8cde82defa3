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

namespace {

// The uses of S recorded in the file of Unit, as "line:column".
std::string PlacesIn(TqlSymbol* S, TqlUnit* Unit)
{
    if (!S || !Unit)
        return "(no symbol)";
    std::string R;
    TqlUsedByList* Uses = S->GetUsedBy();
    for (int i = 0; i < Uses->GetCount(); ++i) {
        TqlUsedByLocation* U = Uses->GetLocations(i);
        if (U->GetFileIndex() != Unit->GetFileIndex())
            continue;
        R += (R.empty() ? "" : " ") + std::to_string(U->GetY()) + ":" + std::to_string(U->GetX());
    }
    return R;
}

} // namespace

// A name after "." is a member of what stands before it, never a name of the
// scopes around: where that thing's members are not known (a function's
// result of a type from a unit not on the path, a variable of such a type),
// or where they do not hold the name, it binds to nothing. The shapes that
// name a unit, a type, Self or a with statement's object bind as before.
TEST(Bindings, NameAfterAPointIsOnlyAMember)
{
    const struct {
        const char* Code;
        const char* Bound;    // the Ys used on the line, in this order: local, field, global, TKnown, PA, TPA
        bool Unresolved;      // Y is among the unit's unresolved names
    } Rows[] = {
        {"Items(1).Y := 0;", "", true},
        {"Bare(1).Y := 0;", "", true},
        {"Items(1).Y.Y := 0;", "", true},
        {"TBare(L).Y := 0;", "", true},
        {"L.Y := 0;", "", true},
        // Still bound: members of what is known, and the scopes themselves.
        {"Y := 0;", "local", false},
        {"Known(1).Y := 0;", "TKnown", false},
        {"TKnown(L).Y := 0;", "TKnown", false},
        {"TKnown(L).Y := Y;", "local TKnown", false},
        {"Self.Y := 0;", "field", false},
        {"Fixture.Y := 0;", "global", false},
        {"PA.Y := 0;", "PA", false},
        {"PA.TPA.Make.Y := 0;", "TPA", false},
        {"TPA.Make.Y := 0;", "TPA", false},
        {"with Known(1) do Y := 0;", "TKnown", false},
        {"inherited Base(1).Y := 0;", "TKnown", false},
    };
    for (const auto& Row : Rows) {
        SCOPED_TRACE(Row.Code);
        TFixtureUnit Fx;
        Fx.F.Write("PA.pas", "unit PA;\n\ninterface\n\ntype\n"
                             "  TKind = (kaY, kbY);\n"
                             "  TPA = class\n  public\n    Y: Integer;\n"
                             "    class function Make: TPA;\n  end;\n\n"
                             "var\n  Y: Integer;\n\n"
                             "implementation\n\n"
                             "class function TPA.Make: TPA;\nbegin\n  Result := nil;\nend;\n\nend.\n");
        const std::string Text =
                   "unit Fixture;\n\ninterface\n\nuses\n  Classes, PA;\n\ntype\n"
                   "  TKnown = class\n  public\n    Y: Integer;\n  end;\n"
                   "  TBare = class\n  public\n    Z: Integer;\n  end;\n"
                   "  TBase = class\n  public\n    function Base(N: Integer): TKnown;\n  end;\n"
                   "  THost = class(TBase)\n  private\n    Y: Integer;\n"
                   "  public\n    procedure Run(L: TList);\n  end;\n\n"
                   "var\n  Y: Integer;\n\n"
                   "function Items(N: Integer): TStrings;\n"
                   "function Bare(N: Integer): TBare;\n"
                   "function Known(N: Integer): TKnown;\n"
                   "procedure Keep(N: Integer);\n\n"
                   "implementation\n\n"
                   "function Items(N: Integer): TStrings;\nbegin\n  Result := nil;\nend;\n\n"
                   "function Bare(N: Integer): TBare;\nbegin\n  Result := nil;\nend;\n\n"
                   "function Known(N: Integer): TKnown;\nbegin\n  Result := nil;\nend;\n\n"
                   "procedure Keep(N: Integer);\nbegin\nend;\n\n"
                   "function TBase.Base(N: Integer): TKnown;\nbegin\n  Result := nil;\nend;\n\n"
                   "procedure THost.Run(L: TList);\nvar\n  Y: Integer;\nbegin\n  Y := 1;\n  // row\n  " +
                       std::string(Row.Code) + "\nend;\n\nend.\n";
        Fx.Analyze("Fixture.pas", Text);
        EXPECT_EQ(Fx.Messages({"Classes", "TList", "TStrings"}), "");
        TqlUnit* PA = Fx.P->FindUnit("PA");
        ASSERT_NE(PA, nullptr);
        auto* Host = dynamic_cast<TqlClass*>(Fx.Find("THost"));
        auto* Known = dynamic_cast<TqlClass*>(Fx.Find("TKnown"));
        auto* TPA = dynamic_cast<TqlClass*>(PA->FindSymbol(PA, nullptr, "TPA"));
        ASSERT_TRUE(Host && Known && TPA);
        TqlRoutine* Run = Host->GetRoutines()->GetRoutine(0);
        const std::pair<const char*, TqlSymbol*> Ys[] = {
            {"local", Run->GetVariables()->GetCount() ? dynamic_cast<TqlSymbol*>(Run->GetVariables()->GetItem(0)) : nullptr},
            {"field", Host->GetFieldList()->GetCount() ? dynamic_cast<TqlSymbol*>(Host->GetFieldList()->GetItem(0)) : nullptr},
            {"global", Fx.Find("Y")},
            {"TKnown", Known->FindSymbol(Fx.Unit, nullptr, "Y")},
            {"PA", PA->FindSymbol(PA, nullptr, "Y")},
            {"TPA", TPA->FindSymbol(PA, nullptr, "Y")},
        };
        const auto Mark = Text.find("// row");
        const std::string Line = std::to_string(std::count(Text.begin(), Text.begin() + Mark, '\n') + 2) + ":";
        std::string Bound;
        for (const auto& [Name, Y] : Ys) {
            ASSERT_NE(Y, nullptr) << Name;
            const std::string Places = " " + PlacesIn(Y, Fx.Unit);
            if (Places.find(" " + Line) != std::string::npos)
                Bound += (Bound.empty() ? "" : " ") + std::string(Name);
        }
        EXPECT_EQ(Bound, Row.Bound);
        EXPECT_EQ(Fx.Unit->GetUnresolvedNames().count("Y") == 1, Row.Unresolved);
    }
}

// A member the code cannot reach hides nothing: the search goes on to the
// ancestors, and a member of the name they declare in reach is the one
// meant (TB.X, private in PB, leaves TA.X public to the other units).
TEST(Bindings, MemberOutOfReachHidesNothingAbove)
{
    TFixtureUnit Fx;
    Fx.F.Write("PA.pas", "unit PA;\n\ninterface\n\ntype\n"
                         "  TA = class\n  public\n    X: Integer;\n    procedure Y;\n  end;\n\n"
                         "implementation\n\nprocedure TA.Y;\nbegin\nend;\n\nend.\n");
    Fx.F.Write("PB.pas", "unit PB;\n\ninterface\n\nuses\n  PA;\n\ntype\n"
                         "  TB = class(TA)\n  private\n    X: Integer;\n"
                         "  protected\n    procedure Y;\n  end;\n\n"
                         "implementation\n\nprocedure TB.Y;\nbegin\n  X := 0;\nend;\n\nend.\n");
    Fx.Analyze("Fixture.pas",
               "unit Fixture;\n"                                              // 1
               "\n"                                                           // 2
               "interface\n"                                                  // 3
               "\n"                                                           // 4
               "uses\n  PA, PB;\n"                                            // 5-6
               "\n"                                                           // 7
               "type\n"                                                       // 8
               "  TC = class(TB)\n  public\n    procedure Run;\n  end;\n"    // 9-12
               "\n"                                                           // 13
               "procedure Outside(B: TB);\n"                                  // 14
               "\n"                                                           // 15
               "implementation\n"                                             // 16
               "\n"                                                           // 17
               "procedure Outside(B: TB);\n"                                  // 18
               "begin\n"                                                      // 19
               "  B.X := 1;\n"                                                // 20
               "  B.Y;\n"                                                     // 21
               "  with B do\n    begin X := 2; Y; end;\n"                       // 22-23
               "end;\n"                                                       // 24
               "\n"                                                           // 25
               "procedure TC.Run;\n"                                          // 26
               "begin\n"                                                      // 27
               "  X := 3;\n"                                                  // 28
               "  Y;\n"                                                       // 29
               "  Self.X := 4;\n"                                             // 30
               "  inherited Y;\n"                                             // 31
               "end;\n"                                                       // 32
               "\nend.\n");
    EXPECT_EQ(Fx.Messages(), "");
    TqlUnit* PA = Fx.P->FindUnit("PA");
    TqlUnit* PB = Fx.P->FindUnit("PB");
    ASSERT_TRUE(PA && PB);
    auto* TA = dynamic_cast<TqlClass*>(PA->FindSymbol(PA, nullptr, "TA"));
    auto* TB = dynamic_cast<TqlClass*>(PB->FindSymbol(PB, nullptr, "TB"));
    ASSERT_TRUE(TA && TB);
    const struct {
        const char* Name;
        TqlSymbol* Symbol;
        const char* Places;
    } Rows[] = {
        {"TA.X", dynamic_cast<TqlSymbol*>(TA->GetFieldList()->GetItem(0)), "20:5 23:11 28:3 30:8"},
        {"TB.X", dynamic_cast<TqlSymbol*>(TB->GetFieldList()->GetItem(0)), ""},
        // Protected: out of reach outside the methods of TB's descendants.
        {"TA.Y", TA->GetRoutines()->GetRoutine(0), "21:5 23:19"},
        {"TB.Y", TB->GetRoutines()->GetRoutine(0), "29:3 31:13"},
    };
    for (const auto& R : Rows)
        EXPECT_EQ(PlacesIn(R.Symbol, Fx.Unit), R.Places) << R.Name;
    // In its own unit the private field is the one found.
    EXPECT_EQ(PlacesIn(dynamic_cast<TqlSymbol*>(TB->GetFieldList()->GetItem(0)), PB), "20:3");
    EXPECT_EQ(PlacesIn(dynamic_cast<TqlSymbol*>(TA->GetFieldList()->GetItem(0)), PB), "");
}
