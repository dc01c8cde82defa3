// Long chains of classes: the default property and the descendant test
// answer as on short ones, and a loop in a long descendant list still ends
// with one finding.
#include "ModelTestSupport.h"

#include <gtest/gtest.h>

namespace {

// TC0 <- TC1 <- ... <- TC(N-1), each entered as its ancestor's descendant
// the way the class parser does.
std::vector<TqlClass*> Chain(TqlUnit* U, int N)
{
    std::vector<TqlClass*> C;
    for (int i = 0; i < N; ++i) {
        C.push_back(U->GetClasses()->AddClass("TC" + std::to_string(i), vkInterface, 0, 1, i + 1));
        if (i > 0) {
            C[size_t(i)]->SetInheritsFromClass(C[size_t(i) - 1]);
            C[size_t(i) - 1]->GetDescendants()->Add(C[size_t(i)]);
        }
    }
    return C;
}

} // namespace

TEST(LongChains, DefaultPropertyAndDescendantsAlongTheChain)
{
    for (int N : {2, 33, 40, 300}) {
        SCOPED_TRACE(N);
        TProjectScope Project;
        TqlUnit* U = Project->NewUnit("U");
        std::vector<TqlClass*> C = Chain(U, N);
        EXPECT_EQ(C.back()->GetDefaultProperty(), nullptr);
        TqlClass* Mid = C[size_t(N) / 2];
        TqlProperty* Items = Mid->GetProperties()->AddProperty("Items", vkPublic, Mid, 0, 2, 2);
        Mid->SetDefaultProperty(Items);
        EXPECT_EQ(C.back()->GetDefaultProperty(), Items);
        EXPECT_EQ(Mid->GetDefaultProperty(), Items);
        EXPECT_EQ(C.front()->GetDefaultProperty(), nullptr);
        EXPECT_TRUE(C.front()->IsDescendant(C.back()));
        EXPECT_FALSE(C.back()->IsDescendant(C.front()));
        TqlClass* Other = U->GetClasses()->AddClass("TOther", vkInterface, 0, 9, 9);
        EXPECT_FALSE(C.front()->IsDescendant(Other));
        EXPECT_TRUE(Project.Messages().empty());
        // A descendant list that leads back to the chain's start.
        C.back()->GetDescendants()->Add(C.front());
        EXPECT_FALSE(C.front()->IsDescendant(Other));
        EXPECT_FALSE(C.front()->IsDescendant(Other));
        EXPECT_EQ(Project.Messages().size(), 1u) << "one finding per class";
    }
}
