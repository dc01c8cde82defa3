// libFuzzer target: parses arbitrary bytes as Object Pascal source. The
// parser's fatal error is an expected outcome; anything else (a crash, a
// sanitizer report, another exception, a hang) is a finding.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "lexer/lxSimplePasPar.h"

namespace {

// Serves every include directive with a small fixed text, so that the
// include machinery is exercised too (the lexer caps the nesting).
class TFuzzParser : public TlxSimplePasPar {
public:
    TFuzzParser(const TlxPasHash* KeyTable, const TlxDirectiveHash* DirectiveTable)
        : TlxSimplePasPar(KeyTable, DirectiveTable)
    {
        Lexer().SetOnIncludeDirect([this](TlxBasePasLex* Sender, const std::string& Name) {
            return HandlePtIncludeDirect(Sender, Name);
        });
    }
    const char* HandlePtIncludeDirect(TlxBasePasLex*, const std::string& Name) override
    {
        if (Name == "self.inc")
            return "procedure X; begin {$I self.inc} end;";
        if (Name == "a.inc")
            return "const A = 1; type T = class end;";
        return nullptr;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    static const TlxPasHash KeyTable;
    static const TlxDirectiveHash DirectiveTable;
    TFuzzParser P(&KeyTable, &DirectiveTable);
    P.SetOnMessage([](void*, const std::string&, int, int) {});
    TlxLexStream S;
    std::istringstream In(std::string(reinterpret_cast<const char*>(Data), Size));
    S.LoadFromStream(In);
    try {
        P.Run("", &S);
    } catch (const ESyntaxError&) {
    }
    return 0;
}
