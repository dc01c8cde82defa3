#include "base/qlHash.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

namespace {

TEST(Hash, ChangesOfOneByteOrOfLengthGiveAnotherHash)
{
    // The hash tells whether a file read again is the text read first: any
    // one-byte change, at any place of a text of any length around the
    // width of the steps, and any change of length must show.
    std::mt19937 Random(3);
    for (size_t Size : {0u, 1u, 7u, 8u, 9u, 31u, 32u, 33u, 63u, 64u, 100u, 4099u}) {
        std::string Text(Size, '\0');
        for (char& C : Text)
            C = static_cast<char>(Random());
        const uint64_t H = qlHash64(Text);
        EXPECT_EQ(qlHash64(std::string(Text)), H);
        std::set<uint64_t> Seen{H};
        for (size_t At = 0; At < Size; ++At) {
            std::string Changed = Text;
            Changed[At] = static_cast<char>(Changed[At] ^ 0x20);
            EXPECT_TRUE(Seen.insert(qlHash64(Changed)).second) << Size << " bytes, change at " << At;
        }
        EXPECT_NE(qlHash64(Text + '\0'), H) << Size;
        if (Size > 0) {
            EXPECT_NE(qlHash64(std::string_view(Text).substr(1)), H) << Size;
        }
    }
    // Two equal halves swapped, and blocks of zeros of other lengths.
    const std::string A(32, 'a'), B(32, 'b');
    EXPECT_NE(qlHash64(A + B), qlHash64(B + A));
    EXPECT_NE(qlHash64(std::string(64, '\0')), qlHash64(std::string(96, '\0')));
}

} // namespace
