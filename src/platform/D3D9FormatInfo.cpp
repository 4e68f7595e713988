// D3D9FormatInfo: the format table and the pixel conversions.
#include "platform/D3D9FormatInfo.h"

namespace {

const D3D9FormatInfo kFormats[] = {
    {D3DFMT_R8G8B8, 3},
    {D3DFMT_A8R8G8B8, 4},
    {D3DFMT_X8R8G8B8, 4},
    {D3DFMT_R5G6B5, 2},
    {D3DFMT_X1R5G5B5, 2},
    {D3DFMT_A1R5G5B5, 2},
    {D3DFMT_A4R4G4B4, 2},
    {D3DFMT_A8, 1},
    {D3DFMT_L8, 1},
    {D3DFMT_A8L8, 2},
    {D3DFMT_D16, 2, false, true, false},
    {D3DFMT_D32, 4, false, true, false},
    {D3DFMT_D24S8, 4, false, true, true},
    {D3DFMT_DXT1, 8, true},
    {D3DFMT_DXT2, 16, true},
    {D3DFMT_DXT3, 16, true},
    {D3DFMT_DXT4, 16, true},
    {D3DFMT_DXT5, 16, true},
};

uint32_t Channel(uint32_t argb, int shift) { return (argb >> shift) & 0xFF; }

uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b) { return a << 24 | r << 16 | g << 8 | b; }

}  // namespace

const D3D9FormatInfo* FindD3D9Format(D3DFORMAT format)
{
    for (const D3D9FormatInfo& info : kFormats)
        if (info.format == format)
            return &info;
    return nullptr;
}

bool IsD3D9Compressed(D3DFORMAT format)
{
    const D3D9FormatInfo* info = FindD3D9Format(format);
    return info && info->compressed;
}

uint32_t D3D9EncodeColor(D3DFORMAT format, uint32_t argb)
{
    const uint32_t a = Channel(argb, 24), r = Channel(argb, 16), g = Channel(argb, 8), b = Channel(argb, 0);
    switch (format) {
    case D3DFMT_R8G8B8:
        return argb & 0xFFFFFF;
    case D3DFMT_R5G6B5:
        return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
        return (a >= 128 ? 1u : 0u) << 15 | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
    case D3DFMT_A4R4G4B4:
        return (a >> 4) << 12 | (r >> 4) << 8 | (g >> 4) << 4 | (b >> 4);
    case D3DFMT_A8:
        return a;
    case D3DFMT_L8:
        return (r + g + b) / 3;
    case D3DFMT_A8L8:
        return (r + g + b) / 3 | a << 8;
    default:
        return argb;
    }
}

uint32_t D3D9DecodeColor(D3DFORMAT format, uint32_t value)
{
    switch (format) {
    case D3DFMT_R8G8B8:
    case D3DFMT_X8R8G8B8:
        return 0xFF000000u | (value & 0xFFFFFF);
    case D3DFMT_R5G6B5:
        return Pack(255, (value >> 11 & 0x1F) << 3, (value >> 5 & 0x3F) << 2, (value & 0x1F) << 3);
    case D3DFMT_X1R5G5B5:
        return Pack(255, (value >> 10 & 0x1F) << 3, (value >> 5 & 0x1F) << 3, (value & 0x1F) << 3);
    case D3DFMT_A1R5G5B5:
        return Pack(value & 0x8000 ? 255 : 0, (value >> 10 & 0x1F) << 3, (value >> 5 & 0x1F) << 3,
                    (value & 0x1F) << 3);
    case D3DFMT_A4R4G4B4:
        return Pack((value >> 12 & 0xF) << 4, (value >> 8 & 0xF) << 4, (value >> 4 & 0xF) << 4, (value & 0xF) << 4);
    case D3DFMT_A8:
        return Pack(value & 0xFF, 0, 0, 0);
    case D3DFMT_L8:
        return Pack(255, value & 0xFF, value & 0xFF, value & 0xFF);
    case D3DFMT_A8L8:
        return Pack(value >> 8 & 0xFF, value & 0xFF, value & 0xFF, value & 0xFF);
    default:
        return value;
    }
}

uint32_t ReadPixelValue(const uint8_t* at, uint32_t bytes)
{
    uint32_t value = 0;
    for (uint32_t i = 0; i < bytes && i < 4; i++)
        value |= uint32_t(at[i]) << (8 * i);
    return value;
}

void WritePixelValue(uint8_t* at, uint32_t bytes, uint32_t value)
{
    for (uint32_t i = 0; i < bytes && i < 4; i++)
        at[i] = uint8_t(value >> (8 * i));
}

uint32_t D3D9WidenColor(D3DFORMAT format, uint32_t value)
{
    const uint32_t argb = D3D9DecodeColor(format, value);
    // bits kept per channel (alpha, red, green, blue); 8 needs nothing
    int bits[4] = {8, 8, 8, 8};
    switch (format) {
    case D3DFMT_R5G6B5:
        bits[1] = 5, bits[2] = 6, bits[3] = 5;
        break;
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
        bits[1] = bits[2] = bits[3] = 5;
        break;
    case D3DFMT_A4R4G4B4:
        bits[0] = bits[1] = bits[2] = bits[3] = 4;
        break;
    default:
        return argb;
    }
    uint32_t out = 0;
    for (int c = 0; c < 4; c++) {
        const int shift = 24 - 8 * c;
        uint32_t v = Channel(argb, shift);
        for (int filled = bits[c]; filled < 8; filled += bits[c])
            v |= v >> bits[c];
        out |= (v & 0xFF) << shift;
    }
    return out;
}

uint32_t NextPowerOfTwo(uint32_t n)
{
    uint32_t p = 1;
    while (p < n && p < 0x80000000u)
        p <<= 1;
    return n == 0 ? 0 : p;
}
