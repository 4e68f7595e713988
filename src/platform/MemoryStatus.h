// MemoryStatus: the machine's free physical memory, for the log's line suffix, and its total,
// by which the game keeps more loaded data.
#pragma once

namespace Platform {

// Available physical memory in megabytes, rounded to nearest ((kB + 512) / 1024); 0 when unknown.
int FreePhysicalMemoryMB();
// Total physical memory in megabytes, rounded the same way; 0 when unknown.
int TotalPhysicalMemoryMB();

}  // namespace Platform
