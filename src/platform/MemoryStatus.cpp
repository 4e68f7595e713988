// MemoryStatus: MemAvailable from /proc/meminfo.
#include "platform/MemoryStatus.h"

#include <cstdio>
#include <cstring>

namespace Platform {

namespace {

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

int TotalPhysicalMemoryMB() { return MemInfoMB("MemTotal:"); }

}  // namespace Platform
