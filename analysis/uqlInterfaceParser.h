// Interface and dispatch-interface types.
#pragma once

#include "analysis/uqlObjectParser.h"

class TInterfaceParser : public TObjectParser {
public:
    using TObjectParser::TObjectParser;
    using TObjectParser::InterfaceForward;
    using TObjectParser::InterfaceType;

    TqlInterface* InterfaceType(const std::string& Name, const TPoint& Position);
    TqlInterface* InterfaceForward(const std::string& Name, const TPoint& Position);

protected:
    std::unique_ptr<TqlHashedObjectList> FForwardInterfaces;
};
