// Scopes and recorded uses, on small units written the way Delphi 7 teams
// write them: exception handler variables, a function's own name, the
// places a rename has to find (implementation headings, forward
// declarations, labels, qualified names, redeclared and default
// properties), and the names units are known by.
#include "AnalysisTestSupport.h"

namespace {

using TFiles = std::vector<std::pair<std::string, std::string>>;

struct TScopeFixture {
    TAnalysisScope P;
    TTempFolder F;
    TqlUnit* Unit = nullptr;

    // Writes the files (the first is the main file) and analyses the main
    // file.
    explicit TScopeFixture(const TFiles& Files,
                           const std::vector<std::string>& Aliases = {})
    {
        P->Aliases = Aliases;
        std::string Main;
        for (const auto& [Name, Text] : Files) {
            const std::string Full = F.Write(Name, Text);
            if (Main.empty())
                Main = Full;
        }
        P->Analyze(Main, true);
        Unit = P->FindUnit(qlExtractUnitName(Main));
    }
    TqlSymbol* Find(const std::string& Name) { return Unit->FindSymbol(Unit, nullptr, Name); }
    TqlClass* Class(const std::string& Name) { return dynamic_cast<TqlClass*>(Find(Name)); }
};

TqlRoutine* RoutineAt(TqlVarContainer* C, int Index) { return C->GetRoutines()->GetRoutine(Index); }

} // namespace

TEST(Scopes, EachExceptionHandlerHasItsOwnVariable)
{
    TScopeFixture Fx(TFiles{{"Loader.dpr",
                       "program Loader;\n"                 // 1
                       "\n"                                // 2
                       "uses\n"                            // 3
                       "  SysUtils;\n"                     // 4
                       "\n"                                // 5
                       "procedure Load(const AName: string);\n" // 6
                       "begin\n"                           // 7
                       "  try\n"                           // 8
                       "    Writeln(StrToInt(AName));\n"   // 9
                       "  except\n"                        // 10
                       "    on E: EConvertError do\n"      // 11
                       "      Writeln(E.Message);\n"       // 12
                       "  end;\n"                          // 13
                       "  try\n"                           // 14
                       "    Writeln(AName);\n"             // 15
                       "  except\n"                        // 16
                       "    on E: Exception do\n"          // 17
                       "      Writeln(E.ClassName);\n"     // 18
                       "  end;\n"                          // 19
                       "end;\n"                            // 20
                       "\n"                                // 21
                       "begin\n"                           // 22
                       "  try\n"                           // 23
                       "    Load('12');\n"                 // 24
                       "  except\n"                        // 25
                       "    on E: Exception do\n"          // 26
                       "      Writeln(E.Message);\n"       // 27
                       "  end;\n"                          // 28
                       "end.\n"}});
    ASSERT_NE(Fx.Unit, nullptr);
    // Load lists each handler's variable with its own uses; neither is
    // found by a name lookup in Load outside its handler.
    TqlRoutine* Load = RoutineAt(Fx.Unit, 0);
    TqlVariablesList* Locals = Load->GetVariables();
    ASSERT_EQ(Locals->GetCount(), 2);
    EXPECT_EQ(UsePlaces(Locals->GetVariables(0)), "11:8 12:15");
    EXPECT_EQ(UsePlaces(Locals->GetVariables(1)), "17:8 18:15");
    EXPECT_EQ(Load->FindSymbol(Fx.Unit, nullptr, "E"), nullptr);
    // The main block's is no global of the program.
    EXPECT_EQ(Fx.Unit->GetVariables()->Find("E"), nullptr);
    TqlSymbolList* Handlers = Fx.Unit->GetHandlerVariables();
    ASSERT_NE(Handlers, nullptr);
    ASSERT_EQ(Handlers->GetCount(), 1);
    EXPECT_EQ(UsePlaces(Handlers->GetSymbol(0)), "26:8 27:15");
}

TEST(Scopes, FunctionNameIsItsResultOnlyWhereItIsAssigned)
{
    TScopeFixture Fx(TFiles{{"Calc.pas",
                       "unit Calc;\n"                                   // 1
                       "\n"                                             // 2
                       "interface\n"                                    // 3
                       "\n"                                             // 4
                       "function Base: Integer; overload;\n"            // 5
                       "function Base(A: Integer): Integer; overload;\n" // 6
                       "function Twice(I: Integer): Integer;\n"         // 7
                       "\n"                                             // 8
                       "implementation\n"                               // 9
                       "\n"                                             // 10
                       "function Base: Integer;\n"                      // 11
                       "begin\n"                                        // 12
                       "  Result := 10;\n"                              // 13
                       "end;\n"                                         // 14
                       "\n"                                             // 15
                       "function Base(A: Integer): Integer;\n"          // 16
                       "begin\n"                                        // 17
                       "  Result := Base + A;\n"                        // 18
                       "end;\n"                                         // 19
                       "\n"                                             // 20
                       "function Twice(I: Integer): Integer;\n"         // 21
                       "var\n"                                          // 22
                       "  P: Pointer;\n"                                // 23
                       "begin\n"                                        // 24
                       "  Twice := I * 2;\n"                            // 25
                       "  P := @Twice;\n"                               // 26
                       "  if (P <> nil) and (I > 100) then\n"           // 27
                       "    Twice := Twice(I div 2) * 2;\n"             // 28
                       "end;\n"                                         // 29
                       "\n"                                             // 30
                       "end.\n"}});
    ASSERT_NE(Fx.Unit, nullptr);
    TqlRoutine* BaseNone = RoutineAt(Fx.Unit, 0);
    TqlRoutine* BaseOne = RoutineAt(Fx.Unit, 1);
    TqlRoutine* Twice = RoutineAt(Fx.Unit, 2);
    ASSERT_EQ(BaseOne->GetParameters()->GetCount(), 1);
    // The assignment targets are the result; every other mention calls.
    EXPECT_EQ(UsePlaces(BaseOne->GetRoutineType()), "");
    EXPECT_EQ(UsePlaces(Twice->GetRoutineType()), "25:3 28:5");
    EXPECT_NE(UsePlaces(BaseNone).find("18:13"), std::string::npos) << UsePlaces(BaseNone);
    EXPECT_NE(UsePlaces(Twice).find("26:9"), std::string::npos) << UsePlaces(Twice);
    EXPECT_NE(UsePlaces(Twice).find("28:14"), std::string::npos) << UsePlaces(Twice);
    // The variable knows its function, so that a rename finds it.
    EXPECT_EQ(Twice->GetRoutineType()->GetNamedRoutine(), Twice);
    EXPECT_EQ(Twice->GetReturnType()->GetNamedRoutine(), nullptr);
}

TEST(Scopes, FieldOfARecordResultAssignedThroughTheFunctionName)
{
    TScopeFixture Fx(TFiles{{"Items.pas",
                             "unit Items;\n\ninterface\n\ntype\n  TItem = record\n    Name: string;\n"
                             "  end;\n\nfunction MakeItem(const AName: string): TItem;\n\n"
                             "implementation\n\nfunction MakeItem(const AName: string): TItem;\nbegin\n"
                             "  MakeItem.Name := AName;\nend;\n\nend.\n"}});
    ASSERT_NE(Fx.Unit, nullptr);
    TqlRoutine* Make = RoutineAt(Fx.Unit, 0);
    EXPECT_EQ(UsePlaces(Make->GetRoutineType()), "16:3");
}

TEST(Scopes, NamesARenameMustFindAreRecordedAsUses)
{
    TScopeFixture Fx(TFiles{{"uBase.pas",
                       "unit uBase;\n"                                        // 1
                       "\n"                                                   // 2
                       "interface\n"                                          // 3
                       "\n"                                                   // 4
                       "type\n"                                               // 5
                       "  TItem = class;\n"                                   // 6
                       "  PNode = ^TNode;\n"                                  // 7
                       "  TNode = record\n"                                   // 8
                       "    Next: PNode;\n"                                   // 9
                       "  end;\n"                                             // 10
                       "  TItemClass = class of TItem;\n"                     // 11
                       "  TItem = class\n"                                    // 12
                       "  private\n"                                          // 13
                       "    FName: string;\n"                                 // 14
                       "    function GetCell(Index: Integer): Integer;\n"     // 15
                       "  protected\n"                                        // 16
                       "    property Name: string read FName;\n"              // 17
                       "  public\n"                                           // 18
                       "    function Get(Index: Integer): Integer;\n"         // 19
                       "    property Cells[Index: Integer]: Integer read GetCell; default;\n" // 20
                       "  end;\n"                                             // 21
                       "  TNamedItem = class(TItem)\n"                        // 22
                       "  published\n"                                        // 23
                       "    property Name;\n"                                 // 24
                       "  end;\n"                                             // 25
                       "\n"                                                   // 26
                       "var\n"                                                // 27
                       "  Count: Integer;\n"                                  // 28
                       "\n"                                                   // 29
                       "implementation\n"                                     // 30
                       "\n"                                                   // 31
                       "function TItem.GetCell(Index: Integer): Integer;\n"   // 32
                       "begin\n"                                              // 33
                       "  Result := Index;\n"                                 // 34
                       "end;\n"                                               // 35
                       "\n"                                                   // 36
                       "function TItem.Get(Index: Integer): Integer;\n"       // 37
                       "label\n"                                              // 38
                       "  Done;\n"                                            // 39
                       "begin\n"                                              // 40
                       "  Result := Self[Index];\n"                           // 41
                       "  if Result > uBase.Count then\n"                     // 42
                       "    goto Done;\n"                                     // 43
                       "  Result := 0;\n"                                     // 44
                       "Done:\n"                                              // 45
                       "end;\n"                                               // 46
                       "\n"                                                   // 47
                       "end.\n"}});
    ASSERT_NE(Fx.Unit, nullptr);
    TqlClass* Item = Fx.Class("TItem");
    ASSERT_NE(Item, nullptr);
    TqlClass* Named = Fx.Class("TNamedItem");
    ASSERT_NE(Named, nullptr);
    TqlRoutine* Get = Item->GetRoutines()->Find("Get");
    ASSERT_NE(Get, nullptr);
    TqlProperty* Name = Item->GetProperties()->Find("Name");
    TqlProperty* Cells = Item->GetProperties()->Find("Cells");
    const struct {
        const char* What;
        TqlSymbol* Symbol;
        std::string Expected;
    } Cases[] = {
        // The forward declaration, "class of", the heritage and the two
        // implementation headings.
        {"class", Item, "11:25 6:3 22:22 32:10 37:10"},
        {"forward pointer target", Fx.Find("TNode"), "7:12"},
        {"method heading", Get, "37:16h"},
        {"repeated parameter", Get->GetParameters()->Find("Index"), "19:18 37:20h 41:18"},
        {"redeclared property", Name, "24:14h"},
        {"default array property", Cells, "41:17u"},
        {"unit qualifying its own name", Fx.Unit, "42:15"},
        {"variable qualified by its unit", Fx.Find("Count"), "42:21"},
    };
    for (const auto& C : Cases)
        EXPECT_EQ(UsePlaces(C.Symbol), C.Expected) << C.What;
    TqlRoutine* GetBody = Get;
    ASSERT_EQ(GetBody->GetLabels()->GetCount(), 1);
    EXPECT_EQ(UsePlaces(GetBody->GetLabels()->GetLabels(0)), "43:10 45:1");
    ASSERT_NE(Named->GetProperties()->Find("Name"), nullptr);
    EXPECT_EQ(Named->GetProperties()->Find("Name")->GetRedeclaredProperty(), Name);
}

TEST(Scopes, UnitsAreNamedAsTheirHeadingsAndAliasesAreNotWrongCase)
{
    TScopeFixture Fx(TFiles{{"Stock.dpr", "program Stock;\n\nuses\n  Windows,\n  Legacy,\n"
                                    "  StockStore in 'src\\stockstore.pas';\n\n"
                                    "begin\n  StockStore.Open;\nend.\n"},
                      {"Windows.pas", "unit Windows;\n\ninterface\n\nimplementation\n\nend.\n"},
                      {"Legacy.pas", "unit Legacy;\n\ninterface\n\nuses\n  WinTypes;\n\n"
                                     "implementation\n\nend.\n"},
                      {"src/stockstore.pas", "unit StockStore;\n\ninterface\n\nprocedure Open;\n\n"
                                             "implementation\n\nprocedure Open;\nbegin\nend;\n\nend.\n"}},
                     {"WinTypes=Windows"});
    ASSERT_NE(Fx.Unit, nullptr);
    TqlUnit* Store = Fx.P->FindUnit("StockStore");
    ASSERT_NE(Store, nullptr);
    EXPECT_EQ(Store->GetName(), "StockStore");
    EXPECT_EQ(UsePlaces(Store), "6:3 9:3");
    // Named Windows in the program, WinTypes (an alias) in Legacy.
    TqlUnit* Windows = Fx.P->FindUnit("Windows");
    ASSERT_NE(Windows, nullptr);
    EXPECT_EQ(UsePlaces(Windows), "4:3 6:3");
}

TEST(Scopes, StrictPrivateMemberUsedInItsOwnUnitIsUsed)
{
    TScopeFixture Fx(TFiles{{"uCounter.pas",
                       "unit uCounter;\n\ninterface\n\ntype\n  TCounter = class\n  strict private\n"
                       "    FCount: Integer;\n    procedure Bump;\n  public\n    procedure Step;\n"
                       "    function Same(Other: TCounter): Boolean;\n"
                       "  end;\n\nimplementation\n\nprocedure TCounter.Bump;\nbegin\n"
                       "  Inc(FCount);\nend;\n\nprocedure TCounter.Step;\nbegin\n  Self.Bump;\nend;\n\n"
                       "function TCounter.Same(Other: TCounter): Boolean;\nbegin\n"
                       "  Result := Other.FCount = FCount;\nend;\n\nend.\n"}});
    TqlClass* Counter = Fx.Class("TCounter");
    ASSERT_NE(Counter, nullptr);
    TqlSymbol* Count = Counter->GetVariables()->Find("FCount");
    ASSERT_NE(Count, nullptr);
    EXPECT_EQ(Count->GetVisibility(), vkStrictPrivate);
    // In its own method, and through another object of its class.
    EXPECT_EQ(UsePlaces(Count), "19:7 29:19 29:28");
    EXPECT_EQ(UsePlaces(Counter->GetRoutines()->Find("Bump")), "17:20h 24:8");
}
