// The parser's infrastructure: expectations, reports, the fatal error, the
// skipping of comments and directives, the entry point and the nesting cap.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <fstream>

#include "tests/lexer/test_parserCommon.h"

namespace {

TEST(ParserFramework, CleanUnitHasNoMessages)
{
    auto P = ParsePas("unit U;\ninterface\nuses A, B;\nconst C = 1;\nimplementation\n"
                      "uses D;\nvar X: Integer;\nbegin\n  X := C;\nend.\n");
    EXPECT_TRUE(P->Messages.empty()) << P->MessageText();
    EXPECT_TRUE(P->Entered({"ParseFile", "UnitFile", "InterfaceSection", "UsesClause",
                            "ImplementationSection", "UsesClause", "VarSection",
                            "InitializationSection", "CompoundStatement"}));
}

TEST(ParserFramework, MissingFinalPointReportedOnceAtEndOfText)
{
    auto P = ParsePas("unit U;\ninterface\nimplementation\nend");
    ASSERT_EQ(P->Messages.size(), 1u) << P->MessageText();
    EXPECT_EQ(P->Messages[0].Msg, "Expected 'Point' found ''");
    EXPECT_EQ(P->Messages[0].Y, 3);
    EXPECT_EQ(P->Messages[0].X, 3);
}

TEST(ParserFramework, HeadingOnlyUnitGivesChainOfReportsWithoutException)
{
    auto P = ParsePas("unit U;");
    EXPECT_GE(P->Messages.size(), 3u);
    EXPECT_TRUE(P->HasMessage("Expected 'Interface' found ''"));
    EXPECT_TRUE(P->HasMessage("Expected 'Implementation' found ''"));
    EXPECT_TRUE(P->HasMessage("InvalidInitializationSection found "));
}

TEST(ParserFramework, ExpectedReportsKindNameAndTokenTextWithoutConsuming)
{
    auto P = ParsePas("unit U;\ninterface\nimplementation\nprocedure P;\nbegin\n  X := 1\n"
                      "  Y := 2;\nend;\nend.\n");
    ASSERT_EQ(P->Messages.size(), 1u) << P->MessageText();
    EXPECT_EQ(P->Messages[0].Msg, "Expected 'SemiColon' found 'Y'");
    EXPECT_EQ(P->Messages[0].X, 2);
    EXPECT_EQ(P->Messages[0].Y, 6);
    // Y was not consumed by the report: it starts the next statement.
    EXPECT_EQ(P->Count("SimpleStatement"), 2);
}

TEST(ParserFramework, SemicolonMayBeLeftOutBeforeClosingWords)
{
    auto P = ParsePas(UnitWithStatements(
        "if A then B := 1 else B := 2;\n"
        "try X := 1 except Y := 2 end;\n"
        "try X := 1 finally Y := 2 end;\n"
        "repeat X := 1 until X = 1;\n"
        "F((1))"));
    EXPECT_TRUE(P->Messages.empty()) << P->MessageText();
    auto Q = ParsePas("unit U;\ninterface\nimplementation\ninitialization\nX := 1\n"
                      "finalization\nY := 2\nend.\n");
    EXPECT_TRUE(Q->Messages.empty()) << Q->MessageText();
}

TEST(ParserFramework, CommentsAndDirectivesBetweenTokensAreSkipped)
{
    auto P = ParsePas("unit {a} (*b*) U // c\n;{$R+}{$DEFINE X}\ninterface\n"
                      "{$IFDEF X} const A = 1; {$ELSE} garbage here {$ENDIF}\n"
                      "implementation end.");
    EXPECT_TRUE(P->Messages.empty()) << P->MessageText();
    EXPECT_TRUE(P->Entered({"ConstSection", "ConstantDeclaration"}));
}

TEST(ParserFramework, LongRunsOfCommentsAndBlankLinesCostNoStack)
{
    std::string Src = "unit U;\ninterface\n";
    for (int i = 0; i < 200000; ++i)
        Src += (i % 3 == 0) ? "{c}\n" : (i % 3 == 1) ? "// x\n" : "  \n";
    Src += "implementation\nend.\n";
    auto P = ParsePas(Src);
    EXPECT_TRUE(P->Messages.empty()) << P->MessageText();
}

TEST(ParserFramework, SynErrorNamesTheErrorAndTheToken)
{
    auto P = ParsePas(UnitWithStatements("for I := 1 upto 3 do X := I;"));
    EXPECT_TRUE(P->HasMessage("InvalidForStatement found upto")) << P->MessageText();
}

TEST(ParserFramework, SenderIsTheParserAlsoForLexerMessages)
{
    auto P = ParsePas(UnitWithStatements("X := 1 | 2;"));
    EXPECT_TRUE(P->SenderOk);
    EXPECT_TRUE(P->HasMessage("Unknown Character")) << P->MessageText();
    auto Q = ParsePas(UnitWithStatements("S := 'open"));
    EXPECT_TRUE(Q->SenderOk);
    EXPECT_TRUE(Q->HasMessage("Unterminated string")) << Q->MessageText();
}

TEST(ParserFramework, WithoutHandlerTheParserGoesOnSilently)
{
    TlxSimplePasPar P;
    TlxLexStream S;
    std::istringstream In("unit U; interface implementation begin X := ; end");
    S.LoadFromStream(In);
    EXPECT_NO_THROW(P.Run("", &S));
}

class TExParser : public TRecordingParser {
public:
    void ParseFile() override
    {
        SkipJunk();
        ExpectedEx(ptRead);
        ExpectedEx(ptRead);
    }
};

TEST(ParserFramework, ExpectedExReportsOrIsFatalAtEndOfText)
{
    TExParser P;
    P.ParseText("read unit");
    ASSERT_EQ(P.Messages.size(), 1u);
    EXPECT_EQ(P.Messages[0].Msg, "Expected 'Read' found 'unit'");
    try {
        P.ParseText("Read ");
        FAIL() << "expected ESyntaxError";
    } catch (const ESyntaxError& E) {
        EXPECT_STREQ(E.what(), "Expected 'Read' found 'end of file'");
        EXPECT_EQ(E.Position().X, 5);
    }
}

TEST(ParserFramework, ExpectedExOnlyRunsWhereTheWordIsPresent)
{
    // The grammar calls ExpectedEx only after checking ExID, so texts cut
    // short right after such a word end with reports, not the fatal error.
    EXPECT_NO_THROW(ParsePas("package Pk;\nrequires"));
    EXPECT_NO_THROW(ParsePas(UnitWithStatements("try X := 1; except on")));
    EXPECT_NO_THROW(ParsePas(UnitWithDecls("type T = class private")));
}

class TFatalParser : public TRecordingParser {
public:
    void UnitFile() override { ExpectedFatal(ptProgram); }
};

TEST(ParserFramework, ExpectedFatalRaisesWithPosition)
{
    TFatalParser P;
    try {
        P.ParseText("\n\n   unit U;");
        FAIL() << "expected ESyntaxError";
    } catch (const ESyntaxError& E) {
        EXPECT_STREQ(E.what(), "Expected 'Program' found 'unit'");
        EXPECT_EQ(E.Position().X, 3);
        EXPECT_EQ(E.Position().Y, 2);
    }
}

TEST(ParserFramework, SyntaxErrorConstructors)
{
    ESyntaxError A("msg");
    EXPECT_EQ(A.Position().X, -1);
    EXPECT_EQ(A.Position().Y, -1);
    ESyntaxError B("m", TPoint{4, 7});
    EXPECT_EQ(B.Position().X, 4);
    EXPECT_EQ(B.Position().Y, 7);
    ESyntaxError C = ESyntaxError::CreateFmt("line %d of %s", 12, "x.pas");
    EXPECT_STREQ(C.what(), "line 12 of x.pas");
    EXPECT_EQ(C.Position().X, -1);
    const Exception& Base = C;
    EXPECT_STREQ(Base.what(), "line 12 of x.pas");
}

TEST(ParserFramework, RunOnMissingFileRaisesBeforeParsing)
{
    TRecordingParser P;
    EXPECT_THROW(P.Run("/nonexistent/nowhere.pas", nullptr), Exception);
    EXPECT_TRUE(P.Rules.empty());
}

TEST(ParserFramework, RunLoadsAFile)
{
    std::string Name = ::testing::TempDir() + "parser_run.pas";
    {
        std::ofstream Out(Name, std::ios::binary);
        Out << "program P;\nbegin\nend.\n";
    }
    TRecordingParser P;
    P.Run(Name, nullptr);
    EXPECT_TRUE(P.Messages.empty()) << P.MessageText();
    EXPECT_TRUE(P.Entered({"ProgramFile", "ProgramBlock", "Block", "CompoundStatement"}));
    std::remove(Name.c_str());
}

TEST(ParserFramework, FileKindsAreChosenByTheFirstWord)
{
    EXPECT_TRUE(ParsePas("program P(Input, Output);\nuses A in 'a.pas', B;\nbegin end.")
                    ->Entered({"ProgramFile", "IdentifierList", "MainUsesClause",
                               "MainUsedUnitStatement", "MainUsedUnitExpression"}));
    auto L = ParsePas("library L;\nexports F index 1 name 'f' resident, G;\nbegin end.");
    EXPECT_TRUE(L->Messages.empty()) << L->MessageText();
    EXPECT_TRUE(L->Entered({"LibraryFile", "ProgramBlock", "Block", "ExportsClause",
                            "ExportsElement", "CharString", "ExportsElement"}));
    auto K = ParsePas("package Pk;\nrequires rtl, vcl;\ncontains A in 'a.pas', B;\nend.");
    EXPECT_TRUE(K->Messages.empty()) << K->MessageText();
    EXPECT_TRUE(K->Entered({"PackageFile", "RequiresClause", "RequiresIdentifier",
                            "RequiresIdentifier", "ContainsClause", "ContainsStatement",
                            "ContainsIdentifier", "ContainsExpression", "ContainsStatement"}));
}

TEST(ParserFramework, OtherFilesAreReadAsIncludeFiles)
{
    auto P = ParsePas("X = 5;\nY: Integer = 3;\nsome junk tokens 1 2 + ;\n"
                      "procedure P; begin end;\nconst Z = 1;\ntype T = Integer;\n"
                      "var V: T;\nlabel 10;\nexports P;\n");
    EXPECT_TRUE(P->Messages.empty()) << P->MessageText();
    EXPECT_TRUE(P->Entered({"IncludeFile", "ConstantDeclaration", "ConstantEqual",
                            "ConstantDeclaration", "ConstantColon",
                            "ProcedureDeclarationSection", "ConstSection", "TypeSection",
                            "VarSection", "LabelDeclarationSection", "ExportsClause"}));
}

class TResourceParser : public TRecordingParser {
public:
    void ResourceIncluded(const std::string& FileName) override { Resources.push_back(FileName); }
    std::vector<std::string> Resources;
};

TEST(ParserFramework, ResourceDirectiveReachesResourceIncluded)
{
    TResourceParser P;
    P.ParseText("program P;\n{$R *.res}\n{$R extra.res}\nbegin end.");
    ASSERT_EQ(P.Resources.size(), 2u);
    EXPECT_EQ(P.Resources[0], "*.res");
    EXPECT_EQ(P.Resources[1], "extra.res");
}

TEST(ParserFramework, ParserCanBeRunAgain)
{
    TRecordingParser P;
    P.ParseText("unit U; interface implementation end.");
    EXPECT_TRUE(P.Messages.empty());
    P.ParseText("program Q; begin X := 1 end.");
    EXPECT_TRUE(P.Messages.empty()) << P.MessageText();
    EXPECT_TRUE(P.Entered({"ProgramFile"}));
}

// Deep nesting ends in a clear fatal error, never in a stack overflow.
TEST(ParserFramework, DeepParenthesesGiveNestingError)
{
    std::string Src = UnitWithStatements("X := " + std::string(10000, '(') + "1" +
                                         std::string(10000, ')') + ";");
    TRecordingParser P;
    try {
        P.ParseText(Src);
        FAIL() << "expected ESyntaxError";
    } catch (const ESyntaxError& E) {
        EXPECT_NE(std::string(E.what()).find("Nesting too deep"), std::string::npos);
        EXPECT_EQ(E.Position().Y, 5);
    }
}

TEST(ParserFramework, DeepBlocksAndOtherNestingGiveNestingError)
{
    std::vector<std::string> Sources = {
        UnitWithStatements([] {
            std::string S;
            for (int i = 0; i < 10000; ++i) S += "begin ";
            for (int i = 0; i < 10000; ++i) S += "end ";
            return S;
        }()),
        UnitWithStatements([] {
            std::string S;
            for (int i = 0; i < 10000; ++i) S += "if A then ";
            return S + "X := 1;";
        }()),
        UnitWithStatements([] {
            std::string S = "X := ";
            for (int i = 0; i < 10000; ++i) S += "not ";
            return S + "1;";
        }()),
        UnitWithStatements("X := A" + [] {
            std::string S;
            for (int i = 0; i < 10000; ++i) S += "^.B(1)";
            return S;
        }() + ";"),
        UnitWithDecls("type T = " + [] {
            std::string S;
            for (int i = 0; i < 10000; ++i) S += "array of ";
            return S + "Integer;";
        }()),
        UnitWithDecls("const C: T = " + std::string(10000, '(') + "1" +
                      std::string(10000, ')') + ";"),
        "program P;\n" + [] {
            std::string S;
            for (int i = 0; i < 10000; ++i) S += "procedure Q; ";
            return S;
        }(),
    };
    for (auto& Src : Sources) {
        TRecordingParser P;
        EXPECT_THROW(P.ParseText(Src), ESyntaxError) << Src.substr(0, 120);
    }
}

TEST(ParserFramework, NestingWellBeyondRealCodeIsAccepted)
{
    std::string S;
    for (int i = 0; i < 200; ++i) S += "begin if A then ";
    S += "X := " + std::string(300, '(') + "1" + std::string(300, ')') + ";";
    for (int i = 0; i < 200; ++i) S += " end";
    auto P = ParsePas(UnitWithStatements(S));
    EXPECT_TRUE(P->Messages.empty()) << P->MessageText().substr(0, 500);
    // The cap counts one level per parenthesis.
    auto Q = ParsePas(UnitWithStatements("X := " + std::string(950, '(') + "1" +
                                         std::string(950, ')') + ";"));
    EXPECT_TRUE(Q->Messages.empty());
    EXPECT_THROW(ParsePas(UnitWithStatements("X := " + std::string(1001, '(') + "1" +
                                             std::string(1001, ')') + ";")),
                 ESyntaxError);
}

// Generated code has flat chains far longer than any real nesting: they
// parse whatever their length, at one level of nesting.
TEST(ParserFramework, FlatChainsOfAnyLengthParse)
{
    const int N = 5000;
    auto Join = [&](const std::string& Head, const std::function<std::string(int)>& Item,
                    const std::string& Tail) {
        std::string S = Head;
        for (int I = 0; I < N; ++I)
            S += Item(I);
        return S + Tail;
    };
    const struct {
        const char* Behaviour;
        std::string Statements;
    } Cases[] = {
        {"indexed terms", Join("X := a[0]", [](int I) { return " + a[" + std::to_string(I + 1) + "]"; }, ";")},
        {"indexed terms through a dotted name",
         Join("X := R.A[0]", [](int I) { return " + R.A[" + std::to_string(I + 1) + "]"; }, ";")},
        {"else if", Join("if X = 0 then Y := 0", [](int I) {
             const std::string V = std::to_string(I + 1);
             return "\n  else if X = " + V + " then Y := " + V;
         }, "\n  else Y := -1;")},
        {"else if with blocks", Join("if X = 0 then begin Y := 0 end", [](int I) {
             return " else if X = " + std::to_string(I + 1) + " then begin Y := a[1] end";
         }, ";")},
        {"case labels", Join("case X of\n", [](int I) {
             return "    " + std::to_string(I) + ": Y := a[" + std::to_string(I) + "];\n";
         }, "  else Y := 0;\n  end;")},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Behaviour);
        std::unique_ptr<TRecordingParser> P;
        EXPECT_NO_THROW(P = ParsePas(UnitWithStatements(C.Statements)));
        if (P) {
            EXPECT_TRUE(P->Messages.empty()) << P->MessageText().substr(0, 500);
        }
    }
    // Real nesting keeps its clear error: then-branches nest, else-ifs do not.
    EXPECT_THROW(ParsePas(UnitWithStatements(Join("", [](int) { return "if A then "; }, "X := 1;"))),
                 ESyntaxError);
    EXPECT_THROW(ParsePas(UnitWithStatements(Join("X := ", [](int) { return "a["; }, "1") +
                                             std::string(N, ']') + ";")),
                 ESyntaxError);
}

} // namespace
