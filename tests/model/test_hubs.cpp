#include "model/uqlClasses.h"
#include "model/uqlFind.h"
#include "model/uqlQuickSort.h"

#include <gtest/gtest.h>

TEST(Variant, ConvertsBetweenKinds)
{
    EXPECT_TRUE(Variant().IsEmpty());
    EXPECT_EQ(Variant(5).GetKind(), Variant::Kind::Integer);
    EXPECT_EQ(Variant("x").GetKind(), Variant::Kind::String);
    EXPECT_EQ(Variant(true).GetKind(), Variant::Kind::Boolean);
    EXPECT_EQ(Variant(1.5).GetKind(), Variant::Kind::Double);
    EXPECT_EQ(Variant(" 42").AsInteger(), 42);
    EXPECT_EQ(Variant(42).AsString(), "42");
    EXPECT_EQ(Variant(0.5).AsString(), "0.5");
    EXPECT_TRUE(Variant("TRUE").AsBoolean());
    EXPECT_FALSE(Variant("false").AsBoolean());
    EXPECT_THROW(Variant("abc").AsInteger(), Exception);
    EXPECT_THROW(Variant("maybe").AsBoolean(), Exception);
    EXPECT_NE(Variant(1), Variant("1"));
    EXPECT_EQ(Variant(int64_t(7)), Variant(7));
}
