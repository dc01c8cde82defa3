// Overloaded routines in Delphi 7 code: each implementation binds to the
// declaration it repeats, and each call to the overload its arguments pick.
// The fixtures use "Classes", which is not on the search path, as real
// projects use library units the analysis does not find.
#include "AnalysisTestSupport.h"

namespace {

struct TFixture : TFixtureUnit {
    TFixture(const std::string& Interface, const std::string& Implementation)
        : TFixtureUnit("Classes", Interface, Implementation)
    {
    }
    // The messages other than those about the names of the missing unit.
    std::string Messages() { return TFixtureUnit::Messages({"TStrings", "TStream", "Classes"}); }
    // The routines of Name in List, in declaration order.
    static std::vector<TqlRoutine*> Named(TqlRoutineList* List, const std::string& Name)
    {
        std::vector<TqlRoutine*> R;
        for (int i = 0; i < List->GetCount(); ++i)
            if (qlSameText(List->GetRoutine(i)->GetName(), Name))
                R.push_back(List->GetRoutine(i));
        return R;
    }
    // The uses of R in lines from FirstLine on, as "n" or "n?" (ambiguous).
    static std::string UsesFrom(TqlRoutine* R, int FirstLine)
    {
        int N = 0;
        bool Ambiguous = false;
        TqlUsedByList* L = R->GetUsedBy();
        for (int i = 0; i < L->GetCount(); ++i)
            if (L->GetLocations(i)->GetY() >= FirstLine) {
                ++N;
                Ambiguous = Ambiguous || L->GetLocations(i)->GetIsAmbiguous();
            }
        return std::to_string(N) + (Ambiguous ? "?" : "");
    }
    // UsesFrom of each routine of Name in List, in declaration order,
    // separated by blanks.
    static std::string UsesOfEach(TqlRoutineList* List, const std::string& Name, int FirstLine)
    {
        std::string Uses;
        for (TqlRoutine* R : Named(List, Name))
            Uses += (Uses.empty() ? "" : " ") + UsesFrom(R, FirstLine);
        return Uses;
    }
};

// A call and the uses it gives each overload of a routine (UsesOfEach).
struct TCallCase {
    const char* Call;
    const char* Routine;
    const char* Uses;
};

// The line of the fixture's implementation text on which Text stands.
int LineOf(const TFixtureUnit& Fx, const std::string& Text)
{
    std::ifstream In(Fx.Unit->GetFullFileName());
    std::string Line;
    for (int N = 1; std::getline(In, Line); ++N)
        if (Line.find(Text) != std::string::npos)
            return N;
    return -1;
}

} // namespace

TEST(Overloads, BodyBindsToTheDeclarationWhoseParametersItRepeats)
{
    const struct {
        const char* Name;
        const char* Other;    // the parameters of the other overload
        const char* Declared; // of the overload under test, as declared
        const char* Repeated; // and as its body repeats them
    } Cases[] = {
        // Types from a unit that is not found: told apart by their names.
        {"unknown types", "(AId: string; AMsg: TStrings)", "(AId: string; AMsg: TStream)",
         "(AId: string; AMsg: TStream)"},
        {"unknown type with its unit", "(AId: string; AMsg: TStrings)",
         "(AId: string; AMsg: TStream)", "(AId: string; AMsg: Classes.TStream)"},
        {"open arrays of unknown types", "(const AMsgs: array of TStrings)",
         "(const AMsgs: array of TStream)", "(const AMsgs: array of TStream)"},
        // Two names of one type.
        {"Longint declared, Integer implemented", "(const AText: string)", "(aP: Longint)",
         "(aP: Integer)"},
        {"alias declared, its type implemented", "(const AText: string)", "(aP: TCount)",
         "(aP: Integer)"},
    };
    for (const auto& C : Cases) {
        for (const bool TestedFirst : {true, false}) {
            SCOPED_TRACE(std::string(C.Name) + (TestedFirst ? ", declared first" : ", declared last"));
            const std::string Other = C.Other;
            const std::string Declared = C.Declared;
            const std::string OtherBody = "function GetBody" + Other +
                                          ": string;\nvar\n  InOther: string;\nbegin\n"
                                          "  InOther := 'other';\n  Result := InOther;\nend;\n\n";
            const std::string TestedBody = "function GetBody" + std::string(C.Repeated) +
                                           ": string;\nvar\n  InTested: string;\nbegin\n"
                                           "  InTested := 'tested';\n  Result := InTested;\nend;\n\n";
            const std::string Decls[] = {"function GetBody" + Other + ": string; overload;\n",
                                         "function GetBody" + Declared + ": string; overload;\n"};
            TFixture Fx("type\n  TCount = Integer;\n\n" +
                            (TestedFirst ? Decls[1] + Decls[0] : Decls[0] + Decls[1]),
                        TestedFirst ? TestedBody + OtherBody : OtherBody + TestedBody);
            EXPECT_EQ(Fx.Messages(), "");
            auto Bodies = TFixture::Named(Fx.Unit->GetRoutines(), "GetBody");
            ASSERT_EQ(Bodies.size(), 2u);
            TqlRoutine* Tested = Bodies[TestedFirst ? 0 : 1];
            TqlRoutine* Untested = Bodies[TestedFirst ? 1 : 0];
            // Each body's locals are its own declaration's, and used there.
            EXPECT_EQ(Untested->GetVariables()->Find("InTested"), nullptr);
            EXPECT_NE(Untested->GetVariables()->Find("InOther"), nullptr);
            TqlVariable* Local = Tested->GetVariables()->Find("InTested");
            EXPECT_EQ(Local ? Local->GetUsedBy()->GetCount() : -1, 2);
            // The declaration's last parameter is named there and in the body's
            // heading.
            TqlParameterList* Params = Tested->GetParameters();
            EXPECT_EQ(Params->GetParameters(Params->GetCount() - 1)->GetUsedBy()->GetCount(), 2);
        }
    }
}

TEST(Overloads, CallBindsToTheOverloadItsArgumentsPick)
{
    const struct {
        const char* Call;
        const char* ByInteger; // uses of each overload by the call: a count,
        const char* ByText;    // "?" when the call leaves the choice open
        const char* ByTwo;
        const char* BySum1;
        const char* BySum2;
    } Cases[] = {
        {"Show(7);", "1", "0", "0", "0", "0"},
        {"Show(-7);", "1", "0", "0", "0", "0"},
        {"Show('seven');", "0", "1", "0", "0", "0"},
        {"Show(Count);", "1", "0", "0", "0", "0"},
        {"Show(Name);", "0", "1", "0", "0", "0"},
        {"Show(Lines.Count);", "1?", "1?", "0", "0", "0"}, // a type not known
        {"Show(Count + 1);", "1?", "1?", "0", "0", "0"},   // not read as a whole
        {"Show(7, Name);", "0", "0", "1", "0", "0"},
        {"Show(Sum(1));", "1", "0", "0", "1", "0"},          // both Sums give an Integer
        {"Show(Sum(Count, 2));", "1", "0", "0", "0", "1"},
        {"Show(Integer(Name[1]));", "1", "0", "0", "0", "0"}, // a cast
        {"Show(Round(Ratio));", "1", "0", "0", "0", "0"},    // an Int64 result
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Call);
        TFixture Fx("procedure Show(Value: Integer); overload;\n"
                    "procedure Show(const Text: string); overload;\n"
                    "procedure Show(Value: Integer; const Text: string); overload;\n"
                    "function Sum(A: Integer): Integer; overload;\n"
                    "function Sum(A, B: Integer): Integer; overload;\n",
                    "procedure Show(Value: Integer);\nbegin\nend;\n\n"
                    "procedure Show(const Text: string);\nbegin\nend;\n\n"
                    "procedure Show(Value: Integer; const Text: string);\nbegin\nend;\n\n"
                    "function Sum(A: Integer): Integer;\nbegin\n  Result := A;\nend;\n\n"
                    "function Sum(A, B: Integer): Integer;\nbegin\n  Result := A + B;\nend;\n\n"
                    "procedure Run(Lines: TStrings; Cursor: PWideChar);\nvar\n  Count: Integer;\n  Name: string;\n"
                    "  Ratio: Double;\nbegin\n  Count := 1;\n  Name := 'x';\n  Ratio := 0.5;\n"
                    "  // call\n  " +
                        std::string(C.Call) + "\nend;\n");
        const int From = LineOf(Fx, "// call");
        auto Show = TFixture::Named(Fx.Unit->GetRoutines(), "Show");
        auto Sum = TFixture::Named(Fx.Unit->GetRoutines(), "Sum");
        ASSERT_EQ(Show.size(), 3u);
        ASSERT_EQ(Sum.size(), 2u);
        EXPECT_EQ(TFixture::UsesFrom(Show[0], From), C.ByInteger);
        EXPECT_EQ(TFixture::UsesFrom(Show[1], From), C.ByText);
        EXPECT_EQ(TFixture::UsesFrom(Show[2], From), C.ByTwo);
        EXPECT_EQ(TFixture::UsesFrom(Sum[0], From), C.BySum1);
        EXPECT_EQ(TFixture::UsesFrom(Sum[1], From), C.BySum2);
    }
}

TEST(Overloads, OverloadWithDefaultsStaysACandidateOfAShorterCall)
{
    const struct {
        const char* Call;
        const char* ByDefaults; // P(A: Integer; B: Integer = 0)
        const char* ByText;     // P(const A: string)
    } Cases[] = {
        {"P(1);", "1", "0"},
        {"P(1, 2);", "1", "0"},
        {"P('one');", "0", "1"},
        {"P(Lines.Text);", "1?", "1?"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Call);
        TFixture Fx("procedure P(A: Integer; B: Integer = 0); overload;\n"
                    "procedure P(const A: string); overload;\n",
                    "procedure P(A: Integer; B: Integer);\nbegin\nend;\n\n"
                    "procedure P(const A: string);\nbegin\nend;\n\n"
                    "procedure Run(Lines: TStrings);\nbegin\n  // call\n  " +
                        std::string(C.Call) + "\nend;\n");
        const int From = LineOf(Fx, "// call");
        auto Ps = TFixture::Named(Fx.Unit->GetRoutines(), "P");
        ASSERT_EQ(Ps.size(), 2u);
        EXPECT_EQ(TFixture::UsesFrom(Ps[0], From), C.ByDefaults);
        EXPECT_EQ(TFixture::UsesFrom(Ps[1], From), C.ByText);
    }
}

TEST(Overloads, MethodCallBindsAcrossTheClassAndItsAncestors)
{
    const struct {
        const char* Call;
        const char* ByBase;  // TBase.Put(Value: Integer)
        const char* ByChild; // TChild.Put(const Text: string)
    } Cases[] = {
        {"Child.Put(1);", "1", "0"},
        {"Child.Put('one');", "0", "1"},
        {"Child.Put(Lines.Count);", "1?", "1?"}, // a type not known
        {"Base.Put(1);", "1", "0"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Call);
        TFixture Fx("type\n  TBase = class\n  public\n    procedure Put(Value: Integer); overload;\n"
                    "  end;\n\n  TChild = class(TBase)\n  public\n"
                    "    procedure Put(const Text: string); overload;\n  end;\n",
                    "procedure TBase.Put(Value: Integer);\nbegin\nend;\n\n"
                    "procedure TChild.Put(const Text: string);\nbegin\nend;\n\n"
                    "procedure Run(Lines: TStrings; Base: TBase; Child: TChild);\nbegin\n  // call\n  " +
                        std::string(C.Call) + "\nend;\n");
        const int From = LineOf(Fx, "// call");
        auto* Base = dynamic_cast<TqlClass*>(Fx.Unit->GetClasses()->Find("TBase"));
        auto* Child = dynamic_cast<TqlClass*>(Fx.Unit->GetClasses()->Find("TChild"));
        ASSERT_NE(Base, nullptr);
        ASSERT_NE(Child, nullptr);
        EXPECT_EQ(TFixture::UsesFrom(Base->GetRoutines()->GetRoutine(0), From), C.ByBase);
        EXPECT_EQ(TFixture::UsesFrom(Child->GetRoutines()->GetRoutine(0), From), C.ByChild);
    }
}

TEST(Overloads, CallOfAnOverrideBindsToTheAncestorsOverloadItsArgumentsPick)
{
    const struct {
        const char* Call;
        const char* ByBaseInteger; // TBase.Put(Value: Integer), overridden
        const char* ByBaseText;    // TBase.Put(const Text: string)
        const char* ByOverride;    // TChild.Put(Value: Integer)
    } Cases[] = {
        {"Child.Put(1);", "0", "0", "1"},
        {"Child.Put('one');", "0", "1", "0"},
        {"Child.Put(Lines.Count);", "0", "1?", "1?"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Call);
        TFixture Fx("type\n  TBase = class\n  public\n"
                    "    procedure Put(Value: Integer); overload; virtual;\n"
                    "    procedure Put(const Text: string); overload; virtual;\n  end;\n\n"
                    "  TChild = class(TBase)\n  public\n"
                    "    procedure Put(Value: Integer); overload; override;\n  end;\n",
                    "procedure TBase.Put(Value: Integer);\nbegin\nend;\n\n"
                    "procedure TBase.Put(const Text: string);\nbegin\nend;\n\n"
                    "procedure TChild.Put(Value: Integer);\nbegin\nend;\n\n"
                    "procedure Run(Lines: TStrings; Child: TChild);\nbegin\n  // call\n  " +
                        std::string(C.Call) + "\nend;\n");
        const int From = LineOf(Fx, "// call");
        auto Base = TFixture::Named(Fx.Unit->GetClasses()->Find("TBase")->GetRoutines(), "Put");
        auto Child = TFixture::Named(Fx.Unit->GetClasses()->Find("TChild")->GetRoutines(), "Put");
        ASSERT_EQ(Base.size(), 2u);
        ASSERT_EQ(Child.size(), 1u);
        EXPECT_EQ(TFixture::UsesFrom(Base[0], From), C.ByBaseInteger);
        EXPECT_EQ(TFixture::UsesFrom(Base[1], From), C.ByBaseText);
        EXPECT_EQ(TFixture::UsesFrom(Child[0], From), C.ByOverride);
    }
}

// A body with no declaration waiting for it declares a routine of its own:
// each overload of a program written with its body, and a routine that
// shares its name with one of a used unit.
TEST(Overloads, BodyWithNoDeclarationWaitingDeclaresItsOwnRoutine)
{
    const struct {
        const char* Name;
        const char* Other;
        const char* Program;
        int Routines;
    } Cases[] = {
        {"program overloads", "",
         "function Sum(A: Integer): Integer; overload;\nbegin\n  Result := A;\nend;\n\n"
         "function Sum(A, B: Integer): Integer; overload;\nbegin\n  Result := A + B;\nend;\n\n"
         "begin\n  Sum(Sum(1), 2);\nend.\n",
         2},
        {"a used unit's name", "procedure Log(const S: string);",
         "procedure Log(const S: string; N: Integer);\nbegin\nend;\n\nbegin\n  Log('a', 1);\nend.\n", 1},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        TFixtureUnit Fx;
        const std::string Body = *C.Other ? C.Other + std::string("\nbegin\nend;\n") : "";
        Fx.F.Write("Other.pas", std::string("unit Other;\n\ninterface\n\n") + C.Other +
                                    "\n\nimplementation\n\n" + Body + "\nend.\n");
        Fx.Analyze("Fixture.dpr", std::string("program Fixture;\n\nuses\n  Other;\n\n") + C.Program);
        ASSERT_NE(Fx.Unit, nullptr);
        EXPECT_EQ(Fx.Messages(), "");
        EXPECT_EQ(Fx.Unit->GetRoutines()->GetCount(), C.Routines);
    }
}

// A body heading that writes no parameter list implements the overload that
// has none, wherever that one is declared among the others.
TEST(Overloads, BodyWithoutParameterListBindsToTheParameterlessOverload)
{
    const struct {
        const char* Name;
        const char* Interface;
        const char* Bodies;
        const char* Owner; // the class that declares them, "" for the unit
    } Cases[] = {
        {"method, parameterless declared last",
         "type\n  TOut = class\n  public\n    procedure Off(Chan: Integer); overload;\n"
         "    procedure Off; overload;\n  end;\n",
         "procedure TOut.Off(Chan: Integer);\nbegin\n  if Chan > 0 then Exit;\nend;\n\n"
         "procedure TOut.Off;\nvar\n  Chan: Integer;\nbegin\n  Chan := 1;\n  if Chan > 0 then Exit;\nend;\n",
         "TOut"},
        {"method, parameterless body first",
         "type\n  TOut = class\n  public\n    procedure Off(Chan: Integer); overload;\n"
         "    procedure Off; overload;\n  end;\n",
         "procedure TOut.Off;\nvar\n  Chan: Integer;\nbegin\n  Chan := 1;\n  if Chan > 0 then Exit;\nend;\n\n"
         "procedure TOut.Off(Chan: Integer);\nbegin\n  if Chan > 0 then Exit;\nend;\n",
         "TOut"},
        {"function method with its result type",
         "type\n  TOut = class\n  public\n    function Off(Chan: Integer): string; overload;\n"
         "    function Off: string; overload;\n  end;\n",
         "function TOut.Off(Chan: Integer): string;\nbegin\n  if Chan > 0 then Result := 'a';\nend;\n\n"
         "function TOut.Off: string;\nvar\n  Chan: Integer;\nbegin\n  Chan := 1;\n"
         "  if Chan > 0 then Result := 'b';\nend;\n",
         "TOut"},
        {"routine, parameterless declared first",
         "procedure Off; overload;\nprocedure Off(Chan: Integer); overload;\n",
         "procedure Off(Chan: Integer);\nbegin\n  if Chan > 0 then Exit;\nend;\n\n"
         "procedure Off;\nvar\n  Chan: Integer;\nbegin\n  Chan := 1;\n  if Chan > 0 then Exit;\nend;\n",
         ""},
        {"function, parameterless declared first, result type omitted",
         "function Off: Integer; overload;\nfunction Off(Chan: Integer): Integer; overload;\n",
         "function Off;\nvar\n  Chan: Integer;\nbegin\n  Chan := 1;\n  Result := Chan;\nend;\n\n"
         "function Off(Chan: Integer): Integer;\nbegin\n  Result := Chan;\nend;\n",
         ""},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        TFixture Fx(C.Interface, C.Bodies);
        EXPECT_EQ(Fx.Messages(), "");
        TqlRoutineList* List = *C.Owner ? Fx.Unit->GetClasses()->Find(C.Owner)->GetRoutines()
                                        : Fx.Unit->GetRoutines();
        auto Offs = TFixture::Named(List, "Off");
        ASSERT_EQ(Offs.size(), 2u);
        TqlRoutine* None = Offs[0]->GetParameters()->GetCount() == 0 ? Offs[0] : Offs[1];
        TqlRoutine* One = None == Offs[0] ? Offs[1] : Offs[0];
        ASSERT_EQ(One->GetParameters()->GetCount(), 1);
        // The local is the parameterless body's, used where it is written;
        // the parameter is named in its declaration, its own body's heading
        // and that body only.
        TqlVariable* Local = None->GetVariables()->Find("Chan");
        EXPECT_EQ(Local ? Local->GetUsedBy()->GetCount() : -1, 2);
        EXPECT_EQ(One->GetVariables()->Find("Chan"), nullptr);
        EXPECT_EQ(One->GetParameters()->GetParameters(0)->GetUsedBy()->GetCount(), 3);
        // Each declaration is repeated by one heading.
        for (TqlRoutine* R : {None, One}) {
            int Headings = 0;
            for (int i = 0; i < R->GetUsedBy()->GetCount(); ++i)
                Headings += R->GetUsedBy()->GetLocations(i)->GetIsHeading() ? 1 : 0;
            EXPECT_EQ(Headings, 1) << R->GetParameters()->GetCount() << " parameters";
        }
    }
}

// The overload Delphi 7 takes when several could take the arguments: the
// one that takes each argument nearest.
TEST(Overloads, CallBindsToTheOverloadThatTakesItsArgumentsNearest)
{
    const TCallCase Cases[] = {
        // A character is a Char before it is a string.
        {"Put('x');", "Put", "1 0"},
        {"Put(#9);", "Put", "1 0"},
        {"Put(Ch);", "Put", "1 0"},
        {"Put('xy');", "Put", "0 1"},
        {"Put(Lines.Text);", "Put", "1? 1?"},
        // A Char or a WideChar by the argument's type; a Char widens.
        {"PutChar(Ch);", "PutChar", "1 0"},
        {"PutChar(Wide);", "PutChar", "0 1"},
        {"PutChar('x');", "PutChar", "1 0"},
        {"PutWide(Ch);", "PutWide", "1 0"},
        {"PutWide(Wide);", "PutWide", "1 0"},
        {"Put(Wide);", "Put", "1? 1?"}, // narrowed or made a string: not told
        // The class parameter of the nearest ancestor.
        {"Draw(Square);", "Draw", "0 1"},
        {"Draw(Polygon);", "Draw", "0 1"},
        {"Draw(Circle);", "Draw", "1 0"},
        {"Draw(Shape);", "Draw", "1 0"},
        {"Draw(Lines);", "Draw", "1? 1?"},
        {"Draw(Form);", "Draw", "1? 1?"}, // its ancestors are not known
        {"Fill(Shaped);", "Fill", "1 0"},
        {"Fill(Polygonal);", "Fill", "0 1"},
        // A place every overload gives the same type decides nothing.
        {"if InSet(Wide, ['a'..'z']) then Exit;", "InSet", "0 1"},
        {"if InSet(Ch, ['a']) then Exit;", "InSet", "1 0"},
        {"if InSet(Lines.Text[1], ['a']) then Exit;", "InSet", "1? 1?"},
        // A variable passed by reference is of the parameter's very type.
        {"Split(Lines.Count, Small);", "Split", "1 0 0 0"},
        {"Split(Lines.Count, Count);", "Split", "0 1 0 0"},
        {"Split(Lines.Count, Lines.Count);", "Split", "1? 1? 0 0"},
        {"Split(Ratio, Year, Month, Day);", "Split", "0 0 1 0"},
    };
    const std::string Interface =
        "type\n  TCharSet = set of Char;\n"
        "  TShape = class\n  end;\n  TPolygon = class(TShape)\n  end;\n"
        "  TSquare = class(TPolygon)\n  end;\n  TCircle = class(TShape)\n  end;\n"
        "  TShapeForm = class(TForm)\n  end;\n"
        "  IShape = interface\n  end;\n  IPolygon = interface(IShape)\n  end;\n\n"
        "procedure Put(C: Char); overload;\nprocedure Put(const S: string); overload;\n"
        "procedure PutChar(C: AnsiChar); overload;\nprocedure PutChar(C: WideChar); overload;\n"
        "procedure PutWide(C: WideChar); overload;\nprocedure PutWide(const S: string); overload;\n"
        "procedure Draw(S: TShape); overload;\nprocedure Draw(P: TPolygon); overload;\n"
        "procedure Fill(const S: IShape); overload;\nprocedure Fill(const P: IPolygon); overload;\n"
        "function InSet(C: AnsiChar; const S: TCharSet): Boolean; overload;\n"
        "function InSet(C: WideChar; const S: TCharSet): Boolean; overload;\n"
        "procedure Split(N: Integer; var W: Word); overload;\n"
        "procedure Split(N: Double; var I: Integer); overload;\n"
        "procedure Split(const D: Double; var Y, M, Dd: Word); overload;\n"
        "procedure Split(const D: Double; var Y, M, Dd: Integer); overload;\n";
    const std::string Bodies =
        "procedure Put(C: Char);\nbegin\nend;\n\nprocedure Put(const S: string);\nbegin\nend;\n\n"
        "procedure PutChar(C: AnsiChar);\nbegin\nend;\n\nprocedure PutChar(C: WideChar);\nbegin\nend;\n\n"
        "procedure PutWide(C: WideChar);\nbegin\nend;\n\n"
        "procedure PutWide(const S: string);\nbegin\nend;\n\n"
        "procedure Draw(S: TShape);\nbegin\nend;\n\nprocedure Draw(P: TPolygon);\nbegin\nend;\n\n"
        "procedure Fill(const S: IShape);\nbegin\nend;\n\n"
        "procedure Fill(const P: IPolygon);\nbegin\nend;\n\n"
        "function InSet(C: AnsiChar; const S: TCharSet): Boolean;\nbegin\n  Result := C in S;\nend;\n\n"
        "function InSet(C: WideChar; const S: TCharSet): Boolean;\nbegin\n"
        "  Result := (Ord(C) < 256) and (Char(C) in S);\nend;\n\n"
        "procedure Split(N: Integer; var W: Word);\nbegin\n  W := N;\nend;\n\n"
        "procedure Split(N: Double; var I: Integer);\nbegin\n  I := Round(N);\nend;\n\n"
        "procedure Split(const D: Double; var Y, M, Dd: Word);\nbegin\n  Y := 1; M := 1; Dd := 1;\nend;\n\n"
        "procedure Split(const D: Double; var Y, M, Dd: Integer);\nbegin\n  Y := 1; M := 1; Dd := 1;\nend;\n\n";
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Call);
        TFixture Fx(Interface,
                    Bodies + "procedure Run(Lines: TStrings; Shape: TShape; Polygon: TPolygon;\n"
                             "  Square: TSquare; Circle: TCircle; Form: TShapeForm;\n"
                             "  Shaped: IShape; Polygonal: IPolygon);\nvar\n  Ch: Char;\n  Wide: WideChar;\n"
                             "  Small: Word;\n  Count: Integer;\n  Ratio: Double;\n"
                             "  Year, Month, Day: Word;\nbegin\n  Ch := 'a';\n  Wide := 'b';\n"
                             "  Ratio := 0.5;\n  // call\n  " +
                        std::string(C.Call) + "\nend;\n");
        EXPECT_EQ(TFixture::UsesOfEach(Fx.Unit->GetRoutines(), C.Routine, LineOf(Fx, "// call")),
                  C.Uses);
    }
}

// A call with fewer arguments than parameters may mean an overload whose
// missing parameters have defaults, the first one too; an Integer passes
// where a real number is asked for.
TEST(Overloads, ShortCallsAndIntegersKeepTheirCandidates)
{
    const TCallCase Cases[] = {
        {"Reset;", "Reset", "1 0"},
        {"Reset();", "Reset", "1 0"},
        {"Counter.Reset;", "Reset", "1 0"},
        {"Reset(3);", "Reset", "1 0"},
        {"Reset('three');", "Reset", "0 1"},
        {"Scale(2);", "Scale", "1 0 0"},
        {"Scale(-2);", "Scale", "1 0 0"},
        {"Scale(Count);", "Scale", "1 0 0"},
        {"Scale(Count, Count);", "Scale", "0 1 0"},
        {"Scale(Lines.Count, 2);", "Scale", "0 1 0"},
        {"Scale('two');", "Scale", "0 0 1"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Call);
        TFixture Fx("type\n  TCounter = class\n  public\n"
                    "    procedure Reset(Start: Integer = 0); overload;\n"
                    "    procedure Reset(const Name: string); overload;\n  end;\n\n"
                    "procedure Scale(Factor: Double); overload;\n"
                    "procedure Scale(X: Real; Y: Real); overload;\n"
                    "procedure Scale(const Name: string); overload;\n",
                    "procedure TCounter.Reset(Start: Integer);\nbegin\nend;\n\n"
                    "procedure TCounter.Reset(const Name: string);\nbegin\nend;\n\n"
                    "procedure Scale(Factor: Double);\nbegin\nend;\n\n"
                    "procedure Scale(X: Real; Y: Real);\nbegin\nend;\n\n"
                    "procedure Scale(const Name: string);\nbegin\nend;\n\n"
                    "procedure Run(Lines: TStrings; Counter: TCounter);\nvar\n  Count: Integer;\n"
                    "begin\n  Count := 2;\n  with Counter do\n  begin\n  // call\n  " +
                        std::string(C.Call) + "\n  end;\nend;\n");
        TqlRoutineList* List = std::string(C.Routine) == "Reset"
                                   ? Fx.Unit->GetClasses()->Find("TCounter")->GetRoutines()
                                   : Fx.Unit->GetRoutines();
        EXPECT_EQ(TFixture::UsesOfEach(List, C.Routine, LineOf(Fx, "// call")), C.Uses);
    }
}

// A call that no overload in sight can take calls one the analysis does not
// see (its siblings live in a unit that is not found): it is a use of none
// of them, and its name is one the unit leaves unresolved. Arguments of
// unknown type, a call without an argument list and a routine that is not
// overloaded keep their uses.
TEST(Overloads, CallThatFitsNoVisibleOverloadBindsToNone)
{
    const struct {
        const char* Call;
        const char* Routine;
        const char* Uses;
        bool Unresolved;
    } Cases[] = {
        {"R.A := NtoLE(R.A);", "NtoLE", "0", true}, // a LongWord is no TRec
        {"NtoLE(R);", "NtoLE", "1", false},
        {"NtoLE(Lines.Count);", "NtoLE", "1", false}, // a type not known
        {"NtoLE(R, 1);", "NtoLE", "0", true},
        {"NtoLE();", "NtoLE", "0", true},
        {"NtoLE;", "NtoLE", "1", false},
        {"Flip(R.A);", "Flip", "0", true}, // declared once, without a body
        {"Flip(R);", "Flip", "1", false},
        {"Plain(R.A);", "Plain", "1", false}, // not overloaded
        {"Store(Twin);", "Store", "1", false}, // a new type like TRec
        {"Store(R.A);", "Store", "0", true},
        {"Tag('abcd');", "Tag", "1", false}, // a literal fills an array of characters
        {"Tally(Counter);", "Tally", "1", false}, // a function variable is called
        {"Tally(Finish);", "Tally", "0", true},
        {"Say(Cursor);", "Say", "1", false}, // a PWideChar becomes a string
        {"Say(Chars);", "Say", "1", false},  // and so does an array of characters
        {"Say(Numbers);", "Say", "0", true},
        {"Put(Ratio);", "Put", "0 0", true},
        {"Put(R);", "Put", "0 0", true},
        {"Put(1, 'one');", "Put", "0 0", true},
        {"Put(Count);", "Put", "1 0", false},
        {"Put(Lines.Count);", "Put", "1? 1?", false},
        // What Abs and Succ give follows what they are given.
        {"Put(Abs(Count));", "Put", "1? 1?", false},
        {"Put(Succ(Count));", "Put", "1? 1?", false},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Call);
        TFixture Fx("type\n  TRec = record\n    A: LongWord;\n  end;\n  TTwin = type TRec;\n"
                    "  TTag = packed array[0..3] of Char;\n  TCounter = function: Integer;\n"
                    "  TFinish = procedure;\n\n"
                    "procedure Tally(N: Integer); overload;\n"
                    "procedure Say(const S: WideString); overload;\n"
                    "function NtoLE(var R: TRec): LongWord; overload;\n"
                    "procedure Store(const R: TRec); overload;\n"
                    "procedure Tag(const T: TTag); overload;\n"
                    "procedure Flip(var R: TRec); overload; external 'flip.dll';\n"
                    "procedure Plain(var R: TRec);\n"
                    "procedure Put(Value: Integer); overload;\n"
                    "procedure Put(const S: string); overload;\n",
                    "function NtoLE(var R: TRec): LongWord;\nbegin\n  Result := R.A;\nend;\n\n"
                    "procedure Plain(var R: TRec);\nbegin\n  R.A := 0;\nend;\n\n"
                    "procedure Store(const R: TRec);\nbegin\nend;\n\n"
                    "procedure Tag(const T: TTag);\nbegin\nend;\n\n"
                    "procedure Tally(N: Integer);\nbegin\nend;\n\n"
                    "procedure Say(const S: WideString);\nbegin\nend;\n\n"
                    "procedure Put(Value: Integer);\nbegin\nend;\n\n"
                    "procedure Put(const S: string);\nbegin\nend;\n\n"
                    "procedure Run(Lines: TStrings);\nvar\n  R: TRec;\n  Twin: TTwin;\n  Counter: TCounter;\n  Finish: TFinish;\n"
                    "  Chars: array[0..3] of Char;\n  Numbers: array[0..3] of Integer;\n"
                    "  Count: Integer;\n"
                    "  Ratio: Double;\nbegin\n  Count := 1;\n  Ratio := 0.5;\n  R.A := 1;\n"
                    "  // call\n  " +
                        std::string(C.Call) + "\nend;\n");
        EXPECT_EQ(TFixture::UsesOfEach(Fx.Unit->GetRoutines(), C.Routine, LineOf(Fx, "// call")),
                  C.Uses);
        std::string Upper = C.Routine;
        for (char& Ch : Upper)
            Ch = static_cast<char>(std::toupper(static_cast<unsigned char>(Ch)));
        EXPECT_EQ(Fx.Unit->GetUnresolvedNames().count(Upper) > 0, C.Unresolved);
    }
}

// Shapes of argument that Delphi 7 decides: an enumeration value or an
// array constructor against an open array, the empty constructor against
// a scalar, a character of a string or of a PWideChar, an element of an
// array of an alias type, a routine passed where a procedural type is
// asked for.
TEST(Overloads, CallBindsToTheOverloadDelphiDecidesForTheArgumentsShape)
{
    const TCallCase Cases[] = {
        {"Check(stB);", "Check", "1 0"},
        {"Check(State);", "Check", "1 0"},
        {"Check([stA, stC]);", "Check", "0 1"},
        {"Paint(stB);", "Paint", "1 0"},
        {"Open([]);", "Open", "0 1"},
        {"Open;", "Open", "1 0"},
        {"Find([]);", "Find", "0 1"},
        {"Find('x');", "Find", "1 0"},
        {"if IsIn(Text[1]) then Exit;", "IsIn", "1 0"},
        {"if IsIn(WideText[1]) then Exit;", "IsIn", "0 1"},
        {"if IsIn(Cursor[Index]) then Exit;", "IsIn", "0 1"},
        {"if IsIn(Buffer[Index]) then Exit;", "IsIn", "1 0"},
        {"if IsIn(Lines.Text[1]) then Exit;", "IsIn", "1? 1?"},
        {"Skip(Buffer, IsSpace);", "Skip", "1 0"},
        {"Skip(Buffer, ' ');", "Skip", "0 1"},
        {"Skip(Buffer, Lines.Text);", "Skip", "1? 1?"},
        {"Count := NetworkToHost(Values[Index]);", "NetworkToHost", "1 0"},
        {"Big := NetworkToHost(Big);", "NetworkToHost", "0 1"},
        {"Count := NetworkToHost(Lines.Count);", "NetworkToHost", "1? 1?"},
    };
    const std::string Interface =
        "type\n  TState = (stA, stB, stC);\n  TColour = (clRed, clBlue);\n"
        "  TCharTest = function(C: Char): Boolean;\n  UInt16 = Word;\n"
        "  TWords = array of UInt16;\n\n"
        "procedure Check(S: TState); overload;\n"
        "procedure Check(const A: array of TState); overload;\n"
        "procedure Paint(S: TState); overload;\n"
        "procedure Paint(const A: array of TColour); overload;\n"
        "procedure Open(Mode: Integer = 0); overload;\n"
        "procedure Open(const Names: array of string); overload;\n"
        "procedure Find(const S: string); overload;\n"
        "procedure Find(const Names: array of string); overload;\n"
        "function IsIn(C: Char): Boolean; overload;\n"
        "function IsIn(C: WideChar): Boolean; overload;\n"
        "function IsSpace(C: Char): Boolean;\n"
        "procedure Skip(var P: PChar; Test: TCharTest); overload;\n"
        "procedure Skip(var P: PChar; C: Char); overload;\n"
        "function NetworkToHost(V: UInt16): UInt16; overload;\n"
        "function NetworkToHost(V: LongWord): LongWord; overload;\n";
    const std::string Bodies =
        "procedure Check(S: TState);\nbegin\nend;\n\n"
        "procedure Check(const A: array of TState);\nbegin\nend;\n\n"
        "procedure Paint(S: TState);\nbegin\nend;\n\n"
        "procedure Paint(const A: array of TColour);\nbegin\nend;\n\n"
        "procedure Open(Mode: Integer);\nbegin\nend;\n\n"
        "procedure Open(const Names: array of string);\nbegin\nend;\n\n"
        "procedure Find(const S: string);\nbegin\nend;\n\n"
        "procedure Find(const Names: array of string);\nbegin\nend;\n\n"
        "function IsIn(C: Char): Boolean;\nbegin\n  Result := C = ' ';\nend;\n\n"
        "function IsIn(C: WideChar): Boolean;\nbegin\n  Result := C = ' ';\nend;\n\n"
        "function IsSpace(C: Char): Boolean;\nbegin\n  Result := C = ' ';\nend;\n\n"
        "procedure Skip(var P: PChar; Test: TCharTest);\nbegin\n"
        "  while Test(P^) do\n    Inc(P);\nend;\n\n"
        "procedure Skip(var P: PChar; C: Char);\nbegin\n  while P^ = C do\n    Inc(P);\nend;\n\n"
        "function NetworkToHost(V: UInt16): UInt16;\nbegin\n  Result := Swap(V);\nend;\n\n"
        "function NetworkToHost(V: LongWord): LongWord;\nbegin\n  Result := V;\nend;\n\n";
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Call);
        TFixture Fx(Interface,
                    Bodies + "procedure Run(Lines: TStrings; const Text: string; WideText: WideString;\n"
                             "  Cursor: PWideChar; Buffer: PChar; const Values: TWords);\n"
                             "var\n  State: TState;\n  Index, Count: Integer;\n  Big: LongWord;\nbegin\n"
                             "  State := stA;\n  Index := 0;\n  Count := 0;\n  Big := 0;\n  // call\n  " +
                        std::string(C.Call) + "\nend;\n");
        EXPECT_EQ(TFixture::UsesOfEach(Fx.Unit->GetRoutines(), C.Routine, LineOf(Fx, "// call")),
                  C.Uses);
    }
}

// A routine name that stands for itself where a procedural type is asked
// for (a method assigned to a method pointer, a function passed for a
// parameter of a procedural type) is the overload of that type's
// parameters; where the type does not tell, every overload stays a
// candidate.
TEST(Overloads, RoutineNameBindsToTheOverloadOfTheProceduralTypeAskedFor)
{
    const struct {
        const char* Code;
        const char* Routine;  // "IsWS", "Scan", or a method of TTree
        const char* Uses;
    } Cases[] = {
        {"FNextNodeProc := GetNextChecked;", "GetNextChecked", "1 0"},
        {"FNextNodeProc := GetNextVisible;", "GetNextVisible", "0 1"},
        {"NextNodeProc := GetNextChecked;", "GetNextChecked", "1 0"},
        {"Walker.Proc := GetNextVisible;", "GetNextVisible", "0 1"},
        {"Test := IsWS;", "IsWS", "1 0 0"},
        {"Aliased := IsWS;", "IsWS", "1 0 0"},
        {"WideTest := IsWS;", "IsWS", "0 1 0"},
        {"Skip(P, IsWS);", "IsWS", "1 0 0"},
        {"SkipWide(W, IsWS);", "IsWS", "0 1 0"},
        {"Scan(IsWS);", "IsWS", "1 0 0"},
        {"Scan(IsWS, 2);", "IsWS", "1 0 0"},
        {"Scan(IsWS, 2);", "Scan", "0 1"},
        // The parameter's type differs from overload to overload.
        {"Walk(IsWS);", "IsWS", "1? 1? 1?"},
        // Not a procedural type, or not the whole value.
        {"Anything := @IsWS;", "IsWS", "1? 1? 1?"},
        {"Keep(IsWS);", "IsWS", "1? 1? 1?"},
        // No overload of the type's parameters.
        {"FNextNodeProc := Reset;", "Reset", "1? 1?"},
    };
    const std::string Interface =
        "type\n"
        "  TCharTest = function(C: Char): Boolean;\n"
        "  TWideTest = function(C: WideChar): Boolean;\n"
        "  TTest = TCharTest;\n"
        "  TNodeProc = function(Node: Pointer): Pointer of object;\n\n"
        "  TWalker = class\n  public\n    Proc: TNodeProc;\n  end;\n\n"
        "  TTree = class\n  private\n    FNextNodeProc: TNodeProc;\n"
        "    function GetNextChecked(Node: Pointer): Pointer; overload;\n"
        "    function GetNextChecked(Node: Pointer; Level: Integer): Pointer; overload;\n"
        "    function GetNextVisible(Node: Pointer; Level: Integer): Pointer; overload;\n"
        "    function GetNextVisible(Node: Pointer): Pointer; overload;\n"
        "    procedure Reset(Node: Pointer); overload;\n"
        "    procedure Reset; overload;\n"
        "  public\n"
        "    procedure Run(var P: PChar; var W: PWideChar; Walker: TWalker);\n"
        "    property NextNodeProc: TNodeProc read FNextNodeProc write FNextNodeProc;\n"
        "  end;\n\n"
        "function IsWS(C: Char): Boolean; overload;\n"
        "function IsWS(C: WideChar): Boolean; overload;\n"
        "function IsWS(const S: string; Index: Integer): Boolean; overload;\n"
        "procedure Skip(var P: PChar; Test: TCharTest);\n"
        "procedure SkipWide(var P: PWideChar; Test: TWideTest);\n"
        "procedure Scan(Test: TCharTest); overload;\n"
        "procedure Scan(Test: TCharTest; Limit: Integer); overload;\n"
        "procedure Walk(Test: TCharTest); overload;\n"
        "procedure Walk(Test: TWideTest); overload;\n"
        "procedure Keep(P: Pointer);\n";
    const std::string Bodies =
        "function TTree.GetNextChecked(Node: Pointer): Pointer;\nbegin\n  Result := Node;\nend;\n\n"
        "function TTree.GetNextChecked(Node: Pointer; Level: Integer): Pointer;\nbegin\n"
        "  Result := Node;\nend;\n\n"
        "function TTree.GetNextVisible(Node: Pointer; Level: Integer): Pointer;\nbegin\n"
        "  Result := Node;\nend;\n\n"
        "function TTree.GetNextVisible(Node: Pointer): Pointer;\nbegin\n  Result := Node;\nend;\n\n"
        "procedure TTree.Reset(Node: Pointer);\nbegin\nend;\n\n"
        "procedure TTree.Reset;\nbegin\nend;\n\n"
        "function IsWS(C: Char): Boolean;\nbegin\n  Result := C = ' ';\nend;\n\n"
        "function IsWS(C: WideChar): Boolean;\nbegin\n  Result := C = ' ';\nend;\n\n"
        "function IsWS(const S: string; Index: Integer): Boolean;\nbegin\n"
        "  Result := S[Index] = ' ';\nend;\n\n"
        "procedure Skip(var P: PChar; Test: TCharTest);\nbegin\n  while Test(P^) do\n    Inc(P);\nend;\n\n"
        "procedure SkipWide(var P: PWideChar; Test: TWideTest);\nbegin\n"
        "  while Test(P^) do\n    Inc(P);\nend;\n\n"
        "procedure Scan(Test: TCharTest);\nbegin\nend;\n\n"
        "procedure Scan(Test: TCharTest; Limit: Integer);\nbegin\nend;\n\n"
        "procedure Walk(Test: TCharTest);\nbegin\nend;\n\n"
        "procedure Walk(Test: TWideTest);\nbegin\nend;\n\n"
        "procedure Keep(P: Pointer);\nbegin\nend;\n\n";
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Code);
        TFixture Fx(Interface,
                    Bodies + "procedure TTree.Run(var P: PChar; var W: PWideChar; Walker: TWalker);\n"
                             "var\n  Test: TCharTest;\n  Aliased: TTest;\n  WideTest: TWideTest;\n"
                             "  Anything: Pointer;\nbegin\n  // call\n  " +
                        std::string(C.Code) + "\nend;\n");
        EXPECT_EQ(Fx.Messages(), "");
        auto* Tree = dynamic_cast<TqlClass*>(Fx.Unit->GetClasses()->Find("TTree"));
        ASSERT_NE(Tree, nullptr);
        const bool Global = qlSameText(C.Routine, "IsWS") || qlSameText(C.Routine, "Scan");
        TqlRoutineList* List = Global ? Fx.Unit->GetRoutines() : Tree->GetRoutines();
        EXPECT_EQ(TFixture::UsesOfEach(List, C.Routine, LineOf(Fx, "// call")), C.Uses);
    }
}

// A private method of an ancestor in another unit is out of reach of the
// descendant's code: it is none of the overloads of the descendant's
// method of its name, and an override is of the nearest method in reach.
TEST(Overloads, PrivateMethodOfAnAncestorInAnotherUnitIsNoOverload)
{
    const struct {
        const char* Directives; // of TChild.Foo
        const char* Code;
        const char* ByChild;   // TChild.Foo
        const char* ByParent;  // TParent.Foo(X: Integer), private
    } Cases[] = {
        {"override;", "Keep(@Foo);", "1", "0"},
        {"overload; override;", "Keep(@Foo);", "1", "0"},
        {"override;", "Foo;", "1", "0"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(std::string(C.Directives) + " " + C.Code);
        TFixtureUnit Fx;
        Fx.F.Write("PA.pas", "unit PA;\n\ninterface\n\ntype\n"
                             "  TGrand = class\n  protected\n    procedure Foo; virtual;\n  end;\n\n"
                             "  TParent = class(TGrand)\n  private\n"
                             "    procedure Foo(X: Integer); reintroduce; overload;\n  end;\n\n"
                             "implementation\n\n"
                             "procedure TGrand.Foo;\nbegin\nend;\n\n"
                             "procedure TParent.Foo(X: Integer);\nbegin\nend;\n\nend.\n");
        Fx.Analyze("Fixture.pas",
                   "unit Fixture;\n\ninterface\n\nuses\n  PA;\n\ntype\n"
                   "  TChild = class(TParent)\n  protected\n    procedure Foo; " +
                       std::string(C.Directives) +
                       "\n  public\n    procedure Run;\n  end;\n\n"
                       "procedure Keep(P: Pointer);\n\n"
                       "implementation\n\n"
                       "procedure Keep(P: Pointer);\nbegin\nend;\n\n"
                       "procedure TChild.Foo;\nbegin\nend;\n\n"
                       "procedure TChild.Run;\nbegin\n  // call\n  " +
                       C.Code + "\nend;\n\nend.\n");
        EXPECT_EQ(Fx.Messages(), "");
        TqlUnit* PA = Fx.P->FindUnit("PA");
        ASSERT_NE(PA, nullptr);
        auto* Parent = dynamic_cast<TqlClass*>(PA->GetClasses()->Find("TParent"));
        auto* Child = dynamic_cast<TqlClass*>(Fx.Unit->GetClasses()->Find("TChild"));
        ASSERT_NE(Parent, nullptr);
        ASSERT_NE(Child, nullptr);
        const int From = LineOf(Fx, "// call");
        EXPECT_EQ(TFixture::UsesFrom(Child->GetRoutines()->GetRoutine(0), From), C.ByChild);
        EXPECT_EQ(TFixture::UsesFrom(Parent->GetRoutines()->GetRoutine(0), From), C.ByParent);
    }
}
