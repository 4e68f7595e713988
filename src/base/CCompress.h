// CCompress: packer and unpacker of the packed file container's blocks (stored, run-length,
// LZMA with optional keystream scrambling, key scrambling).
//
// Packed file, as File writes it (little-endian):
//   0  4  magic A7 51 4D A7
//   4  1  container version 1
//   5  1  method 1..8 (the file's compression)
//   6  .. one block as CCompress::Compress makes it
// Every block begins with an id byte: low 6 bits the kind, for LZMA the high bits the scramble flag.
//   stored      id 0,    u32 length n, n bytes
//   run-length  id 1,    u32 unpacked length L, u8 unit width U, body, the last L mod U bytes as they are
//               body items: a literal unit, or marker unit + count byte (1..255) + the repeated unit;
//               the marker unit is the bytes 10, 11, 12, ...
//   LZMA        id 2,    u32 unpacked length, the LzmaCoder stream
//               id 0x42, u32 unpacked length, u32 keystream seed, u32 keystream check, the scrambled stream
//   key         id 8,    u32 payload length, u8 version (1 or 2), u32 payload check, the scrambled payload
#pragma once
#include "base/ErrorClass.h"

#include <cstdint>
#include <memory>

class CCompress : public ErrorClass {
public:
    static constexpr uint8_t kMagic[4] = {0xA7, 0x51, 0x4D, 0xA7};
    static constexpr uint8_t kContainerVersion = 1;
    static constexpr int32_t kContainerHeaderSize = 6;
    static constexpr int32_t kMaxMethod = 8;

    CCompress();
    ~CCompress() override;
    CCompress(const CCompress&) = delete;
    CCompress& operator=(const CCompress&) = delete;

    void SetMethod(int32_t method) { m_Method = method; }
    int32_t GetMethod() const { return m_Method; }
    void SetUnitSize(int32_t unitSize) { m_UnitSize = unitSize; }

    // Packs by the method: 0 stored, 1 run-length, 2/3/4 LZMA normal/fast/best, 5/6/7 the same
    // keystream-scrambled, 8 key-scrambled. Returns the block length; -1 for an unknown method.
    int32_t Compress(const uint8_t* data, int32_t length, std::unique_ptr<uint8_t[]>& out);
    // Unpacks any block by its id byte; returns the unpacked length. Damage is an error, and so is
    // a block that states more than the limit (0: only the packer's own bound), before anything
    // is allocated for it.
    void SetUnpackLimit(uint32_t limit) { m_UnpackLimit = limit; }
    int32_t Unpack(const uint8_t* block, int32_t length, std::unique_ptr<uint8_t[]>& out);

    // level -1 fast, 0 normal, 1 best; scramble 0 or 1.
    int32_t Pack(const uint8_t* data, int32_t length, std::unique_ptr<uint8_t[]>& out, int32_t level, int32_t scramble);
    int32_t UnpackLzma(const uint8_t* block, int32_t length, std::unique_ptr<uint8_t[]>& out, bool scrambled);
    int32_t PackStored(const uint8_t* data, int32_t length, std::unique_ptr<uint8_t[]>& out);
    int32_t UnpackStored(const uint8_t* block, int32_t length, std::unique_ptr<uint8_t[]>& out);
    int32_t PackRunLength(const uint8_t* data, int32_t length, std::unique_ptr<uint8_t[]>& out);
    int32_t UnpackRunLength(const uint8_t* block, int32_t length, std::unique_ptr<uint8_t[]>& out);
    int32_t Scramble(const uint8_t* data, int32_t length, std::unique_ptr<uint8_t[]>& out);
    int32_t Unscramble(const uint8_t* block, int32_t length, std::unique_ptr<uint8_t[]>& out);

    // The two scrambling transforms, each its own inverse. The bytes are taken as little-endian
    // 32-bit words and a tail of length mod 4 bytes; the sums are the XOR of the words before and after.
    static void XorWithKey(uint8_t* words, int32_t length, const uint32_t* key, int32_t keyWords, uint32_t& sumBefore,
                           uint32_t& sumAfter);
    // Draws its keys from the program-wide generator, which the caller has seeded.
    static void XorWithKeystream(uint8_t* words, int32_t length, uint32_t& sumBefore, uint32_t& sumAfter);

    // How many consecutive units from the first equal the reference, at most maxCount.
    static int32_t CountEqualUnits(const uint8_t* units, const uint8_t* reference, int32_t unitWidth, int32_t maxCount);

private:
    void AllocOutput(int32_t capacity);
    void WriteBytes(const void* source, int32_t n);
    void WriteByte(uint8_t value);
    int32_t TakeOutput(std::unique_ptr<uint8_t[]>& out);  // hands the output over; returns its length
    static void BuildKey(int32_t version, int32_t payloadLength, uint32_t key[8]);

    void CheckUnpackLimit(uint64_t length);

    int32_t m_UnitSize = 4;
    int32_t m_UnpackUnitWidth = 0;
    uint32_t m_UnpackLimit = 0;
    int32_t m_Method = 1;
    std::unique_ptr<uint8_t[]> m_Output;
    const uint8_t* m_Input = nullptr;
    int32_t m_OutputPosition = 0;
    int32_t m_InputPosition = 0;
    int32_t m_OutputCapacity = 0;
    int32_t m_InputLength = 0;
};
