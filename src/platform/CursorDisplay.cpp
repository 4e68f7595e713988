// CursorDisplay: the cursor's display counter.
#include "platform/CursorDisplay.h"

#include <atomic>

namespace {

std::atomic<int32_t> s_DisplayCount{0};  // shown at start

}  // namespace

namespace Platform {

int32_t ShowCursor(bool show) { return show ? ++s_DisplayCount : --s_DisplayCount; }

}  // namespace Platform
