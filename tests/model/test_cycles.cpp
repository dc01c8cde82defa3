// Circular declarations end with a finding, never with endless recursion.
#include "ModelTestSupport.h"

#include <gtest/gtest.h>

namespace {
bool HasMessageContaining(const TProjectScope& P, const std::string& Part)
{
    for (const std::string& M : P.Messages())
        if (M.find(Part) != std::string::npos)
            return true;
    return false;
}
} // namespace

TEST(Cycles, MutualAncestryIsRefusedWithAFinding)
{
    TProjectScope Project;
    TqlUnit* U = Project->NewUnit("U");
    TqlClass* A = U->GetClasses()->AddClass("TA", vkInterface, 0, 3, 4);
    TqlClass* B = U->GetClasses()->AddClass("TB", vkInterface, 0, 3, 5);
    // TA = class(TB); TB = class(TA), each also entered as descendant the way
    // the class parser does.
    A->SetInheritsFromClass(B);
    B->GetDescendants()->Add(A);
    B->SetInheritsFromClass(A);
    A->GetDescendants()->Add(B);
    EXPECT_EQ(A->GetInheritsFromClass(), B);
    EXPECT_EQ(B->GetInheritsFromClass(), nullptr);
    EXPECT_TRUE(HasMessageContaining(Project, "TB, is its own ancestor"));
    Ref<IqlMessage> M = Project->GetMessages()->GetItems(0);
    EXPECT_EQ(M->GetCodeLocation()->GetY(), 5);

    EXPECT_EQ(A->FindSymbol(U, nullptr, "Missing"), nullptr);
    EXPECT_EQ(B->FindSymbol(U, nullptr, "Missing"), nullptr);
    EXPECT_EQ(A->GetDefaultProperty(), nullptr);
    TqlClass* Other = U->GetClasses()->AddClass("TOther", vkInterface, 0, 3, 9);
    EXPECT_FALSE(A->IsDescendant(Other));
    EXPECT_TRUE(A->IsDescendant(B));
    // Protected test against an unrelated class walks the descendant cycle.
    B->GetVariables()->AddVariable("FProt", vkProtected, false, 0, 1, 1);
    TqlUnit* V = Project->NewUnit("V");
    EXPECT_EQ(A->FindSymbol(V, Other, "FProt"), nullptr);
}

TEST(Cycles, AClassNamingItselfAsAncestor)
{
    TProjectScope Project;
    TqlUnit* U = Project->NewUnit("U");
    TqlClass* A = U->GetClasses()->AddClass("TSelf", vkInterface, 0, 1, 1);
    A->SetInheritsFromClass(A);
    A->GetDescendants()->Add(A);
    EXPECT_EQ(A->GetInheritsFromClass(), nullptr);
    EXPECT_TRUE(HasMessageContaining(Project, "TSelf, is its own ancestor"));
    EXPECT_EQ(A->FindSymbol(U, nullptr, "X"), nullptr);
    EXPECT_EQ(A->GetDefaultProperty(), nullptr);
    TqlClass* B = U->GetClasses()->AddClass("TB", vkInterface, 0, 1, 2);
    EXPECT_FALSE(A->IsDescendant(B));
    EXPECT_EQ(Project->GetMessages()->GetCount(), 1) << "one finding per class";
}

TEST(Cycles, LongerAncestryLoopIsRefused)
{
    TProjectScope Project;
    TqlUnit* U = Project->NewUnit("U");
    TqlClass* A = U->GetClasses()->AddClass("TA", vkInterface, 0, 1, 1);
    TqlClass* B = U->GetClasses()->AddClass("TB", vkInterface, 0, 1, 2);
    TqlClass* C = U->GetClasses()->AddClass("TC", vkInterface, 0, 1, 3);
    A->SetInheritsFromClass(B);
    B->SetInheritsFromClass(C);
    C->SetInheritsFromClass(A);
    EXPECT_EQ(C->GetInheritsFromClass(), nullptr);
    EXPECT_TRUE(HasMessageContaining(Project, "TC, is its own ancestor"));
}

TEST(Cycles, DescendantListLoopEndsIsDescendant)
{
    TProjectScope Project;
    TqlUnit* U = Project->NewUnit("U");
    TqlClass* A = U->GetClasses()->AddClass("TA", vkInterface, 0, 1, 1);
    TqlClass* B = U->GetClasses()->AddClass("TB", vkInterface, 0, 1, 2);
    TqlClass* C = U->GetClasses()->AddClass("TC", vkInterface, 0, 1, 3);
    A->GetDescendants()->Add(B);
    B->GetDescendants()->Add(A);
    EXPECT_FALSE(A->IsDescendant(C));
    EXPECT_TRUE(B->IsDescendant(A));
    EXPECT_FALSE(Project.Messages().empty());
}

TEST(Cycles, TypeAliasLoopEndsFindContainer)
{
    TProjectScope Project;
    TqlUnit* U = Project->NewUnit("U");
    // A = B; B = A
    TqlType* A = U->GetTypes()->AddType("A", vkInterface, 0, 1, 1, true);
    TqlType* B = U->GetTypes()->AddType("B", vkInterface, 0, 1, 2, true);
    A->SetTypeIntf(B);
    B->SetTypeIntf(A);
    TqlVariable* V = U->GetVariables()->AddVariable("V", vkInterface, false, 0, 1, 3);
    V->SetTypeIntf(A);
    EXPECT_EQ(V->FindContainer(), nullptr);
    EXPECT_TRUE(HasMessageContaining(Project, "refers to itself through a cycle"));
}

TEST(Cycles, LongAliasChainsEndFindContainer)
{
    // Chains of 3 to 30 aliases: a loop back to the first is found however
    // long, and a chain that ends in a record gives the record.
    for (int Length : {3, 8, 9, 30}) {
        for (bool Loop : {true, false}) {
            TProjectScope Project;
            TqlUnit* U = Project->NewUnit("U");
            std::vector<TqlType*> Chain;
            for (int i = 0; i < Length; ++i)
                Chain.push_back(U->GetTypes()->AddType("T" + std::to_string(i), vkInterface, 0, 1, i + 1, true));
            for (int i = 0; i + 1 < Length; ++i)
                Chain[size_t(i)]->SetTypeIntf(Chain[size_t(i) + 1]);
            TqlRecord* R = U->GetRecords()->AddRecord("TRec", vkInterface, 0, 1, Length + 1);
            Chain.back()->SetTypeIntf(Loop ? static_cast<TqlSymbol*>(Chain.front()) : R);
            TqlVariable* V = U->GetVariables()->AddVariable("V", vkInterface, false, 0, 1, Length + 2);
            V->SetTypeIntf(Chain.front());
            EXPECT_EQ(V->FindContainer(), Loop ? nullptr : static_cast<TqlSymbol*>(R)) << Length;
            EXPECT_EQ(HasMessageContaining(Project, "refers to itself through a cycle"), Loop) << Length;
        }
    }
}

TEST(Cycles, PointerAndArrayLoopsEndFindContainer)
{
    TProjectScope Project;
    TqlUnit* U = Project->NewUnit("U");
    // P1 = ^P2; P2 = ^P1
    TqlType* P1 = U->GetTypes()->AddType("P1", vkInterface, 0, 1, 1, true);
    TqlType* P2 = U->GetTypes()->AddType("P2", vkInterface, 0, 1, 2, true);
    P1->SetPointerType(true);
    P2->SetPointerType(true);
    P1->SetTypeIntf(P2);
    P2->SetTypeIntf(P1);
    TqlVariable* V = U->GetVariables()->AddVariable("V", vkInterface, false, 0, 1, 3);
    V->SetTypeIntf(P1);
    EXPECT_EQ(V->FindContainer(), nullptr);

    // PArr = ^TArr; TArr = array of PArr
    TqlArray* Arr = U->GetArrays()->AddArray("TArr", vkInterface, 0, 1, 4);
    TqlType* PArr = U->GetTypes()->AddType("PArr", vkInterface, 0, 1, 5, true);
    PArr->SetPointerType(true);
    PArr->SetTypeIntf(Arr);
    Arr->SetArrayType(PArr);
    TqlVariable* W = U->GetVariables()->AddVariable("W", vkInterface, false, 0, 1, 6);
    W->SetTypeIntf(Arr);
    EXPECT_EQ(W->FindContainer(), nullptr);

    // An array of itself.
    TqlArray* Self = U->GetArrays()->AddArray("TSelfArr", vkInterface, 0, 1, 7);
    Self->SetArrayType(Self);
    TqlVariable* X = U->GetVariables()->AddVariable("X", vkInterface, false, 0, 1, 8);
    X->SetTypeIntf(Self);
    EXPECT_EQ(X->FindContainer(), nullptr);
}

TEST(Cycles, NoProjectStillEndsWithoutAFindingList)
{
    TqlUnit U(-1, "U");
    TqlType* A = U.GetTypes()->AddType("A", vkInterface, -1, 0, 0, true);
    A->SetTypeIntf(A);
    TqlType* B = U.GetTypes()->AddType("B", vkInterface, -1, 0, 0, true);
    TqlType* C = U.GetTypes()->AddType("C", vkInterface, -1, 0, 0, true);
    B->SetTypeIntf(C);
    C->SetTypeIntf(B);
    TqlVariable V("V", vkInterface, false, -1, 0, 0);
    V.SetTypeIntf(B);
    EXPECT_EQ(V.FindContainer(), nullptr);
    TqlVariable W("W", vkInterface, false, -1, 0, 0);
    W.SetTypeIntf(A);
    EXPECT_EQ(W.FindContainer(), nullptr);
}

// A class joined to a long chain: refused exactly when the chain it would
// join ends at the class itself, however the chain was put together.
TEST(Cycles, AncestryLoopThroughALongChainIsRefused)
{
    TProjectScope Project;
    TqlUnit* U = Project->NewUnit("U");
    std::vector<TqlClass*> C;
    for (int i = 0; i < 6; ++i)
        C.push_back(U->GetClasses()->AddClass("T" + std::to_string(i), vkInterface, 0, 3, i + 1));
    // Two chains, T1 <- T2 and T3 <- T4 (T2 descends from T1), then joined.
    C[2]->SetInheritsFromClass(C[1]);
    C[4]->SetInheritsFromClass(C[3]);
    C[3]->SetInheritsFromClass(C[2]);
    C[1]->SetInheritsFromClass(C[0]);
    EXPECT_FALSE(HasMessageContaining(Project, "its own ancestor"));
    // T0 would descend from T4, whose chain ends at T0.
    C[0]->SetInheritsFromClass(C[4]);
    EXPECT_EQ(C[0]->GetInheritsFromClass(), nullptr);
    EXPECT_TRUE(HasMessageContaining(Project, "T0, is its own ancestor"));
    // A class of its own naming itself.
    C[5]->SetInheritsFromClass(C[5]);
    EXPECT_EQ(C[5]->GetInheritsFromClass(), nullptr);
    EXPECT_TRUE(HasMessageContaining(Project, "T5, is its own ancestor"));
    // Not a loop: T5 joins the end of the chain.
    C[5]->SetInheritsFromClass(C[4]);
    EXPECT_EQ(C[5]->GetInheritsFromClass(), C[4]);
    int Depth = 0;
    for (TqlClass* K = C[5]; K; K = K->GetInheritsFromClass())
        ++Depth;
    EXPECT_EQ(Depth, 6);
}
