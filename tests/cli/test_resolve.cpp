// Reference resolution: with-statements, constructor calls, default array
// properties, string literals and names that cannot be resolved.
#include "ProjectTestSupport.h"

namespace {

struct TResolved {
    TProjectScope P;
    TCliFolder F;
    explicit TResolved(const std::string& Body, const std::string& Decls = "")
    {
        const std::string Main = F.Write(
            "Test.pas", "unit Test;\ninterface\n" + Decls + "implementation\n" + Body + "\nend.\n");
        P.Analyze(Main);
    }
    TqlUnit* Unit() { return P.Unit("Test"); }
    TqlSymbol* Find(const std::string& Name) { return Unit()->FindSymbol(Unit(), nullptr, Name); }
    int Uses(TqlSymbol* S) { return S ? S->GetUsedBy()->GetCount() : -1; }
    std::string UseAt(TqlSymbol* S, int I)
    {
        TqlUsedByLocation* L = S->GetUsedBy()->GetLocations(I);
        return std::to_string(L->GetY()) + ":" + std::to_string(L->GetX());
    }
};

} // namespace

TEST(Resolve, WithRecordFieldAndScopeEnd)
{
    TResolved R("procedure P;\nbegin\n  with Rec do\n    Field := 1;\n  Field := 2;\nend;\n",
                "type\n  TRec = record\n    Field: Integer;\n  end;\nvar\n  Rec: TRec;\n"
                "  Other: Integer;\n");
    auto* Rec = dynamic_cast<TqlRecord*>(R.Find("TRec"));
    ASSERT_NE(Rec, nullptr);
    TqlSymbol* Field = Rec->FindSymbol(R.Unit(), nullptr, "Field");
    ASSERT_NE(Field, nullptr);
    ASSERT_EQ(R.Uses(Field), 1);
    EXPECT_EQ(R.UseAt(Field, 0), "14:5");
    EXPECT_EQ(R.P.CountMessage("Symbol, Field, not found in project"), 1);
    EXPECT_EQ(R.P.CountMessage("Symbol not found, Field."), 1);
    EXPECT_EQ(R.Uses(R.Find("Rec")), 1);
}

TEST(Resolve, ConstructorCallYieldsTheClass)
{
    TResolved R("procedure P;\nbegin\n  TFoo.Create.Run;\nend;\n",
                "type\n  TFoo = class\n  public\n    constructor Create;\n    procedure Run;\n  end;\n");
    auto* Foo = dynamic_cast<TqlClass*>(R.Find("TFoo"));
    ASSERT_NE(Foo, nullptr);
    TqlSymbol* Create = Foo->FindSymbol(R.Unit(), Foo, "Create");
    TqlSymbol* Run = Foo->FindSymbol(R.Unit(), Foo, "Run");
    ASSERT_NE(Create, nullptr);
    ASSERT_NE(Run, nullptr);
    EXPECT_GE(R.Uses(Create), 1);
    EXPECT_EQ(R.Uses(Run), 1);
    EXPECT_EQ(R.UseAt(Run, 0), "12:15");
    EXPECT_TRUE(R.P.Messages().empty());
}

TEST(Resolve, DefaultArrayPropertyIndex)
{
    TResolved R("function TList.GetItem(I: Integer): Integer;\nbegin\n  Result := I;\nend;\n"
                "procedure P;\nvar\n  L: TList;\n  X: Integer;\nbegin\n  X := L[1];\nend;\n",
                "type\n  TList = class\n    function GetItem(I: Integer): Integer;\n"
                "    property Items[I: Integer]: Integer read GetItem; default;\n  end;\n");
    auto* List = dynamic_cast<TqlClass*>(R.Find("TList"));
    ASSERT_NE(List, nullptr);
    TqlSymbol* Items = List->FindSymbol(R.Unit(), List, "Items");
    ASSERT_NE(Items, nullptr);
    ASSERT_EQ(R.Uses(Items), 1);
    EXPECT_EQ(R.UseAt(Items, 0), "18:9");
}

TEST(Resolve, StringLiteralListed)
{
    TResolved R("procedure P;\nvar\n  S: string;\nbegin\n  S := 'abc' + S;\nend;\n");
    TqlSymbolList* L = R.Unit()->GetStringLiterals();
    ASSERT_EQ(L->GetCount(), 1);
    EXPECT_NE(L->GetSymbol(0)->GetName().find("abc"), std::string::npos);
}

TEST(Resolve, MisspelledIdentifierGivesTwoMessagesAndNoUse)
{
    TResolved R("procedure P;\nbegin\n  Countr := 1;\nend;\n", "var\n  Counter: Integer;\n");
    EXPECT_EQ(R.P.Messages(), (std::vector<std::string>{"Symbol, Countr, not found in project",
                                                         "Symbol not found, Countr."}));
    EXPECT_EQ(R.Uses(R.Find("Counter")), 0);
}

TEST(Resolve, WrongCaseAndForLoopVariable)
{
    TResolved R("procedure P;\nvar\n  i: Integer;\nbegin\n  for I := 1 to 2 do\n    COUNTER := i;\nend;\n",
                "var\n  Counter: Integer;\n");
    TqlSymbol* Counter = R.Find("Counter");
    ASSERT_EQ(R.Uses(Counter), 1);
    EXPECT_TRUE(Counter->GetUsedBy()->GetLocations(0)->GetIsWrongCase());
    EXPECT_TRUE(R.P.Messages().empty());
}

TEST(Resolve, WriteStyleFormatInCallArguments)
{
    TResolved R("procedure Show(const A: Double);\nbegin\nend;\n"
                "procedure P;\nbegin\n  Show(Total:0:2);\n  Show(Total);\nend;\n",
                "var\n  Total: Double;\n");
    EXPECT_TRUE(R.P.Messages().empty()) << R.P.Messages().front();
    EXPECT_EQ(R.Uses(R.Find("Total")), 2);
}

TEST(Resolve, StringArgumentLeavesTheClosingBracketToTheCall)
{
    for (const char* Call : {"Check(A < B, 'x');", "Check(A, 'x' + 'y');", "Check(A, ('x'));",
                             "Check(A, 'x' + (M));"}) {
        SCOPED_TRACE(Call);
        TResolved R(std::string("procedure Check(C: Integer; const S: string);\nbegin\nend;\n"
                                "procedure P;\nbegin\n  ") + Call + "\nend;\n",
                    "var\n  A, B: Integer;\n  M: string;\n");
        EXPECT_TRUE(R.P.Messages().empty()) << R.P.Messages().front();
        EXPECT_EQ(R.Uses(R.Find("Check")), 1);
    }
}

TEST(Resolve, ControlCharactersInExpressions)
{
    TResolved R("procedure P;\nbegin\n  S := 'a' + ^M^J + S;\nend;\n", "var\n  S: string;\n");
    EXPECT_TRUE(R.P.Messages().empty()) << R.P.Messages().front();
    EXPECT_EQ(R.Uses(R.Find("S")), 2);
}

TEST(Resolve, CastInParenthesesCarriesTheType)
{
    TResolved R("procedure P(O: TObject);\nbegin\n  (O as TFoo).Run;\n  TFoo(O).Run;\nend;\n",
                "type\n  TObject = class\n  end;\n  TFoo = class(TObject)\n  public\n"
                "    procedure Run;\n  end;\n");
    auto* Foo = dynamic_cast<TqlClass*>(R.Find("TFoo"));
    ASSERT_NE(Foo, nullptr);
    TqlSymbol* Run = Foo->FindSymbol(R.Unit(), Foo, "Run");
    ASSERT_NE(Run, nullptr);
    EXPECT_EQ(R.Uses(Run), 2);
}

// An element of an array of objects opens the members of its class.
TEST(Resolve, ArrayElementMembers)
{
    TResolved R("procedure P;\nvar\n  i: Integer;\nbegin\n  Items[i].Run;\n  Holder.FItems[i].Run;\nend;\n",
                "type\n  TFoo = class\n  public\n    procedure Run;\n  end;\n"
                "  THolder = class\n  public\n    FItems: array[0..9] of TFoo;\n  end;\n"
                "var\n  Items: array[0..9] of TFoo;\n  Holder: THolder;\n");
    auto* Foo = dynamic_cast<TqlClass*>(R.Find("TFoo"));
    ASSERT_NE(Foo, nullptr);
    TqlSymbol* Run = Foo->FindSymbol(R.Unit(), Foo, "Run");
    ASSERT_NE(Run, nullptr);
    EXPECT_EQ(R.Uses(Run), 2);
    EXPECT_TRUE(R.P.Messages().empty());
}

// Inside a method: a field that is an array of objects whose class names
// its ancestor; the inherited member is found through the element type.
TEST(Resolve, ArrayFieldElementInheritedMember)
{
    TResolved R("procedure TObject.Free;\nbegin\nend;\n"
                "procedure THolder.Clear;\nvar\n  i: Integer;\nbegin\n  FItems[i].Free;\nend;\n",
                "const\n  Max = 10;\n"
                "type\n  TObject = class\n  public\n    procedure Free;\n  end;\n"
                "  TFoo = class(TObject)\n  end;\n"
                "  THolder = class(TObject)\n  private\n    FItems: array[0..Max - 1] of TFoo;\n  public\n"
                "    procedure Clear;\n  end;\n");
    auto* Obj = dynamic_cast<TqlClass*>(R.Find("TObject"));
    ASSERT_NE(Obj, nullptr);
    TqlSymbol* Free = Obj->FindSymbol(R.Unit(), Obj, "Free");
    ASSERT_NE(Free, nullptr);
    // The call, and the implementation heading marked as a heading repeat.
    TqlUsedByList* Uses = Free->GetUsedBy();
    ASSERT_EQ(Uses->GetCount(), 2);
    EXPECT_EQ(Uses->GetLocations(0)->GetIsHeading() + Uses->GetLocations(1)->GetIsHeading(), 1);
    EXPECT_TRUE(R.P.Messages().empty());
}

// An in-path of the main uses clause is no string literal of the code.
TEST(Resolve, InPathIsNoStringLiteral)
{
    TProjectScope P;
    TCliFolder F;
    F.Write("Src/U.pas", "unit U;\ninterface\nimplementation\nend.\n");
    P.Analyze(F.Write("App.dpr", "program App;\nuses U in 'Src\\U.pas';\nvar\n  S: string;\nbegin\n  S := 'xyz';\nend.\n"));
    TqlSymbolList* L = P.Unit("App")->GetStringLiterals();
    ASSERT_EQ(L->GetCount(), 1);
    EXPECT_EQ(L->GetSymbol(0)->GetName(), "'xyz'");
    EXPECT_TRUE(P.FileOf(P.Unit("U"))->Exists);
}

// "with A, B do": B is searched first; nested with-statements end with their
// statements.
TEST(Resolve, WithListInnermostFirst)
{
    TResolved R("procedure P;\nbegin\n  with A, B do\n    X := 1;\n  with A do\n  begin\n"
                "    with B do\n      Y := X;\n    X := 2;\n  end;\nend;\n",
                "type\n  TA = record\n    X: Integer;\n  end;\n  TB = record\n    X, Y: Integer;\n  end;\n"
                "var\n  A: TA;\n  B: TB;\n");
    auto* TA = dynamic_cast<TqlRecord*>(R.Find("TA"));
    auto* TB = dynamic_cast<TqlRecord*>(R.Find("TB"));
    ASSERT_NE(TA, nullptr);
    ASSERT_NE(TB, nullptr);
    TqlSymbol* AX = TA->FindSymbol(R.Unit(), nullptr, "X");
    TqlSymbol* BX = TB->FindSymbol(R.Unit(), nullptr, "X");
    TqlSymbol* BY = TB->FindSymbol(R.Unit(), nullptr, "Y");
    EXPECT_EQ(R.Uses(BX), 2); // lines 17 and 21
    EXPECT_EQ(R.Uses(BY), 1);
    ASSERT_EQ(R.Uses(AX), 1); // only the X after the inner with ended
    EXPECT_EQ(R.UseAt(AX, 0), "22:5");
    EXPECT_TRUE(R.P.Messages().empty());
}

// Dereferenced pointers lead on to the members of their target types.
TEST(Resolve, PointerDereference)
{
    TResolved R("procedure P;\nbegin\n  PRec^.Field := 1;\n  Rec.Field := PRec^.Field;\nend;\n",
                "type\n  TRec = record\n    Field: Integer;\n  end;\n  PRecT = ^TRec;\n"
                "var\n  Rec: TRec;\n  PRec: PRecT;\n");
    auto* Rec = dynamic_cast<TqlRecord*>(R.Find("TRec"));
    ASSERT_NE(Rec, nullptr);
    EXPECT_EQ(R.Uses(Rec->FindSymbol(R.Unit(), nullptr, "Field")), 3);
    EXPECT_EQ(R.Uses(R.Find("PRec")), 2);
    EXPECT_TRUE(R.P.Messages().empty());
}
