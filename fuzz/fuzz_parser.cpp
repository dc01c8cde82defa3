// libFuzzer target: parses arbitrary bytes as Object Pascal source. The
// parser's fatal error is an expected outcome; anything else (a crash, a
// sanitizer report, another exception, a hang) is a finding.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "lexer/lxSimplePasPar.h"

namespace {

// Serves every include directive with a small fixed text, so that the
// include machinery is exercised too (the lexer caps the nesting). The
// texts keep their replays from one input to the next, as the texts of one
// analysis do from unit to unit: the replays of texts of directives alone,
// nested or not, and the hand-over to a scan are exercised as well.
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
        static const std::map<std::string, std::string> Texts = {
            {"a.inc", "const A = 1; type T = class end;"},
            {"d.inc", "{$IFDEF A}{$DEFINE B}{$ELSE}{$DEFINE A}{$ENDIF}{$I e.inc}{$IFDEF C}{$UNDEF A}{$ENDIF}"},
            {"e.inc", "{$IFNDEF E}{$DEFINE E}{$I f.inc}{$ENDIF}{$DEFINE C}{$I d.inc}"},
            {"f.inc", "{$IFDEF B} const F = 1; {$ENDIF}{$IFOPT R+}{$DEFINE R}{$ENDIF}{$R-}{$I g.inc}"},
            {"g.inc", "{$IFDEF A} {$ELSE} {$ENDIF} {$I missing.inc}"},
        };
        static std::map<std::string, std::shared_ptr<TlxIncludeReplays>> Replays;
        auto It = Texts.find(Name);
        if (It == Texts.end())
            return nullptr;
        std::shared_ptr<TlxIncludeReplays>& R = Replays[Name];
        if (!R)
            R = std::make_shared<TlxIncludeReplays>();
        Lexer().OfferIncludeReplays(R);
        return It->second.c_str();
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
