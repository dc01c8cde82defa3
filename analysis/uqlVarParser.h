// Constants, resource strings, variables and thread variables.
#pragma once

#include "analysis/uqlUnitParser.h"

class TVarParser : public TUnitParser {
public:
    using TUnitParser::TUnitParser;
    using TUnitParser::ConstSection;
    using TUnitParser::VarDeclaration;
    using TUnitParser::VarSection;

    void ConstSection(TqlVarContainer* Container);
    void VarSection(TqlVarContainer* Container);

protected:
    void ConstDeclaration(TqlVarContainer* Container);
    void ResourceStringDeclaration(TqlVarContainer* Container);
    void VarDeclaration(TqlVarContainer* Container, bool IsThreadVar);
};
