#include "analysis/uqlMessageList.h"

#include <gtest/gtest.h>

TEST(MessageList, AddCountItemsAndRange)
{
    Ref<TqlMessageList> L(new TqlMessageList);
    Ref<IqlMessage> M = L->Add("Text", 3, 5, 7, true);
    ASSERT_EQ(L->GetCount(), 1);
    EXPECT_EQ(L->GetItems(0).get(), M.get());
    EXPECT_EQ(M->GetMessageText(), "Text");
    EXPECT_EQ(M->GetCodeLocation()->GetFileIndex(), 3);
    EXPECT_EQ(M->GetCodeLocation()->GetX(), 5);
    EXPECT_EQ(M->GetCodeLocation()->GetY(), 7);
    EXPECT_TRUE(M->GetInterfaceSection());
    EXPECT_THROW(L->GetItems(1), EListError);
    EXPECT_THROW(L->GetItems(-1), EListError);
    EXPECT_THROW(L->Exchange(0, 1), EListError);
    L->Clear();
    EXPECT_EQ(L->GetCount(), 0);
}

TEST(MessageList, SortEmptyStoresKey)
{
    Ref<TqlMessageList> L(new TqlMessageList);
    EXPECT_EQ(L->GetSortBy(), mlsbMessage);
    L->Sort(mlsbInterface);
    EXPECT_EQ(L->GetSortBy(), mlsbInterface);
    EXPECT_EQ(L->GetCount(), 0);
}

TEST(MessageList, SortByTextIsCaseSensitiveUpperFirst)
{
    Ref<TqlMessageList> L(new TqlMessageList);
    L->Add("b", -1, 1, 1, false);
    L->Add("abc", -1, 1, 1, false);
    L->Add("Abc", -1, 1, 1, false);
    L->Sort(mlsbMessage);
    EXPECT_EQ(L->GetItems(0)->GetMessageText(), "Abc");
    EXPECT_EQ(L->GetItems(1)->GetMessageText(), "abc");
    EXPECT_EQ(L->GetItems(2)->GetMessageText(), "b");
}

TEST(MessageList, SortByInterfacePutsImplementationFirst)
{
    Ref<TqlMessageList> L(new TqlMessageList);
    for (int i = 0; i < 20; ++i)
        L->Add("m" + std::to_string(i), -1, 1, 1, i % 3 == 0);
    L->Sort(mlsbInterface);
    bool SeenInterface = false;
    for (int i = 0; i < L->GetCount(); ++i) {
        if (L->GetItems(i)->GetInterfaceSection())
            SeenInterface = true;
        else
            EXPECT_FALSE(SeenInterface) << "implementation message after an interface one at " << i;
    }
    EXPECT_TRUE(SeenInterface);
}

TEST(MessageList, SortByUnitWithoutFilesUsesPlaceholder)
{
    Ref<TqlMessageList> L(new TqlMessageList);
    L->Add("x", -1, 1, 1, false);
    L->Add("y", -1, 1, 1, false);
    L->Sort(mlsbUnit);
    EXPECT_EQ(L->Compare(0, 1), 0);
    EXPECT_THROW(L->Sort(static_cast<TMessageListSortBy>(7)), EAssertionFailed);
}
