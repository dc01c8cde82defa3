#include "lexer/lxIncludeReplay.h"

#include <atomic>

namespace {

std::atomic<uint64_t> LastSerial{0};

} // namespace

TlxIncludeReplays::TlxIncludeReplays() : FSerial(++LastSerial) {}

bool TlxIncludeReplays::SameDefines(const TlxLexHashStrings& Defines, const std::vector<std::string>& Names)
{
    if (size_t(Defines.Count()) != Names.size())
        return false;
    for (size_t i = 0; i < Names.size(); ++i)
        if (Defines.GetItems(int(i))->Str != Names[i])
            return false;
    return true;
}

TlxIncludeReplays::TState TlxIncludeReplays::StateOf(const TlxLexHashStrings& Defines,
                                                      const TlxBooleanDirectives& Switches)
{
    TState State;
    State.Defines.reserve(size_t(Defines.Count()));
    for (int i = 0; i < Defines.Count(); ++i)
        State.Defines.push_back(Defines.GetItems(i)->Str);
    State.Switches = Switches;
    return State;
}

const TlxIncludeReplays::TReplay* TlxIncludeReplays::Find(const TlxLexHashStrings& Defines,
                                                          const TlxBooleanDirectives& Switches) const
{
    for (const TReplay& R : FReplays)
        if (R.Start.Switches == Switches && SameDefines(Defines, R.Start.Defines))
            return &R;
    return nullptr;
}

void TlxIncludeReplays::Add(TReplay Replay)
{
    for (TReplay& R : FReplays)
        if (R.Start.Switches == Replay.Start.Switches && R.Start.Defines == Replay.Start.Defines) {
            R = std::move(Replay);
            return;
        }
    if (FReplays.size() < MaxReplays)
        FReplays.push_back(std::move(Replay));
}
