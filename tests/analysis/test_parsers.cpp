// Edge cases of the parser chain over small generated projects.
#include "AnalysisTestSupport.h"
#include "analysis/uqlPreprocessImpl.h"

namespace {

bool AnyMessageContains(TStandInProject* P, const std::string& Part)
{
    for (const std::string& M : P->MessageTexts())
        if (M.find(Part) != std::string::npos)
            return true;
    return false;
}

} // namespace

TEST(UnitParser, IncludeCyclesStopWithAMessage)
{
    TTempFolder T;
    // Include names are taken relative to the unit's folder.
    T.Write("inc/A.inc", "{$I INC\\b.inc}\nconst CA = 1;\n");
    T.Write("inc/b.inc", "{$I .\\inc\\a.INC}\nconst CB = 2;\n");
    T.Write("inc/self.inc", "{$I inc/SELF.inc}\nconst CS = 3;\n");
    const std::string Main = T.Write("Prog.dpr", "program Prog;\n{$I inc\\a.inc}\n{$I inc\\self.inc}\nbegin\nend.\n");
    TAnalysisScope P;
    P->Analyze(Main, true);
    EXPECT_TRUE(AnyMessageContains(P.get(), "includes itself"));
    TqlUnit* U = P->FindUnit("Prog");
    ASSERT_NE(U, nullptr);
    EXPECT_NE(U->GetConstants()->Find("CA"), nullptr);
    EXPECT_NE(U->GetConstants()->Find("CB"), nullptr);
    EXPECT_NE(U->GetConstants()->Find("CS"), nullptr);
}

TEST(UnitParser, MissingIncludeFileIsReportedAtItsPosition)
{
    TTempFolder T;
    const std::string Main = T.Write("Prog.dpr", "program Prog;\n  {$I nothere}\nbegin\nend.\n");
    TAnalysisScope P;
    P->Analyze(Main, true);
    ASSERT_TRUE(P->HasMessage("Include file, nothere, does not exist."));
    Ref<IqlMessage> M = P->GetMessages()->GetItems(0);
    EXPECT_EQ(M->GetCodeLocation()->GetY(), 2);
}

TEST(ClassParser, SelfAndCyclicAncestorsAreRefused)
{
    TTempFolder T;
    const std::string Main = T.Write("U.pas",
                                     "unit U;\ninterface\ntype\n  TFoo = class(TFoo)\n  end;\n"
                                     "  TA = class;\n  TB = class(TA)\n  end;\n  TA = class(TB)\n  end;\n"
                                     "implementation\nend.\n");
    TAnalysisScope P;
    P->Analyze(Main, true);
    TqlUnit* U = P->FindUnit("U");
    ASSERT_NE(U, nullptr);
    TqlClass* Foo = U->GetClasses()->Find("TFoo");
    ASSERT_NE(Foo, nullptr);
    EXPECT_EQ(Foo->GetInheritsFromClass(), nullptr);
    EXPECT_TRUE(P->HasMessage("Class, TFoo, is its own ancestor."));
    TqlClass* A = U->GetClasses()->Find("TA");
    TqlClass* B = U->GetClasses()->Find("TB");
    ASSERT_TRUE(A && B);
    EXPECT_EQ(B->GetInheritsFromClass(), A);
    EXPECT_EQ(A->GetInheritsFromClass(), nullptr);
    EXPECT_TRUE(P->HasMessage("Class, TA, is its own ancestor."));
    EXPECT_EQ(A->GetY(), 9) << "the full declaration gives the position";
    // Lookups through the classes end.
    EXPECT_EQ(A->FindSymbol(U, nullptr, "Nothing"), nullptr);
}

TEST(UnitParser, BareNameMetBeforeTheMainFilesInPathStillFindsTheFile)
{
    TTempFolder T;
    T.Write("A.pas", "unit A;\ninterface\nuses B;\nvar VA: TB;\nimplementation\nend.\n");
    T.Write("Sub/b.PAS", "unit B;\ninterface\ntype TB = Integer;\nimplementation\nend.\n");
    const std::string Main =
        T.Write("Prog.dpr", "program Prog;\nuses\n  A,\n  B in 'SUB\\B.pas';\nbegin\nend.\n");
    TAnalysisScope P;
    P->Analyze(Main, true);
    TqlUnit* B = P->FindUnit("B");
    ASSERT_NE(B, nullptr);
    EXPECT_EQ(P->CountUnitsWithFile("b.PAS"), 1);
    EXPECT_EQ(B->ParserState, psrFull);
    TqlVariable* VA = P->FindUnit("A")->GetVariables()->Find("VA");
    ASSERT_NE(VA, nullptr);
    ASSERT_NE(VA->GetTypeIntf(), nullptr);
    EXPECT_EQ(VA->GetTypeIntf()->GetName(), "TB");
}

TEST(UnitParser, AliasAndOwnNameGiveOneUnit)
{
    TTempFolder T;
    T.Write("real.pas", "unit Real;\ninterface\nconst R = 1;\nimplementation\nend.\n");
    const std::string Main = T.Write("Prog.dpr", "program Prog;\nuses Nick, Real;\nbegin\nend.\n");
    TAnalysisScope P;
    P->Aliases.push_back("Nick=Real");
    P->Analyze(Main, true);
    EXPECT_EQ(P->CountUnitsWithFile("real.pas"), 1);
    TqlUsedUnitList* Used = P->FindUnit("Prog")->GetUsedUnits();
    ASSERT_GE(Used->GetCount(), 2);
    EXPECT_EQ(Used->GetUsedUnit(Used->GetCount() - 1)->GetUnit(),
              Used->GetUsedUnit(Used->GetCount() - 2)->GetUnit());
}

TEST(UnitParser, ImplementationDeclarationsAreNotVisibleToOtherUnits)
{
    TTempFolder T;
    T.Write("u1.pas", "unit U1;\ninterface\ntype TPub = Integer;\nimplementation\n"
                      "type TPriv = Integer;\n  THidden = class\n  end;\nvar VPriv: Integer;\nend.\n");
    T.Write("u2.pas", "unit U2;\ninterface\nuses U1;\nimplementation\nvar X: TPriv;\n  Y: TPub;\n"
                      "type TZ = class(THidden)\n  end;\nend.\n");
    const std::string Main = T.Write("Prog.dpr", "program Prog;\nuses U1, U2;\nbegin\nend.\n");
    TAnalysisScope P;
    P->Analyze(Main, true);
    EXPECT_TRUE(P->HasMessage("Type, TPriv, not found in project"));
    EXPECT_FALSE(P->HasMessage("Type, TPub, not found in project"));
    TqlUnit* U1 = P->FindUnit("U1");
    TqlUnit* U2 = P->FindUnit("U2");
    EXPECT_EQ(U1->GetVariables()->Find("VPriv")->GetVisibility(), vkImplementation);
    EXPECT_EQ(U1->FindSymbol(U2, nullptr, "VPriv"), nullptr);
    EXPECT_EQ(U1->FindSymbol(U2, nullptr, "TPriv"), nullptr);
    EXPECT_EQ(U2->GetClasses()->Find("TZ")->GetInheritsFromClass(), nullptr);
    EXPECT_NE(U2->Warnings.Bits(), 0u);
}

namespace {

// Records what each designator's first identifier resolves to.
class TProbeParser : public TAnalyzeParser {
public:
    using TAnalyzeParser::TAnalyzeParser;
    std::vector<TqlSymbol*>* Seen = nullptr;
    TqlSymbol* ResolveDesignator(TqlSymbol* Context) override
    {
        if (GetTokenID() == ptIdentifier && Seen)
            Seen->push_back(FindSymbol(Token(), true, false, MakeUsedByInfo()));
        return TAnalyzeParser::ResolveDesignator(Context);
    }
};

} // namespace

TEST(RoutineParser, RecursiveCallIsACallNotTheResultVariable)
{
    TTempFolder T;
    const std::string Main = T.Write(
        "Prog.dpr", "program Prog;\nfunction Foo(X: Integer): Integer;\nbegin\n"
                    "  if X > 0 then\n    Foo := Foo(X - 1)\n  else\n    Foo := 0;\nend;\nbegin\nend.\n");
    std::vector<TqlSymbol*> Seen;
    TAnalysisScope P;
    P->Factory = [&Seen](const std::string& File) {
        auto Parser = std::make_unique<TProbeParser>(File, GlobalDirectiveHash, GlobalKeyHashTable,
                                                     nullptr);
        Parser->Seen = &Seen;
        return std::unique_ptr<TAnalyzeParser>(std::move(Parser));
    };
    P->Analyze(Main, true);
    TqlRoutine* Foo = P->FindUnit("Prog")->GetRoutines()->Find("Foo");
    ASSERT_NE(Foo, nullptr);
    std::vector<TqlSymbol*> Foos;
    for (TqlSymbol* S : Seen)
        if (S && S->GetName() == "Foo")
            Foos.push_back(S);
    ASSERT_EQ(Foos.size(), 3u);
    EXPECT_EQ(Foos[0], Foo->GetRoutineType()) << "Foo := assigns the result";
    EXPECT_EQ(Foos[1], Foo) << "Foo(X - 1) is a recursive call";
    EXPECT_EQ(Foos[2], Foo->GetRoutineType());
}

TEST(RoutineParser, HeadingsParametersAndOverloads)
{
    TTempFolder T;
    const std::string Main = T.Write(
        "u.pas",
        "unit U;\ninterface\nfunction F(A: Integer): Integer;\n"
        "procedure P(I: Integer); overload;\nprocedure P(S: string); overload;\n"
        "procedure Q(X: Integer);\nthreadvar TV1, TV2: Integer;\n"
        "type TR = record\n  A, B: Integer;\n end;\nvar V: record X: Integer; end;\nimplementation\n"
        "function F(A: Integer): Integer;\nbegin\nend;\n"
        "procedure P(I: Integer);\nbegin\nend;\nprocedure P(S: string);\nbegin\nend;\n"
        "procedure Q(Y: Integer);\nbegin\n  try\n  except\n    on Exception do ;\n  end;\nend;\nend.\n");
    TAnalysisScope P;
    P->Analyze(Main, true);
    TqlUnit* U = P->FindUnit("U");
    TqlRoutine* F = U->GetRoutines()->Find("F");
    ASSERT_NE(F, nullptr);
    ASSERT_NE(F->GetReturnType(), nullptr);
    EXPECT_EQ(F->GetReturnType()->GetName(), "Result");
    EXPECT_EQ(F->GetReturnType()->GetTypeIntf()->GetName(), "Integer");
    ASSERT_NE(F->GetRoutineType(), nullptr);
    EXPECT_EQ(F->GetRoutineType()->GetName(), "F");
    EXPECT_EQ(F->GetRoutineType()->GetTypeIntf()->GetName(), "Integer");
    // The string implementation binds to the second overload.
    TqlRoutine* P1 = U->GetRoutines()->GetRoutine(1);
    TqlRoutine* P2 = U->GetRoutines()->GetRoutine(2);
    // Heading and implementation each record a use of the parameter.
    EXPECT_EQ(P1->GetParameters()->GetParameters(0)->GetUsedBy()->GetCount(), 2);
    EXPECT_EQ(P2->GetParameters()->GetParameters(0)->GetUsedBy()->GetCount(), 2);
    EXPECT_FALSE(P->HasMessage("Parameter, S, not found."));
    EXPECT_FALSE(P->HasMessage("Parameter, I, not found."));
    EXPECT_TRUE(P->HasMessage("Parameter, Y, not found."));
    EXPECT_TRUE(U->GetVariables()->Find("TV1")->GetIsThreadVar());
    EXPECT_TRUE(U->GetVariables()->Find("TV2")->GetIsThreadVar());
    TqlRecord* TR = U->GetRecords()->Find("TR");
    ASSERT_NE(TR, nullptr);
    EXPECT_EQ(TR->GetFieldList()->Find("B")->GetX(), 6);
    EXPECT_EQ(TR->GetFieldList()->Find("B")->GetTypeIntf()->GetName(), "Integer");
    EXPECT_NE(U->GetRecords()->Find("record"), nullptr);
    // "on Exception do" names a class; it declares no variable.
    TqlRoutine* Q = U->GetRoutines()->Find("Q");
    EXPECT_EQ(Q->GetVariables()->GetCount(), 0);
}

TEST(UnitParser, ImplicitUnitsAndIndentation)
{
    TTempFolder T;
    T.Write("SysInit.pas", "unit SysInit;\ninterface\nimplementation\nend.\n");
    const std::string Main = T.Write("u.pas", "  unit U;\ninterface\nimplementation\nend.\n");
    TAnalysisScope P;
    P->Analyze(Main, true);
    TqlUnit* S = P->FindUnit("SysInit");
    ASSERT_NE(S, nullptr);
    std::vector<std::string> Names;
    for (int i = 0; i < S->GetUsedUnits()->GetCount(); ++i)
        Names.push_back(S->GetUsedUnits()->GetUsedUnit(i)->GetUnit()->GetName());
    EXPECT_EQ(Names, (std::vector<std::string>{"QuilletSystem", "System"}));
    EXPECT_EQ(P->FindUnit("U")->GetCodingErrorsList()->GetCount(), 1);
}

TEST(UnitParser, ForeignRootedInPathsAreNotFound)
{
    TTempFolder T;
    const std::string Main = T.Write(
        "Prog.dpr", "program Prog;\nuses\n  X in 'C:\\Src\\X.pas',\n  Y in '\\\\server\\share\\Y.pas';\nbegin\nend.\n");
    TAnalysisScope P;
    P->Analyze(Main, true);
    TqlUnit* X = P->FindUnit("X");
    ASSERT_NE(X, nullptr);
    EXPECT_FALSE(P->GetFileNames()->GetItems(X->GetFileIndex())->Exists);
    EXPECT_EQ(X->ParserState, psrNone);
}

TEST(UnitParser, DeepInterfaceChainsDoNotExhaustTheStack)
{
    TTempFolder T;
    const int N = 600;
    for (int i = 0; i < N; ++i) {
        std::string Text = "unit U" + std::to_string(i) + ";\ninterface\n";
        if (i + 1 < N)
            Text += "uses U" + std::to_string(i + 1) + ";\n";
        Text += "type T" + std::to_string(i) + " = Integer;\nimplementation\nend.\n";
        T.Write("u" + std::to_string(i) + ".pas", Text);
    }
    const std::string Main = T.Write("Prog.dpr", "program Prog;\nuses U0;\nvar V: T0;\nbegin\nend.\n");
    TAnalysisScope P;
    P->Analyze(Main, true);
    for (int i = 0; i < N; ++i) {
        TqlUnit* U = P->FindUnit("U" + std::to_string(i));
        ASSERT_NE(U, nullptr) << i;
        EXPECT_EQ(U->ParserState, psrFull) << i;
    }
    EXPECT_TRUE(P->MessageTexts().empty());
}

TEST(UnitParser, IncludeWithoutExtensionAndMessagesInsideIncludes)
{
    TTempFolder T;
    T.Write("Parts.pas", "const InPart = 1;\nvar Broken: TNoSuchType;\n");
    const std::string Main = T.Write("Prog.dpr", "program Prog;\n{$I parts}\nbegin\nend.\n");
    TAnalysisScope P;
    P->Analyze(Main, true);
    EXPECT_NE(P->FindUnit("Prog")->GetConstants()->Find("InPart"), nullptr);
    ASSERT_TRUE(P->HasMessage("Type, TNoSuchType, not found in project"));
    Ref<IqlMessage> M = P->GetMessages()->GetItems(0);
    TqlSourceFile* F = P->GetFileNames()->GetItems(M->GetCodeLocation()->GetFileIndex());
    EXPECT_EQ(qlExtractFileName(F->GetFullFileName()), "Parts.pas");
    EXPECT_EQ(M->GetCodeLocation()->GetY(), 2);
    EXPECT_EQ(M->GetCodeLocation()->GetX(), 13);
}

TEST(UnitParser, UnitsUsingEachOtherInTheirInterfacesParseOnce)
{
    TTempFolder T;
    T.Write("a.pas", "unit A;\ninterface\nuses B;\ntype TA = Integer;\nimplementation\nend.\n");
    T.Write("b.pas", "unit B;\ninterface\nuses A;\ntype TB = Integer;\nimplementation\nend.\n");
    const std::string Main = T.Write("Prog.dpr", "program Prog;\nuses A;\nbegin\nend.\n");
    TAnalysisScope P;
    P->Analyze(Main, true);
    TqlUnit* A = P->FindUnit("A");
    TqlUnit* B = P->FindUnit("B");
    ASSERT_TRUE(A && B);
    EXPECT_EQ(A->GetTypes()->GetCount(), 1);
    EXPECT_EQ(B->GetTypes()->GetCount(), 1);
    EXPECT_EQ(A->ParserState, psrFull);
    EXPECT_EQ(B->ParserState, psrFull);
    EXPECT_EQ(P->CountUnitsWithFile("a.pas"), 1);
    EXPECT_TRUE(P->MessageTexts().empty());
}

TEST(UnitParser, SyntaxProblemsMarkTheirSection)
{
    TTempFolder T;
    const std::string Main = T.Write(
        "u.pas", "unit U;\ninterface\nimplementation\nvar V: TUnknownType;\nend.\n");
    TAnalysisScope P;
    P->Analyze(Main, true);
    TqlUnit* U = P->FindUnit("U");
    EXPECT_FALSE(U->Warnings.Contains(uwInterface));
    EXPECT_TRUE(U->Warnings.Contains(uwImplementation));
    ASSERT_TRUE(P->HasMessage("Type, TUnknownType, not found in project"));
    EXPECT_FALSE(P->GetMessages()->GetItems(0)->GetInterfaceSection());
    EXPECT_EQ(P->GetMessages()->GetItems(0)->GetCodeLocation()->GetY(), 4);
}

TEST(Preprocessor, SameFileNameScansOnce)
{
    TTempFolder T;
    const std::string F = T.Write("p.dpr", "program P;\nuses A;\nbegin\nend.\n");
    Ref<TVxPreProcessorInfo> Info(new TVxPreProcessorInfo);
    Info->SetFileName(F);
    ASSERT_EQ(Info->GetUsedUnitCount(), 1);
    T.Write("p.dpr", "program P;\nuses A, B;\nbegin\nend.\n");
    Info->SetFileName(F);
    EXPECT_EQ(Info->GetUsedUnitCount(), 1);
    Info->SetFileName(T.Path() + "/missing.dpr");
    EXPECT_EQ(Info->GetUsedUnitCount(), 0);
}

TEST(ObjectParser, ObjectsInheritFromObjects)
{
    TTempFolder T;
    const std::string Main = T.Write(
        "u.pas", "unit U;\ninterface\ntype\n  TBase = object\n    A: Integer;\n  end;\n"
                 "  TDerived = object(TBase)\n  private\n    B: Integer;\n  public\n    procedure P;\n  end;\n"
                 "  TLoop = object(TLoop)\n  end;\nimplementation\nprocedure TDerived.P;\nbegin\nend;\nend.\n");
    TAnalysisScope P;
    P->Analyze(Main, true);
    TqlUnit* U = P->FindUnit("U");
    TqlClass* Base = U->GetObjects()->Find("TBase");
    TqlClass* Derived = U->GetObjects()->Find("TDerived");
    ASSERT_TRUE(Base && Derived);
    EXPECT_EQ(Derived->GetInheritsFromClass(), Base);
    EXPECT_EQ(Base->GetDescendants()->GetCount(), 1);
    EXPECT_EQ(Derived->GetFieldList()->Find("B")->GetVisibility(), vkPrivate);
    EXPECT_EQ(Derived->GetRoutines()->Find("P")->GetVisibility(), vkPublic);
    // The implementation heading is the method's one use, marked as such.
    ASSERT_EQ(Derived->GetRoutines()->Find("P")->GetUsedBy()->GetCount(), 1);
    EXPECT_TRUE(Derived->GetRoutines()->Find("P")->GetUsedBy()->GetLocations(0)->GetIsHeading());
    EXPECT_EQ(U->GetObjects()->Find("TLoop")->GetInheritsFromClass(), nullptr);
    EXPECT_TRUE(P->HasMessage("Class, TLoop, is its own ancestor."));
}

TEST(ClassParser, ClassReferencesPropertiesAndVisibilityWords)
{
    TTempFolder T;
    const std::string Main = T.Write(
        "u.pas",
        "unit U;\ninterface\ntype\n  TFooClass = class of TFoo;\n  TFoo = class\n"
        "  strict private\n    FItems: array of Integer;\n    function GetItem(I: Integer): Integer;\n"
        "  public\n    private: Integer;\n    property Items[I: Integer]: Integer read GetItem; default;\n"
        "  end;\nimplementation\nfunction TFoo.GetItem(I: Integer): Integer;\nbegin\nend;\nend.\n");
    TAnalysisScope P;
    P->Analyze(Main, true);
    TqlUnit* U = P->FindUnit("U");
    TqlClass* Foo = U->GetClasses()->Find("TFoo");
    ASSERT_NE(Foo, nullptr);
    EXPECT_EQ(U->GetClasses()->GetCount(), 1) << "the forward class made by the reference is completed";
    EXPECT_EQ(Foo->GetY(), 5);
    TqlSymbol* Ref = U->GetTypes()->Find("TFooClass");
    ASSERT_NE(Ref, nullptr);
    EXPECT_EQ(Ref->GetTypeIntf(), Foo);
    EXPECT_EQ(Foo->GetFieldList()->Find("FItems")->GetVisibility(), vkStrictPrivate);
    EXPECT_EQ(Foo->GetRoutines()->Find("GetItem")->GetVisibility(), vkStrictPrivate);
    TqlVariable* Private = Foo->GetFieldList()->Find("private");
    ASSERT_NE(Private, nullptr) << "a visibility word followed by ':' is a field";
    EXPECT_EQ(Private->GetVisibility(), vkPublic);
    TqlProperty* Items = Foo->GetProperties()->Find("Items");
    ASSERT_NE(Items, nullptr);
    EXPECT_TRUE(Items->GetIsArrayProperty());
    EXPECT_EQ(Foo->GetDefaultProperty(), Items);
    EXPECT_EQ(Items->GetReadAccess(), Foo->GetRoutines()->Find("GetItem"));
    ASSERT_EQ(Foo->GetVisibilitySpecifierCount(), 2);
    EXPECT_EQ(Foo->GetVisibilitySpecifierLine(0), 6) << "the line after the word, counted from 0";
    EXPECT_EQ(Foo->GetVisibilitySpecifierVisibility(1), vkPublic);
    EXPECT_TRUE(P->MessageTexts().empty());
}

// An include file is read once and its text serves every inclusion, small or
// large (a large one through pages mapped afresh for each): each inclusion
// declares what it holds, messages point into it, and the next analysis reads
// the file anew.
TEST(UnitParser, IncludedTextServesEveryInclusion)
{
    for (const size_t Padding : {size_t(0), size_t(6000), size_t(300000)}) {
        TTempFolder T;
        std::string Pad;
        while (Pad.size() < Padding)
            Pad += "// a padding line of the include text\n";
        const int BrokenLine = 2 + int(std::count(Pad.begin(), Pad.end(), '\n'));
        // Both inclusions start with the same word at the same place.
        T.Write("c.inc", "const {$IFDEF SECOND}CB = 2;{$ELSE}CA = 1;{$ENDIF}\n" + Pad +
                             "{$IFDEF SECOND}var B2: TNoType2;{$ELSE}var B1: TNoType1;{$ENDIF}\n");
        const std::string Main =
            T.Write("Prog.dpr", "program Prog;\n{$I c.inc}\n{$DEFINE SECOND}\n{$I c.inc}\nbegin\nend.\n");
        {
            TAnalysisScope P;
            P->Analyze(Main, true);
            TqlUnit* U = P->FindUnit("Prog");
            ASSERT_NE(U, nullptr);
            EXPECT_NE(U->GetConstants()->Find("CA"), nullptr) << Padding;
            EXPECT_NE(U->GetConstants()->Find("CB"), nullptr) << Padding;
            for (const char* Type : {"TNoType1", "TNoType2"})
                EXPECT_TRUE(P->HasMessage(std::string("Type, ") + Type + ", not found in project")) << Type;
            int InInclude = 0;
            for (int I = 0; I < P->GetMessages()->GetCount(); ++I) {
                const TqlCodeLocation* L = P->GetMessages()->GetItems(I)->GetCodeLocation();
                TqlSourceFile* F = P->GetFileNames()->GetItems(L->GetFileIndex());
                if (qlExtractFileName(F->GetFullFileName()) == "c.inc") {
                    ++InInclude;
                    EXPECT_EQ(L->GetY(), BrokenLine) << Padding;
                }
            }
            EXPECT_EQ(InInclude, 2) << Padding;
            EXPECT_EQ(P->GetMessages()->GetCount(), 2) << Padding;
        }
        T.Write("c.inc", "const CC = 3;\n" + Pad);
        TAnalysisScope P;
        P->Analyze(Main, true);
        TqlUnit* U = P->FindUnit("Prog");
        ASSERT_NE(U, nullptr);
        EXPECT_NE(U->GetConstants()->Find("CC"), nullptr) << Padding;
        EXPECT_EQ(U->GetConstants()->Find("CA"), nullptr) << Padding;
    }
}

TEST(UnitParser, SharedIncludeFilesGiveEachUnitWhatAScanGives)
{
    // A project include in a shared folder, met by every unit: its nested
    // include is found beside the shared file, and a local one beside each
    // unit (another file per folder, and none beside UC). Each unit must get
    // the symbols of its own files, and the missing file one message.
    TTempFolder T;
    T.Write("shared/Project.inc",
            "{ project settings }\n{$I Compilers.inc}\n{$IFDEF DELPHI7_UP}{$DEFINE HAS_X}{$ENDIF}\n"
            "{$I Local.inc}\n{$IFDEF LOCAL_A}{$DEFINE HAS_A}{$ENDIF}\n");
    T.Write("shared/Compilers.inc", "{$IFNDEF COMPILERS_INC}{$DEFINE COMPILERS_INC}{$DEFINE DELPHI7_UP}{$ENDIF}\n");
    T.Write("a/Local.inc", "{$DEFINE LOCAL_A}\n");
    T.Write("b/Local.inc", "{$DEFINE LOCAL_B}\n");
    const std::vector<std::pair<std::string, std::string>> Units = {
        {"a", "UA1"}, {"b", "UB"}, {"a", "UA2"}, {"b", "UB2"}, {"c", "UC"}, {"a", "UA3"}};
    std::string Uses;
    for (const auto& [Folder, Name] : Units) {
        T.Write(Folder + "/" + Name + ".pas",
                "unit " + Name + ";\n{$I ..\\shared\\Project.inc}\ninterface\nconst\n"
                "{$IFDEF HAS_X} X_" + Name + " = 1; {$ENDIF}\n{$IFDEF HAS_A} A_" + Name + " = 1; {$ENDIF}\n"
                "{$IFDEF LOCAL_B} B_" + Name + " = 1; {$ENDIF}\nimplementation\nend.\n");
        Uses += (Uses.empty() ? "" : ", ") + Name + " in '" + Folder + "\\" + Name + ".pas'";
    }
    const std::string Main = T.Write("Prog.dpr", "program Prog;\nuses " + Uses + ";\nbegin\nend.\n");
    TAnalysisScope P;
    P->Analyze(Main, true);
    for (const auto& [Folder, Name] : Units) {
        TqlUnit* U = P->FindUnit(Name);
        ASSERT_NE(U, nullptr) << Name;
        EXPECT_NE(U->GetConstants()->Find("X_" + Name), nullptr) << Name;
        EXPECT_EQ(U->GetConstants()->Find("A_" + Name) != nullptr, Folder == "a") << Name;
        EXPECT_EQ(U->GetConstants()->Find("B_" + Name) != nullptr, Folder == "b") << Name;
    }
    int Missing = 0;
    for (const std::string& M : P->MessageTexts())
        Missing += M.find("Local.inc") != std::string::npos;
    EXPECT_EQ(Missing, 1);
}
