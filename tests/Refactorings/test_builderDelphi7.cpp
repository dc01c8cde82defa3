// The node builder on Delphi 7 code that the analysis reads: it takes the
// same conditional branches and keeps the positions of a byte-order-mark
// file, giving back every byte.
#include "Refactorings/uqlRefactorNodes.h"
#include "tests/TestFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TBuilt {
    std::unique_ptr<TqlModuleNode> Root = std::make_unique<TqlModuleNode>();
    std::vector<TqlCodeNode*> Leaves;

    explicit TBuilt(const std::string& Text, const std::string& Defines = "")
    {
        TTestFolder F;
        TqlNodeBuilder Builder(Root.get(), Defines);
        Builder.Run(F.Write("Fixture.pas", Text), nullptr);
        EXPECT_EQ(Root->GetText(), Text);
        Root->IterateNodes(true, [&](TqlNode* N) {
            if (auto* C = dynamic_cast<TqlCodeNode*>(N); C && C->Count() == 0)
                Leaves.push_back(C);
        });
    }
    // The first identifier leaf whose text is Text.
    TqlCodeNode* Identifier(const std::string& Text) const
    {
        for (TqlCodeNode* C : Leaves)
            if (dynamic_cast<TqlIdentifierNode*>(C) && C->Code() == Text)
                return C;
        return nullptr;
    }
};

} // namespace

TEST(BuilderDelphi7, ConditionsTakeTheBranchesTheAnalysisTakes)
{
    TBuilt B("unit Fixture;\n\ninterface\n\n"
             "{$IF CompilerVersion < 18}\nprocedure ForDelphi7;\n{$ELSE}\nprocedure ForLater;\n{$IFEND}\n"
             "{$IFNDEF FPC // can't be read there }\nprocedure Kept;\n{$ENDIF}\n"
             "{$DEFINE 7ZIP}{$IFDEF 7ZIP}\nprocedure SevenZip;\n{$ENDIF}\n\n"
             "implementation\n\nend.\n");
    EXPECT_NE(B.Identifier("ForDelphi7"), nullptr);
    EXPECT_EQ(B.Identifier("ForLater"), nullptr);
    EXPECT_NE(B.Identifier("Kept"), nullptr);
    EXPECT_NE(B.Identifier("SevenZip"), nullptr);
}

TEST(BuilderDelphi7, AByteOrderMarkTakesNoColumn)
{
    TBuilt B("\xEF\xBB\xBFunit Fixture;\r\n\r\ninterface\r\n\r\nimplementation\r\n\r\nend.\r\n");
    TqlCodeNode* Name = B.Identifier("Fixture");
    ASSERT_NE(Name, nullptr);
    EXPECT_EQ(Name->GetPoint(), (TPoint{6, 1})); // counted from 1
}
