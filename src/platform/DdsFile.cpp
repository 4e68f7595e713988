// DdsFile: the DDS header, read and written little-endian at fixed offsets.
#include "platform/DdsFile.h"

#include "platform/D3D9FormatInfo.h"
#include "platform/D3D9MemoryTexture.h"

#include <cstdio>

namespace {

constexpr uint32_t kMagic = 0x20534444;  // "DDS "
constexpr uint32_t kHeaderBytes = 124;
constexpr uint32_t kPixelFormatBytes = 32;

// Header flags, pixel format flags and capabilities.
constexpr uint32_t kFlagCaps = 0x1, kFlagHeight = 0x2, kFlagWidth = 0x4, kFlagPitch = 0x8;
constexpr uint32_t kFlagPixelFormat = 0x1000, kFlagMipCount = 0x20000, kFlagLinearSize = 0x80000;
constexpr uint32_t kPfAlphaPixels = 0x1, kPfAlpha = 0x2, kPfFourCC = 0x4, kPfRgb = 0x40;
constexpr uint32_t kPfLuminance = 0x20000;
constexpr uint32_t kCapsComplex = 0x8, kCapsTexture = 0x1000, kCapsMipMap = 0x400000;
constexpr uint32_t kCaps2CubeMap = 0x200, kCaps2Volume = 0x200000;

// Offsets in the file (after the magic, the header's fields in order).
constexpr size_t kOffSize = 4, kOffFlags = 8, kOffHeight = 12, kOffWidth = 16, kOffPitch = 20;
constexpr size_t kOffMipCount = 28, kOffPixelFormat = 76, kOffCaps = 108, kOffCaps2 = 112;

// The uncompressed formats as the pixel format record states them.
struct MaskFormat {
    D3DFORMAT format;
    uint32_t flags, bits, red, green, blue, alpha;
};
const MaskFormat kMaskFormats[] = {
    {D3DFMT_A8R8G8B8, kPfRgb | kPfAlphaPixels, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000u},
    {D3DFMT_X8R8G8B8, kPfRgb, 32, 0xFF0000, 0xFF00, 0xFF, 0},
    {D3DFMT_R8G8B8, kPfRgb, 24, 0xFF0000, 0xFF00, 0xFF, 0},
    {D3DFMT_R5G6B5, kPfRgb, 16, 0xF800, 0x7E0, 0x1F, 0},
    {D3DFMT_A1R5G5B5, kPfRgb | kPfAlphaPixels, 16, 0x7C00, 0x3E0, 0x1F, 0x8000},
    {D3DFMT_X1R5G5B5, kPfRgb, 16, 0x7C00, 0x3E0, 0x1F, 0},
    {D3DFMT_A4R4G4B4, kPfRgb | kPfAlphaPixels, 16, 0xF00, 0xF0, 0xF, 0xF000},
    {D3DFMT_A8, kPfAlpha, 8, 0, 0, 0, 0xFF},
    {D3DFMT_L8, kPfLuminance, 8, 0xFF, 0, 0, 0},
    {D3DFMT_A8L8, kPfLuminance | kPfAlphaPixels, 16, 0xFF, 0, 0, 0xFF00},
};

uint32_t U32(const uint8_t* data, size_t offset)
{
    const uint8_t* p = data + offset;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutU32(std::vector<uint8_t>& out, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; i++)
        out[offset + i] = uint8_t(value >> (8 * i));
}

// The format the pixel format record names, or unknown.
D3DFORMAT FormatOf(const uint8_t* pf)
{
    const uint32_t flags = U32(pf, 4);
    if (flags & kPfFourCC) {
        const D3DFORMAT code = U32(pf, 8);
        return IsD3D9Compressed(code) ? code : D3DFMT_UNKNOWN;
    }
    const uint32_t bits = U32(pf, 12), red = U32(pf, 16), green = U32(pf, 20), blue = U32(pf, 24);
    const uint32_t alpha = flags & (kPfAlphaPixels | kPfAlpha) ? U32(pf, 28) : 0;
    for (const MaskFormat& m : kMaskFormats) {
        const uint32_t kind = m.flags & ~kPfAlphaPixels;
        if ((flags & kind) == kind && bits == m.bits && red == m.red && green == m.green && blue == m.blue &&
            alpha == m.alpha)
            return m.format;
    }
    return D3DFMT_UNKNOWN;
}

uint32_t ChainLength(uint32_t width, uint32_t height)
{
    uint32_t levels = 1;
    for (uint32_t side = width > height ? width : height; side > 1; side >>= 1)
        levels++;
    return levels;
}

std::string Format(const char* format, unsigned long long a, unsigned long long b)
{
    char text[160];
    std::snprintf(text, sizeof(text), format, a, b);
    return text;
}

}  // namespace

bool IsDdsFile(const uint8_t* data, size_t size)
{
    return size >= 4 && U32(data, 0) == kMagic;
}

uint64_t DdsLevelBytes(D3DFORMAT format, uint32_t width, uint32_t height)
{
    const D3D9FormatInfo* info = FindD3D9Format(format);
    return info ? uint64_t(info->RowPitch(width)) * info->RowCount(height) : 0;
}

bool ReadDdsHeader(const uint8_t* data, size_t size, DdsHeader& header, std::string& error)
{
    if (size < kDdsHeaderSize || !IsDdsFile(data, size)) {
        error = Format("Not a DDS file: %llu bytes (a header needs %llu)", size, kDdsHeaderSize);
        return false;
    }
    if (U32(data, kOffSize) != kHeaderBytes || U32(data, kOffPixelFormat) != kPixelFormatBytes) {
        error = Format("DDS header size %llu, pixel format size %llu", U32(data, kOffSize),
                       U32(data, kOffPixelFormat));
        return false;
    }
    if (U32(data, kOffCaps2) & (kCaps2CubeMap | kCaps2Volume)) {
        error = "DDS cube maps and volumes are not supported";
        return false;
    }
    const uint32_t width = U32(data, kOffWidth), height = U32(data, kOffHeight);
    if (width == 0 || height == 0 || width > kMaxMemoryImageSide || height > kMaxMemoryImageSide) {
        error = Format("DDS image size %llu x %llu out of range", width, height);
        return false;
    }
    const D3DFORMAT format = FormatOf(data + kOffPixelFormat);
    if (format == D3DFMT_UNKNOWN) {
        error = "DDS pixel format not supported";
        return false;
    }
    uint32_t levels = U32(data, kOffFlags) & kFlagMipCount ? U32(data, kOffMipCount) : 1;
    if (levels == 0)
        levels = 1;
    if (levels > ChainLength(width, height)) {
        error = Format("DDS level count %llu beyond the chain of %llu", levels, ChainLength(width, height));
        return false;
    }
    uint64_t needed = 0;
    for (uint32_t i = 0, w = width, h = height; i < levels; i++, w = w > 1 ? w / 2 : 1, h = h > 1 ? h / 2 : 1)
        needed += DdsLevelBytes(format, w, h);
    if (needed > size - kDdsHeaderSize) {
        error = Format("DDS pixels need %llu bytes, the file holds %llu", needed, size - kDdsHeaderSize);
        return false;
    }
    header.width = width;
    header.height = height;
    header.levels = levels;
    header.format = format;
    return true;
}

std::vector<uint8_t> WriteDdsHeader(const DdsHeader& header)
{
    std::vector<uint8_t> out(kDdsHeaderSize, 0);
    const bool compressed = IsD3D9Compressed(header.format);
    const D3D9FormatInfo* info = FindD3D9Format(header.format);
    PutU32(out, 0, kMagic);
    PutU32(out, kOffSize, kHeaderBytes);
    uint32_t flags = kFlagCaps | kFlagHeight | kFlagWidth | kFlagPixelFormat;
    flags |= compressed ? kFlagLinearSize : kFlagPitch;
    if (header.levels > 1)
        flags |= kFlagMipCount;
    PutU32(out, kOffFlags, flags);
    PutU32(out, kOffHeight, header.height);
    PutU32(out, kOffWidth, header.width);
    PutU32(out, kOffPitch,
           compressed ? uint32_t(DdsLevelBytes(header.format, header.width, header.height))
                      : (info ? info->RowPitch(header.width) : 0));
    PutU32(out, kOffMipCount, header.levels);
    PutU32(out, kOffPixelFormat, kPixelFormatBytes);
    if (compressed) {
        PutU32(out, kOffPixelFormat + 4, kPfFourCC);
        PutU32(out, kOffPixelFormat + 8, header.format);
    } else {
        for (const MaskFormat& m : kMaskFormats) {
            if (m.format != header.format)
                continue;
            const uint32_t values[] = {m.flags, 0, m.bits, m.red, m.green, m.blue, m.alpha};
            for (size_t i = 0; i < 7; i++)
                PutU32(out, kOffPixelFormat + 4 + 4 * i, values[i]);
        }
    }
    uint32_t caps = kCapsTexture;
    if (header.levels > 1)
        caps |= kCapsComplex | kCapsMipMap;
    PutU32(out, kOffCaps, caps);
    return out;
}
