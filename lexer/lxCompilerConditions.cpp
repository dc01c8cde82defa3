#include "lexer/lxCompilerConditions.h"

#include <cstdlib>

namespace {

struct TOperand {
    bool IsNumber = false;
    double Number = 0;
    std::string Text;
};

// The constants of the System unit that conditions compare with.
bool CompilerConstant(const std::string& Name, double& Value)
{
    if (lxSameText(Name, "CompilerVersion") || lxSameText(Name, "RTLVersion")) {
        Value = 15.0;
        return true;
    }
    return false;
}

bool ValueOf(TcdTokenKind Kind, const std::string& Text, TOperand& Value)
{
    switch (Kind) {
    case cdNumber:
        Value.IsNumber = true;
        Value.Number = !Text.empty() && Text[0] == '$'
                           ? double(std::strtoull(Text.c_str() + 1, nullptr, 16))
                           : std::strtod(Text.c_str(), nullptr);
        return true;
    case cdFloat:
        Value.IsNumber = true;
        Value.Number = std::strtod(Text.c_str(), nullptr);
        return true;
    case cdStringConst:
        Value.Text = Text.size() >= 2 ? Text.substr(1, Text.size() - 2) : std::string();
        return true;
    case cdIdentifier:
        Value.IsNumber = true;
        return CompilerConstant(Text, Value.Number);
    default:
        return false;
    }
}

template <typename T>
bool Relate(const T& A, TcdTokenKind Relation, const T& B)
{
    switch (Relation) {
    case cdEqual: return A == B;
    case cdNotEqual: return !(A == B);
    case cdLower: return A < B;
    case cdLowerEqual: return !(B < A);
    case cdGreater: return B < A;
    case cdGreaterEqual: return !(A < B);
    default: return false;
    }
}

} // namespace

bool lxDelphi7Comparison(TcdTokenKind KindOne, const std::string& One, TcdTokenKind Relation,
                         TcdTokenKind KindTwo, const std::string& Two)
{
    TOperand A, B;
    if (!ValueOf(KindOne, One, A) || !ValueOf(KindTwo, Two, B) || A.IsNumber != B.IsNumber)
        return false;
    return A.IsNumber ? Relate(A.Number, Relation, B.Number) : Relate(A.Text, Relation, B.Text);
}

void lxSetDelphi7Conditions(TlxBasePasLex& Lex, std::function<bool(const std::string& Name)> IsDeclared)
{
    // The answers depend on the operands alone, so an include file's
    // conditions come out the same each time it is read.
    Lex.SetOnExpression(
        [](TlxBasePasLex*, TcdTokenKind KindOne, const std::string& One, TcdTokenKind Relation,
           TcdTokenKind KindTwo, const std::string& Two) {
            return lxDelphi7Comparison(KindOne, One, Relation, KindTwo, Two);
        },
        true);
    if (IsDeclared)
        Lex.SetOnDeclared([IsDeclared = std::move(IsDeclared)](TlxBasePasLex*, const std::string& Name) {
            return IsDeclared(Name);
        });
    else
        Lex.SetOnDeclared(nullptr);
}
