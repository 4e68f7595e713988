// D3D9FormatInfo: what the stand-in knows of each pixel format: its size in memory (per pixel, or
// per 4 x 4 block for the DXT formats), whether it holds depth and stencil, and the conversion of
// one pixel between the format and 32-bit ARGB (blue in the lowest byte).
#pragma once
#include "platform/D3D9Types.h"

#include <cstdint>

struct D3D9FormatInfo {
    D3DFORMAT format = D3DFMT_UNKNOWN;
    uint32_t bytes = 0;  // per pixel; per 4 x 4 block when compressed
    bool compressed = false;
    bool depth = false;
    bool stencil = false;

    // Bytes of one row of pixels (of blocks when compressed), and the number of such rows.
    uint32_t RowPitch(uint32_t width) const { return compressed ? (width + 3) / 4 * bytes : width * bytes; }
    uint32_t RowCount(uint32_t height) const { return compressed ? (height + 3) / 4 : height; }
};

// Null for a format the stand-in does not know.
const D3D9FormatInfo* FindD3D9Format(D3DFORMAT format);
// DXT1 to DXT5.
bool IsD3D9Compressed(D3DFORMAT format);

// The stored value of an ARGB colour and the colour of a stored value. The low bits of a widened
// channel stay 0; a format without alpha reads as opaque; L8 stores the mean of red, green and
// blue; a 1-bit alpha is set from 128 up. Depth and compressed formats keep the value as it is.
uint32_t D3D9EncodeColor(D3DFORMAT format, uint32_t argb);
uint32_t D3D9DecodeColor(D3DFORMAT format, uint32_t value);
// The colour of a stored value with each narrow channel widened by repeating its high bits into
// the low ones (31 in five bits reads 255): how image files and conversions between formats read.
uint32_t D3D9WidenColor(D3DFORMAT format, uint32_t value);

// 0 for 0, else the smallest power of two at or above n (n up to 2^31).
uint32_t NextPowerOfTwo(uint32_t n);

// Little-endian pixel values of 1 to 4 bytes.
uint32_t ReadPixelValue(const uint8_t* at, uint32_t bytes);
void WritePixelValue(uint8_t* at, uint32_t bytes, uint32_t value);
