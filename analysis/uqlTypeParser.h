// Type sections, label and exports sections, and the dispatch of
// declaration sections for the whole parser chain.
#pragma once

#include "analysis/uqlInterfaceParser.h"

class TTypeParser : public TInterfaceParser {
public:
    using TInterfaceParser::TInterfaceParser;
    using TInterfaceParser::LabelDeclarationSection;
    using TInterfaceParser::TypeDeclaration;
    using TInterfaceParser::TypeSection;

    void ParseDeclarationSection(TqlVarContainer* Container) override;
    void InterfaceDeclaration() override;
    void DeclarationSection() override;
    void ConstSection() override;
    void VarSection() override;
    void TypeSection() override;
    void LabelDeclarationSection() override;
    void ExportsClause() override;

    void TypeSection(TqlVarContainer* Container);
    void TypeDeclaration(TqlVarContainer* Container);
    void LabelDeclarationSection(TqlVarContainer* Container);

    // "Done:" and "goto Done" use the label of the current block.
    void LabeledStatement() override;
    void LabelId() override;

protected:
    // A use of the label of the current block named at the current token;
    // false when the block declares none of that name.
    bool RecordLabelUse();
};
