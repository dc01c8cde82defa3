// The parser class that the project creates, one per unit file: the last
// link of the parser chain.
#pragma once

#include "analysis/uqlTypeParser.h"

class TAnalyzeParser : public TTypeParser {
public:
    using TTypeParser::TTypeParser;
};
