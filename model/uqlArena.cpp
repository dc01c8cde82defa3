#include "model/uqlArena.h"

#include <cstdint>

void* TqlArena::Allocate(size_t Size, size_t Align)
{
    auto Aligned = [Align](std::byte* P) {
        const uintptr_t A = reinterpret_cast<uintptr_t>(P);
        return reinterpret_cast<std::byte*>((A + Align - 1) & ~uintptr_t(Align - 1));
    };
    std::byte* Start = FNext ? Aligned(FNext) : nullptr;
    if (!Start || Size > size_t(FEnd - Start)) {
        // A request larger than a block gets a block of its own.
        const size_t Bytes = Size > BlockSize ? Size : BlockSize;
        FBlocks.push_back(std::make_unique_for_overwrite<std::byte[]>(Bytes));
        FReserved += Bytes;
        Start = FBlocks.back().get();
        FEnd = Start + Bytes;
    }
    FNext = Start + Size;
    return Start;
}

void TqlArena::Clear()
{
    FBlocks.clear();
    FNext = FEnd = nullptr;
    FReserved = 0;
}
