// The base scanner: token kinds, positions, lines, messages and bad input.
#include "lexer/lxPasLex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Tok {
    TptTokenKind Kind;
    std::string Text;
};

std::vector<Tok> Scan(const std::string& Text, std::vector<std::string>* Messages = nullptr)
{
    TlxBasePasLex Lex;
    if (Messages)
        Lex.SetOnMessage([Messages](void*, const std::string& Msg, int X, int Y) {
            Messages->push_back(Msg + "@" + std::to_string(X) + "," + std::to_string(Y));
        });
    Lex.SetOrigin(Text.c_str(), int(Text.size()));
    std::vector<Tok> Out;
    for (int Guard = 0; Lex.TokenID() != ptNull; ++Guard) {
        EXPECT_LT(Guard, 10000000) << "no progress";
        if (Guard >= 10000000)
            break;
        Out.push_back({Lex.TokenID(), Lex.GetToken()});
        Lex.Next();
    }
    return Out;
}

std::vector<TptTokenKind> Kinds(const std::string& Text)
{
    std::vector<TptTokenKind> K;
    for (const Tok& T : Scan(Text))
        K.push_back(T.Kind);
    return K;
}

std::string Joined(const std::string& Text)
{
    std::string J;
    for (const Tok& T : Scan(Text))
        J += T.Text;
    return J;
}

using K = std::vector<TptTokenKind>;

TEST(LexScan, EmptyTextGivesNullForever)
{
    TlxBasePasLex Lex;
    Lex.SetOrigin("");
    EXPECT_EQ(Lex.TokenID(), ptNull);
    Lex.Next();
    Lex.Next();
    EXPECT_EQ(Lex.TokenID(), ptNull);
    EXPECT_EQ(Lex.RunPos(), 0);
    // A lexer that was never given a text does not crash either.
    TlxBasePasLex Fresh;
    Fresh.Next();
    EXPECT_EQ(Fresh.TokenID(), ptNull);
}

TEST(LexScan, OperatorsAndNumbers)
{
    EXPECT_EQ(Kinds("a:=b"), (K{ptIdentifier, ptAssign, ptIdentifier}));
    EXPECT_EQ(Kinds("1..2"), (K{ptIntegerConst, ptDotDot, ptIntegerConst}));
    EXPECT_EQ(Kinds("1.5"), (K{ptFloat}));
    EXPECT_EQ(Kinds("1E5"), (K{ptIntegerConst}));
    EXPECT_EQ(Kinds("$FF #13 #$0A"), (K{ptIntegerConst, ptSpace, ptAsciiChar, ptSpace, ptAsciiChar}));
    EXPECT_EQ(Kinds("(.a.)"), (K{ptSquareOpen, ptIdentifier, ptSquareClose}));
    auto T = Scan("(.1.)");
    ASSERT_EQ(T.size(), 3u);
    EXPECT_EQ(T[1].Kind, ptFloat);
    EXPECT_EQ(T[1].Text, "1.");
    EXPECT_EQ(T[2].Kind, ptRoundClose);
    EXPECT_EQ(Kinds("<= <> < >= > @@ @ ^ = ; , . ( ) [ ] * + - / :"),
              (K{ptLowerEqual, ptSpace, ptNotEqual, ptSpace, ptLower, ptSpace, ptGreaterEqual, ptSpace,
                 ptGreater, ptSpace, ptDoubleAddressOp, ptSpace, ptAddressOp, ptSpace,
                 ptPointerSymbol, ptSpace, ptEqual, ptSpace, ptSemiColon, ptSpace, ptComma, ptSpace,
                 ptPoint, ptSpace, ptRoundOpen, ptSpace, ptRoundClose, ptSpace, ptSquareOpen,
                 ptSpace, ptSquareClose, ptSpace, ptStar, ptSpace, ptPlus, ptSpace, ptMinus, ptSpace,
                 ptSlash, ptSpace, ptColon}));
    EXPECT_EQ(Kinds("! \" % & ? \\ ~ `"),
              (K{ptSymbol, ptSpace, ptSymbol, ptSpace, ptSymbol, ptSpace, ptSymbol, ptSpace,
                 ptSymbol, ptSpace, ptSymbol, ptSpace, ptSymbol, ptSpace, ptSymbol}));
}

TEST(LexScan, ExponentSignBelongsToTheNumber)
{
    auto T = Scan("x:=1.5E-3;");
    ASSERT_EQ(T.size(), 4u);
    EXPECT_EQ(T[2].Kind, ptFloat);
    EXPECT_EQ(T[2].Text, "1.5E-3");
    T = Scan("2e+10");
    ASSERT_EQ(T.size(), 1u);
    EXPECT_EQ(T[0].Text, "2e+10");
    // A sign not followed by a digit stays an operator.
    EXPECT_EQ(Kinds("1e-a"), (K{ptIntegerConst, ptMinus, ptIdentifier}));
}

TEST(LexScan, WordsKeywordsAndDirectives)
{
    TlxBasePasLex Lex;
    Lex.SetOrigin("BeGiN read Interface strict Stra\xDF" "e \xE9t\xE9 x");
    EXPECT_EQ(Lex.TokenID(), ptBegin);
    EXPECT_EQ(Lex.ExID(), ptKeyWord);
    EXPECT_EQ(Lex.GetGenID(), ptBegin);
    Lex.NextNoJunk();
    EXPECT_EQ(Lex.TokenID(), ptIdentifier);
    EXPECT_EQ(Lex.ExID(), ptRead);
    EXPECT_EQ(Lex.GetGenID(), ptRead);
    Lex.NextNoJunk();
    EXPECT_EQ(Lex.TokenID(), ptInterface);
    EXPECT_EQ(Lex.ExID(), ptInterface);
    Lex.NextNoJunk();
    EXPECT_EQ(Lex.ExID(), ptStrict);
    Lex.NextNoJunk(); // a word that goes on with a Windows-1252 letter
    EXPECT_EQ(Lex.TokenID(), ptIdentifier);
    EXPECT_EQ(Lex.ExID(), ptInternationalIdentifier);
    Lex.NextNoJunk();
    EXPECT_EQ(Lex.ExID(), ptInternationalIdentifier);
    Lex.NextNoJunk();
    EXPECT_EQ(Lex.TokenID(), ptIdentifier);
    EXPECT_EQ(Lex.ExID(), ptIdentifier);
    EXPECT_EQ(Lex.GetGenID(), ptIdentifier);
    // Windows-1252 letters: "Größe" and a word that starts with é.
    const std::string W = "Gr\xF6\xDF" "e \xE9t\xE9";
    auto T = Scan(W);
    ASSERT_EQ(T.size(), 3u);
    EXPECT_EQ(T[0].Text, "Gr\xF6\xDF" "e");
    EXPECT_EQ(T[2].Text, "\xE9t\xE9");
}

TEST(LexScan, Strings)
{
    EXPECT_EQ(Kinds("'x'"), (K{ptAsciiChar}));
    auto T = Scan("'it''s'");
    ASSERT_EQ(T.size(), 1u);
    EXPECT_EQ(T[0].Kind, ptStringConst);
    std::vector<std::string> Msgs;
    T = Scan("s := 'abc\r\nx", &Msgs);
    ASSERT_EQ(T.size(), 7u);
    EXPECT_EQ(T[4].Kind, ptStringConst);
    EXPECT_EQ(T[4].Text, "'abc");
    EXPECT_EQ(T[5].Kind, ptCRLF);
    ASSERT_EQ(Msgs.size(), 1u);
    EXPECT_EQ(Msgs[0], "Unterminated string@5,0");

    TlxBasePasLex Lex;
    Lex.SetOrigin("'it''s' 'ab 'x' 12");
    EXPECT_EQ(Lex.GetStringContent(), "it''s");
    Lex.NextNoJunk();
    EXPECT_EQ(Lex.GetStringContent(), "ab ");
    Lex.NextNoJunk();
    EXPECT_EQ(Lex.TokenID(), ptIdentifier);
    EXPECT_EQ(Lex.GetStringContent(), "");
}

TEST(LexScan, CommentsAndLines)
{
    TlxBasePasLex Lex;
    int LineEnds = 0, Starts = 0, Ends = 0, Slashes = 0;
    Lex.SetOnLineEnd([&](TlxBasePasLex*) { ++LineEnds; });
    Lex.SetOnMultiLineStart([&](TlxBasePasLex*) { ++Starts; });
    Lex.SetOnMultiLineEnd([&](TlxBasePasLex*) { ++Ends; });
    Lex.SetOnSlashesComment([&](TlxBasePasLex*) { ++Slashes; });
    Lex.SetOrigin("{ a\r\n b\n c } (* x\r y *) // z\r\nlast");
    EXPECT_EQ(Lex.TokenID(), ptBorComment);
    EXPECT_EQ(Lex.LineNumber(), 2);
    Lex.NextNoSpace();
    EXPECT_EQ(Lex.TokenID(), ptAnsiComment);
    EXPECT_EQ(Lex.LineNumber(), 3);
    Lex.NextNoSpace();
    EXPECT_EQ(Lex.TokenID(), ptSlashesComment);
    EXPECT_EQ(Lex.GetToken(), "// z");
    Lex.NextNoSpace();
    EXPECT_EQ(Lex.GetToken(), "last");
    EXPECT_EQ(Lex.LineNumber(), 4);
    EXPECT_EQ(Lex.GetPosXY(), (TPoint{0, 4}));
    EXPECT_EQ(LineEnds, 4);
    EXPECT_EQ(Starts, 2);
    EXPECT_EQ(Ends, 2);
    EXPECT_EQ(Slashes, 1);
}

TEST(LexScan, LineEndStyles)
{
    for (const char* Nl : {"\r\n", "\n", "\r"}) {
        const std::string Text = std::string("a") + Nl + "b" + Nl + "  c";
        TlxBasePasLex Lex;
        Lex.SetOrigin(Text.c_str());
        Lex.NextNoJunk();
        Lex.NextNoJunk();
        EXPECT_EQ(Lex.GetToken(), "c");
        EXPECT_EQ(Lex.GetPosXY(), (TPoint{2, 2})) << "line end " << int(Nl[0]);
    }
    // "\n\r" is two line ends.
    TlxBasePasLex Lex;
    Lex.SetOrigin("a\n\rb");
    Lex.NextNoJunk();
    EXPECT_EQ(Lex.LineNumber(), 2);
}

TEST(LexScan, UnknownCharacters)
{
    std::vector<std::string> Msgs;
    auto T = Scan("a|b\x80", &Msgs);
    ASSERT_EQ(T.size(), 4u);
    EXPECT_EQ(T[1].Kind, ptUnknown);
    EXPECT_EQ(T[3].Kind, ptUnknown);
    ASSERT_EQ(Msgs.size(), 2u);
    EXPECT_EQ(Msgs[0], "Unknown Character, ($7C)@1,0");
    EXPECT_EQ(Msgs[1], "Unknown Character, ($80)@3,0");
    // Without a handler nothing else happens.
    EXPECT_EQ(Kinds("|"), (K{ptUnknown}));
}

TEST(LexScan, UnterminatedCommentsKeepTheirText)
{
    for (const std::string Text : {"x { open", "x (* open", "x (*", "x {", "x (*)", "x //"}) {
        std::vector<std::string> Msgs;
        auto T = Scan(Text, &Msgs);
        ASSERT_EQ(T.size(), 3u) << Text;
        EXPECT_TRUE(IsTokenIDJunk(T[2].Kind)) << Text;
        EXPECT_EQ(Joined(Text), Text);
        if (Text.find("//") == std::string::npos) {
            ASSERT_EQ(Msgs.size(), 1u) << Text;
            EXPECT_EQ(Msgs[0].substr(0, 19), "Unexpected file end");
        }
    }
    // Directive openers at the very end are not read past.
    for (const std::string Text : {"{$", "(*$", "(", ".", "'", "#", "$", "<", "@", ":", "/", "1.", "1e"})
        EXPECT_EQ(Joined(Text), Text) << Text;
}

TEST(LexScan, ByteOrderMarkIsJunk)
{
    const std::string Text = "\xEF\xBB\xBFunit a;";
    auto T = Scan(Text);
    ASSERT_GE(T.size(), 2u);
    EXPECT_EQ(T[0].Kind, ptSpace);
    EXPECT_EQ(T[0].Text, "\xEF\xBB\xBF");
    EXPECT_EQ(T[1].Kind, ptUnit);
    EXPECT_EQ(Joined(Text), Text);
    TlxPasLex Lex;
    Lex.SetOrigin(Text.c_str());
    EXPECT_EQ(Lex.TokenID(), ptSpace);
    Lex.NextNoJunk();
    EXPECT_EQ(Lex.TokenID(), ptUnit); // the mark is skipped as junk
    // Elsewhere the bytes are ordinary characters.
    EXPECT_EQ(Scan("a \xEF\xBB\xBF")[2].Kind, ptIdentifier);
}

TEST(LexScan, ZeroBytesAndBinaryGarbage)
{
    std::vector<std::string> Msgs;
    const std::string Text("a\0b '\0' {\0}", 12);
    auto T = Scan(Text, &Msgs);
    std::string J;
    for (const Tok& X : T)
        J += X.Text;
    EXPECT_EQ(J, Text);
    EXPECT_EQ(T[1].Kind, ptUnknown);
    EXPECT_GE(Msgs.size(), 3u);
    EXPECT_EQ(Msgs[0], "Unknown Character, ($00)@1,0");
    // Every byte value, with and without a known length.
    std::string All;
    for (int Round = 0; Round < 3; ++Round)
        for (int C = 255; C >= 0; --C)
            All += char(C);
    EXPECT_EQ(Joined(All), All);
    TlxPasLex Lex;
    Lex.SetOrigin(All.c_str()); // stops at the first zero byte
    while (Lex.TokenID() != ptNull)
        Lex.NextNoJunk();
    EXPECT_LE(Lex.RunPos(), int(All.size()));
}

// Comments and strings end at their closing character, a line break or the
// end of the text, wherever these fall against the text's start and its
// address, and whatever the body's length.
TEST(LexScan, CommentAndStringEndsAtEveryOffset)
{
    struct Row {
        const char* Open;
        const char* Close; // none for a comment that ends with its line
        TptTokenKind Kind;
    };
    const Row Rows[] = {
        {"//", "", ptSlashesComment},
        {"{", "}", ptBorComment},
        {"(*", "*)", ptAnsiComment},
        {"'", "'", ptStringConst},
    };
    std::vector<char> Buffer(256);
    for (const Row& R : Rows)
        for (const char* Stop : {"close", "\n", "\r", "end", "zero"})
            for (int Shift = 0; Shift < 16; ++Shift)
                for (int Len = 0; Len < 40; Len += Len < 20 ? 1 : 7) {
                    const std::string Body(size_t(Len), Len % 3 ? 'b' : '*');
                    const std::string S = Stop;
                    if (S == "close" && !*R.Close)
                        continue;
                    const bool Closed = S == "close" && *R.Close;
                    std::string Text = std::string("x ") + R.Open + Body;
                    if (S == "close")
                        Text += R.Close;
                    else if (S == "zero")
                        Text += '\0';
                    else if (S != "end")
                        Text += S;
                    // A bracketed comment goes on over a line break (to the
                    // end of this text); the others stop before it.
                    const bool Multi = R.Kind == ptBorComment || R.Kind == ptAnsiComment;
                    const bool Break = S == "\n" || S == "\r";
                    int TokenEnd = int(Text.size()) - (Closed || S == "end" ? 0 : 1);
                    if (S != "end")
                        Text += "y";
                    if (Multi && Break)
                        TokenEnd = int(Text.size());
                    // ("(**)" with a body of stars closes early: skip those.)
                    if (R.Kind == ptAnsiComment && Len > 0 && Body.find('*') == 0)
                        continue;
                    std::fill(Buffer.begin(), Buffer.end(), '\0');
                    std::copy(Text.begin(), Text.end(), Buffer.begin() + Shift);
                    TlxBasePasLex Lex;
                    Lex.SetOrigin(Buffer.data() + Shift, int(Text.size()));
                    Lex.NextNoSpace();
                    const std::string Where = std::string(R.Open) + " " + S + " shift " +
                                              std::to_string(Shift) + " len " + std::to_string(Len);
                    const bool Char = R.Kind == ptStringConst && Closed && Len == 1;
                    EXPECT_EQ(Lex.TokenID(), Char ? ptAsciiChar : R.Kind) << Where;
                    EXPECT_EQ(Lex.TokenPos(), 2) << Where;
                    EXPECT_EQ(Lex.RunPos(), TokenEnd) << Where;
                    EXPECT_EQ(Lex.LineNumber(), Multi && Break ? 1 : 0) << Where;
                }
}

TEST(LexScan, OneEnormousLine)
{
    std::string Text;
    for (int I = 0; I < 200000; ++I)
        Text += "a:=b+1; ";
    auto T = Scan(Text);
    EXPECT_EQ(T.size(), 200000u * 7);
    EXPECT_TRUE(Joined(Text) == Text);
}

TEST(LexScan, NextIdAndSetRunPos)
{
    TlxBasePasLex Lex;
    const std::string Text = "unit a; interface uses b; implementation end.";
    Lex.SetOrigin(Text.c_str());
    Lex.NextID(ptUses);
    EXPECT_EQ(Lex.TokenID(), ptUses);
    Lex.NextID(ptProgram);
    EXPECT_EQ(Lex.TokenID(), ptNull);
    Lex.SetRunPos(5);
    EXPECT_EQ(Lex.GetToken(), "a");
    Lex.SetLine("begin end");
    EXPECT_EQ(Lex.TokenID(), ptBegin);
}

TEST(LexScan, StatusRoundTrip)
{
    TlxBasePasLex Lex;
    Lex.SetOrigin("a\nb c");
    Lex.NextNoJunk();
    TlxPasLexStatus S = Lex.GetStatus();
    Lex.NextNoJunk();
    EXPECT_EQ(Lex.GetToken(), "c");
    Lex.SetStatus(S);
    EXPECT_EQ(Lex.GetToken(), "b");
    EXPECT_EQ(Lex.LineNumber(), 1);
    Lex.NextNoJunk();
    EXPECT_EQ(Lex.GetToken(), "c");
}

TEST(LexScan, LookAhead)
{
    TlxPasLex Lex;
    Lex.SetOrigin("a { c } b ; x");
    Lex.InitAhead();
    EXPECT_EQ(Lex.GetAheadToken(), "b");
    Lex.AheadNext();
    EXPECT_EQ(Lex.GetAheadTokenID(), ptSemiColon);
    EXPECT_EQ(Lex.GetToken(), "a"); // the main lexer has not moved
    Lex.AheadNext();
    Lex.AheadNext();
    EXPECT_EQ(Lex.GetAheadTokenID(), ptNull);
    EXPECT_EQ(Lex.GetAheadGenID(), ptNull);
}

// Where the quick peek answers, it answers as the look-ahead does, after
// every significant token of texts that put each mark after blanks, line
// breaks, comments, directives and at the end of the text.
TEST(LexScan, PeekAgreesWithTheLookAhead)
{
    const std::vector<std::string> Texts = {
        "a;b,c)d=e]f:g:=h.i..j.)k(l(.m(*c*)n{c}o//c\n;p{$IFDEF X};{$ENDIF}q",
        "x \t\r\n ; y\n\n, z  ) w\r\n= v ] u : t := s . r .. q .) end",
        "a{$DEFINE X} ; b (* ; *) , c // )\n = d {$IFDEF X} ] {$ELSE} ; {$ENDIF}",
        "p ^ q @ r + s - t * u / v < w > x <> y <= z >= 'str' #13 $FF 12 1.5 e",
        "last .", "last :", "last ;", "last", "x\x01;", "y \x01 ,",
    };
    int Answered = 0;
    for (const std::string& Text : Texts) {
        TlxPasLex Lex;
        Lex.SetOrigin(Text.c_str(), int(Text.size()));
        for (int Guard = 0; Lex.TokenID() != ptNull && Guard < 1000; ++Guard) {
            if (!Lex.GetIsJunk()) {
                const TptTokenKind Peeked = Lex.PeekPunctuation();
                Lex.InitAhead();
                if (Peeked != ptUnknown) {
                    ++Answered;
                    EXPECT_EQ(Peeked, Lex.GetAheadTokenID()) << Text << " after " << Lex.GetToken();
                }
            }
            Lex.NextNoJunk();
        }
    }
    EXPECT_GE(Answered, 25);
}

} // namespace

TEST(LexScan, ByteOrderMarkTakesNoColumn)
{
    // Columns of the first line count from the character after the mark, as
    // an editor shows them; the mark itself stands at column 0.
    struct TCase {
        const char* Text;
        const char* Token;
        TPoint At;
    } Cases[] = {
        {"\xEF\xBB\xBFunit a;", "unit", {0, 0}},
        {"\xEF\xBB\xBFunit a;", "a", {5, 0}},
        {"\xEF\xBB\xBF  unit a;\n  x", "unit", {2, 0}},
        {"\xEF\xBB\xBFunit a;\r\n  x", "x", {2, 1}},
        {"\xEF\xBB\xBF{ note }\n{$IFDEF X} y {$ENDIF} z", "z", {22, 1}},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Text);
        TlxPasLex Lex;
        const std::string Text = C.Text;
        Lex.SetOrigin(Text.c_str(), int(Text.size()));
        EXPECT_EQ(Lex.GetPosXY(), (TPoint{0, 0}));
        while (Lex.TokenID() != ptNull && Lex.GetToken() != C.Token)
            Lex.NextNoJunk();
        ASSERT_EQ(Lex.GetToken(), C.Token);
        EXPECT_EQ(Lex.GetPosXY(), C.At);
    }
}
