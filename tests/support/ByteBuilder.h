// ByteBuilder: little-endian bytes of a record written by hand, and a memory File over them.
#pragma once
#include "base/ByteReader.h"
#include "base/File.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct ByteBuilder {
    std::vector<uint8_t> bytes;

    ByteBuilder& U8(uint8_t v)
    {
        bytes.push_back(v);
        return *this;
    }
    ByteBuilder& U16(uint16_t v)
    {
        uint8_t b[2];
        ByteWriter::EncodeU16(b, v);
        bytes.insert(bytes.end(), b, b + 2);
        return *this;
    }
    ByteBuilder& I32(int32_t v)
    {
        uint8_t b[4];
        ByteWriter::EncodeU32(b, uint32_t(v));
        bytes.insert(bytes.end(), b, b + 4);
        return *this;
    }
    ByteBuilder& F32(float v)
    {
        uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return I32(int32_t(bits));
    }
    ByteBuilder& F64(double v)
    {
        uint8_t b[8];
        uint64_t bits;
        std::memcpy(&bits, &v, 8);
        ByteWriter::EncodeU64(b, bits);
        bytes.insert(bytes.end(), b, b + 8);
        return *this;
    }
    ByteBuilder& F32s(std::initializer_list<float> values)
    {
        for (float v : values)
            F32(v);
        return *this;
    }
    ByteBuilder& Str(const std::string& text)  // the File string form
    {
        I32(int32_t(text.size()));
        bytes.insert(bytes.end(), text.begin(), text.end());
        return *this;
    }
    ByteBuilder& Zeros(size_t n)
    {
        bytes.insert(bytes.end(), n, 0);
        return *this;
    }
    ByteBuilder& Append(const std::vector<uint8_t>& more)
    {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }

    // A memory file holding the bytes, positioned at 0.
    void Into(File& file) const
    {
        file.CreateMemoryFile(int32_t(bytes.size()));
        if (!bytes.empty())
            file.Write(bytes.data(), bytes.size());
        file.Seek(0);
    }
};

// The bytes a memory file holds.
inline std::vector<uint8_t> BytesOf(const File& file)
{
    const uint8_t* data = file.GetMemoryBuffer();
    return std::vector<uint8_t>(data, data + file.GetSize());
}
