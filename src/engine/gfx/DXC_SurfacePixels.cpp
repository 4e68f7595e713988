// DXC_SurfaceBase pixels: the format set-up with its converters, and software access to a locked
// image: pixel reads (DXT blocks decoded), writes, lines, stretched copies, the alpha examination
// and the clipping of copies.
#include "engine/gfx/DXC_SurfaceBase.h"

#include "platform/D3D9FormatInfo.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace {

template <D3DFORMAT F>
uint32_t Encode(uint32_t argb)
{
    return D3D9EncodeColor(F, argb);
}

template <D3DFORMAT F>
uint32_t Decode(uint32_t value)
{
    return D3D9DecodeColor(F, value);
}

uint32_t Same(uint32_t value)
{
    return value;
}

struct FormatSetup {
    D3DFORMAT format;
    int32_t bytesPerPixel;  // 0: keep the previous value
    PixelCoder encoder;
    PixelCoder decoder;
};

const FormatSetup kSetups[] = {
    {D3DFMT_R8G8B8, 3, Encode<D3DFMT_R8G8B8>, Decode<D3DFMT_R8G8B8>},
    {D3DFMT_A8R8G8B8, 4, Same, Same},
    {D3DFMT_X8R8G8B8, 4, Same, Decode<D3DFMT_X8R8G8B8>},
    {D3DFMT_R5G6B5, 2, Encode<D3DFMT_R5G6B5>, Decode<D3DFMT_R5G6B5>},
    {D3DFMT_X1R5G5B5, 2, Encode<D3DFMT_X1R5G5B5>, Decode<D3DFMT_X1R5G5B5>},
    {D3DFMT_A1R5G5B5, 2, Encode<D3DFMT_A1R5G5B5>, Decode<D3DFMT_A1R5G5B5>},
    {D3DFMT_A4R4G4B4, 2, Encode<D3DFMT_A4R4G4B4>, Decode<D3DFMT_A4R4G4B4>},
    {D3DFMT_A8, 1, Encode<D3DFMT_A8>, Decode<D3DFMT_A8>},
    {D3DFMT_L8, 1, Encode<D3DFMT_L8>, Decode<D3DFMT_L8>},
    {D3DFMT_A8L8, 2, Encode<D3DFMT_A8L8>, Decode<D3DFMT_A8L8>},
    {D3DFMT_D16, 2, Same, Same},
    {D3DFMT_DXT1, 0, Same, Same},
    {D3DFMT_DXT2, 0, Same, Same},
    {D3DFMT_DXT3, 0, Same, Same},
    {D3DFMT_DXT4, 0, Same, Same},
    {D3DFMT_DXT5, 0, Same, Same},
};

uint32_t Channel(uint32_t argb, int shift)
{
    return argb >> shift & 0xFF;
}

// (wa x a + wb x b + bias) / divisor per colour channel; alpha comes from the caller.
uint32_t MixColour(uint32_t a, uint32_t b, uint32_t wa, uint32_t wb, uint32_t bias, uint32_t divisor)
{
    uint32_t out = 0;
    for (int shift = 0; shift < 24; shift += 8)
        out |= (wa * Channel(a, shift) + wb * Channel(b, shift) + bias) / divisor << shift;
    return out;
}

// The colour of a pixel's 2-bit index in the 8-byte colour block; DXT1 blocks may be in
// three-colour mode, the colour blocks of the other formats never are.
uint32_t BlockColour(const uint8_t* block, uint32_t index, bool dxt1)
{
    const uint32_t raw0 = block[0] | uint32_t(block[1]) << 8, raw1 = block[2] | uint32_t(block[3]) << 8;
    const uint32_t c0 = D3D9DecodeColor(D3DFMT_R5G6B5, raw0) & 0xFFFFFF;
    const uint32_t c1 = D3D9DecodeColor(D3DFMT_R5G6B5, raw1) & 0xFFFFFF;
    const uint32_t opaque = 0xFF000000u;
    if (index == 0)
        return opaque | c0;
    if (index == 1)
        return opaque | c1;
    if (dxt1 && raw0 <= raw1)
        return index == 2 ? opaque | MixColour(c0, c1, 1, 1, 0, 2) : 0;
    return opaque | (index == 2 ? MixColour(c0, c1, 2, 1, 1, 3) : MixColour(c0, c1, 1, 2, 1, 3));
}

// The alpha of a pixel (0 to 15) in a DXT5 alpha block: two end values and 3-bit indices into
// the table between them (eight steps, or six with 0 and 255 when the first is not above).
uint32_t BlockAlpha(const uint8_t* block, uint32_t pixel)
{
    const uint32_t a0 = block[0], a1 = block[1];
    uint64_t bits = 0;
    for (int i = 0; i < 6; i++)
        bits |= uint64_t(block[2 + i]) << (8 * i);
    const uint32_t index = uint32_t(bits >> (3 * pixel)) & 7;
    if (index == 0)
        return a0;
    if (index == 1)
        return a1;
    if (a0 > a1)
        return ((8 - index) * a0 + (index - 1) * a1) / 7;
    if (index == 6)
        return 0;
    if (index == 7)
        return 255;
    return ((6 - index) * a0 + (index - 1) * a1) / 5;
}

}  // namespace

void DXC_SurfaceBase::SetupFormat()
{
    for (const FormatSetup& setup : kSetups) {
        if (setup.format != format)
            continue;
        if (setup.bytesPerPixel)
            bytesPerPixel = setup.bytesPerPixel;
        encoder = setup.encoder;
        decoder = setup.decoder;
        return;
    }
    Error("Unsupported pixel format! (%i), file %s", int32_t(format), GetName().c_str());
}

bool DXC_SurfaceBase::IsCompressed() const
{
    return IsD3D9Compressed(format);
}

void DXC_SurfaceBase::NoteLock(const D3DRECT* rect, int32_t width, int32_t height)
{
    const D3DRECT area = rect ? *rect : D3DRECT{0, 0, width, height};
    lockedRect[0] = area.x1;
    lockedRect[1] = area.y1;
    lockedRect[2] = area.x2;
    lockedRect[3] = area.y2;
    locked = 1;
}

void DXC_SurfaceBase::ResetImage()
{
    locked = 0;
    bytesPerPixel = 0;
    flag = 0;
    alphaState = -1;
    lockedBits = D3DLOCKED_RECT();
}

uint8_t* DXC_SurfaceBase::PixelAt(int32_t x, int32_t y) const
{
    return static_cast<uint8_t*>(lockedBits.pBits) + ptrdiff_t(y) * lockedBits.Pitch + ptrdiff_t(x) * bytesPerPixel;
}

uint32_t DXC_SurfaceBase::ReadCompressed(int32_t x, int32_t y)
{
    if (format != D3DFMT_DXT1 && format != D3DFMT_DXT5)
        Error("Unsupported texture compression format for GetCompressedPix(), file: %s", GetName().c_str());
    const bool dxt1 = format == D3DFMT_DXT1;
    const uint8_t* block = static_cast<const uint8_t*>(lockedBits.pBits) + ptrdiff_t(y / 4) * lockedBits.Pitch +
                           ptrdiff_t(x / 4) * (dxt1 ? 8 : 16);
    const uint32_t pixel = uint32_t(x % 4 + 4 * (y % 4));
    const uint8_t* colours = dxt1 ? block : block + 8;
    const uint32_t word = colours[4] | uint32_t(colours[5]) << 8 | uint32_t(colours[6]) << 16 |
                          uint32_t(colours[7]) << 24;
    const uint32_t colour = BlockColour(colours, word >> (2 * pixel) & 3, dxt1);
    if (dxt1)
        return colour;
    return BlockAlpha(block, pixel) << 24 | (colour & 0xFFFFFF);
}

int DXC_SurfaceBase::GetPixel(int32_t x, int32_t y, uint32_t& color)
{
    if (x < 0 || y < 0 || x >= lockedRect[2] - lockedRect[0] || y >= lockedRect[3] - lockedRect[1])
        return 0;
    if (IsCompressed()) {
        color = ReadCompressed(x, y);
        return 1;
    }
    color = decoder(ReadPixelValue(PixelAt(x, y), uint32_t(bytesPerPixel)));
    return 1;
}

int DXC_SurfaceBase::PutPixel(int32_t x, int32_t y, uint32_t color)
{
    WritePixelValue(PixelAt(x, y), uint32_t(bytesPerPixel), encoder(color));
    return 1;
}

int DXC_SurfaceBase::DrawLine(int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t color)
{
    const int32_t width = lockedRect[2] - lockedRect[0], height = lockedRect[3] - lockedRect[1];
    auto plot = [&](int32_t x, int32_t y) {
        if (x >= 0 && y >= 0 && x < width && y < height)
            PutPixel(x, y, color);
    };
    // Bresenham along the longer axis, from its smaller coordinate to its larger one.
    const bool steep = std::abs(y2 - y1) > std::abs(x2 - x1);
    if (steep) {
        std::swap(x1, y1);
        std::swap(x2, y2);
    }
    if (x1 > x2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const int32_t dx = x2 - x1, dy = std::abs(y2 - y1), step = y1 < y2 ? 1 : -1;
    int32_t error = dx / 2;
    for (int32_t x = x1, y = y1; x <= x2; x++) {
        if (steep)
            plot(y, x);
        else
            plot(x, y);
        error -= dy;
        if (error < 0) {
            y += step;
            error += dx;
        }
    }
    return 1;
}

int32_t DXC_SurfaceBase::HasTranslucency()
{
    if (alphaState != -1)
        return alphaState;
    int32_t width = 0, height = 0;
    if (!IsValid() || (format != D3DFMT_A8R8G8B8 && format != D3DFMT_A4R4G4B4 && format != D3DFMT_DXT5) ||
        !GetSize(width, height) || width <= 0 || height <= 0)
        return alphaState = 0;
    auto stepOf = [](int32_t size) { return std::min(std::clamp(size / 16, 4, 64), size); };
    auto firstOf = [](int32_t size, int32_t step) { return size % step ? size % step / 2 : step / 2; };
    const int32_t stepX = stepOf(width), stepY = stepOf(height);
    const bool lockHere = !locked;
    if (lockHere)
        Lock(nullptr, D3DLOCK_READONLY);
    alphaState = 0;
    for (int32_t y = firstOf(height, stepY); y < height && !alphaState; y += stepY) {
        for (int32_t x = firstOf(width, stepX); x < width; x += stepX) {
            uint32_t color = 0;
            const uint32_t alpha = GetPixel(x, y, color) ? color >> 24 : 255;
            if (alpha > 0 && alpha < 255) {
                alphaState = 1;
                break;
            }
        }
    }
    if (lockHere)
        Unlock();
    return alphaState;
}

int DXC_SurfaceBase::StretchFrom(DXC_SurfaceBase& source, int32_t x, int32_t y, int32_t width, int32_t height)
{
    int32_t from[4];
    source.GetRect(from);
    const int32_t sourceWidth = from[2] - from[0], sourceHeight = from[3] - from[1];
    if (sourceWidth <= 0 || sourceHeight <= 0 || width <= 0 || height <= 0)
        return 0;
    const double fx = double(width) / sourceWidth, fy = double(height) / sourceHeight;
    const bool blend = fx >= 0.5 && fx < 1.0 && fy >= 0.5 && fy < 1.0;
    Lock(nullptr, 0);
    source.Lock(nullptr, D3DLOCK_READONLY);
    const int32_t lockedWidth = lockedRect[2] - lockedRect[0], lockedHeight = lockedRect[3] - lockedRect[1];
    for (int32_t dy = 0; dy < height; dy++) {
        for (int32_t dx = 0; dx < width; dx++) {
            const int32_t tx = x + dx, ty = y + dy;
            if (tx < 0 || ty < 0 || tx >= lockedWidth || ty >= lockedHeight)
                continue;
            const double sx = from[0] + dx / fx, sy = from[1] + dy / fy;
            uint32_t color = 0;
            if (!blend) {
                source.GetPixel(int32_t(sx), int32_t(sy), color);
            } else {
                const int32_t x0 = int32_t(sx), y0 = int32_t(sy);
                const int32_t x1 = std::min(x0 + 1, from[2] - 1), y1 = std::min(y0 + 1, from[3] - 1);
                const double wx = sx - x0, wy = sy - y0;
                uint32_t c00 = 0, c10 = 0, c01 = 0, c11 = 0;
                source.GetPixel(x0, y0, c00);
                source.GetPixel(x1, y0, c10);
                source.GetPixel(x0, y1, c01);
                source.GetPixel(x1, y1, c11);
                for (int shift = 0; shift < 32; shift += 8) {
                    const double top = Channel(c00, shift) * (1 - wx) + Channel(c10, shift) * wx;
                    const double bottom = Channel(c01, shift) * (1 - wx) + Channel(c11, shift) * wx;
                    color |= uint32_t(top * (1 - wy) + bottom * wy) << shift;
                }
            }
            PutPixel(tx, ty, color);
        }
    }
    source.Unlock();
    Unlock();
    return 1;
}

int DXC_SurfaceBase::ClipBlit(int32_t sourceRect[4], int32_t point[2], int32_t width, int32_t height)
{
    const int32_t left = std::max(point[0], 0), top = std::max(point[1], 0);
    const int32_t right = std::min(point[0] + sourceRect[2] - sourceRect[0], width);
    const int32_t bottom = std::min(point[1] + sourceRect[3] - sourceRect[1], height);
    if (right <= left || bottom <= top)
        return 0;
    sourceRect[0] += left - point[0];
    sourceRect[1] += top - point[1];
    sourceRect[2] = sourceRect[0] + (right - left);
    sourceRect[3] = sourceRect[1] + (bottom - top);
    point[0] = left;
    point[1] = top;
    return 1;
}

int DXC_SurfaceBase::ClampRect(int32_t rect[4]) const
{
    const SurfaceExtent size = GetExtent();
    if (rect[0] > rect[2])
        std::swap(rect[0], rect[2]);
    if (rect[1] > rect[3])
        std::swap(rect[1], rect[3]);
    rect[0] = std::clamp(rect[0], 0, size.width);
    rect[2] = std::clamp(rect[2], 0, size.width);
    rect[1] = std::clamp(rect[1], 0, size.height);
    rect[3] = std::clamp(rect[3], 0, size.height);
    return rect[2] > rect[0] && rect[3] > rect[1];
}
