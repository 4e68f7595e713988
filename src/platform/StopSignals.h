// StopSignals: the signals that ask the server to stop (SIGINT, SIGTERM, SIGHUP), caught into a
// flag that the frame step takes, and the second one that ends the process at once.
#pragma once
#include <cstdint>

namespace Platform {

// Catches SIGINT, SIGTERM and SIGHUP; SIGHUP stays ignored when it was ignored at start, as nohup
// leaves it. SIGPIPE is ignored: a closed console or peer is an error of the write, not the end.
// A stop signal that comes after another one restores the terminal, ends the console line and
// ends the process at once with 128 + its number. A crash signal (SIGSEGV, SIGBUS, SIGFPE, SIGILL,
// SIGABRT) restores the terminal and ends the console line before it takes its former course.
void InstallStopSignals();

// The number of the first stop signal not yet taken, 0 when none came; taking it answers it once.
int32_t TakeStopSignal();
// A stop signal came, taken or not.
bool IsStopSignalled();
// "SIGINT", "SIGTERM", "SIGHUP"; "signal" for any other.
const char* StopSignalName(int32_t signal);

}  // namespace Platform
