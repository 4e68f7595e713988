// File: opening, closing, the block reads and writes and the typed values over them.
#include "base/File.h"

#include "base/ByteReader.h"
#include "platform/FileSystem.h"
#include "platform/SafeFileReplace.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstring>

uint32_t File::m_OpenHandlesCount = 0;

File::File() { CopyName32(this, "File"); }

File::~File()
{
    try {
        Close(false);
    } catch (const ErrorMsg&) {
        // a failed write-back is already logged; a destructor must not throw
    }
}

void File::Error(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format ? format : "", args);
    va_end(args);
    ErrorClass::Error("%s: %s", m_Name.c_str(), message);
}

bool File::Exists(const char* path)
{
    return path && (Platform::FileExists(path) || Platform::IsDirectory(path));
}

uint32_t File::GetModTime(const char* path)
{
    int64_t modifiedNs = 0;
    if (!path || !Platform::GetFileTime(path, modifiedNs))
        return 0;
    return uint32_t(uint64_t(modifiedNs / 1000000000));
}

const char* File::StreamErrorText() const
{
    if (m_Handle && std::feof(m_Handle) && !std::ferror(m_Handle))
        return "end of file";
    return std::strerror(errno);
}

bool File::Create(const String& name, bool writeOnly, bool reportErrors)
{
    Close(false);
    m_Name = name;
    return TakeCreated(Platform::OpenFile(m_Name.c_str(), writeOnly ? "wb" : "w+b"), writeOnly, reportErrors);
}

bool File::TakeCreated(std::FILE* handle, bool writeOnly, bool reportErrors)
{
    if (!handle) {
        int code = errno;
        Close(false);
        if (reportErrors)
            Warning("Create() failed: %s, file:'%s'", std::strerror(code), m_Name.c_str());
        return false;
    }
    m_Handle = handle;
    m_OpenHandlesCount++;
    m_Writable = 1;
    m_Readable = writeOnly ? 0 : 1;
    m_Size = 0;
    m_Position = 0;
    return true;
}

bool File::Open(const String& name, bool readOnly, int32_t virtualMode, bool reportErrors)
{
    Close(false);
    m_Name = name;
    // fopen takes a directory here, which the game's own platform refused
    if (Platform::IsDirectory(m_Name.c_str())) {
        errno = EISDIR;
    } else {
        m_Handle = Platform::OpenFile(m_Name.c_str(), readOnly ? "rb" : "r+b");
    }
    if (!m_Handle) {
        int code = errno;
        Close(false);
        if (reportErrors)
            Warning("Open() failed: %s, file:'%s'", std::strerror(code), m_Name.c_str());
        return false;
    }
    m_OpenHandlesCount++;
    m_Readable = 1;
    m_Writable = readOnly ? 0 : 1;
    MeasureSize();
    m_VirtualMode = virtualMode != kDiskFile ? kVirtualFile : kDiskFile;  // a disk file is never memory-only
    if (m_VirtualMode != kDiskFile) {
        LoadVirtualFile();
    } else if (std::fseek(m_Handle, 0, SEEK_SET) != 0) {
        Error("fseek failed: %i", errno);
    }
    m_Position = 0;
    UnpackOnOpen();
    return true;
}

bool File::CreateReplacing(const String& name, bool inMemory, bool reportErrors)
{
    Close(false);
    m_Name = name;
    std::string tempName;
    if (!TakeCreated(Platform::SafeFileReplace::CreateTemp(m_Name.c_str(), tempName), false, reportErrors))
        return false;
    m_TempName = tempName;
    if (inMemory) {
        m_VirtualMode = kVirtualFile;
        m_Buffer = ReallocBuffer(nullptr, kGrowStep, 0);
        m_Capacity = kGrowStep;
    }
    return true;
}

bool File::Commit()
{
    if (m_TempName.empty() || !m_Handle)
        return false;
    // packing or the write-back may fail: Close then discards the temporary file
    if (m_Compression != 0)
        Flush();
    if (m_VirtualMode == kVirtualFile)
        WriteVirtualFile();
    std::FILE* handle = m_Handle;
    std::string tempName = m_TempName;
    m_Handle = nullptr;
    m_TempName.clear();
    m_OpenHandlesCount--;
    ResetState(false);
    if (!Platform::SafeFileReplace::Commit(handle, tempName, m_Name.c_str())) {
        Warning("Could not write file: '%s' - %s", m_Name.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

bool File::CreateInMemory(const String& name, bool writeOnly, bool reportErrors)
{
    if (!Create(name, true, reportErrors))
        return false;
    m_Readable = writeOnly ? 0 : 1;
    m_VirtualMode = kVirtualFile;
    m_Buffer = ReallocBuffer(nullptr, kGrowStep, 0);
    m_Capacity = kGrowStep;
    return true;
}

void File::CreateMemoryFile(int32_t capacity)
{
    Close(false);
    m_Name = "";
    if (capacity < 0)
        capacity = 0;
    m_VirtualMode = kMemoryFile;
    m_Readable = 1;
    m_Writable = 1;
    m_Buffer = ReallocBuffer(nullptr, capacity, 0);
    m_Capacity = capacity;
}

void File::Close(bool keepBuffer)
{
    // However the write-back ends, the stream is closed and the object reset.
    struct Finish {
        File* file;
        bool keepBuffer;
        ~Finish()
        {
            file->ReleaseDisk();
            file->ResetState(keepBuffer);
        }
    } finish{this, keepBuffer};

    if (!m_TempName.empty()) {  // a replacing file that was not committed leaves no trace
        Platform::SafeFileReplace::Discard(m_Handle, m_TempName);
        m_TempName.clear();
        m_Handle = nullptr;
        if (m_OpenHandlesCount > 0)
            m_OpenHandlesCount--;
        return;
    }
    if (m_Handle && m_Modified) {
        if (m_Compression != 0)
            Flush();
        if (m_VirtualMode == kVirtualFile)
            WriteVirtualFile();
    }
}

void File::ReleaseDisk()
{
    if (!m_Handle)
        return;
    int result = std::fclose(m_Handle);
    int code = errno;
    m_Handle = nullptr;
    if (result != 0)
        Warning("Could not close file: '%s' - %s", m_Name.c_str(), std::strerror(code));
    // the stream is gone even when fclose reports a failure, so it is counted out either way
    if (m_OpenHandlesCount > 0)
        m_OpenHandlesCount--;
    else
        Warning("Invalid m_OpenHandlesCount !");
}

void File::ResetState(bool keepBuffer)
{
    if (!keepBuffer)
        delete[] m_Buffer;
    m_Buffer = nullptr;
    m_Handle = nullptr;
    m_Readable = 0;
    m_Writable = 0;
    m_Modified = 0;
    m_VirtualMode = kDiskFile;
    m_Capacity = 0;
    m_Size = 0;
    m_Position = 0;
    m_LastInt16 = 0;
    m_Compression = 0;
}

bool File::Read(void* destination, size_t n)
{
    if (!m_Readable)
        Error("File is not readable");
    if (n == 0)
        return true;
    if (m_VirtualMode == kDiskFile)
        return ReadDisk(destination, n);
    ByteReader reader(m_Buffer, size_t(m_Size));
    reader.Seek(size_t(m_Position));
    if (!reader.ReadBytes(destination, n))
        return false;  // past the end: a quiet false, the position stays
    m_Position = int32_t(reader.GetPosition());
    return true;
}

bool File::ReadDisk(void* destination, size_t n)
{
    if (n > size_t(INT32_MAX - m_Position))
        Error("Error reading from file (%s)", "read beyond 2 GiB");
    if (std::fread(destination, 1, n, m_Handle) == n) {
        m_Position += int32_t(n);
        return true;
    }
    const char* text = StreamErrorText();
    long position = std::ftell(m_Handle);
    std::clearerr(m_Handle);
    m_Position = position >= 0 && position <= INT32_MAX ? int32_t(position) : m_Position;
    Error("Error reading from file (%s)", text);
    return false;
}

// Positions and sizes are signed 32-bit: nothing may be written past 2 GiB.
bool File::CheckWriteRange(size_t n)
{
    if (n > size_t(INT32_MAX) || int64_t(m_Position) + int64_t(n) > INT32_MAX)
        Error("Error writing to file (%s)", "data beyond 2 GiB");
    return true;
}

bool File::Write(const void* source, size_t n)
{
    if (!m_Writable)
        Error("File is not writeable");
    if (n == 0)
        return true;
    CheckWriteRange(n);
    m_Modified = 1;
    if (m_VirtualMode == kDiskFile)
        return WriteDisk(source, n);
    int64_t end = int64_t(m_Position) + int64_t(n);
    if (end > m_Capacity)
        GrowBuffer(end);
    if (m_Position > m_Size)
        std::memset(m_Buffer + m_Size, 0, size_t(m_Position - m_Size));  // a gap after a seek past the end
    std::memcpy(m_Buffer + m_Position, source, n);
    m_Position = int32_t(end);
    if (m_Size < m_Position)
        m_Size = m_Position;
    return true;
}

bool File::WriteDisk(const void* source, size_t n)
{
    if (std::fwrite(source, 1, n, m_Handle) == n) {
        m_Position += int32_t(n);
        if (m_Size < m_Position)
            m_Size = m_Position;
        return true;
    }
    const char* text = StreamErrorText();
    long position = std::ftell(m_Handle);
    std::clearerr(m_Handle);
    if (position >= 0 && position <= INT32_MAX)
        m_Position = int32_t(position);
    if (m_Size < m_Position)
        m_Size = m_Position;
    Error("Error writing to file (%s)", text);
    return false;
}

namespace {

// N bytes through File::Read, decoded; the value is zero when the read failed.
template <size_t N, class T, class Decode>
bool ReadDecoded(File& file, T* value, Decode decode)
{
    uint8_t b[N] = {};
    bool ok = file.Read(b, N);
    *value = ok ? T(decode(b)) : T(0);
    return ok;
}

uint8_t DecodeU8(const uint8_t* p) { return p[0]; }

// A value little-endian through File::Write.
template <class U>
bool WriteEncoded(File& file, U value, void (*encode)(uint8_t*, U))
{
    uint8_t b[sizeof(U)];
    encode(b, value);
    return file.Write(b, sizeof b);
}

}  // namespace

bool File::ReadInt8(uint8_t* value) { return ReadDecoded<1>(*this, value, DecodeU8); }
bool File::ReadInt8(int8_t* value) { return ReadDecoded<1>(*this, value, DecodeU8); }
bool File::ReadInt8(char* value) { return ReadDecoded<1>(*this, value, DecodeU8); }
bool File::ReadInt16(uint16_t* value) { return ReadDecoded<2>(*this, value, ByteReader::DecodeU16); }
bool File::ReadInt16(int16_t* value) { return ReadDecoded<2>(*this, value, ByteReader::DecodeU16); }
bool File::ReadInt32(uint32_t* value) { return ReadDecoded<4>(*this, value, ByteReader::DecodeU32); }
bool File::ReadInt32(int32_t* value) { return ReadDecoded<4>(*this, value, ByteReader::DecodeU32); }
bool File::ReadInt32(float* value) { return ReadDecoded<4>(*this, value, ByteReader::DecodeFloat); }
bool File::ReadInt64(uint64_t* value) { return ReadDecoded<8>(*this, value, ByteReader::DecodeU64); }
bool File::ReadInt64(int64_t* value) { return ReadDecoded<8>(*this, value, ByteReader::DecodeU64); }
bool File::ReadDouble(double* value) { return ReadDecoded<8>(*this, value, ByteReader::DecodeDouble); }

uint16_t File::ReadInt16Member()
{
    ReadInt16(&m_LastInt16);
    return m_LastInt16;
}

bool File::ReadTextLength(int32_t& length, int32_t unitSize)
{
    int32_t start = m_Position;
    length = 0;
    if (!ReadInt32(&length))
        return false;
    // a damaged length must not allocate what the file cannot hold
    if (length > 0 && int64_t(length) * unitSize > GetRemaining()) {
        Warning("%s: string length %i exceeds the %i bytes left", m_Name.c_str(), length, GetRemaining());
        Seek(start);
        return false;
    }
    return true;
}

bool File::ReadString(String& text)
{
    text.Release();
    int32_t length = 0;
    if (!ReadTextLength(length, 1))
        return false;
    if (length <= 0)
        return true;
    text.Alloc(length);
    if (!Read(text.GetBuffer(), size_t(length))) {
        text.Release();
        return false;
    }
    text.GetBuffer()[length] = 0;
    return true;
}

bool File::ReadWString(wString& text)
{
    text.Release();
    int32_t length = 0;
    if (!ReadTextLength(length, 2))
        return false;
    if (length <= 0)
        return true;
    text.Alloc(length);
    char16_t* units = text.GetBuffer();
    uint8_t* bytes = reinterpret_cast<uint8_t*>(units);
    if (!Read(bytes, size_t(length) * 2)) {
        text.Release();
        return false;
    }
    for (int32_t i = 0; i < length; i++)  // the units were stored little-endian
        units[i] = char16_t(ByteReader::DecodeU16(bytes + 2 * size_t(i)));
    units[length] = 0;
    return true;
}

bool File::WriteInt8(int32_t value)
{
    uint8_t b = uint8_t(value);
    return Write(&b, 1);
}

bool File::WriteInt16(int32_t value) { return WriteEncoded(*this, uint16_t(value), ByteWriter::EncodeU16); }

bool File::WriteInt16Value(uint16_t value)
{
    m_LastInt16 = value;
    return WriteInt16(value);
}

bool File::WriteInt32(int32_t value) { return WriteEncoded(*this, uint32_t(value), ByteWriter::EncodeU32); }

bool File::WriteFloat(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    return WriteInt32(int32_t(bits));
}

bool File::WriteFloats(const float* values, int32_t count)
{
    bool ok = true;
    for (int32_t i = 0; i < count; i++)
        ok = WriteFloat(values[i]) && ok;
    return ok;
}

bool File::WriteInt64(int64_t value) { return WriteEncoded(*this, uint64_t(value), ByteWriter::EncodeU64); }

bool File::WriteDouble(double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, 8);
    return WriteInt64(int64_t(bits));
}

bool File::Write8(const void* eightBytes) { return Write(eightBytes, 8); }

bool File::WriteString(const String& text)
{
    int32_t length = text.TextLength();
    if (!WriteInt32(length))
        return false;
    return length < 1 || Write(text.c_str(), size_t(length));
}

bool File::WriteWString(const wString& text)
{
    int32_t length = text.TextLength();
    if (!WriteInt32(length))
        return false;
    if (length < 1)
        return true;
    std::unique_ptr<uint8_t[]> bytes(new uint8_t[size_t(length) * 2]);
    const char16_t* units = text.c_str();
    for (int32_t i = 0; i < length; i++)
        ByteWriter::EncodeU16(bytes.get() + 2 * size_t(i), uint16_t(units[i]));
    return Write(bytes.get(), size_t(length) * 2);
}
