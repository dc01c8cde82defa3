#include "base/qlHash.h"

#include <cstring>

namespace {

constexpr uint64_t K1 = 0x9E3779B97F4A7C15ull;
constexpr uint64_t K2 = 0xC2B2AE3D27D4EB4Full;

uint64_t Mix(uint64_t V)
{
    V ^= V >> 31;
    V *= K2;
    V ^= V >> 29;
    return V;
}

} // namespace

uint64_t qlHash64(std::string_view Data)
{
    uint64_t H = K1 ^ (Data.size() * K2);
    const char* P = Data.data();
    size_t Left = Data.size();
    while (Left >= 8) {
        uint64_t W;
        std::memcpy(&W, P, 8);
        H = (H ^ Mix(W * K1)) * K2 + K1;
        P += 8;
        Left -= 8;
    }
    uint64_t Tail = 0;
    std::memcpy(&Tail, P, Left);
    H = (H ^ Mix(Tail * K1 + Left)) * K2;
    return Mix(H);
}
