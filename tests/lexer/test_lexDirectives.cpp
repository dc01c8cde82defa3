// Compiler directives: conditional compilation, defines, switches, include
// files and the other directive events.
#include "lexer/lxCompilerConditions.h"
#include "lexer/lxPasLex.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Significant tokens of Text with directives acted on, joined by blanks.
struct Harness {
    TlxPasLex Lex;
    std::vector<std::string> Messages;
    std::vector<std::string> Invalid;
    std::string Text;

    explicit Harness(std::vector<std::string> Defines = {})
    {
        for (const std::string& D : Defines)
            Lex.DefinedList()->AddSorted(D);
        Lex.SetOnMessage([this](void*, const std::string& Msg, int, int) { Messages.push_back(Msg); });
        Lex.SetOnInvalidDirect(
            [this](TlxBasePasLex*, const std::string& T) { Invalid.push_back(T); });
    }
    std::string Tokens(const std::string& Source)
    {
        Text = Source;
        Lex.SetOrigin(Text.c_str(), int(Text.size()));
        if (Lex.GetIsJunk())
            Lex.NextNoJunk();
        std::string Out;
        for (int Guard = 0; Lex.TokenID() != ptNull && Guard < 100000; ++Guard) {
            Out += (Out.empty() ? "" : " ") + Lex.GetToken();
            Lex.NextNoJunk();
        }
        return Out;
    }
};

std::string Tokens(const std::string& Source, std::vector<std::string> Defines = {})
{
    Harness R(std::move(Defines));
    return R.Tokens(Source);
}

TEST(LexDirectives, IfDefElse)
{
    const std::string S = "{$IFDEF X} a {$ELSE} b {$ENDIF} c";
    EXPECT_EQ(Tokens(S, {"X"}), "a c");
    EXPECT_EQ(Tokens(S), "b c");
    EXPECT_EQ(Tokens(S, {"x"}), "a c"); // case-insensitive
    EXPECT_EQ(Tokens("{$IFNDEF X} a {$ELSE} b {$ENDIF}", {"X"}), "b");
    EXPECT_EQ(Tokens("(*$IFDEF X*) a (*$ELSE*) b (*$ENDIF*)"), "b");
    const std::string Nested = "{$IFDEF X} {$IFDEF Y} a {$ELSE} b {$ENDIF} c {$ELSE} d {$ENDIF}";
    EXPECT_EQ(Tokens(Nested), "d");
    EXPECT_EQ(Tokens(Nested, {"X"}), "b c");
    EXPECT_EQ(Tokens(Nested, {"X", "Y"}), "a c");
    // Deep nesting inside a skipped branch.
    EXPECT_EQ(Tokens("{$IFDEF N}{$IFDEF A}{$IFNDEF B}{$IF C}x{$ELSE}y{$IFEND}{$ENDIF}{$ENDIF}{$ELSE}z{$ENDIF}"),
              "z");
}

TEST(LexDirectives, SkippedTextIsNotScannedForTokens)
{
    // A branch left out may hold anything: C macros, a lone quote, bytes no
    // token takes. Only its comments, strings and directives count.
    const struct {
        const char* Skipped;
        const char* Compiled;
    } Cases[] = {
        {"s^.bi_buf |= (val << s^.bi_valid);\\", "a"},
        {"` ~ ? \x80 \x01", "a"},
        {"don't", "a"},
        {"'{$ENDIF}' still skipped", "a"},
        {"{ {$ENDIF} in a comment }", "a"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Skipped);
        Harness R;
        EXPECT_EQ(R.Tokens(std::string("{$IFDEF NEVER} ") + C.Skipped + "\n{$ENDIF} " + C.Compiled), C.Compiled);
        EXPECT_TRUE(R.Messages.empty()) << R.Messages.front();
    }
    // Compiled, the same text is complained of.
    Harness R;
    R.Tokens("{$IFNDEF NEVER} a | b {$ENDIF}");
    ASSERT_EQ(R.Messages.size(), 1u);
    EXPECT_EQ(R.Messages[0], "Unknown Character, ($7C)");
}

TEST(LexDirectives, IfElseIfTakesExactlyOneBranch)
{
    Harness R;
    R.Lex.SetOnExpression([](TlxBasePasLex*, TcdTokenKind, const std::string& A, TcdTokenKind,
                             TcdTokenKind, const std::string& B) { return A == B; });
    const std::string S = "{$IF Defined(A)} a {$ELSEIF Defined(B)} b {$ELSEIF 1 = 1} c {$ELSE} d {$ENDIF} e";
    EXPECT_EQ(R.Tokens(S), "c e");
    EXPECT_EQ(Tokens(S, {"A", "B"}), "a e");
    EXPECT_EQ(Tokens(S, {"B"}), "b e");
    EXPECT_EQ(Tokens(S), "d e"); // no expression handler: 1 = 1 is false
    EXPECT_EQ(Tokens("{$IF Defined(A)} a {$ELSEIF Defined(A)} b {$ELSE} c {$IFEND}", {"A"}), "a");
}

TEST(LexDirectives, NotNegatesOnlyTheTermItStandsBefore)
{
    EXPECT_EQ(Tokens("{$IF NOT Defined(A)} a {$ELSE} b {$ENDIF}"), "a");
    EXPECT_EQ(Tokens("{$IF not Defined(A)} a {$ELSE} b {$ENDIF}", {"A"}), "b");
    EXPECT_EQ(Tokens("{$IF not not Defined(A)} a {$ELSE} b {$ENDIF}", {"A"}), "a");
    // not binds to Defined(A) alone: (not A) and B.
    EXPECT_EQ(Tokens("{$IF not Defined(A) and Defined(B)} a {$ELSE} b {$ENDIF}", {"B"}), "a");
    EXPECT_EQ(Tokens("{$IF not Defined(A) and Defined(B)} a {$ELSE} b {$ENDIF}"), "b");
    EXPECT_EQ(Tokens("{$IF Defined(B) and not Defined(A)} a {$ELSE} b {$ENDIF}", {"B"}), "a");
    EXPECT_EQ(Tokens("{$IF not (Defined(A) or Defined(B))} a {$ELSE} b {$ENDIF}", {"B"}), "b");
    EXPECT_EQ(Tokens("{$IF not (Defined(A) or Defined(B))} a {$ELSE} b {$ENDIF}"), "a");
}

TEST(LexDirectives, DirectivesRightAfterSkippedTextOrEachOther)
{
    EXPECT_EQ(Tokens("{$IFDEF X} a {$ENDIF}{$IFDEF Z} b {$ENDIF} c", {"Z"}), "b c");
    EXPECT_EQ(Tokens("{$IFDEF X} a {$ELSE}{$DEFINE Y}{$ENDIF}{$IFDEF Y} y {$ENDIF}"), "y");
    EXPECT_EQ(Tokens("{$IFDEF X}a{$ENDIF}{$IFDEF X}b{$ENDIF}{$IFNDEF X}c{$ENDIF}d"), "c d");
    EXPECT_EQ(Tokens("{$DEFINE A}{$DEFINE B}{$IFDEF A}{$IFDEF B}ab{$ENDIF}{$ENDIF}"), "ab");
    // Many adjacent directives in skipped text do not recurse.
    std::string Many = "{$IFDEF X}";
    for (int I = 0; I < 100000; ++I)
        Many += "{$R+}";
    Many += "{$ENDIF}done";
    EXPECT_EQ(Tokens(Many), "done");
}

TEST(LexDirectives, SwitchLettersOnlyInTheDirectiveName)
{
    Harness R;
    EXPECT_EQ(R.Tokens("{$DEFINE A}{$DEFINE X}{$IFDEF A} a {$ENDIF}{$IFDEF X} x {$ENDIF}"), "a x");
    EXPECT_TRUE(R.Lex.DefinedList()->Hash("A"));
    EXPECT_TRUE(R.Lex.DefinedList()->Hash("X"));
    EXPECT_TRUE(R.Invalid.empty());
    EXPECT_EQ(Tokens("{$UNDEF R}{$IFDEF R} r {$ELSE} n {$ENDIF}", {"R"}), "n");
}

TEST(LexDirectives, SymbolNamesThatAreDirectiveWordsAreNames)
{
    // Names read without a look-up in the directive table: words of that
    // table, file-name forms and switch letters after the name are names
    // like any other.
    struct TCase {
        const char* Text;
        const char* Seen;
    } Cases[] = {
        {"{$DEFINE Include}{$IFDEF INCLUDE} a {$ENDIF}{$IFNDEF include} b {$ENDIF}", "a"},
        {"{$DEFINE On}{$DEFINE Off}{$IFDEF ON}{$IFDEF OFF} c {$ENDIF}{$ENDIF}", "c"},
        {"{$DEFINE Align}{$UNDEF ALIGN}{$IFDEF Align} d {$ELSE} e {$ENDIF}", "e"},
        {"{$DEFINE R}{$IFDEF R} f {$ENDIF}{$IFDEF X} {$EXTERNALSYM Define} g {$ENDIF} h", "f h"},
        {"{$IFDEF X}{$DEFINE Y}{$I Some.inc}{$EXTERNALSYM Z}{$ENDIF}{$IFDEF Y} i {$ENDIF} j", "j"},
    };
    for (const TCase& C : Cases) {
        Harness R;
        EXPECT_EQ(R.Tokens(C.Text), C.Seen) << C.Text;
        EXPECT_TRUE(R.Invalid.empty()) << C.Text;
    }
    Harness R;
    R.Tokens("{$EXTERNALSYM Include} {$EXTERNALSYM A1}");
    EXPECT_TRUE(R.Invalid.empty());
}

TEST(LexDirectives, EveryDirectiveTokenMakesProgress)
{
    Harness R;
    EXPECT_EQ(R.Tokens("{$DEFINE :} a {$IFDEF :} b {$ENDIF} c {$I :} d {$: x} e"), "a c d e");
    EXPECT_FALSE(R.Invalid.empty());
}

TEST(LexDirectives, SwitchesAndSwitchEvents)
{
    Harness R;
    std::vector<std::pair<TbdBooleanDirectives, bool>> Seen;
    R.Lex.OnSwitchDirect = [&](TlxBasePasLex*, TbdBooleanDirectives S, bool On) { Seen.push_back({S, On}); };
    R.Lex.SetSwitches([] {
        TlxBooleanDirectives S;
        S.Include(bdBooleval);
        return S;
    }());
    EXPECT_EQ(R.Tokens("{$A+,B-,H+} x"), "x");
    EXPECT_TRUE(R.Lex.Switches().Contains(bdAlign));
    EXPECT_TRUE(R.Lex.Switches().Contains(bdLongStrings));
    EXPECT_FALSE(R.Lex.Switches().Contains(bdBooleval));
    ASSERT_EQ(Seen.size(), 3u);
    EXPECT_EQ(Seen[1], std::make_pair(bdBooleval, false));
    Seen.clear();
    R.Tokens("{$RANGECHECKS ON} {$R-} {$WARN OFF} {$F+} {$YD}");
    EXPECT_EQ(Seen.size(), 5u);
    EXPECT_FALSE(R.Lex.Switches().Contains(bdRangeChecks));
    EXPECT_FALSE(R.Lex.Switches().Contains(bdWarn));
    EXPECT_TRUE(R.Lex.Switches().Contains(bdUnKnown));
    EXPECT_TRUE(R.Lex.Switches().Contains(bdDefinitionInfo));
    // IFOPT reads the switches.
    EXPECT_EQ(R.Tokens("{$R+}{$IFOPT R+} on {$ELSE} off {$ENDIF}{$IFOPT R-} x {$ENDIF}"), "on");
    // An unknown letter asks the bdUnKnown switch ({$F+} above set it).
    EXPECT_EQ(R.Tokens("{$IFOPT Z+} z {$ELSE} nz {$ENDIF}"), "z");
    EXPECT_EQ(Tokens("{$IFOPT Z+} z {$ELSE} nz {$ENDIF}"), "nz");
}

TEST(LexDirectives, UnknownDirectivesAreSkippedWhole)
{
    Harness R;
    EXPECT_EQ(R.Tokens("{$REGION 'a'} x {$ENDREGION} {$MESSAGE 'can''t'} y {$mode objfpc} z"), "x y z");
    EXPECT_EQ(R.Invalid.size(), 4u);
    EXPECT_EQ(R.Invalid[0], "REGION");
    EXPECT_EQ(Tokens("(*$MESSAGE 'a)' *) x {$} y (*$*) z"), "x y z");
}

TEST(LexDirectives, DefineWithTrailingText)
{
    Harness R;
    std::vector<std::string> Defined;
    R.Lex.SetOnDefineDirect([&](TlxBasePasLex*, const std::string& N) { Defined.push_back(N); });
    EXPECT_EQ(R.Tokens("{$DEFINE A B} x"), "x");
    EXPECT_EQ(Defined, std::vector<std::string>{"A"});
    EXPECT_TRUE(R.Lex.DefinedList()->Hash("A"));
    EXPECT_FALSE(R.Lex.DefinedList()->Hash("B"));
    EXPECT_EQ(R.Invalid.size(), 1u);
}

TEST(LexDirectives, IfExpressions)
{
    Harness R;
    std::vector<std::string> Declared, Defined;
    bool DeclaredAnswer = false;
    R.Lex.SetOnDeclared([&](TlxBasePasLex*, const std::string& N) {
        Declared.push_back(N);
        return DeclaredAnswer;
    });
    R.Lex.SetOnDefined([&](TlxBasePasLex*, const std::string& N) { Defined.push_back(N); });
    R.Lex.DefinedList()->AddSorted("X");
    EXPECT_EQ(R.Tokens("{$IF Defined(X) or Declared(Y)} a {$ELSE} b {$ENDIF}"), "a");
    EXPECT_EQ(Declared, std::vector<std::string>{"Y"});
    Declared.clear();
    Defined.clear();
    DeclaredAnswer = true;
    EXPECT_EQ(R.Tokens("{$IF Declared(Y) or Defined(X)} a {$ELSE} b {$ENDIF}"), "a");
    EXPECT_TRUE(Defined.empty());
    EXPECT_TRUE(R.Invalid.empty()); // the skipped term is not reported
    DeclaredAnswer = false;
    EXPECT_EQ(R.Tokens("{$IF Declared(Y) and Defined(Z)} a {$ELSE} b {$ENDIF}"), "b");
    EXPECT_EQ(R.Tokens("{$IF (Defined(Q) or Defined(X)) and Defined(X)} a {$ELSE} b {$ENDIF}"), "a");
    EXPECT_EQ(Tokens("{$IF VER > 10} a {$ELSE} b {$ENDIF}"), "b");
    // Missing parentheses are accepted and reported.
    R.Messages.clear();
    EXPECT_EQ(R.Tokens("{$DEFINE X1}{$IF Defined X1} a {$ENDIF}"), "a");
    ASSERT_FALSE(R.Messages.empty());
    EXPECT_EQ(R.Messages[0], "Expected: cdRoundOpen   found: cdIdentifier");
    // The expression handler sees the operands.
    std::string Seen;
    R.Lex.SetOnExpression([&](TlxBasePasLex*, TcdTokenKind K1, const std::string& A, TcdTokenKind Rel,
                              TcdTokenKind K2, const std::string& B) {
        Seen = cdTokenName(K1) + " " + A + " " + cdTokenName(Rel) + " " + cdTokenName(K2) + " " + B;
        return true;
    });
    EXPECT_EQ(R.Tokens("{$IF CompilerVersion >= 20.5} a {$IFEND}"), "a");
    EXPECT_EQ(Seen, "cdIdentifier CompilerVersion cdGreaterEqual cdFloat 20.5");
}

TEST(LexDirectives, DeepExpressionsAreCapped)
{
    std::string S = "{$IF ";
    for (int I = 0; I < 5000; ++I)
        S += "(";
    S += "Defined(X)";
    for (int I = 0; I < 5000; ++I)
        S += ")";
    S += "} a {$ELSE} b {$ENDIF}";
    Harness R({"X"});
    EXPECT_EQ(R.Tokens(S), "b");
    std::string Chain = "{$IF Defined(X)";
    for (int I = 0; I < 5000; ++I)
        Chain += " and Defined(X)";
    Chain += "} a {$ELSE} b {$ENDIF}";
    EXPECT_EQ(Tokens(Chain, {"X"}), "b");
}

TEST(LexDirectives, UnbalancedConditionals)
{
    Harness R;
    EXPECT_EQ(R.Tokens("a {$ENDIF} b {$ELSE} c {$ENDIF} d"), "a b d");
    ASSERT_GE(R.Messages.size(), 2u);
    EXPECT_EQ(R.Messages[0], "$ENDIF without $IF");
    EXPECT_EQ(R.Messages[1], "$ELSE without $IF");
    R.Messages.clear();
    EXPECT_EQ(R.Tokens("a {$IFDEF X} b"), "a");
    EXPECT_EQ(R.Messages, std::vector<std::string>{"Missing $ENDIF at end of file"});
    EXPECT_EQ(R.Lex.GetLexState(), lsSkipping);
    R.Messages.clear();
    EXPECT_EQ(R.Tokens("{$IFNDEF X} b"), "b");
    EXPECT_EQ(R.Messages, std::vector<std::string>{"Missing $ENDIF at end of file"});
    // A new text starts with no open conditionals and no skip depth.
    R.Tokens("{$IFDEF X}{$IFDEF Y}");
    R.Messages.clear();
    EXPECT_EQ(R.Tokens("{$IFDEF X} a {$ELSE} b {$ENDIF} c"), "b c");
    EXPECT_EQ(R.Lex.SkipDepth(), 0);
    EXPECT_TRUE(R.Messages.empty());
    // Unterminated directives at the end of the text.
    for (const char* S : {"a {$IFDEF", "a {$IFDEF X", "a (*$DEFINE", "a {$I 'x", "a {$IF (1", "a {$"})
        EXPECT_EQ(Tokens(S), "a") << S;
}

TEST(LexDirectives, IncludeFiles)
{
    Harness R;
    std::map<std::string, std::string> Files = {
        {"one.inc", "i1 {$DEFINE FROMINC} {$H-} i2"},
        {"self.inc", "s {$I self.inc} t"},
        {"a.inc", "a {$I b.inc} a2"},
        {"b.inc", "b {$I a.inc} b2"},
        {"empty.inc", ""},
        {"open.inc", "{$IFDEF NEVER} hidden"},
    };
    std::vector<std::string> Asked;
    int Ends = 0;
    R.Lex.SetOnIncludeDirect([&](TlxBasePasLex*, const std::string& Name) -> const char* {
        Asked.push_back(Name);
        auto It = Files.find(Name);
        return It == Files.end() ? nullptr : It->second.c_str();
    });
    R.Lex.SetOnIncludeEnd([&](TlxBasePasLex*) { ++Ends; });
    EXPECT_EQ(R.Tokens("{$H+} x {$I one.inc} y"), "x i1 i2 y");
    EXPECT_EQ(Ends, 1);
    EXPECT_TRUE(R.Lex.DefinedList()->Hash("FROMINC")); // defines survive the include
    EXPECT_TRUE(R.Lex.Switches().Contains(bdLongStrings)); // switches are restored
    EXPECT_EQ(R.Tokens("x {$INCLUDE missing.inc} y {$I empty.inc} z"), "x y z");
    EXPECT_EQ(R.Tokens("p {$I self.inc} q"), "p s t q");
    ASSERT_FALSE(R.Messages.empty());
    EXPECT_EQ(R.Messages.back(), "Include file, self.inc, includes itself and is ignored");
    R.Messages.clear();
    EXPECT_EQ(R.Tokens("{$I a.inc}"), "a b b2 a2");
    EXPECT_EQ(R.Messages.size(), 1u);
    // An include that leaves a conditional open is reported and closed at its end.
    R.Messages.clear();
    EXPECT_EQ(R.Tokens("{$I open.inc} after"), "after");
    EXPECT_EQ(R.Messages, std::vector<std::string>{"Missing $ENDIF at end of include file open.inc"});
    // Include directives in skipped text are not followed.
    Asked.clear();
    EXPECT_EQ(R.Tokens("{$IFDEF NEVER}{$I one.inc}{$ENDIF} k"), "k");
    EXPECT_TRUE(Asked.empty());
    // Positions inside the include count from its start; the line goes on after it.
    R.Tokens("x\n{$I one.inc}\ny");
    EXPECT_EQ(R.Lex.TokenID(), ptNull);
}

TEST(LexDirectives, IncludeDepthIsCappedWhateverTheHandler)
{
    Harness R;
    int Calls = 0;
    // A handler that never refuses: every include names a new file.
    std::vector<std::string> Texts(200);
    R.Lex.SetOnIncludeDirect([&](TlxBasePasLex*, const std::string&) -> const char* {
        ++Calls;
        Texts[size_t(Calls)] = "n" + std::to_string(Calls) + " {$I f" + std::to_string(Calls) + ".inc}";
        return Texts[size_t(Calls)].c_str();
    });
    const std::string Out = R.Tokens("{$I f0.inc} end");
    EXPECT_EQ(Calls, TlxBasePasLex::MaxIncludeDepth);
    EXPECT_EQ(Out.substr(Out.size() - 4), " end");
    ASSERT_FALSE(R.Messages.empty());
    EXPECT_EQ(R.Messages.back().substr(0, 30), "Include files nested too deepl");
}

TEST(LexDirectives, LookAheadDoesNotDefine)
{
    TlxPasLex Lex;
    int DefineEvents = 0;
    Lex.SetOnDefineDirect([&](TlxBasePasLex*, const std::string&) { ++DefineEvents; });
    const std::string Text = "a {$DEFINE Y} {$IFDEF Y} b {$ENDIF} c {$UNDEF Y}";
    Lex.SetOrigin(Text.c_str());
    Lex.InitAhead();
    EXPECT_EQ(Lex.GetAheadToken(), "b");
    Lex.AheadNext();
    Lex.AheadNext();
    EXPECT_EQ(Lex.GetAheadTokenID(), ptNull);
    EXPECT_FALSE(Lex.DefinedList()->Hash("Y"));
    EXPECT_EQ(DefineEvents, 0); // the look-ahead raises no events
    Lex.NextNoJunk();
    EXPECT_EQ(Lex.GetToken(), "b");
    EXPECT_EQ(Lex.DefinedList()->Count(), 1); // defined once, by the main lexer
    Lex.NextNoJunk();
    Lex.InitAhead(); // the look-ahead over the undef leaves Y defined
    EXPECT_TRUE(Lex.DefinedList()->Hash("Y"));
    EXPECT_EQ(DefineEvents, 1);
}

TEST(LexDirectives, LookAheadAnswersQueriesAsTheLexer)
{
    TlxPasLex Lex;
    Lex.SetOnDeclared([](TlxBasePasLex*, const std::string&) { return true; });
    const std::string Text = "a {$IF Declared(T)} yes {$ELSE} no {$IFEND}";
    Lex.SetOrigin(Text.c_str());
    Lex.InitAhead();
    EXPECT_EQ(Lex.GetAheadToken(), "yes");
    Lex.NextNoJunk();
    EXPECT_EQ(Lex.GetToken(), "yes");
}

TEST(LexDirectives, NewTextDropsOpenIncludes)
{
    TlxPasLex Lex;
    const std::string Inc = "i1 i2 i3";
    Lex.SetOnIncludeDirect([&](TlxBasePasLex*, const std::string&) { return Inc.c_str(); });
    {
        const std::string First = "a {$I x.inc} b";
        Lex.SetOrigin(First.c_str());
        Lex.NextNoJunk();
        EXPECT_EQ(Lex.GetToken(), "i1");
        EXPECT_EQ(Lex.IncludeDepth(), 1);
    } // the first text is gone
    const std::string Second = "c";
    Lex.SetOrigin(Second.c_str());
    EXPECT_EQ(Lex.IncludeDepth(), 0);
    Lex.NextNoJunk();
    EXPECT_EQ(Lex.TokenID(), ptNull);
}

TEST(LexDirectives, DirectiveEvents)
{
    Harness R;
    std::vector<std::string> Log;
    auto Str = [&](const char* Name) {
        return [&Log, Name](TlxBasePasLex*, const std::string& V) { Log.push_back(std::string(Name) + "=" + V); };
    };
    R.Lex.OnSODirect = [&](TlxBasePasLex*, TcdTokenKind K, const std::string& V) {
        Log.push_back(cdTokenName(K) + "=" + V);
    };
    R.Lex.OnDescriptionDirect = Str("desc");
    R.Lex.OnLinkDirect = Str("link");
    R.Lex.OnExtensionDirect = Str("ext");
    R.Lex.OnMinStackSizeDirect = Str("min");
    R.Lex.OnMaxStackSizeDirect = Str("max");
    R.Lex.OnMinEnumSizeDirect = Str("enum");
    R.Lex.OnImageBaseDirect = Str("base");
    R.Lex.SetOnResourceDirect(Str("res"));
    R.Lex.OnAlignDirect = [&](TlxBasePasLex*, int V) { Log.push_back("align=" + std::to_string(V)); };
    R.Lex.OnAppTypeDirect = [&](TlxBasePasLex*, TlxAppType T) { Log.push_back(T == atGUI ? "gui" : "console"); };
    EXPECT_EQ(R.Tokens("{$SOPREFIX 'lib'}{$DESCRIPTION 'My app'}{$L foo.obj}{$E exe}{$M 16384,65536}"
                       "{$Z4}{$MINENUMSIZE 2}{$IMAGEBASE $400000}{$R *.res}{$R icons.res}{$R 'Main Form.dfm'}"
                       "{$R Forms\\Main.DFM}{$A8}"
                       "{$APPTYPE GUI} x"),
              "x");
    EXPECT_EQ(Log, (std::vector<std::string>{"cdSoPrefix=lib", "desc=My app", "link=foo.obj", "ext=exe",
                                             "min=16384", "max=65536", "enum=4", "enum=2",
                                             "base=$400000", "res=*.res", "res=icons.res", "res=Main Form.dfm",
                                             "res=Forms\\Main.DFM", "align=8",
                                             "gui"}));
    EXPECT_TRUE(R.Invalid.empty());
}

TEST(LexDirectives, DirectivesAcrossLines)
{
    Harness R;
    EXPECT_EQ(R.Tokens("{$IFDEF X}\n a\n b\n{$ELSE\n}\n c"), "c");
    EXPECT_EQ(R.Lex.TokenID(), ptNull);
    R.Lex.SetOrigin("{$DEFINE\nZ}\nq");
    R.Lex.NextNoJunk();
    EXPECT_EQ(R.Lex.GetToken(), "q");
    EXPECT_EQ(R.Lex.LineNumber(), 2);
    EXPECT_EQ(R.Lex.GetDirectiveParam(), "");
}

} // namespace

namespace {

struct TSeenCase {
    const char* Text;
    std::vector<std::string> Defines;
    const char* Seen;
};

// Each text, scanned with its defines, shows the tokens Seen and raises no
// message (nor, when Valid, an invalid directive).
void ExpectSeen(const std::vector<TSeenCase>& Cases, bool Valid)
{
    for (const TSeenCase& C : Cases) {
        SCOPED_TRACE(C.Text);
        Harness R(C.Defines);
        EXPECT_EQ(R.Tokens(C.Text), C.Seen);
        EXPECT_TRUE(R.Messages.empty()) << R.Messages.front();
        if (Valid) {
            EXPECT_TRUE(R.Invalid.empty()) << R.Invalid.front();
        }
    }
}

} // namespace

TEST(LexDirectives, ADirectiveEndsAtItsBracketWhateverItsRemarkHolds)
{
    // A quote in a remark after the directive's operand opens no string that
    // runs on into the next directive (the remark itself is not a directive's
    // text and is reported as invalid).
    ExpectSeen({
                   {"{$IFNDEF FPC // the other compiler can't read this }\na\n{$ENDIF ~FPC} b", {}, "a b"},
                   {"{$IFNDEF FPC // the other compiler can't read this }\na\n{$ENDIF ~FPC} b", {"FPC"}, "b"},
                   {"{$IFDEF X // don't }a{$ELSE // isn't }c{$ENDIF} b", {}, "c b"},
                   {"(*$IFDEF X // can't *) a (*$ENDIF*) b", {"X"}, "a b"},
                   {"(*$IFDEF X // can't } *) a (*$ENDIF*) b", {}, "b"},
                   {"{$DEFINE Y // it's on }{$IFDEF Y} y {$ENDIF}", {}, "y"},
               },
               false);
}

TEST(LexDirectives, SymbolsMayStartWithADigit)
{
    ExpectSeen({
                   {"{$DEFINE 7ZIP_LINKONREQUEST}{$IFDEF 7ZIP_LINKONREQUEST} a {$ENDIF} b", {}, "a b"},
                   {"{$IFNDEF 7ZIP_STATICLINK} a {$ELSE} s {$ENDIF}", {}, "a"},
                   {"{$IFNDEF 7ZIP_STATICLINK} a {$ELSE} s {$ENDIF}", {"7zip_StaticLink"}, "s"},
                   {"{$UNDEF 7ZIP}{$IFDEF 7ZIP} a {$ELSE} n {$ENDIF}", {"7ZIP"}, "n"},
                   {"{$IF Defined(7ZIP) and not Defined(64BIT)} a {$ELSE} n {$IFEND}", {"7ZIP"}, "a"},
                   // Skipped text reads them the same way.
                   {"{$IFDEF X}{$IFDEF 7ZIP} a {$ENDIF}{$ELSE} b {$ENDIF}", {}, "b"},
               },
               true);
}

TEST(LexDirectives, Delphi7ConditionsAnswerAsItsCompiler)
{
    struct TCase {
        const char* Condition;
        bool Compiled;
    } Cases[] = {
        {"CompilerVersion < 18", true},
        {"CompilerVersion >= 14.0", true},
        {"CompilerVersion > 15", false},
        {"CompilerVersion >= 18.5", false},
        {"RTLVersion >= 15", true},
        {"14 < CompilerVersion", true},
        {"CompilerVersion >= $10", false},
        {"Defined(VER150) and (CompilerVersion < 20)", true},
        {"Declared(UInt64) and (RTLVersion >= 15)", true},
        {"Declared(UnicodeString)", false},
        {"not Declared(NativeInt) or (CompilerVersion >= 20)", true},
        {"Undeclared >= 1", false},
        {"'a' = 'a'", true},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Condition);
        Harness R({"VER150"});
        lxSetDelphi7Conditions(R.Lex, [](const std::string& Name) { return lxSameText(Name, "UInt64"); });
        const std::string Text = std::string("{$IF ") + C.Condition + "} yes {$ELSE} no {$IFEND}";
        EXPECT_EQ(R.Tokens(Text), C.Compiled ? "yes" : "no");
        EXPECT_TRUE(R.Messages.empty()) << R.Messages.front();
    }
}
