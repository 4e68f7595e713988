// VirtualMemory: page-granular mapping of read-write memory for the class-level heap.
#pragma once
#include <cstddef>

namespace Platform {

size_t GetPageSize();                // a power of two
size_t GetAllocationGranularity();   // unit of the heap's mappings: 64 KB, as the original platform had

// A fresh zeroed read-write region of `size` bytes (a multiple of the page size), or null.
void* MapMemory(size_t size);
// The same, placed exactly at `address`; null when that range is taken or the mapping fails.
void* MapMemoryAt(void* address, size_t size);
// Returns a region or its tail to the system; `base` and `size` are page-aligned.
bool UnmapMemory(void* base, size_t size);
// True when every page of the range is mapped (a check for tests and diagnostics).
bool IsMemoryMapped(const void* base, size_t size);

}  // namespace Platform
