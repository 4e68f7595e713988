// LeaHeap: chunk bookkeeping, bins, segments, direct regions and trimming.
#include "base/LeaHeap.h"

#include "base/Log.h"
#include "platform/Clock.h"
#include "platform/VirtualMemory.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

// A chunk as it lies in memory. prevSize holds the size of the previous chunk while that one is
// free, and the heap's footer while it is in use (a release of a foreign or overrun block fails
// that check). fd and bk exist only while the chunk is free.
struct LeaHeap::Chunk {
    size_t prevSize;
    size_t head;  // size | flags
    Chunk* fd;
    Chunk* bk;
};

// At the start of each segment mapping; the chunks follow and a 16-byte fence closes it.
struct LeaHeap::Segment {
    Segment* next;
    size_t size;  // of the whole mapping
    size_t reserved[2];
};

// At the start of each direct mapping; its one chunk follows.
struct LeaHeap::Region {
    Region* next;
    Region* prev;
    size_t mapSize;
    size_t reserved;
};

namespace {

using Chunk = LeaHeap::Chunk;
using Segment = LeaHeap::Segment;
using Region = LeaHeap::Region;

constexpr size_t kPrevInUse = 1;
constexpr size_t kInUse = 2;
constexpr size_t kDirect = 4;
constexpr size_t kFlagMask = 15;
constexpr size_t kHeaderSize = 16;
constexpr size_t kMinChunk = 32;
constexpr size_t kMinLargeChunk = 256;  // frees of chunks from here on count towards the release check
constexpr size_t kExactLimit = 8192;    // the first chunk size without an exact bin
constexpr int kExactLimitBit = 13;
constexpr size_t kSegmentHeader = 32;
constexpr size_t kRegionHeader = 32;
constexpr size_t kFenceHead = kHeaderSize | kInUse;
constexpr size_t kReleaseCheckRate = 4095;

static_assert(sizeof(Chunk) == kMinChunk);
static_assert(sizeof(Segment) == kSegmentHeader && sizeof(Region) == kRegionHeader);

size_t RoundUp(size_t n, size_t unit) { return (n + unit - 1) & ~(unit - 1); }
bool IsPowerOfTwo(size_t n) { return n != 0 && (n & (n - 1)) == 0; }

size_t RequestToChunk(size_t n)
{
    return n <= kMinChunk - kHeaderSize ? kMinChunk : (n + kHeaderSize + 15) & ~size_t(15);
}

int ExactIndex(size_t chunkSize) { return int(chunkSize / 16) - 2; }

int LargeIndex(size_t chunkSize)
{
    int bit = 63 - std::countl_zero(uint64_t(chunkSize));  // 13 for 8 KB
    return (bit - kExactLimitBit) * 2 + int((chunkSize >> (bit - 1)) & 1);
}

static_assert(size_t(1) << kExactLimitBit == kExactLimit);

// The first set bit at or after from in a map of words; -1 when there is none.
int FindInMap(const uint64_t* map, int words, int from)
{
    if (from >= words * 64)
        return -1;
    int w = from / 64;
    uint64_t bits = map[w] & (~uint64_t(0) << (from % 64));
    while (!bits) {
        if (++w == words)
            return -1;
        bits = map[w];
    }
    return w * 64 + std::countr_zero(bits);
}

template <class T>
T* At(void* base, ptrdiff_t offset) { return reinterpret_cast<T*>(static_cast<char*>(base) + offset); }

size_t SizeOf(const Chunk* c) { return c->head & ~kFlagMask; }
Chunk* NextOf(Chunk* c) { return At<Chunk>(c, SizeOf(c)); }
void* PayloadOf(Chunk* c) { return At<void>(c, kHeaderSize); }
Chunk* ChunkOf(const void* block)
{
    return reinterpret_cast<Chunk*>(const_cast<char*>(static_cast<const char*>(block)) - kHeaderSize);
}
Chunk* FirstChunkOf(Segment* seg) { return At<Chunk>(seg, kSegmentHeader); }
Chunk* FenceOf(Segment* seg) { return At<Chunk>(seg, seg->size - kHeaderSize); }
size_t SpanOf(const Segment* seg) { return seg->size - kSegmentHeader - kHeaderSize; }

}  // namespace

LeaHeap::LeaHeap() : LeaHeap(Config()) {}

LeaHeap::LeaHeap(const Config& config) : m_Config(config)
{
    m_PageSize = Platform::GetPageSize();
    m_Granularity = Platform::GetAllocationGranularity();
    if (!IsPowerOfTwo(m_PageSize) || !IsPowerOfTwo(m_Granularity)) {
        Log::Write("LeaHeap: page size %zu or granularity %zu is not a power of two", m_PageSize,
                   m_Granularity);
        std::abort();  // nothing below could keep its alignment
    }
    if (m_Config.directThreshold < kMinLargeChunk)
        m_Config.directThreshold = kMinLargeChunk;
    m_Config.segmentSize = RoundUp(m_Config.segmentSize ? m_Config.segmentSize : 1, m_Granularity);
    // The published allocator's check rule, with the tick count in place of the time.
    size_t check = (size_t(Platform::PerformanceCounter()) ^ 0x55555550u);
    check = (check & ~size_t(7)) | 8;
    m_Footer = check ^ reinterpret_cast<uintptr_t>(this);
    m_ReleaseChecks = kReleaseCheckRate;
}

LeaHeap::~LeaHeap()
{
    while (m_Segments) {
        Segment* seg = m_Segments;
        m_Segments = seg->next;
        Platform::UnmapMemory(seg, seg->size);
    }
    while (m_Regions) {
        Region* r = m_Regions;
        m_Regions = r->next;
        Platform::UnmapMemory(r, r->mapSize);
    }
}

void* LeaHeap::Alloc(size_t size)
{
    if (size >= m_Config.directThreshold)
        return AllocDirect(size);
    size_t nb = RequestToChunk(size);
    Chunk* c = nb < kExactLimit ? TakeExact(nb) : nullptr;
    if (!c)
        c = TakeLarge(nb);
    if (!c)
        c = TakeTop(nb);
    if (!c) {
        if (!GrowTop(nb))
            return nullptr;
        c = TakeTop(nb);
    }
    return PayloadOf(c);
}

void LeaHeap::Free(void* block)
{
    if (!block)
        return;
    if (reinterpret_cast<uintptr_t>(block) % kAlignment != 0)
        Corrupt(block);
    Chunk* c = ChunkOf(block);
    if (c->head & kDirect) {
        FreeDirect(c);
        return;
    }
    size_t size = SizeOf(c);
    if (!(c->head & kInUse) || size < kMinChunk || size % 16 != 0)
        Corrupt(block);  // a double release lands here too
    Chunk* next = NextOf(c);
    if (next->prevSize != m_Footer || !(next->head & kPrevInUse))
        Corrupt(block);

    if (!(c->head & kPrevInUse)) {  // join the free chunk before
        Chunk* prev = At<Chunk>(c, -ptrdiff_t(c->prevSize));
        if (SizeOf(prev) != c->prevSize || (prev->head & kInUse))
            Corrupt(block);
        Unlink(prev);
        size += c->prevSize;
        c = prev;
    }
    if (next == m_Top) {  // the top swallows it
        m_TopSize += size;
        m_Top = c;
        c->head = m_TopSize | kPrevInUse;
        if (m_TopSize > m_Config.trimThreshold)
            Trim();
        return;
    }
    if (!(next->head & kInUse)) {  // join the free chunk after
        Unlink(next);
        size += SizeOf(next);
    }
    c->head = size | kPrevInUse;
    Chunk* after = At<Chunk>(c, size);
    after->prevSize = size;
    after->head &= ~kPrevInUse;
    InsertFree(c);
    if (size >= kMinLargeChunk && --m_ReleaseChecks == 0)
        ReleaseUnusedSegments();
}

size_t LeaHeap::GetUsableSize(const void* block) const
{
    return block ? SizeOf(ChunkOf(block)) - kHeaderSize : 0;
}

size_t LeaHeap::GetSegmentCount() const
{
    size_t n = 0;
    for (Segment* seg = m_Segments; seg; seg = seg->next)
        ++n;
    return n;
}

void* LeaHeap::AllocDirect(size_t size)
{
    size_t overhead = kRegionHeader + kHeaderSize;
    if (size > SIZE_MAX - overhead - m_PageSize)
        return nullptr;
    size_t mapSize = RoundUp(size + overhead, m_PageSize);
    void* base = Platform::MapMemory(mapSize);
    if (!base)
        return nullptr;
    Region* r = static_cast<Region*>(base);
    r->mapSize = mapSize;
    r->prev = nullptr;
    r->next = m_Regions;
    if (m_Regions)
        m_Regions->prev = r;
    m_Regions = r;
    ++m_RegionCount;
    m_MappedBytes += mapSize;
    Chunk* c = At<Chunk>(base, kRegionHeader);
    c->prevSize = m_Footer;
    c->head = (mapSize - kRegionHeader) | kDirect | kInUse;
    return PayloadOf(c);
}

void LeaHeap::FreeDirect(Chunk* c)
{
    Region* r = At<Region>(c, -ptrdiff_t(kRegionHeader));
    if (c->prevSize != m_Footer || !(c->head & kInUse) || r->mapSize != SizeOf(c) + kRegionHeader)
        Corrupt(PayloadOf(c));
    if (r->prev)
        r->prev->next = r->next;
    else
        m_Regions = r->next;
    if (r->next)
        r->next->prev = r->prev;
    --m_RegionCount;
    m_MappedBytes -= r->mapSize;
    Platform::UnmapMemory(r, r->mapSize);
}

// The best fit below 8 KB: the head of the first bin in use from the request's own.
Chunk* LeaHeap::TakeExact(size_t nb)
{
    int bin = FindExactBin(ExactIndex(nb));
    if (bin < 0)
        return nullptr;
    Chunk* c = m_ExactBins[bin];
    size_t size = SizeOf(c);
    Unlink(c);
    UseChunk(c, size, nb);
    return c;
}

Chunk* LeaHeap::TakeLarge(size_t nb)
{
    int index = nb < kExactLimit ? 0 : LargeIndex(nb);
    Chunk* best = nullptr;
    for (Chunk* c = m_LargeBins[index]; c; c = c->fd)  // best fit within the request's own bin
        if (SizeOf(c) >= nb && (!best || SizeOf(c) < SizeOf(best)))
            best = c;
    if (!best) {
        int bin = FindLargeBin(index + 1);  // every chunk of a higher bin is big enough
        if (bin < 0)
            return nullptr;
        for (Chunk* c = m_LargeBins[bin]; c; c = c->fd)
            if (!best || SizeOf(c) < SizeOf(best))
                best = c;
    }
    size_t size = SizeOf(best);
    Unlink(best);
    UseChunk(best, size, nb);
    return best;
}

Chunk* LeaHeap::TakeTop(size_t nb)
{
    if (!m_Top || m_TopSize < nb + kMinChunk)  // the top always stays a whole chunk
        return nullptr;
    Chunk* c = m_Top;
    m_Top = At<Chunk>(c, nb);
    m_TopSize -= nb;
    m_Top->head = m_TopSize | kPrevInUse;
    m_Top->prevSize = m_Footer;
    c->head = nb | kPrevInUse | kInUse;
    return c;
}

// A free chunk (already out of its bin, its previous chunk in use) serves a request of nb.
void LeaHeap::UseChunk(Chunk* c, size_t chunkSize, size_t nb)
{
    size_t rest = chunkSize - nb;
    if (rest >= kMinChunk) {
        c->head = nb | kPrevInUse | kInUse;
        Chunk* r = At<Chunk>(c, nb);
        r->prevSize = m_Footer;
        r->head = rest | kPrevInUse;
        NextOf(r)->prevSize = rest;
        InsertFree(r);
    } else {
        c->head = chunkSize | kPrevInUse | kInUse;
        Chunk* next = NextOf(c);
        next->prevSize = m_Footer;
        next->head |= kPrevInUse;
    }
}

bool LeaHeap::GrowTop(size_t nb)
{
    size_t overhead = kSegmentHeader + kHeaderSize + kMinChunk;
    size_t want = RoundUp(nb + overhead, m_Granularity);
    if (want < m_Config.segmentSize)
        want = m_Config.segmentSize;

    if (m_Top) {  // the system may hand out the range right behind the top: then the top grows
        char* end = reinterpret_cast<char*>(m_TopSegment) + m_TopSegment->size;
        if (Platform::MapMemoryAt(end, want)) {
            m_TopSegment->size += want;
            m_MappedBytes += want;
            m_TopSize += want;  // the old fence becomes part of the top
            m_Top->head = m_TopSize | kPrevInUse;
            WriteFence(m_TopSegment);
            return true;
        }
    }
    void* base = Platform::MapMemory(want);
    if (!base)
        return false;
    if (m_Top) {  // the old top becomes an ordinary free chunk
        m_Top->head = m_TopSize | kPrevInUse;
        Chunk* fence = NextOf(m_Top);
        fence->prevSize = m_TopSize;
        fence->head &= ~kPrevInUse;
        InsertFree(m_Top);
    }
    Segment* seg = static_cast<Segment*>(base);
    seg->size = want;
    seg->next = m_Segments;
    m_Segments = seg;
    m_MappedBytes += want;
    m_TopSegment = seg;
    m_Top = FirstChunkOf(seg);
    m_TopSize = SpanOf(seg);
    m_Top->prevSize = 0;
    m_Top->head = m_TopSize | kPrevInUse;
    WriteFence(seg);
    return true;
}

void LeaHeap::WriteFence(Segment* seg)
{
    Chunk* fence = FenceOf(seg);
    fence->prevSize = m_Footer;
    fence->head = kFenceHead | kPrevInUse;
}

bool LeaHeap::Trim()
{
    bool released = false;
    if (m_Top && m_TopSize > kMinChunk + m_Granularity) {
        size_t extra = (m_TopSize - kMinChunk) & ~(m_Granularity - 1);  // keeps the end aligned
        char* end = reinterpret_cast<char*>(m_TopSegment) + m_TopSegment->size;
        if (Platform::UnmapMemory(end - extra, extra)) {
            m_TopSegment->size -= extra;
            m_MappedBytes -= extra;
            m_TopSize -= extra;
            m_Top->head = m_TopSize | kPrevInUse;
            WriteFence(m_TopSegment);
            released = true;
        }
    }
    return ReleaseUnusedSegments() || released;
}

bool LeaHeap::ReleaseUnusedSegments()
{
    bool released = false;
    size_t kept = 0;
    for (Segment** link = &m_Segments; *link;) {
        Segment* seg = *link;
        Chunk* first = FirstChunkOf(seg);
        if ((first->head & kInUse) || SizeOf(first) != SpanOf(seg)) {
            ++kept;
            link = &seg->next;
            continue;
        }
        if (first == m_Top) {
            m_Top = nullptr;
            m_TopSize = 0;
            m_TopSegment = nullptr;
        } else {
            Unlink(first);
        }
        *link = seg->next;
        m_MappedBytes -= seg->size;
        Platform::UnmapMemory(seg, seg->size);
        released = true;
    }
    m_ReleaseChecks = kept > kReleaseCheckRate ? kept : kReleaseCheckRate;
    return released;
}

Chunk*& LeaHeap::BinHead(size_t chunkSize)
{
    return chunkSize < kExactLimit ? m_ExactBins[ExactIndex(chunkSize)] : m_LargeBins[LargeIndex(chunkSize)];
}

void LeaHeap::MarkBin(size_t chunkSize, bool used)
{
    int index = chunkSize < kExactLimit ? ExactIndex(chunkSize) : LargeIndex(chunkSize);
    uint64_t bit = uint64_t(1) << (index % 64);
    uint64_t& word = chunkSize < kExactLimit ? m_ExactMap[index / 64] : m_LargeMap[index / 64];
    word = used ? word | bit : word & ~bit;
}

int LeaHeap::FindExactBin(int from) const { return FindInMap(m_ExactMap, kExactWords, from); }

int LeaHeap::FindLargeBin(int from) const { return FindInMap(m_LargeMap, 2, from); }

void LeaHeap::InsertFree(Chunk* c)
{
    Chunk*& head = BinHead(SizeOf(c));
    c->bk = nullptr;
    c->fd = head;
    if (head)
        head->bk = c;
    head = c;
    MarkBin(SizeOf(c), true);
}

void LeaHeap::Unlink(Chunk* c)
{
    Chunk*& head = BinHead(SizeOf(c));
    if (c->bk)
        c->bk->fd = c->fd;
    else
        head = c->fd;
    if (c->fd)
        c->fd->bk = c->bk;
    if (!head)
        MarkBin(SizeOf(c), false);
}

bool LeaHeap::Validate() const
{
    size_t freeChunks = 0;
    bool topSeen = !m_Top;
    for (Segment* seg = m_Segments; seg; seg = seg->next) {
        Chunk* fence = FenceOf(seg);
        Chunk* c = FirstChunkOf(seg);
        bool prevInUse = true;
        size_t prevSize = 0;
        while (c != fence) {
            size_t size = SizeOf(c);
            if (size < kMinChunk || size % 16 != 0 || At<Chunk>(c, size) > fence)
                return false;
            if (bool(c->head & kPrevInUse) != prevInUse)
                return false;
            if (prevInUse ? c->prevSize != m_Footer && c != FirstChunkOf(seg)
                          : c->prevSize != prevSize)
                return false;
            bool inUse = c->head & kInUse;
            if (c == m_Top) {
                if (At<Chunk>(c, size) != fence || size != m_TopSize || seg != m_TopSegment)
                    return false;
                topSeen = true;
            } else if (!inUse) {
                if (!prevInUse)
                    return false;  // two free neighbours should have been joined
                ++freeChunks;
            }
            prevInUse = inUse;
            prevSize = size;
            c = At<Chunk>(c, size);
        }
        if (!(fence->head & kInUse))
            return false;
    }
    size_t binned = 0;
    for (int i = 0; i < kExactBins + kLargeBins; ++i) {
        Chunk* c = i < kExactBins ? m_ExactBins[i] : m_LargeBins[i - kExactBins];
        bool marked = i < kExactBins ? (m_ExactMap[i / 64] >> (i % 64)) & 1
                                     : (m_LargeMap[(i - kExactBins) / 64] >> ((i - kExactBins) % 64)) & 1;
        if (marked != (c != nullptr))
            return false;
        for (; c; c = c->fd) {
            size_t size = SizeOf(c);
            int index = size < kExactLimit ? ExactIndex(size) : kExactBins + LargeIndex(size);
            if ((c->head & kInUse) || index != i || (c->fd && c->fd->bk != c))
                return false;
            ++binned;
        }
    }
    for (Region* r = m_Regions; r; r = r->next) {
        Chunk* c = At<Chunk>(r, kRegionHeader);
        if (c->prevSize != m_Footer || r->mapSize != SizeOf(c) + kRegionHeader)
            return false;
    }
    return topSeen && binned == freeChunks;
}

void LeaHeap::Corrupt(const void* block) const
{
    // The published allocator's answer: nothing can be trusted once the tags are broken.
    Log::Write("LeaHeap: corrupted heap or foreign block at %p", block);
    std::abort();
}
