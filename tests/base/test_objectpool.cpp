#include "base/qlObjectPool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <thread>
#include <vector>

namespace {

struct TBlock {
    unsigned char* Memory;
    size_t Size;
    unsigned char Mark;
};

// Every byte still holds the block's mark: no other block took its memory.
bool Intact(const TBlock& B)
{
    for (size_t i = 0; i < B.Size; ++i)
        if (B.Memory[i] != B.Mark)
            return false;
    return true;
}

void Release(const TBlock& B)
{
    qlPoolRelease(B.Memory, B.Size);
}

// Makes and frees blocks of random sizes, within the pool's largest and
// beyond it, checking that each is aligned and that no live block is
// written over. Blocks in Live at the start may be freed too.
void Churn(unsigned Seed, int Rounds, std::vector<TBlock>& Live)
{
    std::mt19937 Random(Seed);
    for (int i = 0; i < Rounds; ++i) {
        if (!Live.empty() && Random() % 3 == 0) {
            const size_t At = Random() % Live.size();
            ASSERT_TRUE(Intact(Live[At])) << "round " << i << ", " << Live[At].Size << " bytes";
            Release(Live[At]);
            Live[At] = Live.back();
            Live.pop_back();
            continue;
        }
        TBlock B{nullptr, size_t(Random() % (qlPoolLargest + 64)) + 1, static_cast<unsigned char>(Random())};
        B.Memory = static_cast<unsigned char*>(qlPoolAllocate(B.Size));
        ASSERT_EQ(reinterpret_cast<std::uintptr_t>(B.Memory) % 8, 0u) << B.Size << " bytes";
        std::memset(B.Memory, B.Mark, B.Size);
        Live.push_back(B);
    }
}

TEST(ObjectPool, BlocksOfEverySizeStayApartWhileOthersComeAndGo)
{
    std::vector<TBlock> Live;
    Churn(1, 200000, Live);
    for (const TBlock& B : Live) {
        ASSERT_TRUE(Intact(B)) << B.Size << " bytes";
        Release(B);
    }
}

TEST(ObjectPool, BlocksMadeOnOneThreadMayBeFreedOnAnother)
{
    // Each thread frees what another made, then goes on making and freeing
    // with that memory among its own.
    const int Threads = 4;
    std::vector<std::vector<TBlock>> Made(Threads);
    for (int t = 0; t < Threads; ++t)
        Churn(100 + unsigned(t), 20000, Made[size_t(t)]);
    std::vector<std::thread> Workers;
    for (int t = 0; t < Threads; ++t)
        Workers.emplace_back([t, &Made] {
            std::vector<TBlock> Live = std::move(Made[size_t((t + 1) % Threads)]);
            Churn(200 + unsigned(t), 50000, Live);
            for (const TBlock& B : Live) {
                EXPECT_TRUE(Intact(B));
                Release(B);
            }
        });
    for (std::thread& W : Workers)
        W.join();
}

TEST(ObjectPool, ContainersGrowAndShrinkThroughThePool)
{
    // Arrays pass through every size the pool serves and beyond, side by
    // side, and keep what they hold through each move.
    std::vector<std::vector<uint64_t, TqlPoolAllocator<uint64_t>>> Arrays(16);
    for (uint64_t Round = 0; Round < 200; ++Round)
        for (size_t a = 0; a < Arrays.size(); ++a)
            Arrays[a].push_back(Round * 100 + a);
    for (size_t a = 0; a < Arrays.size(); a += 2) {
        Arrays[a].resize(10 + a);
        Arrays[a].shrink_to_fit();
    }
    for (size_t a = 0; a < Arrays.size(); ++a) {
        ASSERT_EQ(Arrays[a].size(), a % 2 ? 200u : 10 + a);
        for (size_t i = 0; i < Arrays[a].size(); ++i)
            ASSERT_EQ(Arrays[a][i], i * 100 + a) << a << " " << i;
    }
}

} // namespace
