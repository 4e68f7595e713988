// MemoryStatus: the machine's free physical memory, for the log's line suffix, and its total,
// by which the game keeps more loaded data; the byte figures of the system debug page.
#pragma once
#include <cstdint>

namespace Platform {

// Available physical memory in megabytes, rounded to nearest ((kB + 512) / 1024); 0 when unknown.
int FreePhysicalMemoryMB();
// Total physical memory in megabytes, rounded the same way; 0 when unknown. A figure set with
// SetTotalPhysicalMemoryMB takes the machine's place, so that what depends on it can be tried for
// any machine.
int TotalPhysicalMemoryMB();
// Megabytes TotalPhysicalMemoryMB reports from now on; a negative figure gives the machine's again.
void SetTotalPhysicalMemoryMB(int megabytes);

// The figures the system debug page shows, in bytes, always the machine's own (a set total does
// not count here). A figure that cannot be read is 0.
struct MemoryFigures {
    uint64_t totalPhysical = 0;      // MemTotal
    uint64_t availablePhysical = 0;  // MemAvailable
    int32_t memoryLoad = 0;          // per cent of the physical memory in use, 0..100
    uint64_t processResident = 0;    // the resident set of this process
};
MemoryFigures GetMemoryFigures();

}  // namespace Platform
