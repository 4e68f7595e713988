// DdsFile: the header of a DDS image file: the size, the number of levels and the pixel format,
// read with every size and count checked against the bytes present, and written for an image of
// one of the stand-in's formats. The pixels follow the 128-byte header, level by level, rows
// packed (rows of 4 x 4 blocks for DXT).
#pragma once
#include "platform/D3D9Types.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t kDdsHeaderSize = 128;  // the magic "DDS " and the 124-byte header

struct DdsHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t levels = 1;
    D3DFORMAT format = D3DFMT_UNKNOWN;
};

// True when the data starts with the DDS magic.
bool IsDdsFile(const uint8_t* data, size_t size);

// Reads and checks the header of a whole file: magic, header sizes, a 2D image (no cube or
// volume) of 1 to kMaxMemoryImageSide per side in a known colour format, a level count within the
// chain, and the pixels of every level present. False with the reason in error otherwise.
bool ReadDdsHeader(const uint8_t* data, size_t size, DdsHeader& header, std::string& error);

// Bytes of one level of the image in the file.
uint64_t DdsLevelBytes(D3DFORMAT format, uint32_t width, uint32_t height);

// The 128 bytes of the header; the format must be a colour format of the stand-in.
std::vector<uint8_t> WriteDdsHeader(const DdsHeader& header);
