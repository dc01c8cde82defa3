// libFuzzer target: the lexer with directives evaluated, include files (a
// fixed small text, nested at most three deep by the handler), look-ahead,
// and the lossless token stream without directives.
#include "lexer/lxPasLex.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

const char* const IncludedText =
    "{$DEFINE FROMINC} inc1 {$IFDEF X} x {$ELSE} {$I nested.inc} {$ENDIF} 'str' (* c *) inc2";

const TlxPasHash& Keys()
{
    static const TlxPasHash K;
    return K;
}
const TlxDirectiveHash& Dirs()
{
    static const TlxDirectiveHash D;
    return D;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size > 1 << 20)
        return 0;
    const std::string Text(reinterpret_cast<const char*>(Data), Size);
    const int Len = int(Size);

    // Lossless scan: the token texts give back the input.
    {
        TlxBasePasLex Lex(&Keys(), &Dirs());
        Lex.SetOrigin(Text.c_str(), Len);
        std::string Joined;
        size_t Steps = 0;
        for (;;) {
            Joined.append(Lex.GetTokenPtr(), size_t(Lex.GetTokenLen()));
            if (Lex.TokenID() == ptNull)
                break;
            if (++Steps > Size + 2)
                std::abort(); // no progress
            Lex.Next();
        }
        if (Joined != Text)
            std::abort();
    }

    // Directives evaluated, with every event assigned.
    TlxPasLex Lex(&Keys(), &Dirs());
    Lex.DefinedList()->AddSorted("X");
    size_t Events = 0;
    auto Count = [&Events](auto&&...) { ++Events; };
    Lex.SetOnMessage([&](void*, const std::string&, int, int) { ++Events; });
    Lex.SetOnInvalidDirect(Count);
    Lex.SetOnDefineDirect(Count);
    Lex.SetOnUnDefDirect(Count);
    Lex.SetOnIfDefDirect(Count);
    Lex.SetOnIfNDefDirect(Count);
    Lex.SetOnElseDirect(Count);
    Lex.SetOnEndIfDirect(Count);
    Lex.SetOnIfDirect(Count);
    Lex.SetOnElseIfDirect(Count);
    Lex.SetOnIfEndDirect(Count);
    Lex.SetOnIfOptDirect(Count);
    Lex.SetOnResourceDirect(Count);
    Lex.SetOnLineEnd(Count);
    Lex.SetOnIncludeEnd(Count);
    Lex.SetOnDefined(Count);
    Lex.OnSwitchDirect = Count;
    Lex.SetOnDeclared([](TlxBasePasLex*, const std::string& Name) { return Name.size() % 2 == 0; });
    Lex.SetOnExpression([](TlxBasePasLex*, TcdTokenKind, const std::string& A, TcdTokenKind,
                           TcdTokenKind, const std::string& B) { return A.size() < B.size(); });
    Lex.SetOnIncludeDirect([](TlxBasePasLex* Sender, const std::string& Name) -> const char* {
        if (Name == "none.inc" || Sender->IncludeDepth() >= 3)
            return nullptr;
        return IncludedText;
    });
    Lex.SetOrigin(Text.c_str(), Len);
    size_t Steps = 0;
    while (Lex.TokenID() != ptNull) {
        if (++Steps > 4 * Size + 64)
            std::abort(); // no progress
        if (Steps % 5 == 0) {
            Lex.InitAhead();
            Lex.AheadNext();
            (void)Lex.GetAheadGenID();
        }
        (void)Lex.GetToken();
        (void)Lex.GetStringContent();
        Lex.NextNoJunk();
    }
    return Events == size_t(-1);
}
