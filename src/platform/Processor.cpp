// Processor: the feature bits of CPUID function 1 on x86 processors.
#include "platform/Processor.h"

#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace Platform {

bool HasSse2OrHyperThreading()
{
#if defined(__x86_64__) || defined(__i386__)
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return false;
    constexpr uint32_t kSse2 = 1u << 26;
    constexpr uint32_t kHyperThreading = 1u << 28;
    return (edx & (kSse2 | kHyperThreading)) != 0;
#else
    return false;
#endif
}

}  // namespace Platform
