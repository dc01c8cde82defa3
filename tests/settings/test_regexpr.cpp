#include "settings/uqlRegExpr.h"

#include <gtest/gtest.h>

#include <chrono>

TEST(RegExprEngine, EmptyExpressionMatchesEveryName)
{
    TqlRegExprEngine E;
    EXPECT_TRUE(E.Matches("", ""));
    EXPECT_TRUE(E.Matches("", "anything"));
    EXPECT_EQ(E.CachedCount(), 0u);
}

TEST(RegExprEngine, WholeNameMustBeTheFirstMatch)
{
    TqlRegExprEngine E;
    EXPECT_TRUE(E.Matches("[A-Z]+", "MAXSIZE"));
    EXPECT_FALSE(E.Matches("[A-Z]+", "MaxSize")) << "case matters";
    EXPECT_TRUE(E.Matches("v[A-Z].*", "vCount"));
    EXPECT_FALSE(E.Matches("v[A-Z].*", "count"));
    EXPECT_FALSE(E.Matches("v[A-Z].*", "VCount"));
    EXPECT_FALSE(E.Matches("a|ab", "ab")) << "the first match is only a prefix";
    EXPECT_TRUE(E.Matches("ab|a", "ab"));
    EXPECT_FALSE(E.Matches("[A-Z].*", "xA")) << "a match after the first character";
    EXPECT_FALSE(E.Matches("btn[A-Z].+", "btn"));
    EXPECT_FALSE(E.Matches("btn[A-Z].+", "btnO"));
    EXPECT_TRUE(E.Matches("btn[A-Z].+", "btnOK"));
    EXPECT_FALSE(E.Matches("btn", "xbtn"));
    EXPECT_FALSE(E.Matches("[A-Z]", "")) << "no match at all";
}

TEST(RegExprEngine, NamesAreBytesNotUtf8)
{
    TqlRegExprEngine E;
    // Windows-1252 letters, invalid as UTF-8, must not upset the engine.
    EXPECT_TRUE(E.Matches("T.*", "T\xE4gliche"));
    EXPECT_TRUE(E.Matches("F.", "F\xFF"));
    EXPECT_FALSE(E.Matches("F.", "F\xC3\xA4")) << "two bytes are two characters";
}

TEST(RegExprEngine, CompilesEachExpressionOnce)
{
    TqlRegExprEngine E;
    for (int I = 0; I < 3; ++I) {
        E.Matches("T[A-Z].*", "TFoo");
        E.Matches("I[A-Z].*", "IFoo");
    }
    EXPECT_EQ(E.CachedCount(), 2u);
    for (size_t I = 0; I < TqlRegExprEngine::MaxCached + 5; ++I)
        E.Matches("x" + std::to_string(I), "x");
    EXPECT_LE(E.CachedCount(), TqlRegExprEngine::MaxCached);
    EXPECT_TRUE(E.Matches("T[A-Z].*", "TFoo"));
}

TEST(RegExprEngine, InvalidExpressionNamesThePattern)
{
    TqlRegExprEngine E;
    for (const std::string Bad : {"btn[A-Z", "(unclosed", "*lead", "a{2,1}"}) {
        try {
            E.Matches(Bad, "btnOK");
            ADD_FAILURE() << "compiled: " << Bad;
        } catch (const ERegExpr& X) {
            EXPECT_NE(std::string(X.what()).find("\"" + Bad + "\""), std::string::npos)
                << X.what();
        }
    }
    // The bad pattern does not spoil later matches.
    EXPECT_TRUE(E.Matches("btn[A-Z].+", "btnOK"));
}

TEST(RegExprEngine, HostilePatternEndsWithAnErrorInsteadOfHanging)
{
    TqlRegExprEngine E;
    const std::string Name = std::string(40, 'a') + "!";
    const auto Start = std::chrono::steady_clock::now();
    EXPECT_THROW(E.Matches("(a+)+$", Name), ERegExpr);
    EXPECT_THROW(E.Matches("(a|aa)*(b|c)", Name), ERegExpr);
    EXPECT_THROW(E.Matches("((a*)*)*[^!]$", Name), ERegExpr);
    const auto Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - Start);
    EXPECT_LT(Seconds.count(), 30.0);
    try {
        E.Matches("(a+)+$", Name);
        ADD_FAILURE() << "no error";
    } catch (const ERegExpr& X) {
        EXPECT_NE(std::string(X.what()).find("(a+)+$"), std::string::npos) << X.what();
    }
}
