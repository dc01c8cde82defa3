#include "base/qlHash.h"

#include <cstring>

namespace {

constexpr uint64_t K1 = 0x9E3779B97F4A7C15ull;
constexpr uint64_t K2 = 0xC2B2AE3D27D4EB4Full;
constexpr uint64_t K3 = 0x165667B19E3779F9ull;

uint64_t Mix(uint64_t V)
{
    V ^= V >> 31;
    V *= K2;
    V ^= V >> 29;
    return V;
}

uint64_t Word(const char* P)
{
    uint64_t W;
    std::memcpy(&W, P, 8);
    return W;
}

// One step of a lane: the multiply of the word goes into the lane by a
// rotation, so that equal words at different places count apart.
uint64_t Step(uint64_t Lane, uint64_t W)
{
    Lane ^= W * K1;
    return (Lane << 27 | Lane >> 37) * K2 + K3;
}

} // namespace

uint64_t qlHash64(std::string_view Data)
{
    const char* P = Data.data();
    size_t Left = Data.size();
    // Four lanes of eight bytes side by side: the multiplies of one step do
    // not wait on each other.
    uint64_t A = K1 ^ Data.size(), B = K2, C = K3, D = K1 * K2;
    while (Left >= 32) {
        A = Step(A, Word(P));
        B = Step(B, Word(P + 8));
        C = Step(C, Word(P + 16));
        D = Step(D, Word(P + 24));
        P += 32;
        Left -= 32;
    }
    uint64_t H = Mix(A) ^ Mix(B + K1) ^ Mix(C + K2) ^ Mix(D + K3) ^ (Data.size() * K2);
    while (Left >= 8) {
        H = (H ^ Mix(Word(P) * K1)) * K2 + K1;
        P += 8;
        Left -= 8;
    }
    uint64_t Tail = 0;
    std::memcpy(&Tail, P, Left);
    H = (H ^ Mix(Tail * K1 + Left)) * K2;
    return Mix(H);
}
