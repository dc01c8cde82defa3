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

inline constexpr std::size_t qlPoolLargest = 512;

// Memory for an object of Size bytes, aligned for any object of that size
// whose alignment is at most eight bytes.
void* qlPoolAllocate(std::size_t Size);
// Gives back what qlPoolAllocate(Size) gave, with the same Size.
void qlPoolRelease(void* Object, std::size_t Size) noexcept;
