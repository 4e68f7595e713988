// File: positions and sizes, and the buffer of virtual and memory-only files.
#include "base/File.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

bool File::Seek(int32_t position)
{
    if (m_Handle && m_VirtualMode == kDiskFile) {
        if (std::fseek(m_Handle, long(position), SEEK_SET) != 0)
            Error("fseek failed: %i", errno);
    } else if (position < 0) {
        Error("Invalid seek position: %i", position);  // a buffer offset can never be negative
    }
    m_Position = position;
    return true;
}

int32_t File::GetPos()
{
    if (m_Handle && m_VirtualMode == kDiskFile && std::ftell(m_Handle) != long(m_Position))
        Error("file pos does not match!");
    return m_Position;
}

int32_t File::GetFileSize()
{
    if (!m_Handle)
        return -1;
    std::fflush(m_Handle);  // buffered writes count too
    int64_t size = Platform::GetOpenFileSize(m_Handle);
    return size >= 0 && size <= INT32_MAX ? int32_t(size) : -1;
}

int32_t File::MeasureSize()
{
    if (!m_Handle)
        return m_Size;
    long here = std::ftell(m_Handle);
    if (std::fseek(m_Handle, 0, SEEK_END) != 0)
        Error("fseek failed: %i", errno);
    long end = std::ftell(m_Handle);
    if (here >= 0 && std::fseek(m_Handle, here, SEEK_SET) != 0)
        Error("fseek failed: %i", errno);
    if (end < 0 || end > INT32_MAX)
        Error("File size %ld is beyond the 2 GiB limit", end);
    m_Size = int32_t(end);
    return m_Size;
}

uint8_t* File::ReallocBuffer(uint8_t* old, int32_t newCapacity, int32_t oldCapacity)
{
    uint8_t* buffer = new uint8_t[size_t(std::max(newCapacity, 0))]();  // zeroed: no stale bytes reach a file
    if (old) {
        int32_t keep = std::min(newCapacity, oldCapacity);
        if (keep > 0)
            std::memcpy(buffer, old, size_t(keep));
        delete[] old;
    }
    return buffer;
}

void File::GrowBuffer(int64_t needed)
{
    if (needed > INT32_MAX)
        Error("Error writing to file (%s)", "data beyond 2 GiB");
    int32_t capacity = int32_t(std::min<int64_t>(needed + kGrowStep, INT32_MAX));
    m_Buffer = ReallocBuffer(m_Buffer, capacity, m_Capacity);
    m_Capacity = capacity;
}

uint8_t* File::ReserveMemory(int32_t n)
{
    if (m_VirtualMode == kDiskFile || n < 0)
        return nullptr;
    m_Modified = 1;
    if (m_Size < n)
        m_Size = n;
    int64_t end = int64_t(m_Position) + n;
    if (end > m_Capacity || m_Size > m_Capacity)
        GrowBuffer(std::max<int64_t>(end, m_Size));
    return m_Buffer;
}

void File::ClearMemory()
{
    if (m_VirtualMode == kDiskFile)
        return;
    m_Position = 0;
    m_Size = 0;
}

void File::DeleteData(int32_t newSize)
{
    if (newSize >= m_Size)
        return;
    if (!m_Writable)
        Error("Can not delete data without write permission");
    if (newSize < 0)
        Error("Invalid data size: %i", newSize);
    if (m_Handle)
        TruncateDiskFile(newSize);
    m_Modified = 1;
    m_Size = newSize;
    if (m_VirtualMode != kDiskFile) {
        int32_t capacity = int32_t(std::min<int64_t>(int64_t(newSize) + kGrowStep, INT32_MAX));
        m_Buffer = ReallocBuffer(m_Buffer, capacity, m_Capacity);
        m_Capacity = capacity;  // the capacity must follow the new buffer
    }
    Seek(newSize);
}

bool File::WriteVirtualFile()
{
    if (m_VirtualMode != kVirtualFile || !m_Handle)
        return false;
    if (std::fseek(m_Handle, 0, SEEK_SET) != 0)
        Error("fseek failed (WriteVirtualFile): %i", errno);
    if (m_Size > 0 && std::fwrite(m_Buffer, 1, size_t(m_Size), m_Handle) != size_t(m_Size)) {
        const char* text = std::strerror(errno);
        std::clearerr(m_Handle);
        Error("Error writing to file (%s)", text);
    }
    TruncateDiskFile(m_Size);
    return true;
}

bool File::LoadVirtualFile()
{
    if (!m_Handle)
        return false;
    int32_t capacity = int32_t(std::min<int64_t>(int64_t(m_Size) + (m_Writable ? kGrowStep : 0), INT32_MAX));
    delete[] m_Buffer;
    m_Buffer = nullptr;
    m_Capacity = 0;
    m_Buffer = ReallocBuffer(nullptr, capacity, 0);
    m_Capacity = capacity;
    long here = std::ftell(m_Handle);
    if (std::fseek(m_Handle, 0, SEEK_SET) != 0)
        Error("fseek failed: %i", errno);
    if (m_Size > 0 && std::fread(m_Buffer, 1, size_t(m_Size), m_Handle) != size_t(m_Size)) {
        const char* text = StreamErrorText();
        std::clearerr(m_Handle);
        Error("Error reading from file (%s)", text);
    }
    if (here >= 0 && std::fseek(m_Handle, here, SEEK_SET) != 0)
        Error("fseek failed: %i", errno);
    return true;
}

bool File::TruncateDiskFile(int32_t newSize)
{
    if (!m_Handle)
        return false;
    if (!Platform::TruncateOpenFile(m_Handle, newSize))
        Error("DeleteData() failed: %s, file:'%s'", std::strerror(errno), m_Name.c_str());
    return true;
}
