#include "base/qlException.h"
#include "base/qlInterface.h"

#include <gtest/gtest.h>

namespace {

class IProbe : public virtual IInterface {
public:
    static constexpr TGUID IID{0x1F0E2C11, 0x5A2B, 0x4C3D, {0x9E, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77}};
    virtual int Value() const = 0;
};
class IOther : public virtual IInterface {
public:
    virtual int Twice() const = 0;
};

class TProbe : public TInterfacedObject, public IProbe, public IOther {
public:
    explicit TProbe(int& Alive) : FAlive(Alive) { ++FAlive; }
    ~TProbe() override { --FAlive; }
    int Value() const override { return 7; }
    int Twice() const override { return 14; }

private:
    int& FAlive;
};

TEST(RefCounting, LastReferenceFreesTheObjectThroughAnyInterface)
{
    int Alive = 0;
    {
        Ref<IProbe> A(new TProbe(Alive));
        EXPECT_EQ(Alive, 1);
        EXPECT_EQ(A->RefCount(), 1);
        Ref<IOther> B = Supports<IOther>(A);
        ASSERT_TRUE(B);
        EXPECT_EQ(B->Twice(), 14);
        EXPECT_EQ(A->RefCount(), 2);
        A = nullptr;
        EXPECT_EQ(Alive, 1) << "still held through the other interface";
        Ref<IOther> C = std::move(B);
        EXPECT_FALSE(B);
        EXPECT_EQ(C->RefCount(), 1);
    }
    EXPECT_EQ(Alive, 0);
}

TEST(RefCounting, SelfAssignmentKeepsTheObject)
{
    int Alive = 0;
    Ref<IProbe> A(new TProbe(Alive));
    Ref<IProbe>& Same = A;
    A = Same;
    EXPECT_EQ(Alive, 1);
    EXPECT_EQ(A->Value(), 7);
}

TEST(Guid, FormatParseAndCreate)
{
    const std::string Text = IProbe::IID.ToString();
    EXPECT_EQ(Text, "{1F0E2C11-5A2B-4C3D-9E11-223344556677}");
    TGUID Back;
    ASSERT_TRUE(TGUID::TryParse(Text, Back));
    EXPECT_TRUE(Back == IProbe::IID);
    EXPECT_FALSE(TGUID::TryParse("{1F0E2C11-5A2B-4C3D-9E11-22334455667}", Back));
    EXPECT_FALSE(TGUID::TryParse("{1F0E2C11-5A2B-4C3D-9E11-22334455667G}", Back));
    const TGUID A = TGUID::Create(), B = TGUID::Create();
    EXPECT_FALSE(A == B);
    EXPECT_EQ((A.D3 >> 12), 4);
}

TEST(Assertion, ThrowsWithFileAndLineInEveryBuild)
{
    try {
        QL_ASSERT(1 + 1 == 3, "sums are off");
        FAIL() << "no exception";
    } catch (const EAssertionFailed& E) {
        EXPECT_NE(std::string(E.what()).find("sums are off (test_interface.cpp, line "), std::string::npos)
            << E.what();
        EXPECT_GT(E.Line(), 0);
    }
    EXPECT_NO_THROW(QL_ASSERT(true));
}

} // namespace
