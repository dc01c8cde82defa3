// The parser class that the project creates, one per unit file: the last
// link of the parser chain. It resolves the identifiers of statements and
// expressions to their symbols and records each use.
#pragma once

#include "analysis/uqlTypeParser.h"

class TAnalyzeParser : public TTypeParser {
public:
    using TTypeParser::TTypeParser;

    // Resolves the identifier at the current token and the chain of "." and
    // "[" selectors after it; Context (when it opens members) is searched
    // first.
    TqlSymbol* ResolveIdentifier(TqlSymbol* Context) override;
    // Resolves a whole designator: address operators, "inherited",
    // selectors, dereferences, calls, indexes and "as" casts.
    TqlSymbol* ResolveDesignator(TqlSymbol* Context) override;

    void Factor() override;
    // The in-path of a used or contained unit is a file name, not a string
    // literal of the code.
    void MainUsedUnitStatement() override;
    void ContainsStatement() override;
    void ForStatement() override;
    void WithStatement() override;
    // A bare "inherited" calls the ancestor's method of the same name.
    void InheritedStatement() override;
    // The words of the instructions that name symbols are uses of them.
    void AsmStatement() override;

    bool LastResolved() const { return FLastResolved; }
    TqlSymbol* LastSymbol() const { return FLastSymbol; }

private:
    TqlSymbol* DesignatorPart(TqlSymbol* Context);
    TqlSymbol* Qualifiers(TqlSymbol* Symbol);
    // The first entry of an argument or index list, when it starts with a
    // selector or an address operator.
    void FirstListEntry(TqlSymbol* Symbol);
    // What may follow a closing ")" or "]": returns false when the
    // designator ends there.
    bool AfterList(TqlSymbol*& Symbol);
    TqlSymbol* ResolveCastType();
    // "inherited" with no name after it, in a method: a use of the method
    // it calls and of each parameter it passes on.
    void RecordBareInherited();
    // A word of an asm block: the symbol it names where it stands (or, with
    // Members, the member of that container), its use recorded. Answers the
    // container a following "." selects from.
    TqlSymbol* RecordAsmWord(const std::string& Word, TqlSymbol* Members);

    bool FInUnitPath = false;
    bool FLastResolved = false;
    TqlSymbol* FLastSymbol = nullptr;
};
