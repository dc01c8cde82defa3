// Include texts replayed instead of scanned again: the parser, the include
// hook and the defined symbols must see what a scan would have shown them.
#include "lexer/lxCompilerConditions.h"
#include "lexer/lxPasLex.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

// What one scan of a main text showed: its significant tokens and messages
// with their places (line:column), the include hook's calls ("+name" when
// asked, "-" when a text ended) and the defined symbols left, in their order.
struct TOutcome {
    std::string Tokens;
    std::vector<std::string> Messages;
    std::vector<std::string> Calls;
    std::string Defines;

    friend bool operator==(const TOutcome&, const TOutcome&) = default;
};

std::ostream& operator<<(std::ostream& Out, const TOutcome& O)
{
    Out << "tokens [" << O.Tokens << "] defines [" << O.Defines << "] calls [";
    for (const std::string& C : O.Calls)
        Out << C << ' ';
    Out << "] messages [";
    for (const std::string& M : O.Messages)
        Out << M << "; ";
    return Out << ']';
}

// Include files served by name, as the analysis serves them: a fresh lexer for
// each main text, and one replay store per file for all of them (when Offer).
struct TRig {
    std::map<std::string, std::string> Files;
    std::map<std::string, std::shared_ptr<TlxIncludeReplays>> Replays;
    bool Offer = true;
    // A set the host hands the lexer instead of its own, when given.
    TlxDefineSet* Handed = nullptr;
    // Called on each new lexer, before the scan.
    std::function<void(TlxBasePasLex&)> Setup;

    TOutcome Scan(const std::string& Main, const std::vector<std::string>& Defines = {})
    {
        TOutcome O;
        TlxPasLex Lex;
        if (Handed)
            Lex.SetDefinedList(Handed);
        for (const std::string& D : Defines)
            Lex.DefinedList()->AddSorted(D);
        if (Setup)
            Setup(Lex);
        Lex.SetOnMessage([&O](void*, const std::string& Msg, int X, int Y) {
            O.Messages.push_back(Msg + "@" + std::to_string(Y) + ":" + std::to_string(X));
        });
        Lex.SetOnIncludeDirect([&](TlxBasePasLex* Sender, const std::string& Name) -> const char* {
            auto It = Files.find(Name);
            O.Calls.push_back("+" + Name + (It == Files.end() ? "?" : ""));
            if (It == Files.end())
                return nullptr;
            std::shared_ptr<TlxIncludeReplays>& R = Replays[Name];
            if (!R)
                R = std::make_shared<TlxIncludeReplays>();
            if (Offer)
                Sender->OfferIncludeReplays(R);
            return It->second.c_str();
        });
        Lex.SetOnIncludeEnd([&O](TlxBasePasLex*) { O.Calls.push_back("-"); });
        Lex.SetOrigin(Main.c_str(), int(Main.size()));
        if (Lex.GetIsJunk())
            Lex.NextNoJunk();
        for (int Guard = 0; Lex.TokenID() != ptNull && Guard < 100000; ++Guard) {
            const TPoint P = Lex.GetPosXY();
            O.Tokens += (O.Tokens.empty() ? "" : " ") + Lex.GetToken() + "@" + std::to_string(P.Y) + ":" +
                        std::to_string(P.X);
            Lex.NextNoJunk();
        }
        for (int i = 0; i < Lex.DefinedList()->Count(); ++i)
            O.Defines += (i ? " " : "") + Lex.DefinedList()->GetItems(i)->Str;
        return O;
    }
};

struct TRun {
    std::string Main;
    std::vector<std::string> Defines;
    // Files changed before the run (an empty text: the file is gone); the
    // host then offers a new store for each, as for a file read again.
    std::map<std::string, std::string> Changes = {};
};

struct TCase {
    const char* Name;
    std::map<std::string, std::string> Files;
    std::vector<TRun> Runs;
};

void ExpectReplaysShowWhatScansShow(const TCase& C)
{
    TRig Scanned, Replayed;
    Scanned.Offer = false;
    Scanned.Files = Replayed.Files = C.Files;
    for (size_t i = 0; i < C.Runs.size(); ++i) {
        for (const auto& [Name, Text] : C.Runs[i].Changes) {
            for (TRig* Rig : {&Scanned, &Replayed}) {
                if (Text.empty())
                    Rig->Files.erase(Name);
                else
                    Rig->Files[Name] = Text;
            }
            Replayed.Replays.erase(Name);
        }
        const TOutcome Want = Scanned.Scan(C.Runs[i].Main, C.Runs[i].Defines);
        EXPECT_EQ(Replayed.Scan(C.Runs[i].Main, C.Runs[i].Defines), Want) << C.Name << ", run " << i;
    }
}

TEST(LexIncludeReplay, ReplaysShowWhatScansShow)
{
    const std::string Uses = " {$IFDEF A} a {$ENDIF} {$IFDEF B} b {$ENDIF} {$IFDEF C} c {$ENDIF} end";
    const std::vector<TCase> Cases = {
        {"defines that depend on the state",
         {{"d.inc", "{$IFDEF A}{$DEFINE B}{$ELSE}{$DEFINE C}{$ENDIF} // note\n(* more *) {$UNDEF A}"}},
         {{"{$I d.inc}" + Uses, {"A"}}, {"{$I d.inc}" + Uses, {}}, {"{$I d.inc}" + Uses, {"A"}},
          {"{$I d.inc}" + Uses, {}}, {"{$I d.inc} {$I d.inc}" + Uses, {"A", "X"}}}},
        {"the order of the symbols",
         {{"o.inc", "{$UNDEF A}{$DEFINE C}{$DEFINE A}{$DEFINE B}"}},
         {{"{$I o.inc} {$UNDEF C}" + Uses, {"A", "X", "Y"}}, {"{$I o.inc} {$UNDEF C}" + Uses, {"A", "X", "Y"}}}},
        {"nested texts",
         {{"outer.inc", "{$IFNDEF OUTER}{$DEFINE OUTER}{$I inner.inc}{$DEFINE B}{$ENDIF}"},
          {"inner.inc", "{$IFDEF OUTER}{$DEFINE A}{$ENDIF}{$I leaf.inc}"},
          {"leaf.inc", "{$DEFINE C}"}},
         {{"{$I outer.inc}" + Uses, {}}, {"{$I outer.inc} {$I outer.inc}" + Uses, {}},
          {"{$I inner.inc}" + Uses, {}}, {"{$I outer.inc}" + Uses, {}}}},
        {"code in the text",
         {{"code.inc", "procedure P; {$DEFINE B}"}},
         {{"x {$I code.inc}" + Uses, {}}, {"x {$I code.inc}" + Uses, {}}}},
        {"code in a branch the state compiles",
         {{"maybe.inc", "{$IFDEF A} shown {$ENDIF}{$DEFINE C}"}},
         {{"{$I maybe.inc}" + Uses, {}}, {"{$I maybe.inc}" + Uses, {"A"}}, {"{$I maybe.inc}" + Uses, {}}}},
        {"a text that closes the conditional around it",
         {{"close.inc", "{$ENDIF}{$IFDEF B}"}, {"else.inc", "{$ELSE}{$DEFINE C}"}},
         {{"{$IFDEF A} {$I close.inc} {$ENDIF}" + Uses, {"A", "B"}},
          {"{$IFDEF A} {$I close.inc} {$ENDIF}" + Uses, {"A", "B"}},
          {"{$IFDEF A} {$I else.inc} {$ENDIF}" + Uses, {"A"}},
          {"{$IFDEF A} {$I else.inc} {$ENDIF}" + Uses, {"A"}}}},
        {"messages",
         {{"bad.inc", "{$IFDEF}{$ENDIF}{$DEFINE A}"}, {"open.inc", "{$IFDEF Q}{$DEFINE A}"},
          {"self.inc", "{$DEFINE C}{$I self.inc}"}},
         {{"{$I bad.inc} {$I open.inc} {$I self.inc}" + Uses, {}},
          {"{$I bad.inc} {$I open.inc} {$I self.inc}" + Uses, {}}}},
        {"switches stay inside the text",
         {{"sw.inc", "{$R+}{$IFOPT R+}{$DEFINE B}{$ENDIF}{$I swin.inc}"},
          {"swin.inc", "{$IFOPT R+}{$DEFINE C}{$ENDIF}"}},
         {{"{$R-} {$I sw.inc} {$IFOPT R+} leak {$ENDIF}" + Uses, {}},
          {"{$R-} {$I sw.inc} {$IFOPT R+} leak {$ENDIF}" + Uses, {}},
          {"{$R-} {$I swin.inc}" + Uses, {}},
          {"{$R-} {$I sw.inc} {$IFOPT R+} leak {$ENDIF}" + Uses, {}, {{"swin.inc", "{$IFOPT R+}{$DEFINE B}{$ENDIF} x"}}}}},
        {"changes after a replay stay with the lexer that made them",
         {{"s.inc", "{$DEFINE A}{$DEFINE C}"}, {"t.inc", "{$I s.inc}{$DEFINE B}"}},
         {{"{$I s.inc} {$UNDEF C} {$DEFINE B}" + Uses, {}}, {"{$I s.inc} {$UNDEF C} {$DEFINE B}" + Uses, {}},
          {"{$I s.inc}" + Uses, {}}, {"{$I t.inc} {$UNDEF A} {$I s.inc} {$UNDEF B}" + Uses, {}},
          {"{$I t.inc}" + Uses, {}}, {"{$I s.inc} {$I t.inc}" + Uses, {}}}},
        {"a nested text that is missing",
         {{"m.inc", "{$I gone.inc}{$DEFINE A}"}},
         {{"{$I m.inc}" + Uses, {}}, {"{$I m.inc}" + Uses, {}}}},
    };
    for (const TCase& C : Cases)
        ExpectReplaysShowWhatScansShow(C);
}

TEST(LexIncludeReplay, AChangedNestedTextIsScannedFromWhereTheReplayStops)
{
    // The outer texts stay kept while the innermost one changes under them:
    // the scan takes over at the changed text and goes on through the rest
    // of each outer text, whose places must be right.
    const std::string Main = "{$I a.inc} {$IFDEF A} a {$ENDIF} {$IFDEF C} c {$ENDIF} end";
    const TCase C{
        "nested change",
        {{"a.inc", "{$DEFINE A}\n  {$I b.inc}\n{$IFDEF V} after_b {$ENDIF}"},
         {"b.inc", "// b\n{$IFDEF A}\n  {$I c.inc} {$IFDEF V} after_c {$ENDIF}\n{$ENDIF}\n{$DEFINE C}"},
         {"c.inc", "{$DEFINE W}"}},
        {{Main, {}},
         {Main, {}},
         {Main, {}, {{"c.inc", "{$DEFINE V}"}}},
         {Main, {}},
         {Main, {}, {{"c.inc", "code {$DEFINE V}"}}},
         {Main, {}, {{"c.inc", ""}}},
         {Main, {}, {{"c.inc", "{$IFDEF}"}}},
         {Main, {"W"}, {{"b.inc", "{$I c.inc}{$UNDEF A}"}}},
         {Main, {}}}};
    ExpectReplaysShowWhatScansShow(C);
}

TEST(LexIncludeReplay, ANestedTextTooDeepIsRefusedAsInAScan)
{
    // f.inc is kept from a shallow inclusion, then met at the deepest level
    // allowed, where the text it includes is one level too deep.
    TCase C{"deep", {{"f.inc", "{$I g.inc}{$DEFINE A}"}, {"g.inc", "{$DEFINE B}"}}, {}};
    const int Last = TlxBasePasLex::MaxIncludeDepth - 2;
    for (int i = 0; i <= Last; ++i)
        C.Files["d" + std::to_string(i) + ".inc"] =
            "x" + std::to_string(i) + (i == Last ? " {$I f.inc}" : " {$I d" + std::to_string(i + 1) + ".inc}");
    C.Runs = {{"{$I f.inc} {$IFDEF B} b {$ENDIF}", {}}, {"{$I d0.inc} {$IFDEF B} b {$ENDIF}", {}}};
    ExpectReplaysShowWhatScansShow(C);
}

TEST(LexIncludeReplay, OnlyTextsThatGiveNothingAreKept)
{
    TRig Rig;
    Rig.Files = {{"pure.inc", "{$DEFINE A} { comment } (* comment *) // comment\n"},
                 {"code.inc", "{$DEFINE A} x"},
                 {"skipped.inc", "{$IFDEF NEVER} x y {$ENDIF}{$DEFINE A}"}};
    for (const auto& [Name, Text] : Rig.Files)
        Rig.Scan("{$I " + Name + "}");
    TlxDefineSet None;
    TlxBooleanDirectives NoSwitches;
    EXPECT_NE(Rig.Replays["pure.inc"]->Find(None, NoSwitches), nullptr);
    EXPECT_NE(Rig.Replays["skipped.inc"]->Find(None, NoSwitches), nullptr);
    EXPECT_EQ(Rig.Replays["code.inc"]->Find(None, NoSwitches), nullptr);
    EXPECT_FALSE(Rig.Replays["code.inc"]->Watched());
}

TEST(LexIncludeReplay, ASetHandedToTheLexerSeesWhatAReplayDefines)
{
    // The host owns the set and reads it after the scan: a replay must leave
    // its symbols there, not in a set of the lexer's.
    TRig Rig;
    Rig.Files = {{"s.inc", "{$DEFINE A}{$UNDEF B}{$DEFINE C}"}};
    Rig.Scan("{$I s.inc}", {"B"});
    for (int Run = 0; Run < 2; ++Run) {
        TlxDefineSet Host;
        Host.AddSorted("B");
        Rig.Handed = &Host;
        EXPECT_EQ(Rig.Scan("{$I s.inc} {$IFDEF C} c {$ENDIF}").Tokens, "c@0:22") << Run;
        std::string Left;
        for (int i = 0; i < Host.Count(); ++i)
            Left += (i ? " " : "") + Host.GetItems(i)->Str;
        EXPECT_EQ(Left, "A C") << Run;
    }
}

TEST(LexIncludeReplay, AReplayTakesTheStoreAtItsWord)
{
    // The store stands for one text: a host that serves another text under
    // it gets the effect recorded, which shows the text was not scanned. A
    // new store (a file read again) is scanned.
    TRig Rig;
    Rig.Files = {{"v.inc", "{$DEFINE V1}"}, {"outer.inc", "{$I v.inc}"}};
    const std::string Main = "{$I outer.inc} {$IFDEF V1} one {$ENDIF} {$IFDEF V2} two {$ENDIF}";
    EXPECT_EQ(Rig.Scan(Main).Tokens, "one@0:27");
    Rig.Files["v.inc"] = "{$DEFINE V2}";
    EXPECT_EQ(Rig.Scan(Main).Tokens, "one@0:27");
    Rig.Replays["v.inc"] = std::make_shared<TlxIncludeReplays>();
    EXPECT_EQ(Rig.Scan(Main).Tokens, "two@0:52");
}

} // namespace

TEST(LexIncludeReplay, CompilerVersionConditionsAreReplayedDeclaredOnesScanned)
{
    // Comparisons are answered from their operands alone; Declared() may
    // answer otherwise once more is declared, so a text that asks is
    // scanned each time.
    TRig Rig;
    Rig.Files = {{"ver.inc", "{$IF CompilerVersion < 18}{$DEFINE OLD}{$IFEND}"},
                 {"decl.inc", "{$IF Declared(UInt64)}{$DEFINE BIG}{$IFEND}"}};
    int Asked = 0;
    Rig.Setup = [&Asked](TlxBasePasLex& Lex) {
        lxSetDelphi7Conditions(Lex, [&Asked](const std::string&) { return ++Asked > 0; });
    };
    const std::string Main = "{$I ver.inc}{$I decl.inc} {$IFDEF OLD} old {$ENDIF} {$IFDEF BIG} big {$ENDIF}";
    const TOutcome First = Rig.Scan(Main);
    EXPECT_EQ(First.Tokens, "old@0:39 big@0:65");
    const TlxDefineSet None;
    EXPECT_NE(Rig.Replays["ver.inc"]->Find(None, TlxBooleanDirectives()), nullptr);
    EXPECT_EQ(Rig.Replays["decl.inc"]->Find(None, TlxBooleanDirectives()), nullptr);
    EXPECT_EQ(Rig.Scan(Main), First);
    EXPECT_EQ(Asked, 2);
}
