// The scanner for the inside of a compiler-directive comment ("{$...}" or
// "(*$...*)"). The lexer drives it word by word while it acts on a directive.
#pragma once

#include "lexer/lxPasLexTypes.h"

#include <memory>
#include <string>

class TlxDirectiveLex {
public:
    // Uses DirectiveTable (not owned), or creates and owns a table when nil.
    explicit TlxDirectiveLex(const TlxDirectiveHash* DirectiveTable = nullptr);
    TlxDirectiveLex(const TlxDirectiveLex&) = delete;
    TlxDirectiveLex& operator=(const TlxDirectiveLex&) = delete;
    ~TlxDirectiveLex();

    // Starts scanning Text at Position (just after "{$" or "(*$"); State is
    // ptBorDirective or ptAnsiDirective and tells which bracket closes.
    void Init(const char* Text, int Position, TptTokenKind State);
    // Scans one token; every token but cdNull consumes at least one character.
    void Next();
    std::string GetToken() const;
    int GetTokenLen() const { return FRun - FMark; }
    // cdIdentifier for every kind that is a word, else the kind.
    TcdTokenKind GetGenID() const;
    static bool IsWordKind(TcdTokenKind Kind);
    // The kind of the token after the current one; the position is kept.
    TcdTokenKind GetAheadID();

    void SetOrigin(const char* Text) { FOrigin = Text; }
    void SetRunPos(int Position);
    void SetState(TptTokenKind State) { FState = State; }

    // Switch letters ({$A+}, {$I file}) are directive names only: the scanner
    // applies their rules to the first word of a directive and to a word that
    // follows a comma (as in {$A+,B-}); elsewhere a single letter is a word.
    void SetExpectName(bool Value) { FExpectName = Value; }
    // While set, a word that is not a directive's name is taken as an
    // identifier without being looked up: for the words whose kind nobody
    // asks (a symbol's name, the rest of a directive that is passed over).
    void SetWordsOnly(bool Value) { FWordsOnly = Value; }
    bool WordsOnly() const { return FWordsOnly; }
    // While set, a run of letters, digits and underscores is one word, also
    // when it starts with a digit: the name of a conditional symbol.
    void SetSymbolName(bool Value) { FSymbolName = Value; }
    bool ExpectName() const { return FExpectName; }

    TcdTokenKind TokenID() const { return FTokenID; }
    int RunPos() const { return FRun; }
    int TokenPos() const { return FMark; }
    TptTokenKind State() const { return FState; }
    const char* Origin() const { return FOrigin; }
    const TlxDirectiveHash* DirectiveTable() const { return FTable; }

private:
    void ScanWord();
    void ScanString();
    // Whether the directive's closing bracket starts at Pos.
    bool AtClose(int Pos) const;
    unsigned char Ch(int Pos) const { return static_cast<unsigned char>(FOrigin[Pos]); }

    const char* FOrigin = "";
    int FRun = 0;
    int FMark = 0;
    TcdTokenKind FTokenID = cdUnknown;
    TptTokenKind FState = ptBorDirective;
    bool FExpectName = true;
    bool FWordsOnly = false;
    bool FSymbolName = false;
    const TlxDirectiveHash* FTable = nullptr;
};
