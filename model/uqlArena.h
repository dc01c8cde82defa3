// A region of memory for model objects: objects are carved from large blocks
// and released all at once when the region is cleared or goes away, never one
// by one. Only objects whose destructors would free nothing may live here (a
// region never runs destructors).
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

class TqlArena {
public:
    TqlArena() = default;
    TqlArena(const TqlArena&) = delete;
    TqlArena& operator=(const TqlArena&) = delete;

    // Size bytes aligned to Align (a power of two no larger than the
    // alignment of operator new); valid until Clear.
    void* Allocate(size_t Size, size_t Align);

    template <class T, class... Args>
    T* New(Args&&... A)
    {
        static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
        return ::new (Allocate(sizeof(T), alignof(T))) T(std::forward<Args>(A)...);
    }

    // Drops every block: all objects carved so far are gone.
    void Clear();
    // Bytes held in blocks.
    size_t GetReserved() const { return FReserved; }

private:
    static constexpr size_t BlockSize = 64 * 1024;

    std::vector<std::unique_ptr<std::byte[]>> FBlocks;
    std::byte* FNext = nullptr;
    std::byte* FEnd = nullptr;
    size_t FReserved = 0;
};
