// Processor: what the program asks of the processor it runs on.
#pragma once

namespace Platform {

// CPUID function 1 reports SSE2 (EDX bit 26) or hyper-threading (EDX bit 28); false where the
// processor has no CPUID.
bool HasSse2OrHyperThreading();

}  // namespace Platform
