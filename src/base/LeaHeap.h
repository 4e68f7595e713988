// LeaHeap: a boundary-tag heap in the manner of Doug Lea's allocator, for the classes that
// derive from cfLeaAllocator.
//
// Restated for 64-bit: every chunk has a 16-byte header (size of a free previous chunk or the
// check footer of an in-use previous chunk, then size and flags) and blocks are 16-byte aligned.
// Requests below 17 bytes take 32-byte chunks, others (n + 31) rounded down to a multiple of 16.
// Free chunks under 8 KB sit in exact-size bins, one per 16 bytes, with a bit map of the bins in
// use, so that the best fit is the first set bit from the request's own bin on: the objects of
// play are made and dropped at every size of that range. Larger free chunks sit in size-class
// bins searched best-fit; the top chunk of the newest segment serves what the bins cannot. Requests of 256 KB and more get a region of their own that goes back to
// the system when released; free space above 2 MB at the top is returned, and segments that
// fall wholly free are released every 4,095 frees of large chunks and after each trim.
// No lock: one heap belongs to one thread.
#pragma once
#include <cstddef>
#include <cstdint>

class LeaHeap {
public:
    struct Config {
        size_t directThreshold = 256 * 1024;  // requests of at least this size are mapped alone
        size_t trimThreshold = 2 * 1024 * 1024;  // top space above this goes back to the system
        size_t segmentSize = 1024 * 1024;     // least size of a new segment
    };

    LeaHeap();
    explicit LeaHeap(const Config& config);
    ~LeaHeap();  // returns every segment and region to the system
    LeaHeap(const LeaHeap&) = delete;
    LeaHeap& operator=(const LeaHeap&) = delete;

    void* Alloc(size_t size);  // null when the system refuses more memory
    void Free(void* block);    // null is ignored; a corrupt or foreign block aborts the process
    size_t GetUsableSize(const void* block) const;
    bool Trim();               // true when memory went back to the system
    bool Validate() const;     // walks every chunk and bin; false on any broken link or tag

    size_t GetMappedBytes() const { return m_MappedBytes; }
    size_t GetSegmentCount() const;
    size_t GetDirectRegionCount() const { return m_RegionCount; }

    static constexpr size_t kAlignment = 16;
    static constexpr size_t kMaxSmallRequest = 224;  // chunks under 256 bytes

    struct Chunk;    // memory layouts, defined with the code that walks them
    struct Segment;
    struct Region;

private:
    static constexpr int kExactBins = 510;  // chunk sizes 32 .. 8176
    static constexpr int kExactWords = 8;   // of the bit map of exact bins in use
    static constexpr int kLargeBins = 102;  // two per power of two from 8 KB up

    void* AllocDirect(size_t size);
    void FreeDirect(Chunk* c);
    Chunk* TakeExact(size_t nb);
    Chunk* TakeLarge(size_t nb);
    Chunk* TakeTop(size_t nb);
    bool GrowTop(size_t nb);
    void UseChunk(Chunk* c, size_t chunkSize, size_t nb);
    void InsertFree(Chunk* c);
    void Unlink(Chunk* c);
    Chunk*& BinHead(size_t chunkSize);
    void MarkBin(size_t chunkSize, bool used);
    int FindExactBin(int from) const;
    int FindLargeBin(int from) const;
    bool ReleaseUnusedSegments();
    void WriteFence(Segment* seg);
    [[noreturn]] void Corrupt(const void* block) const;

    Config m_Config;
    size_t m_Granularity = 0;
    size_t m_PageSize = 0;
    size_t m_Footer = 0;  // check value ^ heap address, behind every in-use chunk

    Chunk* m_ExactBins[kExactBins] = {};
    Chunk* m_LargeBins[kLargeBins] = {};
    uint64_t m_ExactMap[kExactWords] = {};
    uint64_t m_LargeMap[2] = {};

    Chunk* m_Top = nullptr;
    size_t m_TopSize = 0;
    Segment* m_TopSegment = nullptr;
    Segment* m_Segments = nullptr;
    Region* m_Regions = nullptr;
    size_t m_RegionCount = 0;
    size_t m_MappedBytes = 0;
    size_t m_ReleaseChecks = 0;
};
