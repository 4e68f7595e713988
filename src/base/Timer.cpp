// Timer: the program clock of the platform layer.
#include "base/Timer.h"

#include "platform/Clock.h"

namespace Timer {

double GetTime() { return Platform::GetClock().GetTime(); }

void Sleep(uint32_t ms) { Platform::GetClock().Sleep(ms); }

}  // namespace Timer
