// File: the packed file container on open and close, packed blocks and the Adler-32 checksum.
#include "base/File.h"

#include "base/CCompress.h"

#include <cerrno>
#include <cstring>

void File::SetCompression(int32_t method)
{
    if (method == m_Compression)
        return;
    if (method < 0 || method > CCompress::kMaxMethod)  // 0 is a plain file
        Error("Unknown compression method: %i", method);
    if (m_Handle) {
        if (!m_Readable)
            Error("Can not set compression of none readable file");
        if (!m_Writable)
            Error("Can not set compression of none writable file");
    }
    m_Compression = method;
    m_Modified = 1;
}

bool File::UnpackOnOpen(uint32_t limit)
{
    if (m_Handle && m_VirtualMode == kDiskFile && std::ftell(m_Handle) != long(m_Position))
        Error("file pos does not match!");
    if (GetRemaining() < 5)
        return false;
    const int32_t start = m_Position;
    uint8_t magic[4];
    if (!Read(magic, 4) || std::memcmp(magic, CCompress::kMagic, 4) != 0) {
        Seek(start);
        return true;
    }
    uint8_t version = 0;
    if (!ReadInt8(&version) || version != CCompress::kContainerVersion) {
        Seek(start);
        return false;
    }
    int8_t method = 0;
    if (GetRemaining() < 1 || !ReadInt8(&method)) {  // magic and version but no method byte
        Seek(start);
        return false;
    }
    if (method < 1 || method > CCompress::kMaxMethod) {
        if (method != 0)
            Warning("%s: unknown compression method %i, read as plain data", m_Name.c_str(), int(method));
        Seek(start);
        return true;
    }
    UnpackContents(limit);
    m_Compression = method;  // only once the contents are plain
    return true;
}

void File::UnpackContents(uint32_t limit)
{
    if (m_VirtualMode == kDiskFile) {
        if (!m_Handle)
            return;
        m_VirtualMode = kVirtualFile;
        LoadVirtualFile();
    }
    const int32_t start = m_Position < m_Size ? m_Position : m_Size;
    CCompress compress;
    compress.SetMethod(m_Compression);
    compress.SetUnitSize(4);
    compress.SetUnpackLimit(limit);
    std::unique_ptr<uint8_t[]> plain;
    int32_t length = compress.Unpack(m_Buffer + start, m_Size - start, plain);
    if (length < 0)
        Error("Unpacking failed: %i", length);
    delete[] m_Buffer;
    m_Buffer = plain.release();
    m_Size = length;
    m_Capacity = length;
    m_Position = 0;
}

void File::Flush()
{
    if (m_Compression == 0)
        return;
    std::unique_ptr<uint8_t[]> diskContents;
    const uint8_t* plain = m_Buffer;
    int32_t plainSize = m_Size;
    if (m_VirtualMode == kDiskFile) {
        if (!m_Handle)
            return;
        plainSize = MeasureSize();
        diskContents.reset(new uint8_t[size_t(plainSize) + 1]);
        Seek(0);
        if (!Read(diskContents.get(), size_t(plainSize)))
            Error("Error reading from file (%s)", "packing");
        plain = diskContents.get();
    }

    CCompress compress;
    compress.SetMethod(m_Compression);
    compress.SetUnitSize(4);
    std::unique_ptr<uint8_t[]> block;
    int32_t blockLength = compress.Compress(plain, plainSize, block);
    if (blockLength <= 0)  // nothing half-packed may reach the file
        Error("Packing with method %i failed: %i", m_Compression, blockLength);
    diskContents.reset();

    DeleteData(blockLength);
    Seek(0);
    uint8_t header[CCompress::kContainerHeaderSize] = {CCompress::kMagic[0], CCompress::kMagic[1], CCompress::kMagic[2],
                                                       CCompress::kMagic[3], CCompress::kContainerVersion,
                                                       uint8_t(m_Compression)};
    Write(header, sizeof header);
    Write(block.get(), size_t(blockLength));
}

int32_t File::ReadPackedBlock(std::unique_ptr<uint8_t[]>& out, int32_t method)
{
    out.reset();
    int32_t length = 0;
    if (!ReadInt32(&length))
        Error("Packed block length missing");
    if (length < 0 || length > GetRemaining())
        Error("Packed block of %i bytes exceeds the %i bytes left", length, GetRemaining());
    std::unique_ptr<uint8_t[]> block(new uint8_t[size_t(length) + 1]);
    if (!Read(block.get(), size_t(length)))
        Error("Packed block of %i bytes exceeds the %i bytes left", length, GetRemaining());
    CCompress compress;
    compress.SetMethod(method);  // the block's id decides
    compress.SetUnitSize(4);
    return compress.Unpack(block.get(), length, out);
}

uint32_t File::Adler32(const uint8_t* data, size_t length)
{
    constexpr uint32_t kBase = 65521;
    constexpr size_t kChunk = 5552;  // the most bytes before the sums can overflow 32 bits
    uint32_t a = 1;
    uint32_t b = 0;
    while (length > 0) {
        size_t n = length < kChunk ? length : kChunk;
        length -= n;
        while (n--) {
            a += *data++;
            b += a;
        }
        a %= kBase;
        b %= kBase;
    }
    return (b << 16) | a;
}

uint32_t File::GetChecksum()
{
    if (m_VirtualMode == kDiskFile && m_Handle) {
        m_VirtualMode = kVirtualFile;
        LoadVirtualFile();
    }
    return Adler32(m_Buffer, m_Buffer ? size_t(m_Size) : 0);
}
