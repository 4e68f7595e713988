// VirtualMemory: anonymous mmap regions standing in for VirtualAlloc and VirtualFree.
#include "platform/VirtualMemory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <vector>

namespace Platform {

size_t GetPageSize()
{
    static const size_t pageSize = size_t(sysconf(_SC_PAGESIZE));
    return pageSize;
}

size_t GetAllocationGranularity()
{
    size_t page = GetPageSize();
    return page > 65536 ? page : 65536;
}

void* MapMemory(size_t size)
{
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p == MAP_FAILED ? nullptr : p;
}

void* MapMemoryAt(void* address, size_t size)
{
    // Without MAP_FIXED_NOREPLACE (old kernels) the address is only a hint: check where it landed.
    void* p = mmap(address, size, PROT_READ | PROT_WRITE,
                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    if (p == MAP_FAILED)
        return nullptr;
    if (p != address) {
        munmap(p, size);
        return nullptr;
    }
    return p;
}

bool UnmapMemory(void* base, size_t size) { return munmap(base, size) == 0; }

bool IsMemoryMapped(const void* base, size_t size)
{
    size_t page = GetPageSize();
    uintptr_t start = uintptr_t(base) & ~(page - 1);
    uintptr_t end = uintptr_t(base) + size;
    std::vector<unsigned char> residency((end - start + page - 1) / page + 1);
    // mincore fails with ENOMEM as soon as a page of the range is not mapped.
    return mincore(reinterpret_cast<void*>(start), end - start, residency.data()) == 0;
}

}  // namespace Platform
