// What scanning an include file did, kept so that the next inclusion of the
// same text in the same state need not scan it again.
//
// Only a text that gives the parser nothing (comments, blanks and compiled or
// skipped directives alone, as in the shared .inc files that define a
// project's conditional symbols) is kept, and only when scanning it raised no
// message and left the conditionals as it found them. Its whole effect is
// then the defined symbols it leaves, and the include files it names on the
// way, each met in a known state.
#pragma once

#include "lexer/lxPasLexTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TlxIncludeReplays {
public:
    // The defined symbols in their order (the order decides which item a
    // later removal moves) and the switches.
    struct TState {
        std::vector<std::string> Defines;
        TlxBooleanDirectives Switches;
    };
    // An include directive the text compiled: the state it was met in, the
    // name written and the text it brought (by its replays' serial number),
    // and where the scan goes on after it: the place of the directive's name
    // (messages point there), the position after it, the line with the
    // position it starts at, and the conditionals open.
    struct TNested {
        TState Before;
        std::string Name;
        uint64_t Serial = 0;
        int Token = 0;
        int After = 0;
        int Line = 0;
        int LinePos = 0;
        int Conditionals = 0;
    };
    struct TReplay {
        TState Start;
        std::vector<TNested> Nested;
        // The defined symbols the text leaves, as an indexed set: every
        // lexer that replays the text takes it as it stands, and copies it
        // only to change it. The switches come back to Start's when the
        // include ends.
        std::shared_ptr<const TlxDefineSet> EndDefines;
    };
    // The states one text is kept for.
    static constexpr size_t MaxReplays = 8;

    TlxIncludeReplays();
    TlxIncludeReplays(const TlxIncludeReplays&) = delete;
    TlxIncludeReplays& operator=(const TlxIncludeReplays&) = delete;

    // Unique for the life of the process: a text read again, even at the
    // same address, has another.
    uint64_t Serial() const { return FSerial; }
    // False once a scan of the text gave something that cannot be replayed:
    // it is not watched again.
    bool Watched() const { return FWatched; }
    void StopWatching() { FWatched = false; }

    const TReplay* Find(const TlxLexHashStrings& Defines, const TlxBooleanDirectives& Switches) const;
    // Replaces the replay for the same start state; past MaxReplays another
    // start state is not kept.
    void Add(TReplay Replay);

    static TState StateOf(const TlxLexHashStrings& Defines, const TlxBooleanDirectives& Switches);
    static bool SameDefines(const TlxLexHashStrings& Defines, const std::vector<std::string>& Names);

private:
    std::vector<TReplay> FReplays;
    uint64_t FSerial;
    bool FWatched = true;
};
