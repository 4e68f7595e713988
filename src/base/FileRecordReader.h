// FileRecordReader: the typed reads of the records inside a File, each checked: a value the file
// does not hold any more ends the load with an error of the file ("<what> cut short"). Counts
// are read with the least size of what they count, so that a count the remaining bytes cannot
// hold is refused before anything is allocated.
#pragma once
#include "base/File.h"
#include "base/String.h"

#include <cstdint>

class FileRecordReader {
public:
    // cutShortText names the record in the error of a short read ("Scene file cut short").
    FileRecordReader(File& file, const char* cutShortText) : m_File(file), m_CutShortText(cutShortText) {}

    File& GetFile() { return m_File; }
    void CutShort() { m_File.Error("%s", m_CutShortText); }

    int32_t I32()
    {
        int32_t v = 0;
        if (!m_File.ReadInt32(&v))
            CutShort();
        return v;
    }
    uint32_t U32() { return uint32_t(I32()); }
    uint16_t U16()
    {
        uint16_t v = 0;
        if (!m_File.ReadInt16(&v))
            CutShort();
        return v;
    }
    int16_t I16() { return int16_t(U16()); }
    uint8_t U8()
    {
        uint8_t v = 0;
        if (!m_File.ReadInt8(&v))
            CutShort();
        return v;
    }
    int8_t I8() { return int8_t(U8()); }
    float F32()
    {
        float v = 0;
        if (!m_File.ReadFloat(&v))
            CutShort();
        return v;
    }
    void Floats(float* values, int32_t n)
    {
        for (int32_t i = 0; i < n; i++)
            values[i] = F32();
    }
    void Text(String& text)
    {
        if (!m_File.ReadString(text))
            CutShort();
    }
    // A count of records of at least minBytes each; negative counts and counts beyond the bytes
    // left are errors naming what was counted.
    int32_t Count(const char* what, int64_t minBytes) { return CheckCount(what, I32(), minBytes); }
    int32_t CheckCount(const char* what, int32_t n, int64_t minBytes)
    {
        if (n < 0 || int64_t(n) * minBytes > int64_t(m_File.GetRemaining()))
            m_File.Error("%s count %i exceeds the %i bytes left", what, n, m_File.GetRemaining());
        return n;
    }
    void Skip(int64_t bytes)
    {
        if (bytes < 0 || bytes > int64_t(m_File.GetRemaining()))
            m_File.Error("%s: %lld bytes to skip, %i left", m_CutShortText, static_cast<long long>(bytes),
                         m_File.GetRemaining());
        m_File.Seek(m_File.GetPos() + int32_t(bytes));
    }

private:
    File& m_File;
    const char* m_CutShortText;
};
