// MemoryStatus: MemAvailable and MemTotal from /proc/meminfo, and the total a test sets.
#include "platform/MemoryStatus.h"

#include <cstdio>
#include <cstring>

namespace Platform {

namespace {

int s_TotalOverrideMB = -1;  // -1: the machine's own

// The value of a "/proc/meminfo" field in megabytes, rounded to nearest.
int MemInfoMB(const char* field)
{
    FILE* f = std::fopen("/proc/meminfo", "r");
    if (!f)
        return 0;
    char line[256];
    long long kb = -1;
    while (std::fgets(line, sizeof line, f)) {
        const size_t length = std::strlen(field);
        if (std::strncmp(line, field, length) == 0) {
            std::sscanf(line + length, "%lld", &kb);
            break;
        }
    }
    std::fclose(f);
    return kb < 0 ? 0 : int((kb + 512) / 1024);
}

}  // namespace

int FreePhysicalMemoryMB() { return MemInfoMB("MemAvailable:"); }

int TotalPhysicalMemoryMB() { return s_TotalOverrideMB >= 0 ? s_TotalOverrideMB : MemInfoMB("MemTotal:"); }

void SetTotalPhysicalMemoryMB(int megabytes) { s_TotalOverrideMB = megabytes < 0 ? -1 : megabytes; }

}  // namespace Platform
