// DXC_Gfx: the renderer's quality settings that the game options hand over.
#include "engine/gfx/DXC_Gfx.h"

#include <cmath>

float DXC_Gfx::DiagonalToVerticalFov(float fieldOfView, float aspect)
{
    const double a = double(aspect);
    return float(2.0 * std::atan(std::tan(double(fieldOfView) / 2.0) / std::sqrt(a * a + 1.0)));
}
