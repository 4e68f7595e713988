// DXC_Gfx: the renderer's quality settings that the game options hand over, and the device
// queries they ask. No device exists here, so the format checks fail and compression stays off.
#include "engine/gfx/DXC_Gfx.h"

#include <cmath>

float DXC_Gfx::DiagonalToVerticalFov(float fieldOfView, float aspect)
{
    const double a = double(aspect);
    return float(2.0 * std::atan(std::tan(double(fieldOfView) / 2.0) / std::sqrt(a * a + 1.0)));
}

int DXC_Gfx::CheckTextureFormat(D3DFORMAT format, int32_t mode)
{
    (void)format;
    (void)mode;
    return 0;  // a device would be asked here
}

int DXC_Gfx::SetTextureCompression(int32_t level, int32_t minimumSize)
{
    if (level >= 1 && !CheckTextureFormat(D3DFMT_DXT1, 0))
        Error("Texture compression DXT1 not supported by hardware");
    if (level >= 2 && !CheckTextureFormat(D3DFMT_DXT5, 0))
        Error("Texture compression DXT5 not supported by hardware");
    compressionLevel = level;
    compressionMinSize = minimumSize;
    return 1;
}
