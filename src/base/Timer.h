// Timer: the program clock in seconds since its first reading, and sleeping on it.
#pragma once
#include <cstdint>

namespace Timer {

double GetTime();
// Lets the program clock run on by ms milliseconds: a real sleep, or a test clock's step.
void Sleep(uint32_t ms);

}  // namespace Timer
