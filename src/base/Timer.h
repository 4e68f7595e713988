// Timer: the program clock in seconds since its first call.
#pragma once

namespace Timer {

double GetTime();

}  // namespace Timer
