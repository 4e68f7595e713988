// File: the binary file with typed little-endian reads and writes, virtual (in-memory) and
// memory-only modes, and transparent packing through the packed file container.
#pragma once
#include "base/ErrorClass.h"
#include "base/String.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

class File : public ErrorClass {
public:
    static constexpr int32_t kGrowStep = 32768;  // virtual buffers grow to the need plus this, never by doubling

    // Virtual modes.
    static constexpr int32_t kDiskFile = 0;     // every read and write goes to the stream
    static constexpr int32_t kVirtualFile = 1;  // content in the buffer, written to disk at close
    static constexpr int32_t kMemoryFile = 2;   // no disk file at all

    File();
    ~File() override;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Every message is prefixed by the file name and ": ".
    [[noreturn]] void Error(const char* format, ...) override __attribute__((format(printf, 2, 3)));

    String GetFileName() const { return m_Name; }
    static bool Exists(const char* path);         // a file or a directory
    static uint32_t GetModTime(const char* path);  // low 32 bits of the seconds; 0 when missing
    static uint32_t GetOpenHandlesCount() { return m_OpenHandlesCount; }

    // Opening and closing; each first closes what is open. A failed open or create is a
    // warning (when reportErrors), never an error.
    bool Create(const String& name, bool writeOnly = false, bool reportErrors = true);
    bool Open(const String& name, bool readOnly = true, int32_t virtualMode = kDiskFile, bool reportErrors = true);
    bool CreateInMemory(const String& name, bool writeOnly = false, bool reportErrors = true);
    // Creating a file in place of another (save games): the data goes to a temporary file beside
    // it, which Commit flushes, syncs and renames over the name. Closing without Commit, or a
    // Commit that fails, removes the temporary file and leaves the old file as it was.
    bool CreateReplacing(const String& name, bool inMemory, bool reportErrors = true);
    bool Commit();
    bool IsReplacing() const { return !m_TempName.empty(); }
    void CreateMemoryFile(int32_t capacity);
    // keepBuffer: the caller has taken the buffer over (GetMemoryBuffer) and frees it with delete[].
    void Close(bool keepBuffer = false);
    bool IsOpen() const { return m_Handle != nullptr || m_VirtualMode != kDiskFile; }

    // Block reads and writes. A read past the end of a virtual or memory file is a quiet false.
    bool Read(void* destination, size_t n);
    bool Write(const void* source, size_t n);

    // Typed reads: the destination is set to 0 when the read fails.
    bool ReadInt8(uint8_t* value);
    bool ReadInt8(int8_t* value);
    bool ReadInt8(char* value);
    bool ReadInt16(uint16_t* value);
    bool ReadInt16(int16_t* value);
    bool ReadInt32(uint32_t* value);
    bool ReadInt32(int32_t* value);
    bool ReadInt32(float* value);
    bool ReadFloat(float* value) { return ReadInt32(value); }
    bool ReadInt64(uint64_t* value);
    bool ReadInt64(int64_t* value);
    bool ReadDouble(double* value);
    uint16_t ReadInt16Member();  // also kept as the last 16-bit value
    // Strings: a signed 32-bit length, then the characters (UTF-16 units); no terminator.
    bool ReadString(String& text);
    bool ReadWString(wString& text);

    // Typed writes of the low 1, 2, 4 or 8 bytes of the value.
    bool WriteInt8(int32_t value);
    bool WriteInt16(int32_t value);
    bool WriteInt16Value(uint16_t value);  // also kept as the last 16-bit value
    bool WriteInt32(int32_t value);
    bool WriteFloat(float value);
    bool WriteFloats(const float* values, int32_t count);  // count floats in a row
    bool WriteInt64(int64_t value);
    bool WriteDouble(double value);
    bool Write8(const void* eightBytes);  // any 8-byte record, as it lies in memory
    bool WriteString(const String& text);
    bool WriteWString(const wString& text);
    uint16_t GetLastInt16() const { return m_LastInt16; }
    // The version of the records a save stream holds (set by whoever read its header); readers
    // of older layouts ask it. 0xFFFF, the default, reads as the newest.
    uint16_t GetVersion() const { return m_Version; }
    void SetVersion(uint16_t version) { m_Version = version; }

    // Positions and sizes.
    bool Seek(int32_t position);
    int32_t GetPos();
    int32_t GetSize() const { return m_Size; }  // bytes of data (of the buffer for a virtual file)
    int32_t GetRemaining() const { return m_Position < m_Size ? m_Size - m_Position : 0; }
    int32_t GetFileSize();  // of the open disk file; -1 without one
    int32_t MeasureSize();

    // Virtual and memory-only files.
    uint8_t* GetMemoryBuffer() const { return m_VirtualMode != kDiskFile ? m_Buffer : nullptr; }
    int32_t GetCapacity() const { return m_Capacity; }
    int32_t GetVirtualMode() const { return m_VirtualMode; }
    uint8_t* ReserveMemory(int32_t n);
    void ClearMemory();
    void DeleteData(int32_t newSize);
    bool WriteVirtualFile();
    bool LoadVirtualFile();
    bool TruncateDiskFile(int32_t newSize);

    // Packed file container and checksum.
    int32_t GetCompression() const { return m_Compression; }
    void SetCompression(int32_t method);
    // A packed container at the position is unpacked in place; limit bounds its unpacked size
    // (0: the packer's own bound).
    bool UnpackOnOpen(uint32_t limit = 0);
    void UnpackContents(uint32_t limit = 0);
    void Flush();
    // A signed 32-bit length and that many bytes of one packed block, unpacked into out.
    int32_t ReadPackedBlock(std::unique_ptr<uint8_t[]>& out, int32_t method);
    uint32_t GetChecksum();  // Adler-32 of the data

    // Adler-32 of a buffer (RFC 1950); an empty buffer gives 1.
    static uint32_t Adler32(const uint8_t* data, size_t length);

private:
    static uint8_t* ReallocBuffer(uint8_t* old, int32_t newCapacity, int32_t oldCapacity);
    // A stream just created for the file (null: a warning when asked, and false).
    bool TakeCreated(std::FILE* handle, bool writeOnly, bool reportErrors);
    void GrowBuffer(int64_t needed);
    bool ReadDisk(void* destination, size_t n);
    bool WriteDisk(const void* source, size_t n);
    void ReleaseDisk();
    void ResetState(bool keepBuffer);
    bool CheckWriteRange(size_t n);
    // The 32-bit length of a stored text of units of unitSize bytes: false, with a warning and the
    // position back at the length, when it claims more than the file holds.
    bool ReadTextLength(int32_t& length, int32_t unitSize);
    const char* StreamErrorText() const;

    static uint32_t m_OpenHandlesCount;  // disk files open through File, main thread only

    std::FILE* m_Handle = nullptr;
    int32_t m_Readable = 0;
    int32_t m_Writable = 0;
    int32_t m_Modified = 0;
    String m_Name;
    int32_t m_Size = 0;
    int32_t m_Position = 0;
    uint16_t m_LastInt16 = 0;
    int32_t m_VirtualMode = kDiskFile;
    int32_t m_Capacity = 0;
    uint8_t* m_Buffer = nullptr;
    int32_t m_Compression = 0;
    std::string m_TempName;
    uint16_t m_Version = 0xFFFF;  // of a file created in place of another, until Commit
};
