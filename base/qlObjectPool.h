// Memory for the many small objects of the code model.
//
// An object of up to qlPoolLargest bytes is carved from a chunk of its
// thread's pool in steps of eight bytes, with no header of its own; a freed
// object waits on the free list of its size for the next object of that
// size. Chunks are kept for the life of the process, so an object may be
// freed on another thread than the one that made it (its memory then serves
// that thread). Larger objects come from the global heap.
//
// Built with the address sanitizer, every object comes from the global heap,
// so that a use after free or a double free is still caught.
#pragma once

#include <cstddef>
#include <new>

inline constexpr std::size_t qlPoolLargest = 512;

// Memory for an object of Size bytes, aligned for any object of that size
// whose alignment is at most eight bytes.
void* qlPoolAllocate(std::size_t Size);
// Gives back what qlPoolAllocate(Size) gave, with the same Size.
void qlPoolRelease(void* Object, std::size_t Size) noexcept;

// A base for the classes whose objects come from the pool (a class derived
// from one with a virtual destructor still hands its own size back).
struct TqlPoolObject {
    static void* operator new(std::size_t Size) { return qlPoolAllocate(Size); }
    static void operator delete(void* Object, std::size_t Size) noexcept { qlPoolRelease(Object, Size); }
};

// An allocator for the containers of model objects (the pointer arrays of
// lists, the entries of name indexes): small arrays come from the pool.
template <class T>
struct TqlPoolAllocator {
    using value_type = T;
    static_assert(alignof(T) <= 8);

    TqlPoolAllocator() = default;
    template <class U>
    TqlPoolAllocator(const TqlPoolAllocator<U>&) noexcept
    {
    }
    T* allocate(std::size_t N)
    {
        if (N > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(qlPoolAllocate(N * sizeof(T)));
    }
    void deallocate(T* P, std::size_t N) noexcept { qlPoolRelease(P, N * sizeof(T)); }
    template <class U>
    bool operator==(const TqlPoolAllocator<U>&) const noexcept
    {
        return true;
    }
};
