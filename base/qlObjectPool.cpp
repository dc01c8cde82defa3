#include "base/qlObjectPool.h"

#include <mutex>
#include <new>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define QL_POOL_OFF 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QL_POOL_OFF 1
#endif
#endif

#ifndef QL_POOL_OFF

namespace {

constexpr std::size_t Step = 8;
constexpr std::size_t Sizes = qlPoolLargest / Step;
constexpr std::size_t ChunkBytes = 64 * 1024;

struct TFree {
    TFree* Next;
};

struct TPool {
    // Free objects by size: entry i holds objects of (i + 1) * Step bytes.
    TFree* Free[Sizes] = {};
    std::byte* Next = nullptr;
    std::byte* End = nullptr;
};

// Trivially destroyed: a thread that ends leaves its free objects in the
// chunks, which stay listed below. The library is loaded with the program
// (or by a plug-in once it is), so the pool can sit in the static TLS block
// and is reached without a call.
__attribute__((tls_model("initial-exec"))) thread_local TPool Pool;

// Every chunk made, so that they stay reachable until the process ends.
std::mutex ChunkLock;
std::vector<void*>* Chunks = nullptr;

std::size_t SizeIndex(std::size_t Size)
{
    return (Size + Step - 1) / Step - 1;
}

void PutFree(TPool& P, std::byte* Object, std::size_t Bytes)
{
    auto* F = reinterpret_cast<TFree*>(Object);
    const std::size_t i = Bytes / Step - 1;
    F->Next = P.Free[i];
    P.Free[i] = F;
}

void NewChunk(TPool& P)
{
    // What is left of the chunk in use still serves its size.
    if (const std::size_t Left = static_cast<std::size_t>(P.End - P.Next); Left >= Step)
        PutFree(P, P.Next, Left - Left % Step);
    auto* Chunk = static_cast<std::byte*>(::operator new(ChunkBytes));
    {
        std::lock_guard<std::mutex> Guard(ChunkLock);
        if (!Chunks)
            Chunks = new std::vector<void*>;
        try {
            Chunks->push_back(Chunk);
        } catch (...) {
            ::operator delete(Chunk);
            throw;
        }
    }
    P.Next = Chunk;
    P.End = Chunk + ChunkBytes;
}

} // namespace

void* qlPoolAllocate(std::size_t Size)
{
    if (Size > qlPoolLargest)
        return ::operator new(Size);
    if (Size == 0)
        Size = 1;
    TPool& P = Pool;
    const std::size_t i = SizeIndex(Size);
    if (TFree* F = P.Free[i]) {
        P.Free[i] = F->Next;
        return F;
    }
    const std::size_t Bytes = (i + 1) * Step;
    if (static_cast<std::size_t>(P.End - P.Next) < Bytes)
        NewChunk(P);
    std::byte* Object = P.Next;
    P.Next += Bytes;
    return Object;
}

void qlPoolRelease(void* Object, std::size_t Size) noexcept
{
    if (!Object)
        return;
    if (Size > qlPoolLargest) {
        ::operator delete(Object);
        return;
    }
    if (Size == 0)
        Size = 1;
    PutFree(Pool, static_cast<std::byte*>(Object), (SizeIndex(Size) + 1) * Step);
}

#else

void* qlPoolAllocate(std::size_t Size)
{
    return ::operator new(Size);
}

void qlPoolRelease(void* Object, std::size_t) noexcept
{
    ::operator delete(Object);
}

#endif
