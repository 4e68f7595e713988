// MemoryStatus: the machine's free physical memory, for the log's line suffix, and its total,
// by which the game keeps more loaded data.
#pragma once

namespace Platform {

// Available physical memory in megabytes, rounded to nearest ((kB + 512) / 1024); 0 when unknown.
int FreePhysicalMemoryMB();
// Total physical memory in megabytes, rounded the same way; 0 when unknown. A figure set with
// SetTotalPhysicalMemoryMB takes the machine's place, so that what depends on it can be tried for
// any machine.
int TotalPhysicalMemoryMB();
// Megabytes TotalPhysicalMemoryMB reports from now on; a negative figure gives the machine's again.
void SetTotalPhysicalMemoryMB(int megabytes);

}  // namespace Platform
