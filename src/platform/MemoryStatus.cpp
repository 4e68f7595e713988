// MemoryStatus: MemAvailable and MemTotal from /proc/meminfo, the total a test sets, and the
// resident set of the process from /proc/self/statm.
#include "platform/MemoryStatus.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace Platform {

namespace {

int s_TotalOverrideMB = -1;  // -1: the machine's own

// The value of a "/proc/meminfo" field in kB; -1 when it is not there.
long long MemInfoKB(const char* field)
{
    FILE* f = std::fopen("/proc/meminfo", "r");
    if (!f)
        return -1;
    char line[256];
    long long kb = -1;
    while (std::fgets(line, sizeof line, f)) {
        const size_t length = std::strlen(field);
        if (std::strncmp(line, field, length) == 0) {
            if (std::sscanf(line + length, "%lld", &kb) != 1)
                kb = -1;
            break;
        }
    }
    std::fclose(f);
    return kb;
}

// The same in megabytes, rounded to nearest.
int MemInfoMB(const char* field)
{
    const long long kb = MemInfoKB(field);
    return kb < 0 ? 0 : int((kb + 512) / 1024);
}

uint64_t MemInfoBytes(const char* field)
{
    const long long kb = MemInfoKB(field);
    return kb < 0 ? 0 : uint64_t(kb) * 1024u;
}

}  // namespace

int FreePhysicalMemoryMB() { return MemInfoMB("MemAvailable:"); }

int TotalPhysicalMemoryMB() { return s_TotalOverrideMB >= 0 ? s_TotalOverrideMB : MemInfoMB("MemTotal:"); }

void SetTotalPhysicalMemoryMB(int megabytes) { s_TotalOverrideMB = megabytes < 0 ? -1 : megabytes; }

MemoryFigures GetMemoryFigures()
{
    MemoryFigures figures;
    figures.totalPhysical = MemInfoBytes("MemTotal:");
    figures.availablePhysical = MemInfoBytes("MemAvailable:");
    if (figures.totalPhysical > 0 && figures.availablePhysical <= figures.totalPhysical)
        figures.memoryLoad =
            int32_t((figures.totalPhysical - figures.availablePhysical) * 100u / figures.totalPhysical);
    // statm: total program size, then the resident pages.
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        unsigned long long size = 0;
        unsigned long long resident = 0;
        const long page = sysconf(_SC_PAGESIZE);
        if (std::fscanf(f, "%llu %llu", &size, &resident) == 2 && page > 0)
            figures.processResident = resident * uint64_t(page);
        std::fclose(f);
    }
    return figures;
}

}  // namespace Platform
