// Names in real Delphi 7 code that must resolve: Self, results and
// parameters whose types are unknown, inherited calls, overloaded names and
// the types named in procedural types and implementation headings. Each
// fixture unit uses "Contnrs", a unit that is not found, as real projects
// use units from libraries that are not on the search path.
#include "AnalysisTestSupport.h"

namespace {

struct TFixture : TFixtureUnit {
    TFixture(const std::string& Interface, const std::string& Implementation)
        : TFixtureUnit("Contnrs", Interface, Implementation)
    {
    }
    TqlSymbol* Find(const std::string& Name) { return Unit->FindSymbol(Unit, nullptr, Name); }
    TqlClass* Class(const std::string& Name) { return dynamic_cast<TqlClass*>(Find(Name)); }
    static int Uses(TqlSymbol* S) { return S ? S->GetUsedBy()->GetCount() : -1; }
    // The messages other than those about names from the missing unit.
    std::string Messages(const std::string& Missing = "") { return MessagesWithout({Missing}); }
};

} // namespace

TEST(Delphi7Resolve, SelfIsTheMethodsClass)
{
    TFixture Fx("type\n  TCounter = class\n  private\n    FCount: Integer;\n  public\n"
                "    function Next: Integer;\n    procedure Reset;\n  end;\n",
                "function TCounter.Next: Integer;\nbegin\n  if Self = nil then\n    Exit;\n"
                "  Inc(Self.FCount);\n  Result := FCount;\nend;\n\n"
                "procedure TCounter.Reset;\nbegin\n  with Self do\n    FCount := 0;\nend;\n");
    EXPECT_EQ(Fx.Messages(), "");
    TqlClass* Counter = Fx.Class("TCounter");
    ASSERT_NE(Counter, nullptr);
    EXPECT_EQ(TFixture::Uses(Counter->FindSymbol(Fx.Unit, Counter, "FCount")), 3);
}

TEST(Delphi7Resolve, DeclarationsWhoseTypesAreUnknownAreStillDeclared)
{
    TFixture Fx("type\n  TTicks = TObjectQueue;\n\n"
                "  TLoader = class\n  public\n    function Queue: TObjectQueue;\n"
                "    procedure Load(const AQueue: TObjectQueue); overload;\n"
                "    procedure Load(const AName: string); overload;\n  end;\n",
                "var\n  Last: TTicks;\n\n"
                "function TLoader.Queue: TObjectQueue;\nbegin\n  Result := nil;\n"
                "  if Last <> nil then\n    Queue := Last;\nend;\n\n"
                "procedure TLoader.Load(const AQueue: TObjectQueue);\nbegin\n  Last := AQueue;\nend;\n\n"
                "procedure TLoader.Load(const AName: string);\nbegin\n  Load(Queue);\n"
                "  if AName = '' then\n    Exit;\nend;\n");
    // Only the unknown type and the alias of it are reported.
    EXPECT_EQ(Fx.Messages("TObjectQueue"), "Type not found for type named, TTicks\n");
    TqlSymbol* Ticks = Fx.Unit->GetTypes()->Find("TTicks");
    ASSERT_NE(Ticks, nullptr);
    EXPECT_EQ(TFixture::Uses(Ticks), 1);
    TqlClass* Loader = Fx.Class("TLoader");
    ASSERT_NE(Loader, nullptr);
    auto* Queue = dynamic_cast<TqlRoutine*>(Loader->FindSymbol(Fx.Unit, Loader, "Queue"));
    ASSERT_NE(Queue, nullptr);
    ASSERT_NE(Queue->GetReturnType(), nullptr);
    EXPECT_EQ(TFixture::Uses(Queue->GetReturnType()), 1);
    EXPECT_EQ(TFixture::Uses(Queue->GetRoutineType()), 1);
    // Each implementation binds to its own overload, so its body sees its
    // parameter: the heading, the implementation and the body use AQueue.
    TqlRoutine* First = Loader->GetRoutines()->GetRoutine(1);
    ASSERT_EQ(First->GetParameters()->GetCount(), 1);
    EXPECT_EQ(TFixture::Uses(First->GetParameters()->GetParameters(0)), 3);
}

TEST(Delphi7Resolve, InheritedNameIsTheAncestorsMember)
{
    TFixture Fx("type\n  TShape = class\n  public\n    function Cap: Integer; virtual;\n  end;\n\n"
                "  TBox = class(TShape)\n  public\n    function Cap: Integer; override;\n  end;\n",
                "function TShape.Cap: Integer;\nbegin\n  Result := 1;\nend;\n\n"
                "function TBox.Cap: Integer;\nbegin\n  Result := inherited Cap + 1;\nend;\n");
    EXPECT_EQ(Fx.Messages(), "");
    auto* ShapeCap = dynamic_cast<TqlRoutine*>(Fx.Class("TShape")->GetRoutines()->Find("Cap"));
    auto* BoxCap = dynamic_cast<TqlRoutine*>(Fx.Class("TBox")->GetRoutines()->Find("Cap"));
    ASSERT_NE(ShapeCap, nullptr);
    ASSERT_NE(BoxCap, nullptr);
    EXPECT_EQ(TFixture::Uses(BoxCap->GetRoutineType()), 0) << "not the routine-name variable";
    EXPECT_EQ(TFixture::Uses(ShapeCap), 2) << "the implementation heading and the inherited call";
}

TEST(Delphi7Resolve, OverloadedNameCountsForTheOverloadsItMayMean)
{
    const struct {
        const char* Call;
        int ByInteger, ByString, ByTwo; // uses beyond each heading's own
    } Cases[] = {
        {"Show(7);", 1, 0, 0},        // an integer: only the first takes it
        {"Show(7, 'x');", 0, 0, 1},   // only one overload takes two
        {"Show;", 1, 1, 1},           // none takes no arguments: each it may mean
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Call);
        TFixture Fx("procedure Show(Value: Integer); overload;\n"
                    "procedure Show(const Text: string); overload;\n"
                    "procedure Show(Value: Integer; const Text: string); overload;\n",
                    "procedure Show(Value: Integer);\nbegin\nend;\n\n"
                    "procedure Show(const Text: string);\nbegin\nend;\n\n"
                    "procedure Show(Value: Integer; const Text: string);\nbegin\nend;\n\n"
                    "procedure Run;\nbegin\n  " +
                        std::string(C.Call) + "\nend;\n");
        TqlRoutineList* L = Fx.Unit->GetRoutines();
        ASSERT_GE(L->GetCount(), 3);
        // Each overload's implementation heading records one use of it.
        EXPECT_EQ(TFixture::Uses(L->GetRoutine(0)), 1 + C.ByInteger);
        EXPECT_EQ(TFixture::Uses(L->GetRoutine(1)), 1 + C.ByString);
        EXPECT_EQ(TFixture::Uses(L->GetRoutine(2)), 1 + C.ByTwo);
    }
}

TEST(Delphi7Resolve, TypesInProceduralTypesAndImplementationHeadingsAreUses)
{
    TFixture Fx("type\n  TWidget = class\n  public\n    function Clone: TWidget;\n  end;\n\n"
                "  TWidgetEvent = procedure(Sender: TWidget; var Handled: Boolean) of object;\n"
                "  TWidgetFactory = function(Owner: TWidget): TWidget;\n",
                "function TWidget.Clone: TWidget;\nbegin\n  Result := TWidget.Create;\nend;\n");
    EXPECT_EQ(Fx.Messages(), "");
    // Clone's result in the class, the three in the procedural types, the
    // class name and the result type of Clone's implementation heading, and
    // the constructor call.
    EXPECT_EQ(TFixture::Uses(Fx.Class("TWidget")), 7);
}

TEST(Delphi7Resolve, OverloadedMethodThroughAnObject)
{
    TFixture Fx("type\n  TPrinter = class\n  public\n    procedure Print(Value: Integer); overload;\n"
                "    procedure Print(const Text: string); overload;\n"
                "    procedure Print(Value: Integer; const Text: string); overload;\n  end;\n",
                "procedure TPrinter.Print(Value: Integer);\nbegin\nend;\n\n"
                "procedure TPrinter.Print(const Text: string);\nbegin\nend;\n\n"
                "procedure TPrinter.Print(Value: Integer; const Text: string);\nbegin\n"
                "  Print(Value);\nend;\n\n"
                "procedure Run(APrinter: TPrinter);\nbegin\n  APrinter.Print(1, 'one');\nend;\n");
    EXPECT_EQ(Fx.Messages(), "");
    TqlRoutineList* L = Fx.Class("TPrinter")->GetRoutines();
    ASSERT_EQ(L->GetCount(), 3);
    // Each implementation heading uses its own overload; Print(Value) with
    // an Integer parameter means the first; the object's call with two
    // arguments means only the last.
    EXPECT_EQ(TFixture::Uses(L->GetRoutine(0)), 2);
    EXPECT_EQ(TFixture::Uses(L->GetRoutine(1)), 1);
    EXPECT_EQ(TFixture::Uses(L->GetRoutine(2)), 2);
}
