// MemoryStatus: the machine's free physical memory, for the log's line suffix.
#pragma once

namespace Platform {

// Available physical memory in megabytes, rounded to nearest ((kB + 512) / 1024); 0 when unknown.
int FreePhysicalMemoryMB();

}  // namespace Platform
