#define PCRE2_CODE_UNIT_WIDTH 8
#include "settings/uqlRegExpr.h"

#include <pcre2.h>

std::string qlPcreMessage(int Code)
{
    PCRE2_UCHAR Buf[256];
    if (pcre2_get_error_message(Code, Buf, sizeof Buf) < 0)
        return "error " + std::to_string(Code);
    return reinterpret_cast<const char*>(Buf);
}

struct TqlRegExprEngine::TCompiled {
    pcre2_code* Code = nullptr;
    ~TCompiled() { pcre2_code_free(Code); }
};

struct TqlRegExprEngine::TState {
    pcre2_compile_context* CompileContext = nullptr;
    pcre2_match_context* MatchContext = nullptr;
    pcre2_match_data* MatchData = nullptr;
    ~TState()
    {
        pcre2_match_data_free(MatchData);
        pcre2_match_context_free(MatchContext);
        pcre2_compile_context_free(CompileContext);
    }
};

TqlRegExprEngine::TqlRegExprEngine() : FState(std::make_unique<TState>())
{
    FState->CompileContext = pcre2_compile_context_create(nullptr);
    FState->MatchContext = pcre2_match_context_create(nullptr);
    FState->MatchData = pcre2_match_data_create(1, nullptr);
    if (!FState->CompileContext || !FState->MatchContext || !FState->MatchData)
        throw ERegExpr("Out of memory for the regular-expression engine.");
    pcre2_set_match_limit(FState->MatchContext, MatchLimit);
    pcre2_set_depth_limit(FState->MatchContext, DepthLimit);
    pcre2_set_heap_limit(FState->MatchContext, HeapLimitKiB);
}

TqlRegExprEngine::~TqlRegExprEngine() = default;

const TqlRegExprEngine::TCompiled& TqlRegExprEngine::Compile(const std::string& Expression)
{
    auto It = FCache.find(Expression);
    if (It != FCache.end())
        return *It->second;

    int ErrorCode = 0;
    PCRE2_SIZE ErrorOffset = 0;
    // Bytes, not UTF-8: names are 8-bit text. "." also matches line breaks.
    const uint32_t Options = PCRE2_DOTALL | PCRE2_NEVER_UTF | PCRE2_NEVER_UCP;
    auto C = std::make_unique<TCompiled>();
    C->Code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(Expression.data()), Expression.size(),
                            Options, &ErrorCode, &ErrorOffset, FState->CompileContext);
    if (!C->Code)
        throw ERegExpr("Invalid regular expression \"" + Expression + "\": " +
                       qlPcreMessage(ErrorCode) + " at offset " + std::to_string(ErrorOffset) +
                       ".");
    if (FCache.size() >= MaxCached)
        FCache.clear();
    return *FCache.emplace(Expression, std::move(C)).first->second;
}

bool TqlRegExprEngine::Matches(const std::string& Expression, const std::string& Text)
{
    if (Expression.empty())
        return true;
    const TCompiled& C = Compile(Expression);
    const int Rc = pcre2_match(C.Code, reinterpret_cast<PCRE2_SPTR>(Text.data()), Text.size(), 0,
                               0, FState->MatchData, FState->MatchContext);
    if (Rc == PCRE2_ERROR_NOMATCH)
        return false;
    if (Rc < 0) {
        std::string Reason = qlPcreMessage(Rc);
        if (Rc == PCRE2_ERROR_MATCHLIMIT || Rc == PCRE2_ERROR_DEPTHLIMIT ||
            Rc == PCRE2_ERROR_HEAPLIMIT)
            Reason = "the expression is too complex to match (" + Reason + ")";
        throw ERegExpr("Regular expression \"" + Expression + "\" failed on \"" + Text +
                       "\": " + Reason + ".");
    }
    const PCRE2_SIZE* Ov = pcre2_get_ovector_pointer(FState->MatchData);
    return Ov[0] == 0 && Ov[1] == Text.size();
}
