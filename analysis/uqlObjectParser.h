// Object types (the old-style "object").
#pragma once

#include "analysis/uqlClassParser.h"

class TObjectParser : public TClassParser {
public:
    using TClassParser::TClassParser;
    using TClassParser::ObjectMemberList;
    using TClassParser::ObjectForward;
    using TClassParser::ObjectType;

    TqlClass* ObjectType(const std::string& Name, const TPoint& Position);
    TqlClass* ObjectForward(const std::string& Name, const TPoint& Position);

protected:
    void ObjectMemberList(TqlClass* Object);

    std::unique_ptr<TqlHashedObjectList> FForwardObjects;
};
