// ScopedGfx: the server's graphics object (no device), the global one while it lives, for tests
// that load scene files.
#pragma once
#include "engine/gfx/DXC_Gfx.h"

class ScopedGfx {
public:
    ScopedGfx()
    {
        gfx.SetDedicatedMode(1);
        g_Gfx = &gfx;
    }
    ~ScopedGfx() { g_Gfx = nullptr; }
    ScopedGfx(const ScopedGfx&) = delete;
    ScopedGfx& operator=(const ScopedGfx&) = delete;

    DXC_Gfx gfx;
};
