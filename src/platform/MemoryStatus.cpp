// MemoryStatus: MemAvailable from /proc/meminfo.
#include "platform/MemoryStatus.h"

#include <cstdio>
#include <cstring>

namespace Platform {

int FreePhysicalMemoryMB()
{
    FILE* f = std::fopen("/proc/meminfo", "r");
    if (!f)
        return 0;
    char line[256];
    long long kb = -1;
    while (std::fgets(line, sizeof line, f)) {
        if (std::strncmp(line, "MemAvailable:", 13) == 0) {
            std::sscanf(line + 13, "%lld", &kb);
            break;
        }
    }
    std::fclose(f);
    return kb < 0 ? 0 : int((kb + 512) / 1024);
}

}  // namespace Platform
