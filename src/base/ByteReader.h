// ByteReader and ByteWriter: the checked little-endian codec of file and packet bytes.
// The reader has a sticky failure flag: after the first short or out-of-range read every read
// yields zero, so a caller reads a group of fields and tests Failed() once.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

class ByteReader {
public:
    ByteReader(const void* data, size_t length) : m_Data(static_cast<const uint8_t*>(data)), m_Length(data ? length : 0) {}

    bool Failed() const { return m_Failed; }
    size_t GetPosition() const { return m_Position; }
    size_t GetLength() const { return m_Length; }
    size_t GetRemaining() const { return m_Failed ? 0 : m_Length - m_Position; }

    // A position past the end fails the reader.
    void Seek(size_t position)
    {
        if (position > m_Length)
            m_Failed = true;
        else
            m_Position = position;
    }

    // The next n bytes in place, or null (and failed) when fewer remain.
    const uint8_t* ReadSpan(size_t n)
    {
        if (m_Failed || n > m_Length - m_Position) {
            m_Failed = true;
            return nullptr;
        }
        const uint8_t* p = m_Data + m_Position;
        m_Position += n;
        return p;
    }
    bool ReadBytes(void* dest, size_t n)  // dest is zero-filled on failure
    {
        const uint8_t* p = ReadSpan(n);
        if (n == 0)
            return !m_Failed;
        if (p)
            std::memcpy(dest, p, n);
        else
            std::memset(dest, 0, n);
        return !m_Failed;
    }
    bool Skip(size_t n)
    {
        ReadSpan(n);
        return !m_Failed;
    }

    uint8_t ReadU8() { const uint8_t* p = ReadSpan(1); return p ? p[0] : 0; }
    uint16_t ReadU16() { const uint8_t* p = ReadSpan(2); return p ? DecodeU16(p) : 0; }
    uint32_t ReadU32() { const uint8_t* p = ReadSpan(4); return p ? DecodeU32(p) : 0; }
    uint64_t ReadU64() { const uint8_t* p = ReadSpan(8); return p ? DecodeU64(p) : 0; }
    int8_t ReadI8() { return int8_t(ReadU8()); }
    int16_t ReadI16() { return int16_t(ReadU16()); }
    int32_t ReadI32() { return int32_t(ReadU32()); }
    int64_t ReadI64() { return int64_t(ReadU64()); }
    float ReadFloat() { return DecodeFloat(ReadSpan(4)); }
    double ReadDouble() { return DecodeDouble(ReadSpan(8)); }

    // A 32-bit count read together with its limit: a count above the limit fails the reader.
    uint32_t ReadCount(uint32_t limit)
    {
        uint32_t count = ReadU32();
        if (count > limit) {
            m_Failed = true;
            return 0;
        }
        return count;
    }

    // Single values at a place the caller has already checked.
    static uint16_t DecodeU16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
    static uint32_t DecodeU32(const uint8_t* p)
    {
        return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    }
    static uint64_t DecodeU64(const uint8_t* p) { return uint64_t(DecodeU32(p)) | (uint64_t(DecodeU32(p + 4)) << 32); }
    static float DecodeFloat(const uint8_t* p)  // null gives 0
    {
        float value = 0.0f;
        if (p) {
            uint32_t bits = DecodeU32(p);
            std::memcpy(&value, &bits, 4);
        }
        return value;
    }
    static double DecodeDouble(const uint8_t* p)  // null gives 0
    {
        double value = 0.0;
        if (p) {
            uint64_t bits = DecodeU64(p);
            std::memcpy(&value, &bits, 8);
        }
        return value;
    }

private:
    const uint8_t* m_Data;
    size_t m_Length;
    size_t m_Position = 0;
    bool m_Failed = false;
};

// The writing side over a buffer of fixed capacity; a write that does not fit fails the writer
// and writes nothing, as do all writes after it.
class ByteWriter {
public:
    ByteWriter(void* buffer, size_t capacity) : m_Data(static_cast<uint8_t*>(buffer)), m_Capacity(buffer ? capacity : 0) {}

    bool Failed() const { return m_Failed; }
    size_t GetPosition() const { return m_Position; }

    bool WriteBytes(const void* source, size_t n)
    {
        if (m_Failed || n > m_Capacity - m_Position) {
            m_Failed = true;
            return false;
        }
        if (n)
            std::memcpy(m_Data + m_Position, source, n);
        m_Position += n;
        return true;
    }
    bool WriteU8(uint8_t v) { return WriteBytes(&v, 1); }
    bool WriteU16(uint16_t v) { uint8_t b[2]; EncodeU16(b, v); return WriteBytes(b, 2); }
    bool WriteU32(uint32_t v) { uint8_t b[4]; EncodeU32(b, v); return WriteBytes(b, 4); }
    bool WriteU64(uint64_t v) { uint8_t b[8]; EncodeU64(b, v); return WriteBytes(b, 8); }
    bool WriteFloat(float v) { uint32_t bits; std::memcpy(&bits, &v, 4); return WriteU32(bits); }
    bool WriteDouble(double v) { uint64_t bits; std::memcpy(&bits, &v, 8); return WriteU64(bits); }

    static void EncodeU16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
    static void EncodeU32(uint8_t* p, uint32_t v)
    {
        p[0] = uint8_t(v);
        p[1] = uint8_t(v >> 8);
        p[2] = uint8_t(v >> 16);
        p[3] = uint8_t(v >> 24);
    }
    static void EncodeU64(uint8_t* p, uint64_t v) { EncodeU32(p, uint32_t(v)); EncodeU32(p + 4, uint32_t(v >> 32)); }

private:
    uint8_t* m_Data;
    size_t m_Capacity;
    size_t m_Position = 0;
    bool m_Failed = false;
};
