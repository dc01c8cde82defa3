// The regular-expression matcher shared by the naming-convention and
// component-prefix checks.
//
// A name follows an expression when the expression is empty, or when the
// first match that the engine finds begins at the name's first character and
// spans the whole name. The expression is never anchored by us, so with "a|ab"
// the first match in "ab" is "a" and the name does not follow it. Letters
// match with regard to case; "." matches any character.
//
// Each expression is compiled once and kept. Every search runs under a match
// limit, so a pathological expression ends with an error instead of hanging.
#pragma once

#include "base/qlException.h"
#include "model/uqlClasses.h"

#include <memory>
#include <string>
#include <unordered_map>

// An expression that cannot be compiled, or a search that hit the limits.
// The expression engine's text for one of its error codes.
std::string qlPcreMessage(int Code);

class ERegExpr : public Exception {
public:
    explicit ERegExpr(const std::string& Msg) : Exception(Msg) {}
};

// The compiled-expression cache and the matcher itself; owned by TqlRegExpr.
class TqlRegExprEngine {
public:
    // Upper bounds for one search (backtracking steps, nesting depth, and
    // the heap for backtracking in KiB).
    static constexpr uint32_t MatchLimit = 1000000;
    static constexpr uint32_t DepthLimit = 10000;
    static constexpr uint32_t HeapLimitKiB = 16384;
    // Compiled expressions kept at most; the cache starts afresh when full.
    static constexpr size_t MaxCached = 512;

    TqlRegExprEngine();
    ~TqlRegExprEngine();
    TqlRegExprEngine(const TqlRegExprEngine&) = delete;
    TqlRegExprEngine& operator=(const TqlRegExprEngine&) = delete;

    // The rule above. Raises ERegExpr naming the expression when it cannot
    // be compiled or when the search exceeds the limits.
    bool Matches(const std::string& Expression, const std::string& Text);

    // Number of compiled expressions held (for tests).
    size_t CachedCount() const { return FCache.size(); }

private:
    struct TCompiled;
    const TCompiled& Compile(const std::string& Expression);

    std::unordered_map<std::string, std::unique_ptr<TCompiled>> FCache;
    struct TState;
    std::unique_ptr<TState> FState;
};

// The project's matcher behind IqlRegExpr; owns one engine.
class TqlRegExpr : public TInterfacedObject, public IqlRegExpr {
public:
    TqlRegExpr() = default;
    bool Matches(const std::string& Expression, const std::string& Text) override
    {
        return FEngine.Matches(Expression, Text);
    }
    TqlRegExprEngine& Engine() { return FEngine; }

private:
    TqlRegExprEngine FEngine;
};
