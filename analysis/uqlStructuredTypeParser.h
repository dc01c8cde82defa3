// Array, record, set and file types.
#pragma once

#include "analysis/uqlVarParser.h"

class TStructuredTypeParser : public TVarParser {
public:
    using TVarParser::TVarParser;
    using TVarParser::FieldList;

    TqlSymbol* ParseStructuredType(TqlVarContainer* Container, const std::string& TypeName,
                                   bool& IsNew, const TPoint& Position) override;
    void FieldList(TqlRecord* Record);

protected:
    void RecordFieldDeclaration(TqlRecord* Record);
    void RecordVariantPart(TqlRecord* Record);
};
