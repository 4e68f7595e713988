// cfLeaAllocator: the process-wide heap and the class-level operators over it.
#include "base/cfLeaAllocator.h"

#include "base/LeaHeap.h"

#include <cstdlib>
#include <new>

namespace {

// Made on first use and never destroyed: objects on it may be released during exit.
LeaHeap& ProcessHeap()
{
    alignas(LeaHeap) static unsigned char storage[sizeof(LeaHeap)];
    static LeaHeap* heap = new (storage) LeaHeap();
    return *heap;
}

}  // namespace

void* LeaAlloc(size_t size) { return ProcessHeap().Alloc(size); }

void LeaFree(void* block)
{
    if (block)
        ProcessHeap().Free(block);
}

void* cfLeaAllocator::operator new(size_t size) noexcept
{
#if SERVER_SYSTEM_ALLOCATOR
    return std::malloc(size ? size : 1);
#else
    return LeaAlloc(size);
#endif
}

void cfLeaAllocator::operator delete(void* block) noexcept
{
#if SERVER_SYSTEM_ALLOCATOR
    std::free(block);
#else
    LeaFree(block);
#endif
}
