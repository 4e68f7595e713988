// CursorDisplay: the display counter of the system's mouse cursor, as ShowCursor keeps it: each
// show raises it, each hide lowers it, and the cursor is shown while it is 0 or more.
#pragma once
#include <cstdint>

namespace Platform {

// Raises (show) or lowers the counter; the new value.
int32_t ShowCursor(bool show);

}  // namespace Platform
