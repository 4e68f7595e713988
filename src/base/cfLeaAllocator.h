// cfLeaAllocator: base class that puts its derived objects on the program's own heap.
// Objects made and dropped in large numbers during play derive from it. The heap has no lock:
// only the main thread may create or destroy such objects.
// With SERVER_SYSTEM_ALLOCATOR set (the sanitizer builds) the operators use malloc and free,
// so that the sanitizers see every object; LeaAlloc and LeaFree always use the own heap.
#pragma once
#include <cstddef>

void* LeaAlloc(size_t size);  // null when the system refuses more memory
void LeaFree(void* block);    // null is ignored

class cfLeaAllocator {
public:
    // noexcept: a null result makes the new-expression yield null instead of constructing.
    static void* operator new(size_t size) noexcept;
    static void operator delete(void* block) noexcept;
};
